// The star map's state and drawing, without a widget.
//
// TStarMap holds what the main window knows about the map: the picture the
// paint surface shows, the copy of the stars it answers pointer questions
// from, the view and its scales, the highlighted star, the pointer's
// position and the additional marks. The window forwards paints, pointer
// moves, button presses and timer ticks to it and puts the answers into its
// labels; the paint surface TPaintBox shows Image.
#pragma once

#include "mapgeometry.h"
#include "marks.h"
#include "random.h"
#include "starsxy.h"

#include <QImage>
#include <QPoint>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

// The blink colour, carried from one timer tick to the next; one pair for
// the whole program, 0 at start-up and never reset by the program itself.
extern uint8_t BlinkRed;
extern uint8_t BlinkGreen;
// Back to the start-up state, for tests.
void ResetBlink();

// Colours of the map as Qt pixels.
inline constexpr QRgb MapBackground = ColorToRgb(0x000000); // black
inline constexpr QRgb MapBand = ColorToRgb(0x800000);       // navy
inline constexpr QRgb MapStar = ColorToRgb(0xFFFFFF);       // white
inline constexpr QRgb MapHilite = ColorToRgb(0xFF0000);     // pure blue
inline constexpr QRgb MapOutline = ColorToRgb(0x000000);    // the outline of a mark

// What a paint that opened the file tells the window about the universe.
struct TMapFacts {
    QString SizeText;    // lSize: "%dx%d l.y [%s]"
    int SizeIndex = 0;   // the entry of SizeSel
    QString StarsText;   // lStars
    QString PlayersText; // lPlayers
    bool Drawn = false;  // the whole picture was drawn anew (false: it stays as it was)
};

// What a pointer move tells the window.
struct TPointerReport {
    bool Tracked = false;   // a star was found: the fields below apply
    QPoint Position;        // the pointer's universe position, light years
    bool StatusChanged = false;
    QString Status;         // the status line, when StatusChanged
};

class TStarMap {
public:
    // Receives every map pixel whose colour a pointer move changed, at once,
    // so that the window shows it even when the move fails later on.
    using TPixelSink = std::function<void(QPoint)>;

    TStarMap();

    // ---- what the map holds ----
    const QImage &Image() const { return FImage; } // MapWidth x MapHeight, what the paint surface shows
    // The stars as of the last paint, in file order.
    const std::vector<TStarRec> &StarPoints() const { return FStarPoints; }
    TBounds ViewRect() const { return FViewRect; } // the bounds at the last paint that got that far
    double ScaleX() const { return FScaleX; }
    double ScaleY() const { return FScaleY; }
    QPoint HilitePixel() const { return FHilitePixel; } // X = -1: no star highlighted
    int32_t HoverIndex() const { return FHoverIndex; }
    QString HoverName() const { return FHoverName; }
    // The pointer's universe position at its last move over the map.
    QPoint Pointer() const { return FPointer; }
    const std::vector<TMarkRec> &Marks() const { return FMarks; }
    void SetMarks(std::vector<TMarkRec> Marks) { FMarks = std::move(Marks); }
    // The file's bytes as of the last paint that had a universe.
    const QByteArray &ShownImage() const { return FShownImage; }

    TMapView View() const { return {FViewRect, FScaleX, FScaleY}; }

    // Whether Image holds a picture to show: the last paint opened its file
    // and something has been drawn since the map was created. When not, the
    // paint surface draws nothing and what lies beneath it shows.
    bool HasPicture() const { return FOpened && FEverDrawn; }

    // Draws Universe (the session's; the map never opens a file) with the
    // band between the absolute x BandLeft and BandRight (-1, -1: none).
    // Empty when there is no universe (no file open, or it cannot be read):
    // then the picture stays as it was (not shown), and the stars and the
    // highlight are gone, so the pointer reports nothing. Otherwise the
    // labels' facts; a failure while drawing (a zero extent) is swallowed,
    // and what was drawn before it stays. The highlight is always cleared.
    std::optional<TMapFacts> PaintMap(const TStarsXY *Universe, int32_t BandLeft, int32_t BandRight);

    // The pointer at map pixel (X, Y): highlights the nearest star and
    // reports it. A planet whose name id lies beyond the name table (a file
    // edited by hand) is reported by its id, "#1010": a hover never fails.
    void MouseMove(int32_t X, int32_t Y, TPointerReport &Report, const TPixelSink &PixelChanged = {});
    TPointerReport MouseMove(int32_t X, int32_t Y, const TPixelSink &PixelChanged = {});
    // The status line for the universe position Abs with the star the
    // pointer found last (a pick reports where the planet would land).
    QString PointerStatus(QPoint Abs) const;

    // A tick of the blink timer: two real draws from Random, red first. The
    // pixel changed, when a star is highlighted and its pixel is on the map.
    std::optional<QPoint> BlinkTick(TRandom &Random);

    // A mouse button pressed on the map; true when the marks changed and the
    // map must be repainted.
    bool MouseDown(bool RightButton, bool Shift, int32_t X, int32_t Y);
    // "Clear"; the map must be repainted.
    void ClearMarks();

    // The keyboard moves a pointer over the map pixel by pixel, as the mouse
    // would: From + (DX, DY), held on the map.
    QPoint StepPointer(QPoint From, int DX, int DY) const;
    // The map pixel of the universe position (X, Y).
    QPoint PixelOf(int32_t X, int32_t Y) const;

    int32_t NearestStar(QPoint P) const { return ::NearestStar(FStarPoints, P); }
    int32_t MarkAt(int32_t X, int32_t Y) const { return ::MarkAt(FMarks, X, Y); }

private:
    bool SetPixel(QPoint P, QRgb Color);
    void DrawBand(int32_t BandLeft, int32_t BandRight);
    void DrawMark(const TMarkRec &Mark);

    QImage FImage;
    std::vector<TStarRec> FStarPoints;
    TBounds FViewRect;
    double FScaleX = 0;
    double FScaleY = 0;
    QPoint FHilitePixel{-1, 0};
    int32_t FHoverIndex = 0;
    QString FHoverName;
    QPoint FPointer;
    std::vector<TMarkRec> FMarks;
    QByteArray FShownImage;
    bool FOpened = false;
    bool FEverDrawn = false;
};
