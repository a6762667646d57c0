#include "starmap.h"

#include "mapfixture.h"
#include "messages.h"
#include "planetnames.h"

#include <QFile>
#include <gtest/gtest.h>
#include <set>

namespace {

const QRgb Black = qRgb(0, 0, 0);
const QRgb Navy = qRgb(0, 0, 128);
const QRgb White = qRgb(255, 255, 255);
const QRgb Blue = qRgb(0, 0, 255);
const QRgb Green = qRgb(0, 128, 0);

QRgb At(const TStarMap &Map, int X, int Y) { return Map.Image().pixel(X, Y) | 0xFF000000u; }

struct TUnitMap {
    TScratch Scratch;
    QString Path;
    TStarMap Map;
    TUnitMap() : Path(WriteUniverse(Scratch, "unit.xy", UnitStars())) {}
};

// A record of the pixels a pointer move reports, in order.
struct TSink {
    std::vector<QPoint> Pixels;
    TStarMap::TPixelSink Fn() { return [this](QPoint p) { Pixels.push_back(p); }; }
};

} // namespace

TEST(StarMap, LabelsOfTheRealFiles)
{
    struct Case {
        const char *FileName;
        const char *Size;
    };
    const Case cases[] = {
        {"tiny-32planets-2players.xy", "389x356 l.y [Tiny]"},
        {"small-128planets-1player.xy", "790x774 l.y [Small]"},
        {"small-128planets-3players.xy", "786x771 l.y [Small]"},
        {"large-640planets-2players.xy", "1579x1573 l.y [Large]"},
    };
    ASSERT_EQ(std::size(cases), RealXYFiles().size());
    for (const TRealXY &real : RealXYFiles()) {
        SCOPED_TRACE(real.FileName);
        const auto c = std::find_if(std::begin(cases), std::end(cases),
                                    [&](const Case &k) { return QString(k.FileName) == real.FileName; });
        ASSERT_NE(c, std::end(cases));
        TScratch scratch;
        TStarMap map;
        const auto facts = PaintFile(map, scratch.CopyReal(real.FileName), -1, -1);
        ASSERT_TRUE(facts.has_value());
        EXPECT_EQ(facts->SizeText, QString(c->Size));
        EXPECT_EQ(facts->SizeIndex, real.SizeIndex);
        EXPECT_EQ(facts->StarsText, QString::number(real.Planets));
        EXPECT_EQ(facts->PlayersText, QString::number(real.Players));
        EXPECT_TRUE(facts->Drawn);
        EXPECT_TRUE(map.HasPicture());
        EXPECT_EQ(map.StarPoints().size(), size_t(real.Planets));
        EXPECT_EQ(map.ViewRect().Left, 1000);
    }
}

// The tiny real file (bounds 1000..1389 by 1025..1381) with a band and two
// marks on it: every pixel is checked against what should lie there.
TEST(StarMap, PixelsOfARealFile)
{
    TScratch scratch;
    const QString path = scratch.CopyReal("tiny-32planets-2players.xy");
    TStarMap map;
    map.SetMarks({{100, 100, 0x008000}, {200, 200, RemovedMark}, {130, 30, 0x0000FF}});
    ASSERT_TRUE(PaintFile(map, path, 1100, 1200).has_value());
    ASSERT_EQ(map.ViewRect(), (TBounds{1000, 1025, 1389, 1381}));

    // Star pixels from exact integer arithmetic: floor(d * 273 / 389); the
    // stars whose exact product is whole are left to the extended rule.
    std::set<std::pair<int, int>> stars;
    for (const TStarRec &s : map.StarPoints()) {
        const int64_t nx = int64_t(s.X - 1000) * 273, ny = int64_t(s.Y - 1025) * 228;
        if (nx % 389 == 0 || ny % 356 == 0)
            continue;
        stars.insert({int(nx / 389), int(ny / 356)});
    }
    ASSERT_GE(stars.size(), 25u);
    for (auto [x, y] : stars) {
        SCOPED_TRACE(testing::Message() << "star " << x << "," << y);
        EXPECT_EQ(At(map, x, y), White);
    }

    // Band: 100 * 273 / 389 = 70.2 and 200 * 273 / 389 = 140.4, so columns
    // 70..139 are navy. Marks: the live ones in their colours, a black outline
    // ten pixels out, the removed one nowhere.
    auto inDisc = [](int x, int y, int cx, int cy) {
        const int dx = 2 * (x - cx) + 1, dy = 2 * (y - cy) + 1;
        return dx * dx + dy * dy <= 400;
    };
    int white = 0;
    for (int y = 0; y < MapHeight; ++y) {
        for (int x = 0; x < MapWidth; ++x) {
            const QRgb p = At(map, x, y);
            if (p == White) {
                ++white;
                continue;
            }
            if (inDisc(x, y, 100, 100) || inDisc(x, y, 130, 30))
                EXPECT_TRUE(p == Black || p == Green || p == qRgb(255, 0, 0)) << x << "," << y;
            else if (x >= 70 && x < 140)
                EXPECT_EQ(p, Navy) << x << "," << y;
            else
                EXPECT_EQ(p, Black) << x << "," << y;
        }
    }
    EXPECT_GE(white, int(stars.size()));
    EXPECT_LE(white, int(map.StarPoints().size()));
    struct Probe {
        int X, Y;
        QRgb Color;
    };
    const Probe probes[] = {
        {100, 100, Green}, {99, 99, Green},     // the mark's pixel and the one up-left
        {90, 100, Black},  {109, 100, Black},   // outline at both ends of the row
        {100, 90, Black},  {100, 109, Black},
        {89, 100, Navy},   {110, 100, Navy},    // the band just outside the box
        {100, 89, Navy},   {100, 110, Navy},
        {130, 30, qRgb(255, 0, 0)},             // 0x0000FF is red
        {120, 30, Black},  {119, 30, Navy},     // its outline on the band
        {140, 30, Black},  {139, 30, Black},    // column 140: outside the band, 139: the outline
        {200, 200, Black},                      // the removed mark
    };
    for (const Probe &p : probes) {
        if (!stars.count({p.X, p.Y})) {
            EXPECT_EQ(At(map, p.X, p.Y), p.Color) << p.X << "," << p.Y;
        }
    }
}

// The unit universe: ScaleX and ScaleY are 1, so a star's pixel is its
// offset from the top-left bound.
TEST(StarMap, StarsAreSinglePixelsOverBandAndMarks)
{
    TUnitMap unit;
    unit.Map.SetMarks({{0, 0, 0x0000FF}, {272, 78, 0x008000}, {265, 78, 0xFF0000}});
    const auto facts = PaintFile(unit.Map, unit.Path, 1265, 1400);
    ASSERT_TRUE(facts.has_value());
    EXPECT_EQ(facts->SizeText, QStringLiteral("273x228 l.y [Tiny]"));
    EXPECT_EQ(unit.Map.ScaleX(), 1.0);
    EXPECT_EQ(unit.Map.ScaleY(), 1.0);
    const TStarMap &map = unit.Map;
    EXPECT_EQ(At(map, 0, 0), White);     // inside the first mark's box
    EXPECT_EQ(At(map, 10, 128), White);
    EXPECT_EQ(At(map, 272, 78), White);  // over two marks and the band
    EXPECT_EQ(At(map, 1, 1), qRgb(255, 0, 0));
    EXPECT_EQ(At(map, 266, 78), qRgb(0, 0, 255)); // the later mark covers the earlier
    EXPECT_EQ(At(map, 272, 79), qRgb(0, 0, 255));
    // The star on the bottom edge maps to row 228, below the map: it is not
    // drawn, and nothing else is white.
    EXPECT_EQ(unit.Map.StarPoints().size(), 4u);
    int white = 0;
    for (int y = 0; y < MapHeight; ++y)
        for (int x = 0; x < MapWidth; ++x)
            white += At(map, x, y) == White;
    EXPECT_EQ(white, 3);
}

TEST(StarMap, BandColumns)
{
    struct Case {
        const char *Name;
        int32_t Left, Right;
        int First, Last; // navy columns, First > Last: none
    };
    const Case cases[] = {
        {"no band", -1, -1, 1, 0},
        {"left edge up to, not including, the right", 1050, 1060, 50, 59},
        {"edges on one column: one pixel wide", 1050, 1050, 50, 50},
        {"reversed: right..left, both included", 1060, 1050, 50, 60},
        {"one column apart", 1050, 1051, 50, 50},
        {"starting left of the map", 900, 1005, 0, 4},
        {"ending right of the map", 1270, 1400, 270, 272},
        {"wholly left of the map", 900, 950, 1, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        TUnitMap unit;
        ASSERT_TRUE(PaintFile(unit.Map, unit.Path, c.Left, c.Right).has_value());
        for (int x = 0; x < MapWidth; ++x) {
            const bool navy = x >= c.First && x <= c.Last;
            EXPECT_EQ(At(unit.Map, x, 5), navy ? Navy : Black) << "column " << x;
            EXPECT_EQ(At(unit.Map, x, 227), navy ? Navy : Black) << "column " << x;
        }
    }
}

// The band edges go through the extended product too: with a width of 9
// light years, 9 * fl(273 / 9) lies just below 273.
TEST(StarMap, OnePixelBandFromTheExtendedProduct)
{
    TScratch scratch;
    const QString path = WriteUniverse(scratch, "narrow.xy", {{1000, 1000, 0}, {1008, 1007, 1}});
    TStarMap map;
    ASSERT_TRUE(PaintFile(map, path, 1009, 1009).has_value());
    ASSERT_EQ(map.ViewRect(), (TBounds{1000, 1000, 1009, 1007}));
    for (int x = 0; x < MapWidth; ++x)
        EXPECT_EQ(At(map, x, 100), x == 272 ? Navy : Black) << "column " << x;
}

TEST(StarMap, EmptyUniverse)
{
    TScratch scratch;
    const QString path = WriteUniverse(scratch, "empty.xy", {}, 3);
    TStarMap map;
    map.SetMarks({{50, 50, 0x008000}});
    const auto facts = PaintFile(map, path, -1, -1);
    ASSERT_TRUE(facts.has_value());
    EXPECT_EQ(facts->SizeText, QStringLiteral("0x0 l.y [Tiny]")) << "no extent without stars";
    EXPECT_EQ(facts->StarsText, QStringLiteral("0"));
    EXPECT_EQ(facts->PlayersText, QStringLiteral("3"));
    EXPECT_EQ(facts->SizeIndex, 0);
    EXPECT_TRUE(facts->Drawn);
    EXPECT_TRUE(map.HasPicture());
    EXPECT_TRUE(map.StarPoints().empty());
    EXPECT_EQ(At(map, 50, 50), Green);
    EXPECT_EQ(At(map, 0, 0), Black);
    // Pointer tracking stays off and no mark can be added.
    TSink sink;
    EXPECT_FALSE(map.MouseMove(10, 10, sink.Fn()).Tracked);
    EXPECT_TRUE(sink.Pixels.empty());
    EXPECT_FALSE(map.MouseDown(true, false, 200, 200));
    EXPECT_EQ(map.Marks().size(), 1u);
}

TEST(StarMap, NothingChangesWhileNoFileOpens)
{
    TStarMap map;
    EXPECT_FALSE(map.HasPicture());
    EXPECT_FALSE(PaintFile(map, QString(), -1, -1).has_value());
    TScratch scratch;
    WriteBytes(scratch.Path("bad.xy"), QByteArray("not a universe file at all"));
    EXPECT_FALSE(PaintFile(map, scratch.Path("bad.xy"), -1, -1).has_value());
    EXPECT_FALSE(map.HasPicture());
    // Before any paint, pointer moves report nothing and marks do nothing.
    TPointerReport report = map.MouseMove(5, 5);
    EXPECT_FALSE(report.Tracked);
    EXPECT_FALSE(report.StatusChanged);
    EXPECT_TRUE(map.HoverName().isEmpty());
    EXPECT_EQ(map.HilitePixel().x(), -1);
    EXPECT_FALSE(map.MouseDown(true, false, 5, 5));
    EXPECT_TRUE(map.Marks().empty());
}

// The file disappears after a paint: later paints show nothing, and the
// pointer no longer reports the vanished planets; the marks stay.
TEST(StarMap, FileVanishesAfterAPaint)
{
    TUnitMap unit;
    TStarMap &map = unit.Map;
    ASSERT_TRUE(PaintFile(map, unit.Path, -1, -1).has_value());
    map.MouseMove(0, 0);
    ASSERT_EQ(map.HilitePixel(), QPoint(0, 0));
    const QImage before = map.Image().copy();
    const TBounds bounds = map.ViewRect();
    ASSERT_TRUE(QFile::remove(unit.Path));

    EXPECT_FALSE(PaintFile(map, unit.Path, 1050, 1060).has_value());
    EXPECT_FALSE(map.HasPicture());
    EXPECT_TRUE(map.StarPoints().empty());
    EXPECT_EQ(map.ViewRect(), bounds);
    EXPECT_EQ(map.HilitePixel().x(), -1);
    EXPECT_EQ(map.Image(), before);

    TSink sink;
    EXPECT_FALSE(map.MouseMove(10, 128, sink.Fn()).Tracked);
    EXPECT_TRUE(sink.Pixels.empty());
    EXPECT_FALSE(map.MouseDown(true, false, 100, 100));
}

// All stars share one y: the labels are new, the picture and the stars are
// not, and the highlight is gone.
TEST(StarMap, ZeroHeightUniverse)
{
    TUnitMap unit;
    TStarMap &map = unit.Map;
    ASSERT_TRUE(PaintFile(map, unit.Path, -1, -1).has_value());
    map.MouseMove(0, 0);
    const QImage before = map.Image().copy();
    const auto stars = map.StarPoints();
    const QString flat = WriteUniverse(unit.Scratch, "flat.xy", {{1100, 1500, 7}, {1300, 1500, 8}}, 4);

    const auto facts = PaintFile(map, flat, 1050, 1060);
    ASSERT_TRUE(facts.has_value());
    EXPECT_EQ(facts->SizeText, QStringLiteral("301x0 l.y [Tiny]"));
    EXPECT_EQ(facts->StarsText, QStringLiteral("2"));
    EXPECT_EQ(facts->PlayersText, QStringLiteral("4"));
    EXPECT_FALSE(facts->Drawn);
    EXPECT_EQ(map.ViewRect(), (TBounds{1000, 1500, 1301, 1500}));
    EXPECT_EQ(map.ScaleX(), 1.0); // the division failed before either scale changed
    EXPECT_EQ(map.ScaleY(), 1.0);
    EXPECT_EQ(map.StarPoints(), stars);
    EXPECT_EQ(map.Image(), before);
    EXPECT_EQ(map.HilitePixel().x(), -1);
    EXPECT_TRUE(map.HasPicture());

    // A zero-height universe as the first file: labels, but nothing ever drawn
    // to show.
    TStarMap fresh;
    ASSERT_TRUE(PaintFile(fresh, flat, -1, -1).has_value());
    EXPECT_FALSE(fresh.HasPicture());
    EXPECT_TRUE(fresh.StarPoints().empty());
}

// The pointer's reports on the unit universe: pixel (0, 0) is one light year
// right of and below the top-left bound; the highlight moves and whitens.
TEST(StarMap, PointerTracking)
{
    TUnitMap unit;
    TStarMap &map = unit.Map;
    ASSERT_TRUE(PaintFile(map, unit.Path, -1, -1).has_value());

    TSink sink;
    TPointerReport report = map.MouseMove(0, 0, sink.Fn());
    EXPECT_EQ(report.Position, QPoint(1001, 1001));
    EXPECT_EQ(map.HoverIndex(), 0);
    EXPECT_EQ(map.HoverName(), QStringLiteral("007"));
    EXPECT_EQ(map.HilitePixel(), QPoint(0, 0));
    EXPECT_EQ(At(map, 0, 0), Blue);
    EXPECT_EQ(sink.Pixels, std::vector<QPoint>{QPoint(0, 0)});
    EXPECT_TRUE(report.Tracked);
    EXPECT_TRUE(report.StatusChanged);
    EXPECT_EQ(report.Status, QStringLiteral("Abs: [1001:1001]     Star: 007 [1000:1000] ->0"));

    sink.Pixels.clear();
    report = map.MouseMove(12, 125, sink.Fn());
    EXPECT_EQ(report.Status, QStringLiteral("Abs: [1013:1126]     Star: A'po [1010:1128] ->1"));
    EXPECT_EQ(sink.Pixels, (std::vector<QPoint>{{0, 0}, {10, 128}}));
    EXPECT_EQ(At(map, 0, 0), White);
    EXPECT_EQ(At(map, 10, 128), Blue);

    // The star in row 228 is found and reported, but its pixel lies below the
    // map: nothing is drawn or reported there.
    sink.Pixels.clear();
    report = map.MouseMove(20, 227, sink.Fn());
    EXPECT_EQ(report.Status, QStringLiteral("Abs: [1021:1228]     Star: Zulu [1020:1228] ->2"));
    EXPECT_EQ(map.HilitePixel(), QPoint(20, 228));
    EXPECT_EQ(sink.Pixels, std::vector<QPoint>{QPoint(10, 128)});

    // Outside the map while a button is held: the reports go on.
    report = map.MouseMove(400, -30);
    EXPECT_EQ(report.Status, QStringLiteral("Abs: [1401:971]     Star: 668 [1272:1078] ->3"));

    // A paint clears the highlight and draws the star white again.
    ASSERT_TRUE(PaintFile(map, unit.Path, -1, -1).has_value());
    EXPECT_EQ(map.HilitePixel().x(), -1);
    EXPECT_EQ(At(map, 272, 78), White);
}

// A name id beyond the table (a file edited by hand): the planet is reported
// by its id, and the hover never fails.
TEST(StarMap, NameIdBeyondTheTable)
{
    TScratch scratch;
    const QString path = WriteUniverse(scratch, "odd.xy", {{1000, 1000, 0}, {1272, 1228, 1010}});
    TStarMap map;
    ASSERT_TRUE(PaintFile(map, path, 1200, 1272).has_value());
    const TPointerReport report = map.MouseMove(250, 220);
    EXPECT_EQ(map.HoverIndex(), 1);
    EXPECT_EQ(map.HoverName(), QStringLiteral("#1010"));
    EXPECT_EQ(report.Status, QStringLiteral("Abs: [1251:1221]     Star: #1010 [1272:1228] ->1"));
    EXPECT_EQ(IdByName(QStringLiteral("#1010")), 1010);
    EXPECT_EQ(IdByName(QStringLiteral("#998")), -1) << "ids in the table go by their names";
}

// A pointer dragged so far off the map that no star lies within 10000 light
// years: the old highlight is whitened, nothing else changes.
TEST(StarMap, NoStarWithinReach)
{
    TUnitMap unit;
    TStarMap &map = unit.Map;
    ASSERT_TRUE(PaintFile(map, unit.Path, -1, -1).has_value());
    map.MouseMove(12, 125);
    const QPoint pick = map.Pointer();
    const QString name = map.HoverName();
    TSink sink;
    const TPointerReport report = map.MouseMove(20000, 100, sink.Fn());
    EXPECT_FALSE(report.Tracked);
    EXPECT_FALSE(report.StatusChanged);
    EXPECT_EQ(sink.Pixels, std::vector<QPoint>{QPoint(10, 128)});
    EXPECT_EQ(At(map, 10, 128), White);
    EXPECT_EQ(map.HilitePixel(), QPoint(10, 128));
    EXPECT_EQ(map.HoverIndex(), 1);
    EXPECT_EQ(map.Pointer(), pick);
    EXPECT_EQ(map.HoverName(), name);
}

// Blink colours from known generator states, worked out by hand: from seed 0
// the first draws are 1 / 2^32 and 134775814 / 2^32, adding 0 and 0; from
// seed 0xFFFFFFFF the seeds run 4160191484, 866343917, 2231304098,
// 567969323, adding 24, 5, 12 and 3.
TEST(StarMap, BlinkTicks)
{
    TUnitMap unit;
    TStarMap &map = unit.Map;
    ASSERT_TRUE(PaintFile(map, unit.Path, -1, -1).has_value());
    TRandom random;
    ResetBlink();

    // No highlight: no draws.
    EXPECT_FALSE(map.BlinkTick(random).has_value());
    EXPECT_EQ(random.Seed, 0u);

    map.MouseMove(12, 125);
    EXPECT_EQ(map.BlinkTick(random), QPoint(10, 128));
    EXPECT_EQ(At(map, 10, 128), qRgb(150, 150, 0));
    EXPECT_EQ(random.Seed, 134775814u);

    struct Tick {
        uint8_t Red, Green; // after the tick
    };
    random.Seed = 0xFFFFFFFFu;
    BlinkRed = 232;
    BlinkGreen = 250;
    const Tick ticks[] = {
        {150, 255}, // 232 + 24 = 256 wraps to 0 and is lifted; 250 + 5
        {162, 150}, // 150 + 12; 255 + 3 = 258 wraps to 2 and is lifted
    };
    for (const Tick &t : ticks) {
        EXPECT_EQ(map.BlinkTick(random), QPoint(10, 128));
        EXPECT_EQ(BlinkRed, t.Red);
        EXPECT_EQ(BlinkGreen, t.Green);
        EXPECT_EQ(At(map, 10, 128), qRgb(t.Red, t.Green, 0));
    }
    EXPECT_EQ(random.Seed, 567969323u);

    // A highlight below the map still draws, but changes no pixel.
    map.MouseMove(20, 227);
    EXPECT_FALSE(map.BlinkTick(random).has_value());
    EXPECT_NE(random.Seed, 567969323u);
    ResetBlink();
}

TEST(StarMap, MarksThroughTheMap)
{
    TUnitMap unit;
    TStarMap &map = unit.Map;
    EXPECT_FALSE(map.MouseDown(true, false, 100, 100)); // no universe drawn yet
    ASSERT_TRUE(PaintFile(map, unit.Path, -1, -1).has_value());
    EXPECT_FALSE(map.MouseDown(false, false, 100, 100));
    EXPECT_TRUE(map.MouseDown(true, false, 100, 100));
    EXPECT_TRUE(map.MouseDown(true, false, 105, 100));
    EXPECT_EQ(map.Marks(), (std::vector<TMarkRec>{{100, 100, 0xC0C0C0}}));
    EXPECT_EQ(map.MarkAt(109, 100), 0);
    ASSERT_TRUE(PaintFile(map, unit.Path, -1, -1).has_value());
    EXPECT_EQ(At(map, 100, 100), qRgb(192, 192, 192));
    map.ClearMarks();
    EXPECT_TRUE(map.Marks().empty());
    ASSERT_TRUE(PaintFile(map, unit.Path, -1, -1).has_value());
    EXPECT_EQ(At(map, 100, 100), Black);
}

// The keyboard pointer stays on the map, on every edge, and while a band is
// shown within the columns whose position lies in it (the unit map: column
// px is x = px + 1001, so the band 1050..1060 is columns 49..59).
TEST(StarMap, KeyboardPointerStaysOnTheMap)
{
    TUnitMap unit;
    TStarMap &map = unit.Map;
    ASSERT_TRUE(PaintFile(map, unit.Path, -1, -1).has_value());
    const struct {
        QPoint From;
        int DX, DY;
        QPoint To;
    } rows[] = {
        {{0, 0}, -1, -1, {0, 0}},     {{272, 227}, 10, 10, {272, 227}},
        {{10, 227}, 0, 1, {10, 227}}, {{10, 226}, 0, 10, {10, 227}},
    };
    for (const auto &r : rows)
        EXPECT_EQ(map.StepPointer(r.From, r.DX, r.DY), r.To) << r.From.x() << "," << r.From.y();
}
