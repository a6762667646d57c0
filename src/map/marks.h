// Additional marks: coloured discs of radius 10 pixels that the user puts
// on the map with the right mouse button as private notes. They live only in
// memory, as map pixels, and never move with the stars.
#pragma once

#include <QRgb>
#include <array>
#include <cstdint>
#include <vector>

// One mark. Colours are 0xBBGGRR (red in the low byte).
struct TMarkRec {
    int32_t X = 0;     // map pixel of the centre
    int32_t Y = 0;
    int32_t Color = 0; // fill colour; RemovedMark once removed
    bool operator==(const TMarkRec &) const = default;
};

inline constexpr int32_t RemovedMark = -1;
inline constexpr int32_t NewMarkColor = 0x008000; // green

// The colour cycle of a right click on a mark. Grey and silver stand in it
// twice each.
inline constexpr std::array<int32_t, 15> MarkColors = {
    0xFFFF00, // aqua
    0xFF0000, // blue
    0x808080, // grey
    0xFF00FF, // fuchsia
    0x808080, // grey
    0x008000, // green
    0xC0C0C0, // silver
    0x000080, // maroon
    0x800000, // navy
    0x008080, // olive
    0x800080, // purple
    0x0000FF, // red
    0xC0C0C0, // silver
    0x808000, // teal
    0x00FFFF, // yellow
};

// The name of a colour of MarkColors ("green"); empty for another.
const char *MarkColorName(int32_t Color);

// A 0xBBGGRR colour as Qt's 0xAARRGGBB, opaque. Bits above the 24 colour
// bits are ignored.
constexpr QRgb ColorToRgb(int32_t Color)
{
    const auto c = static_cast<uint32_t>(Color);
    return 0xFF000000u | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}

// The first live mark, from index 0 up, whose whole distance to (X, Y) is at
// most 10; -1 when none. Not the nearest: the first within reach.
int32_t MarkAt(const std::vector<TMarkRec> &Marks, int32_t X, int32_t Y);

// The colour after C in MarkColors. The search stops at the first equal
// entry, so grey always continues at entry 3 and silver at entry 7; a colour
// not in the table gives entry 0.
int32_t NextMarkColor(int32_t C);

// A mouse button pressed on the map at (X, Y). Only the right button acts,
// and only once a universe has been drawn (HaveStars): on an empty spot it
// appends a green mark whatever keys are held; on a mark, Shift removes it
// and otherwise it takes the next colour. True when the marks changed and
// the map must be repainted.
bool MarksMouseDown(std::vector<TMarkRec> &Marks, bool HaveStars, bool RightButton, bool Shift,
                    int32_t X, int32_t Y);

// "Clear": every mark goes, removed ones too.
void ClearMarks(std::vector<TMarkRec> &Marks);

// The disc of a mark, as drawn: the 20 x 20 box from (X - 10, Y - 10) to
// (X + 10, Y + 10), right and bottom edges excluded. A pixel belongs to the
// disc when its centre lies within 10 pixels of the box's centre; a disc
// pixel next to a non-disc pixel (left, right, above or below) is the
// one-pixel outline.
enum class TDiscPixel : uint8_t { Outside, Outline, Fill };
inline constexpr int MarkBox = 20;
inline constexpr int MarkRadius = 10;
TDiscPixel MarkDiscPixel(int DX, int DY); // DX, DY: 0..19 inside the box
