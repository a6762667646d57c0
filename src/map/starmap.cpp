#include "starmap.h"

#include "extended.h"
#include "messages.h"
#include "planetnames.h"

#include <algorithm>
#include <stdexcept>

uint8_t BlinkRed = 0;
uint8_t BlinkGreen = 0;

void ResetBlink()
{
    BlinkRed = 0;
    BlinkGreen = 0;
}

namespace {

// A 32-bit difference of two bounds, wrapping like the machine's integers.
int32_t Extent(int32_t From, int32_t To)
{
    return static_cast<int32_t>(static_cast<uint32_t>(To) - static_cast<uint32_t>(From));
}

// Pixels per light year: the quotient is rounded to a 64-bit mantissa, as
// every other map quotient, and then to the stored double. A zero extent is
// a division by zero and fails the paint.
double Scale(int Pixels, int32_t LightYears)
{
    if (LightYears == 0)
        throw std::domain_error("zero extent");
    return ExtendedQuotientToDouble(Pixels, LightYears);
}

bool OnMap(int64_t X, int64_t Y) { return X >= 0 && X < MapWidth && Y >= 0 && Y < MapHeight; }

} // namespace

TStarMap::TStarMap() : FImage(MapWidth, MapHeight, QImage::Format_RGB32)
{
    FImage.fill(MapBackground);
}

bool TStarMap::SetPixel(QPoint P, QRgb Color)
{
    if (!OnMap(P.x(), P.y()))
        return false;
    reinterpret_cast<QRgb *>(FImage.scanLine(P.y()))[P.x()] = Color;
    return true;
}

void TStarMap::DrawBand(int32_t BandLeft, int32_t BandRight)
{
    const int64_t left = MapColumn(View(), BandLeft);
    const int64_t right = MapColumn(View(), BandRight);
    // Columns left..right-1; when right - left is below 1 (the edges on one
    // column, or reversed), right..left, both included.
    int64_t from = left, to = right - 1;
    if (right <= left) {
        from = right;
        to = left;
    }
    from = std::max<int64_t>(from, 0);
    to = std::min<int64_t>(to, MapWidth - 1);
    if (from > to)
        return;
    for (int y = 0; y < MapHeight; ++y) {
        auto *line = reinterpret_cast<QRgb *>(FImage.scanLine(y));
        std::fill(line + from, line + to + 1, MapBand);
    }
}

void TStarMap::DrawMark(const TMarkRec &Mark)
{
    const QRgb fill = ColorToRgb(Mark.Color);
    const int64_t left = int64_t{Mark.X} - MarkRadius;
    const int64_t top = int64_t{Mark.Y} - MarkRadius;
    for (int dy = 0; dy < MarkBox; ++dy) {
        const int64_t y = top + dy;
        if (y < 0 || y >= MapHeight)
            continue;
        auto *line = reinterpret_cast<QRgb *>(FImage.scanLine(static_cast<int>(y)));
        for (int dx = 0; dx < MarkBox; ++dx) {
            const int64_t x = left + dx;
            if (x < 0 || x >= MapWidth)
                continue;
            switch (MarkDiscPixel(dx, dy)) {
            case TDiscPixel::Outside: break;
            case TDiscPixel::Outline: line[x] = MapOutline; break;
            case TDiscPixel::Fill: line[x] = fill; break;
            }
        }
    }
}

std::optional<TMapFacts> TStarMap::PaintMap(const TStarsXY *Universe, int32_t BandLeft, int32_t BandRight)
{
    if (!Universe) {
        // No file chosen, gone, unreadable or not a universe: the picture
        // stays as it was, hidden, and the pointer no longer finds the
        // planets of a file that is not there.
        FOpened = false;
        FStarPoints.clear();
        FHilitePixel.setX(-1);
        return std::nullopt;
    }
    FOpened = true;
    const TStarsXY *universe = Universe;
    FShownImage = universe->ReadImage();

    TMapFacts facts;
    try {
        FViewRect = universe->GetBounds();
        const int32_t width = Extent(FViewRect.Left, FViewRect.Right);
        const int32_t height = Extent(FViewRect.Top, FViewRect.Bottom);
        facts.SizeIndex = universe->GetSizeIndex();
        // A universe without stars has no extent; its bounds are only the
        // starting values of the search for one.
        const bool empty = universe->StarCount == 0;
        facts.SizeText = FormatStr(TMsg::SizeLabel, {empty ? 0LL : static_cast<long long>(width),
                                                     empty ? 0LL : static_cast<long long>(height),
                                                     SizeNames.at(facts.SizeIndex)});
        facts.PlayersText = QString::number(universe->PlayerCount);
        facts.StarsText = QString::number(universe->StarCount);

        FScaleY = Scale(MapHeight, height);
        FScaleX = Scale(MapWidth, width);

        FImage.fill(MapBackground);
        FEverDrawn = true;
        DrawBand(BandLeft, BandRight);
        for (const TMarkRec &mark : FMarks)
            if (mark.Color != RemovedMark)
                DrawMark(mark);

        // Stars last, over band and marks. An element is refreshed only
        // once its star was read, so a failure leaves the rest as it was.
        FStarPoints.resize(universe->StarCount);
        const TMapView view = View();
        for (int i = 0; i < universe->StarCount; ++i) {
            FStarPoints[i] = universe->GetStar(i);
            SetPixel(UniverseToMap(view, FStarPoints[i]), MapStar);
        }
        facts.Drawn = true;
    } catch (const std::exception &) {
        // Swallowed: the labels may be new while the picture is not.
    }
    FHilitePixel.setX(-1);
    return facts;
}

void TStarMap::MouseMove(int32_t X, int32_t Y, TPointerReport &Report, const TPixelSink &PixelChanged)
{
    Report = {};
    auto paint = [&](QPoint pixel, QRgb color) {
        if (SetPixel(pixel, color) && PixelChanged)
            PixelChanged(pixel);
    };
    if (FHilitePixel.x() != -1)
        paint(FHilitePixel, MapStar);
    if (FStarPoints.empty())
        return;

    const TMapView view = View();
    const QPoint at = MapToUniverse(view, X, Y);
    const int32_t n = NearestStar(at);
    // Only a pointer dragged far off the map finds no star within reach;
    // then nothing is highlighted, looked up or reported.
    if (n == -1)
        return;
    FHoverIndex = n;
    const TStarRec star = FStarPoints[n];
    FHilitePixel = UniverseToMap(view, star);
    paint(FHilitePixel, MapHilite);

    Report.Tracked = true;
    Report.Position = FPointer = at;
    FHoverName = PlanetName(star.NameId);
    Report.Status = PointerStatus(at);
    Report.StatusChanged = true;
}

QString TStarMap::PointerStatus(QPoint Abs) const
{
    if (FHoverIndex < 0 || size_t(FHoverIndex) >= FStarPoints.size())
        return {};
    const TStarRec &star = FStarPoints[size_t(FHoverIndex)];
    return FormatStr(TMsg::PointerReport, {static_cast<long long>(Abs.x()), static_cast<long long>(Abs.y()),
                                           FHoverName, static_cast<long long>(star.X),
                                           static_cast<long long>(star.Y)}) +
           QStringLiteral(" ->") + QString::number(FHoverIndex);
}

QPoint TStarMap::StepPointer(QPoint From, int DX, int DY) const
{
    return {std::clamp(From.x() + DX, 0, MapWidth - 1), std::clamp(From.y() + DY, 0, MapHeight - 1)};
}

QPoint TStarMap::PixelOf(int32_t X, int32_t Y) const
{
    return UniverseToMap(View(), TStarRec{static_cast<uint32_t>(X), static_cast<uint32_t>(Y), 0});
}

TPointerReport TStarMap::MouseMove(int32_t X, int32_t Y, const TPixelSink &PixelChanged)
{
    TPointerReport report;
    MouseMove(X, Y, report, PixelChanged);
    return report;
}

std::optional<QPoint> TStarMap::BlinkTick(TRandom &Random)
{
    if (FHilitePixel.x() == -1)
        return std::nullopt;
    // Each step adds 0..24, wrapping past 255.
    BlinkRed = static_cast<uint8_t>(BlinkRed + static_cast<int>(Random.RandomReal() * 25));
    BlinkGreen = static_cast<uint8_t>(BlinkGreen + static_cast<int>(Random.RandomReal() * 25));
    BlinkRed = std::max<uint8_t>(BlinkRed, 150);
    BlinkGreen = std::max<uint8_t>(BlinkGreen, 150);
    if (!SetPixel(FHilitePixel, qRgb(BlinkRed, BlinkGreen, 0)))
        return std::nullopt;
    return FHilitePixel;
}

bool TStarMap::MouseDown(bool RightButton, bool Shift, int32_t X, int32_t Y)
{
    return MarksMouseDown(FMarks, !FStarPoints.empty(), RightButton, Shift, X, Y);
}

void TStarMap::ClearMarks() { ::ClearMarks(FMarks); }
