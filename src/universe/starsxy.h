// The game's universe file (.xy) and the in-memory universe read from it.
//
// The file is a chain of blocks, but only three block headers are read, at
// fixed places: the first block (file header), the planets block at offset 18
// and the last block, four bytes before the end. Everything between the
// planets block's body and the last block is planet words, four bytes each.
// Only those words are ever changed; every other byte is written back as it
// was read, and the file never changes length.
#pragma once

#include "gamefile.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

// ---- bit helpers -----------------------------------------------------------

// Bits Pos..Pos+Count-1 of Value, moved down to bit 0.
uint32_t ExtractBits(uint32_t Value, int Pos, int Count);
// Target with bits Pos..Pos+Count-1 replaced by the low Count bits of Value.
uint32_t InsertBits(uint32_t Target, int Pos, int Count, uint32_t Value);
// ExtractBits of the little-endian number of ByteCount (2 or 4) bytes at Source.
uint32_t ReadBits(const uint8_t *Source, int Pos, int Count, int ByteCount);

// ---- codec -----------------------------------------------------------------

struct TBlockHeader {
    uint16_t Size = 0; // bits 0-9: length of the body
    uint8_t Type = 0;  // bits 10-15
};

struct TFileHeader {
    // A short string: length byte (4) then the four characters.
    std::array<char, 5> Magic{};
    uint32_t Value4 = 0;
    uint16_t W8Bits0 = 0, W8Bits5 = 0, W8Bits12 = 0;
    uint16_t Value10 = 0;
    uint16_t W12Bits0 = 0, W12Bits5 = 0;
    uint16_t FileType = 0;
    uint16_t Flag8 = 0, Flag9 = 0, Flag10 = 0, Flag11 = 0, Flag12 = 0;
    uint16_t W14Bits13 = 0;

    QByteArray MagicText() const { return QByteArray(Magic.data() + 1, Magic[0]); }
};

struct TStarRec {
    uint32_t X = 0;      // light years, 1000 and up (a delta while packed)
    uint32_t Y = 0;      // light years, model orientation
    uint32_t NameId = 0; // index into the planet name table
    bool operator==(const TStarRec &) const = default;
};

TBlockHeader ReadBlockHeader(const uint8_t *Source);
TFileHeader ReadFileHeader(const uint8_t *Source);
TStarRec UnpackPlanet(const uint8_t *Source);
uint32_t PackPlanet(const TStarRec &Rec);

// ---- size classes ----------------------------------------------------------

inline constexpr int SizeClassCount = 5;
extern const std::array<QString, SizeClassCount> SizeNames;
// The last x and y a star of size class SizeIndex may take; the first is
// always 1000.
constexpr uint32_t SizeClassRight(unsigned SizeIndex) { return 1000 + 400 * (SizeIndex + 1u) - 2; }

// ---- the universe ----------------------------------------------------------

struct TBounds {
    int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
    bool operator==(const TBounds &) const = default;
};

class TStarsXY {
public:
    // Reads and checks the whole file. Throws EZorvane with "The game file
    // appears to be corrupt" for a file that is not a universe, or with a
    // message naming the file-system problem.
    explicit TStarsXY(const QString &FileName);

    // Builds a universe from a file image already in memory, with the same
    // checks. The image is only copied, never read outside its bytes.
    static TStarsXY FromImage(const QByteArray &Image);

    // Writes the universe to FileName: Y mirrored back to the file's
    // orientation, optionally re-sorted by X, the planet words patched into
    // the image. Only over what was read: when the file no longer holds
    // exactly ReadImage() (another program changed it), nothing is written
    // and EZorvane with TMsg::FileChanged is thrown. See WriteGameFile.
    // FileImage() is the image written, afterwards. Returns what the save
    // has to tell besides.
    TWriteNote SaveToFile(const QString &FileName, bool SortByX);
    // The planet words patched into a copy of the image, without writing
    // anything; the universe itself does not change.
    QByteArray PackImage(bool SortByX) const;

    TBounds GetBounds() const;
    void SetStar(int32_t Index, int32_t X, int32_t Y, int32_t NameId, bool Jitter);
    TStarRec GetStar(int32_t Index) const;
    uint8_t GetSizeIndex() const;
    void SetSizeIndex(uint8_t SizeIndex);
    // Raises the right bound to MaxX, when that lies further right, so a
    // star may be set there. The Y bounds, with which saving mirrors Y back,
    // stay as they are.
    void ExtendRight(uint32_t MaxX);

    const QByteArray &FileImage() const { return FFileImage; }
    // The bytes as they were read, whatever was packed since.
    const QByteArray &ReadImage() const { return FReadImage; }
    const TFileHeader &FileHeader() const { return FFileHeader; }
    uint16_t PlanetsStart() const { return FPlanetsStart; }

    uint16_t StarCount = 0;
    uint16_t PlayerCount = 0;
    uint16_t MinDistance = 5;

private:
    TStarsXY() = default;
    void Load(QByteArray Image);
    void CheckLoaded() const;
    bool Clashes(int32_t Index, int64_t X, int64_t Y);

    // A bucket grid over the stars for the minimum-distance test of SetStar.
    // Its answer is exactly that of scanning every star: two stars clash only
    // when both coordinates differ by less than the distance, and the cells
    // are at least that wide, so only the 3 x 3 cells around a position can
    // hold a clashing star. It is rebuilt whenever the distance or the bounds
    // change, and covers the bounds and every star, so all positions that
    // SetStar may store stay inside it.
    struct TStarGrid {
        int64_t OriginX = 0, OriginY = 0, Cell = 1;
        int64_t Cols = 0, Rows = 0;
        uint16_t Distance = 0;
        bool Valid = false;
        std::vector<int32_t> Head, Next;
        int64_t CellOf(uint32_t X, uint32_t Y) const
        {
            return ((int64_t{Y} - OriginY) / Cell) * Cols + (int64_t{X} - OriginX) / Cell;
        }
    };
    void BuildGrid();
    void MoveInGrid(int32_t Index, uint32_t X, uint32_t Y);
    TStarGrid FGrid;

    std::vector<TStarRec> FStarRecs;
    QByteArray FFileImage;
    QByteArray FReadImage;
    int32_t FImageSize = 0;
    bool FLoaded = false;
    TFileHeader FFileHeader;
    uint16_t FPlanetsStart = 0;
    uint32_t FMinX = 0, FMinY = 0, FMaxX = 0, FMaxY = 0;
};
