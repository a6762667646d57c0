#include "starsxy.h"

#include "gamefile.h"
#include "messages.h"
#include "random.h"

#include <algorithm>
#include <cstring>

const std::array<QString, SizeClassCount> SizeNames = {
    QStringLiteral("Tiny"), QStringLiteral("Small"), QStringLiteral("Medium"),
    QStringLiteral("Large"), QStringLiteral("Huge"),
};

// ---- bit helpers -----------------------------------------------------------

uint32_t ExtractBits(uint32_t Value, int Pos, int Count)
{
    // A shift by 32 is undefined in C++, while the field may span the whole
    // word (Pos 0, Count 32): widen before shifting.
    const uint64_t up = static_cast<uint64_t>(Value) << (32 - Pos - Count);
    return static_cast<uint32_t>((up & 0xFFFFFFFFu) >> (32 - Count));
}

uint32_t InsertBits(uint32_t Target, int Pos, int Count, uint32_t Value)
{
    const uint32_t mask = static_cast<uint32_t>((uint64_t{1} << Count) - 1);
    return (Target & ~(mask << Pos)) | ((Value & mask) << Pos);
}

uint32_t ReadBits(const uint8_t *Source, int Pos, int Count, int ByteCount)
{
    uint32_t value = 0;
    for (int i = ByteCount - 1; i >= 0; --i)
        value = (value << 8) | Source[i];
    return ExtractBits(value, Pos, Count);
}

// ---- codec -----------------------------------------------------------------

TBlockHeader ReadBlockHeader(const uint8_t *Source)
{
    TBlockHeader header;
    header.Size = static_cast<uint16_t>(ReadBits(Source, 0, 10, 2));
    header.Type = static_cast<uint8_t>(ReadBits(Source, 10, 6, 2));
    return header;
}

TFileHeader ReadFileHeader(const uint8_t *Source)
{
    TFileHeader h;
    h.Magic[0] = 4;
    std::memcpy(h.Magic.data() + 1, Source, 4);
    h.Value4 = ReadBits(Source + 4, 0, 32, 4);
    h.W8Bits0 = ReadBits(Source + 8, 0, 5, 2);
    h.W8Bits5 = ReadBits(Source + 8, 5, 7, 2);
    h.W8Bits12 = ReadBits(Source + 8, 12, 4, 2);
    h.Value10 = ReadBits(Source + 10, 0, 16, 2);
    h.W12Bits0 = ReadBits(Source + 12, 0, 5, 2);
    h.W12Bits5 = ReadBits(Source + 12, 5, 11, 2);
    h.FileType = ReadBits(Source + 14, 0, 8, 2);
    h.Flag8 = ReadBits(Source + 14, 8, 1, 2);
    h.Flag9 = ReadBits(Source + 14, 9, 1, 2);
    h.Flag10 = ReadBits(Source + 14, 10, 1, 2);
    h.Flag11 = ReadBits(Source + 14, 11, 1, 2);
    h.Flag12 = ReadBits(Source + 14, 12, 1, 2);
    h.W14Bits13 = ReadBits(Source + 14, 13, 3, 2);
    return h;
}

TStarRec UnpackPlanet(const uint8_t *Source)
{
    TStarRec rec;
    rec.X = ReadBits(Source, 0, 10, 4);
    rec.Y = ReadBits(Source, 10, 12, 4);
    rec.NameId = ReadBits(Source, 22, 10, 4);
    return rec;
}

uint32_t PackPlanet(const TStarRec &Rec)
{
    uint32_t word = 0;
    word = InsertBits(word, 0, 10, Rec.X);
    word = InsertBits(word, 10, 12, Rec.Y);
    word = InsertBits(word, 22, 10, Rec.NameId);
    return word;
}

// ---- file access -----------------------------------------------------------

namespace {

// The longest file that can be a universe: a planets block body of 1023
// bytes, 65535 planet words, three bytes of slack and the last block. Nothing
// longer is read into memory.
constexpr qint64 MaxImageSize = 20 + 1023 + 4 * 65535 + 3 + 4;

[[noreturn]] void Corrupt() { throw EZorvane(TMsg::FileCorrupt); }

} // namespace

// ---- the universe ----------------------------------------------------------

TStarsXY::TStarsXY(const QString &FileName)
{
    QByteArray image = ReadGameFile(FileName, MaxImageSize);
    if (image.size() > MaxImageSize)
        Corrupt();
    Load(std::move(image));
}

TStarsXY TStarsXY::FromImage(const QByteArray &Image)
{
    if (Image.size() > MaxImageSize)
        Corrupt();
    TStarsXY universe;
    universe.Load(Image);
    return universe;
}

void TStarsXY::Load(QByteArray Image)
{
    MinDistance = 5;
    const qint64 L = Image.size();
    // The smallest universe: file header block (18 bytes), an empty planets
    // block (2) and the last block (4).
    if (L < 24)
        Corrupt();
    const auto *bytes = reinterpret_cast<const uint8_t *>(Image.constData());

    const TBlockHeader first = ReadBlockHeader(bytes);
    if (first.Type != 8 || first.Size < 16)
        Corrupt();
    const TFileHeader header = ReadFileHeader(bytes + 2);
    if (header.MagicText() != "J3J3")
        Corrupt();
    if (header.FileType != 0)
        Corrupt();
    const TBlockHeader planets = ReadBlockHeader(bytes + 18);
    const qint64 planetsStart = 20 + planets.Size;
    const TBlockHeader last = ReadBlockHeader(bytes + L - 4);
    if (last.Type != 0)
        Corrupt();
    // The planets block's body must end before the last block, and the player
    // count (two bytes at L - 4 + S3) must lie inside the file.
    if (planetsStart > L - 4 || last.Size > 2)
        Corrupt();
    const qint64 words = L - 6 + last.Size - planetsStart;
    const qint64 count = words / 4; // truncates toward zero, as -2/4 = 0
    if (count < 0 || count > 0xFFFF)
        Corrupt();

    FFileImage = std::move(Image);
    FReadImage = FFileImage;
    bytes = reinterpret_cast<const uint8_t *>(FFileImage.constData());
    FImageSize = static_cast<int32_t>(L);
    FFileHeader = header;
    FPlanetsStart = static_cast<uint16_t>(planetsStart);
    PlayerCount = static_cast<uint16_t>(ReadBits(bytes + L - 4 + last.Size, 0, 16, 2));
    StarCount = static_cast<uint16_t>(count);
    FLoaded = true;

    FStarRecs.resize(StarCount);
    uint32_t runningX = 1000;
    FMinY = 10000;
    FMaxY = 0;
    for (int i = 0; i < StarCount; ++i) {
        const TStarRec word = UnpackPlanet(bytes + FPlanetsStart + 4 * i);
        runningX += word.X;
        FMinY = std::min(FMinY, word.Y);
        FMaxY = std::max(FMaxY, word.Y);
        FStarRecs[i] = {runningX, word.Y, word.NameId};
    }
    // The model's Y axis is the file's, mirrored between the smallest and the
    // largest Y; the bounds stay the same.
    for (TStarRec &rec : FStarRecs)
        rec.Y = FMaxY - rec.Y + FMinY;
    FMinX = 1000;
    FMaxX = runningX + 1;
}

void TStarsXY::CheckLoaded() const
{
    if (!FLoaded)
        throw EZorvane(TMsg::XYNotOpen);
}

namespace {

bool Before(const TStarRec &a, const TStarRec &b)
{
    return a.X < b.X || (a.X == b.X && a.Y < b.Y);
}

// Orders the records by X, then Y, exactly as the exchange sort below would.
// With all (X, Y) keys distinct the order is fully decided by the keys, so any
// sort gives the same result and a fast one is used; stars sharing both X and
// Y are left to the exchange sort, whose order among them depends on how it
// swaps.
void SortStars(std::vector<TStarRec> &Recs)
{
    std::vector<TStarRec> sorted = Recs;
    std::sort(sorted.begin(), sorted.end(), [](const TStarRec &a, const TStarRec &b) { return Before(a, b); });
    const bool distinct =
        std::adjacent_find(sorted.begin(), sorted.end(), [](const TStarRec &a, const TStarRec &b) {
            return a.X == b.X && a.Y == b.Y;
        }) == sorted.end();
    if (distinct) {
        Recs = std::move(sorted);
        return;
    }
    const size_t n = Recs.size();
    for (size_t i = 0; i + 1 < n; ++i)
        for (size_t j = i + 1; j < n; ++j)
            if (Before(Recs[j], Recs[i]))
                std::swap(Recs[i], Recs[j]);
}

} // namespace

QByteArray TStarsXY::PackImage(bool SortByX) const
{
    CheckLoaded();
    // Works on a copy: the universe keeps its own orientation and order, so
    // packing twice gives the same image.
    std::vector<TStarRec> recs = FStarRecs;
    for (TStarRec &rec : recs)
        rec.Y = FMaxY - rec.Y + FMinY;
    if (SortByX)
        SortStars(recs);

    QByteArray image = FFileImage;
    auto *bytes = reinterpret_cast<uint8_t *>(image.data());
    uint32_t previousX = 1000;
    for (int i = 0; i < StarCount; ++i) {
        TStarRec rec = recs[i];
        const uint32_t delta = rec.X - previousX; // wraps for an X below its predecessor
        if (delta > 1023)
            throw EZorvane(TMsg::CannotPack);
        previousX = rec.X;
        rec.X = delta;
        const uint32_t word = PackPlanet(rec);
        uint8_t *at = bytes + FPlanetsStart + 4 * i;
        at[0] = word & 0xFF;
        at[1] = (word >> 8) & 0xFF;
        at[2] = (word >> 16) & 0xFF;
        at[3] = (word >> 24) & 0xFF;
    }
    return image;
}

TWriteNote TStarsXY::SaveToFile(const QString &FileName, bool SortByX)
{
    QByteArray image = PackImage(SortByX);
    TWriteNote note;
    try {
        note = WriteGameFile(FileName, FReadImage, image);
    } catch (const EWrittenWithError &) {
        FFileImage = std::move(image); // the file holds it all the same
        throw;
    }
    FFileImage = std::move(image);
    return note;
}

TBounds TStarsXY::GetBounds() const
{
    CheckLoaded();
    return {static_cast<int32_t>(FMinX), static_cast<int32_t>(FMinY), static_cast<int32_t>(FMaxX),
            static_cast<int32_t>(FMaxY)};
}

void TStarsXY::SetStar(int32_t Index, int32_t X, int32_t Y, int32_t NameId, bool Jitter)
{
    CheckLoaded();
    // Exact integers throughout: a jittered coordinate may leave the 32-bit
    // range, and a negative one is simply outside the universe.
    int64_t x = X;
    int64_t y = Y;
    // The jitter is drawn before the index check, so a failed call still
    // consumes two draws.
    if (Jitter) {
        x += static_cast<int64_t>(ProgramRandom().RandomInt(7)) - 3;
        y += static_cast<int64_t>(ProgramRandom().RandomInt(7)) - 3;
    }
    if (Index < 0 || Index >= StarCount)
        throw EZorvane(TMsg::StarNotExist);
    if (x < FMinX || x > FMaxX || y < FMinY || y > FMaxY)
        throw EZorvane(TMsg::BeyondScope);
    if (Jitter && Clashes(Index, x, y))
        throw EZorvane(TMsg::StarExists);
    if (FGrid.Valid)
        MoveInGrid(Index, static_cast<uint32_t>(x), static_cast<uint32_t>(y));
    TStarRec &rec = FStarRecs[Index];
    rec.X = static_cast<uint32_t>(x);
    rec.Y = static_cast<uint32_t>(y);
    if (NameId != -1)
        rec.NameId = static_cast<uint32_t>(NameId);
}

// Whether another star lies within the MinDistance square around (X, Y),
// which is inside the bounds.
bool TStarsXY::Clashes(int32_t Index, int64_t X, int64_t Y)
{
    const int64_t d = MinDistance;
    if (d == 0)
        return false;
    if (!FGrid.Valid || FGrid.Distance != MinDistance)
        BuildGrid();
    const int64_t cx = (X - FGrid.OriginX) / FGrid.Cell;
    const int64_t cy = (Y - FGrid.OriginY) / FGrid.Cell;
    for (int64_t row = std::max<int64_t>(cy - 1, 0); row <= std::min(cy + 1, FGrid.Rows - 1); ++row)
        for (int64_t col = std::max<int64_t>(cx - 1, 0); col <= std::min(cx + 1, FGrid.Cols - 1); ++col)
            for (int32_t k = FGrid.Head[row * FGrid.Cols + col]; k != -1; k = FGrid.Next[k]) {
                if (k == Index)
                    continue;
                const TStarRec &other = FStarRecs[k];
                if (X - d < other.X && other.X < X + d && Y - d < other.Y && other.Y < Y + d)
                    return true;
            }
    return false;
}

void TStarsXY::BuildGrid()
{
    uint32_t lowX = FMinX, highX = FMaxX, lowY = FMinY, highY = FMaxY;
    for (const TStarRec &rec : FStarRecs) {
        lowX = std::min(lowX, rec.X);
        highX = std::max(highX, rec.X);
        lowY = std::min(lowY, rec.Y);
        highY = std::max(highY, rec.Y);
    }
    // Empty bounds (an empty universe has MinY above MaxY) still give one cell.
    highY = std::max(highY, lowY);
    highX = std::max(highX, lowX);
    const int64_t width = int64_t{highX} - lowX + 1, height = int64_t{highY} - lowY + 1;
    // At most about 128 x 128 cells, and never narrower than the distance.
    constexpr int64_t MaxCells = 128;
    FGrid.Cell = std::max<int64_t>({MinDistance, (width + MaxCells - 1) / MaxCells,
                                    (height + MaxCells - 1) / MaxCells, 1});
    FGrid.OriginX = lowX;
    FGrid.OriginY = lowY;
    FGrid.Cols = width / FGrid.Cell + 1;
    FGrid.Rows = height / FGrid.Cell + 1;
    FGrid.Distance = MinDistance;
    FGrid.Head.assign(static_cast<size_t>(FGrid.Cols * FGrid.Rows), -1);
    FGrid.Next.assign(FStarRecs.size(), -1);
    for (int32_t k = static_cast<int32_t>(FStarRecs.size()) - 1; k >= 0; --k) {
        const int64_t cell = FGrid.CellOf(FStarRecs[k].X, FStarRecs[k].Y);
        FGrid.Next[k] = FGrid.Head[cell];
        FGrid.Head[cell] = k;
    }
    FGrid.Valid = true;
}

void TStarsXY::MoveInGrid(int32_t Index, uint32_t X, uint32_t Y)
{
    const TStarRec &rec = FStarRecs[Index];
    const int64_t from = FGrid.CellOf(rec.X, rec.Y), to = FGrid.CellOf(X, Y);
    if (from == to)
        return;
    int32_t *link = &FGrid.Head[from];
    while (*link != Index)
        link = &FGrid.Next[*link];
    *link = FGrid.Next[Index];
    FGrid.Next[Index] = FGrid.Head[to];
    FGrid.Head[to] = Index;
}

TStarRec TStarsXY::GetStar(int32_t Index) const
{
    CheckLoaded();
    if (Index < 0 || Index >= StarCount)
        throw EZorvane(TMsg::StarNotExist);
    return FStarRecs[Index];
}

uint8_t TStarsXY::GetSizeIndex() const
{
    const TBounds b = GetBounds();
    const int32_t w = static_cast<int32_t>(static_cast<uint32_t>(b.Right) - static_cast<uint32_t>(b.Left));
    if (w <= 400) return 0;
    if (w <= 800) return 1;
    if (w <= 1200) return 2;
    if (w <= 1600) return 3;
    return 4;
}

void TStarsXY::SetSizeIndex(uint8_t SizeIndex)
{
    // A class above 4 is never asked for; the same rule simply gives a larger
    // square.
    FMinX = FMinY = 1000;
    FMaxX = FMaxY = SizeClassRight(SizeIndex);
    FGrid.Valid = false;
}

void TStarsXY::ExtendRight(uint32_t MaxX)
{
    CheckLoaded();
    if (MaxX > FMaxX) {
        FMaxX = MaxX;
        FGrid.Valid = false;
    }
}
