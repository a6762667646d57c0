#include "placement.h"
#include "templatelist.h"
#include "templatesettings.h"

#include "messages.h"
#include "random.h"
#include "testsupport.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

const QString GenerateData = QStringLiteral(ZV_GENERATE_DATA);
const QString TemplatesDir = QStringLiteral(ZV_TEMPLATES_DIR);
const QString TooSmallUniverse = QStringLiteral("Universe to small. Set \"Maximize search\" and try again.");


// A template of one colour.
QImage Filled(int Width, int Height, QRgb Colour)
{
    QImage image(Width, Height, QImage::Format_RGB32);
    image.fill(Colour);
    return image;
}

const QRgb White = qRgb(255, 255, 255), Black = qRgb(0, 0, 0);

QImage Loaded(const QString &Path)
{
    QImage image;
    EXPECT_TRUE(LoadTemplateImage(Path, image)) << Path.toStdString();
    return image;
}


std::vector<TStarRec> StarsOf(const TStarsXY &Universe)
{
    std::vector<TStarRec> stars;
    for (int i = 0; i < Universe.StarCount; ++i)
        stars.push_back(Universe.GetStar(i));
    return stars;
}

// 999 stars over a Huge map, two light years apart in X.
QByteArray Huge999Image()
{
    TRandom r;
    std::vector<uint32_t> words;
    for (uint32_t i = 0; i < 999; ++i)
        words.push_back(Word(i == 0 ? 0 : 2, 1000 + r.RandomInt(1999), i));
    return MakeImage(words);
}

// The expected files were written by tests/generate/golden_placement.py, an
// independent reference in Python that reads the same real universe file and
// template BMP and implements the generator, the template test, SetStar with
// its jitter and an all-star distance scan, the mapping through an exact
// product rounded to a 64-bit significand, and the mirrored, exchange-sorted
// save. Its figures (final seed, candidates, tries) are quoted here. The
// cases: a 24-bit template, free space on, Sensitivity 50, where rounding a
// tie such as 125 / 50 = 2.5 up instead of to even changes the result; an
// 8-bit template with the 25-try limit and a product (column x 1.99) that
// truncates differently when formed in plain doubles; Sensitivity 2, whose
// dark pixels run past the weight table; and a 1-bit template whose colour 0
// lies exactly at the threshold and whose light pixels reach every edge, so
// that jittered positions fall outside the universe.
TEST(Placement, GoldenFilesFromTheReference)
{
    struct Case {
        const char *Name, *Xy, *Template;
        bool TestTemplate;
        uint8_t SizeIndex;
        uint16_t MinDistance;
        TPlacementSettings Settings;
        uint32_t FinalSeed;
        int64_t Candidates, Tries;
    };
    const Case cases[] = {
        {"small3-spiral-medium", "small-128planets-3players.xy", "spiral.bmp", false, 2, 12, {50, true, 200, 250},
         1595739649u, 967, 153},
        {"tiny2-letters-tiny", "tiny-32planets-2players.xy", "letters.bmp", false, 0, 20, {10, false, 235, 25},
         4001038765u, 287, 68},
        {"large2-clusters-huge", "large-640planets-2players.xy", "clusters.bmp", false, 4, 3, {2, false, 235, 250},
         1474144877u, 11683, 670},
        {"small1-frame-tiny", "small-128planets-1player.xy", "frame.bmp", true, 0, 3, {26, true, 239, 250},
         992472172u, 524, 136},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        TScratch scratch;
        const QString path = scratch.CopyReal(QString::fromUtf8(c.Xy));
        TStarsXY universe(path);
        universe.MinDistance = c.MinDistance;
        universe.SetSizeIndex(c.SizeIndex);
        const QImage image = Loaded((c.TestTemplate ? GenerateData : TemplatesDir) + u'/' + QString::fromUtf8(c.Template));
        ProgramRandom().Seed = 0;
        TPlacementStats stats;
        ASSERT_EQ(PlaceStars(universe, image, c.Settings, {}, &stats), TPlacementEnd::Completed);
        universe.SaveToFile(path, true);
        EXPECT_EQ(ReadBytes(path), ReadBytes(GenerateData + u'/' + QString::fromUtf8(c.Name) + ".xy"));
        EXPECT_EQ(ProgramRandom().Seed, c.FinalSeed);
        EXPECT_EQ(stats.Candidates, c.Candidates);
        EXPECT_EQ(stats.Tries, c.Tries);
        EXPECT_EQ(stats.Placed, universe.StarCount);
    }
}

TEST(Placement, WeightIndexRoundsTiesToEvenAndStopsAtTheTableEnd)
{
    struct Case {
        int Darkness, Sensitivity, Index;
    };
    const Case cases[] = {
        {1, 2, 0},    {3, 2, 2},    {5, 2, 2},    {7, 2, 4},    {2, 2, 1}, // 0.5, 1.5, 2.5, 3.5, 1
        {0, 25, 0},   {12, 25, 0},  {13, 25, 1},  {37, 25, 1},  {38, 25, 2},
        {237, 25, 9}, {238, 25, 10}, {255, 25, 10},
        {15, 10, 2},  {25, 10, 2},  {35, 10, 4},  {45, 10, 4},
        {242, 5, 48}, {243, 5, 49}, {245, 5, 49}, {255, 5, 49}, // 48.4, 48.6, 49, 51
        {98, 2, 49},  {99, 2, 49},  {97, 2, 48},  {255, 1, 49}, // 49, 49.5, 48.5
        {255, 2000, 0}, {0, 1, 0},
        {255, 0, 49}, {10, -4, 10},                            // below 1 counts as 1
    };
    for (const Case &c : cases)
        EXPECT_EQ(WeightIndex(c.Darkness, c.Sensitivity), c.Index) << c.Darkness << " / " << c.Sensitivity;
}

// One star, a 3 x 2 sampled area (3 x 22 template): pixel (2, 1) is white,
// pixel (0, 0) has darkness 50 (weight 4), the rest is black and beyond the
// free space threshold. The draws are replayed by hand: the column below 3
// before the row below 2, the real only for pixels within the threshold, the
// X jitter before the Y jitter, and a jitter below 0 at (0, 0) leaves the
// universe.
TEST(Placement, ExactDrawOrder)
{
    QImage image = Filled(3, 22, Black);
    image.setPixel(2, 1, White);
    image.setPixel(0, 0, qRgb(0, 0, 205));
    TStarsXY universe = TStarsXY::FromImage(MakeImage({Word(500, 1200, 7)}));
    universe.SetSizeIndex(0); // 1000..1398: ScaleX = 398 / 3, ScaleY = 199
    universe.MinDistance = 3;

    const uint32_t start = 20240625u;
    TRandom r;
    r.Seed = start;
    int64_t candidates = 0;
    int darkAccepted = 0, darkRejected = 0, jitteredOut = 0;
    int64_t x = 0, y = 0;
    for (;;) {
        ++candidates;
        const uint32_t column = r.RandomInt(3);
        const uint32_t row = r.RandomInt(2);
        if (column == 2 && row == 1) {
            r.RandomReal(); // weight 0: always accepted, but drawn
        } else if (column == 0 && row == 0) {
            if (static_cast<int>(r.RandomReal() * 4) != 0) {
                ++darkRejected;
                continue;
            }
            ++darkAccepted;
        } else {
            continue; // beyond the threshold: no draw
        }
        x = 1000 + (column == 2 ? 265 : 0) + int64_t(r.RandomInt(7)) - 3; // trunc(2 * 132.67) = 265
        y = 1000 + (row == 1 ? 199 : 0) + int64_t(r.RandomInt(7)) - 3;
        if (x < 1000 || y < 1000) {
            ++jitteredOut;
            continue;
        }
        break;
    }
    // The seed was picked so that every branch is taken at least once.
    ASSERT_GT(darkAccepted, 0);
    ASSERT_GT(darkRejected, 0);
    ASSERT_GT(jitteredOut, 0);

    ProgramRandom().Seed = start;
    TPlacementStats stats;
    ASSERT_EQ(PlaceStars(universe, image, {25, true, 100, 250}, {}, &stats), TPlacementEnd::Completed);
    EXPECT_EQ(universe.GetStar(0), (TStarRec{uint32_t(x), uint32_t(y), 7}));
    EXPECT_EQ(ProgramRandom().Seed, r.Seed);
    EXPECT_EQ(stats.Candidates, candidates);
}

TEST(Placement, LimitsFailTheRunBeforeTheExtraDrawOrTry)
{
    struct Case {
        const char *Name;
        QRgb Colour;
        TPlacementSettings Settings;
        int64_t Candidates, Tries, Steps;
    };
    const Case cases[] = {
        // Every pixel beyond the threshold: two draws per candidate, and the
        // 50001st candidate is never drawn.
        {"draw limit", Black, {25, true, 0, 250}, 50000, 0, 2 * 50000},
        // Every try clashes: three draws per candidate and two jitter draws
        // per try; the 26th (251st) accepted candidate is not tried.
        {"25 tries", White, {25, false, 235, 25}, 26, 25, 26 * 3 + 25 * 2},
        {"250 tries", White, {25, false, 235, 250}, 251, 250, 251 * 3 + 250 * 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        TStarsXY universe(RealXYPath(QStringLiteral("tiny-32planets-2players.xy")));
        universe.SetSizeIndex(0);
        universe.MinDistance = 5000; // every other star lies within the square
        const std::vector<TStarRec> before = StarsOf(universe);
        ProgramRandom().Seed = 77;
        TPlacementStats stats;
        EXPECT_EQ(MessageOf([&] { PlaceStars(universe, Filled(50, 70, c.Colour), c.Settings, {}, &stats); }),
                  TooSmallUniverse);
        EXPECT_EQ(stats.Candidates, c.Candidates);
        EXPECT_EQ(stats.Tries, c.Tries);
        EXPECT_EQ(stats.Placed, 0);
        EXPECT_EQ(ProgramRandom().Seed, SeedAfter(77, c.Steps));
        EXPECT_EQ(StarsOf(universe), before);
    }
}

// The stop request is looked at before the pass is counted: one that comes
// with the pass that would exceed the draw limit stops the run, no failure.
TEST(Placement, StopComesBeforeTheDrawLimit)
{
    TStarsXY universe(RealXYPath(QStringLiteral("tiny-32planets-2players.xy")));
    universe.SetSizeIndex(0);
    int64_t asked = 0;
    TPlacementHooks hooks;
    hooks.StopRequested = [&] { return ++asked == DrawLimit + 1; };
    ProgramRandom().Seed = 0;
    TPlacementStats stats;
    EXPECT_EQ(PlaceStars(universe, Filled(50, 70, Black), {25, true, 0, 250}, hooks, &stats), TPlacementEnd::Stopped);
    EXPECT_EQ(stats.Candidates, DrawLimit);
    EXPECT_EQ(ProgramRandom().Seed, SeedAfter(0, 2 * DrawLimit));
}

// Twenty isolated white pixels in 40000: about 2000 candidates per star,
// over 50000 for the run; with 25 tries per star, more than 25 in all.
TEST(Placement, LimitsCountPerStar)
{
    QImage image = Filled(200, 220, Black);
    for (int gx = 0; gx < 5; ++gx)
        for (int gy = 0; gy < 4; ++gy)
            image.setPixel(20 + 40 * gx, 25 + 50 * gy, White);
    TStarsXY universe(RealXYPath(QStringLiteral("tiny-32planets-2players.xy")));
    universe.SetSizeIndex(0);
    universe.MinDistance = 3;
    ProgramRandom().Seed = 0;
    TPlacementStats stats;
    ASSERT_EQ(PlaceStars(universe, image, {25, true, 0, 25}, {}, &stats), TPlacementEnd::Completed);
    EXPECT_GT(stats.Candidates, DrawLimit);
    EXPECT_GT(stats.Tries, AttemptLimitNormal);
}

// Free space threshold 0 lets only blue 255 through: the almost white
// background (blue 254) never gets a star although its weight is 0; red and
// green do not count.
TEST(Placement, ThresholdZeroPlacesOnBlue255Only)
{
    QImage image = Filled(40, 60, qRgb(255, 255, 254));
    for (int y = 0; y < 60; ++y) {
        image.setPixel(7, y, White);
        image.setPixel(31, y, qRgb(0, 0, 255));
    }
    for (const int threshold : {0, 1}) {
        SCOPED_TRACE(threshold);
        TStarsXY universe(RealXYPath(QStringLiteral("small-128planets-1player.xy")));
        universe.SetSizeIndex(1); // ScaleX = 798 / 40 = 19.95
        universe.MinDistance = 3;
        const int64_t columnX[] = {1000 + 139, 1000 + 618}; // trunc(7 * 19.95), trunc(31 * 19.95)
        int elsewhere = 0;
        TPlacementHooks hooks;
        hooks.StarPlaced = [&](int Placed) {
            const int64_t x = universe.GetStar(Placed - 1).X;
            if (std::abs(x - columnX[0]) > 3 && std::abs(x - columnX[1]) > 3)
                ++elsewhere;
        };
        ProgramRandom().Seed = 0;
        ASSERT_EQ(PlaceStars(universe, image, {25, true, threshold, 250}, hooks), TPlacementEnd::Completed);
        if (threshold == 0)
            EXPECT_EQ(elsewhere, 0);
        else
            EXPECT_GT(elsewhere, 64); // the background is let through at once
    }
}

TEST(Placement, BottomRowsAreNeverSampled)
{
    struct Run {
        QByteArray Packed;
        uint32_t Seed;
        TPlacementStats Stats;
    };
    auto run = [](const QImage &Image) {
        TStarsXY universe(RealXYPath(QStringLiteral("tiny-32planets-2players.xy")));
        universe.SetSizeIndex(0);
        universe.MinDistance = 3;
        ProgramRandom().Seed = 0;
        Run result;
        EXPECT_EQ(PlaceStars(universe, Image, {25, false, 235, 250}, {}, &result.Stats), TPlacementEnd::Completed);
        result.Seed = ProgramRandom().Seed;
        result.Packed = universe.PackImage(true);
        return result;
    };
    const QImage black = Filled(30, 50, Black);
    QImage strip = black;
    for (int y = 30; y < 50; ++y)
        for (int x = 0; x < 30; ++x)
            strip.setPixel(x, y, White);
    const Run plain = run(black), withStrip = run(strip);
    EXPECT_EQ(withStrip.Packed, plain.Packed);
    EXPECT_EQ(withStrip.Seed, plain.Seed);
    EXPECT_EQ(withStrip.Stats.Candidates, plain.Stats.Candidates);
    // All black at Sensitivity 25 still places every star, about one
    // candidate in a hundred passing the template test.
    EXPECT_EQ(plain.Stats.Placed, 32);
    EXPECT_GT(plain.Stats.Tries * 200, plain.Stats.Candidates);
    EXPECT_LT(plain.Stats.Tries * 50, plain.Stats.Candidates);
}

TEST(Placement, WhiteTemplatePassesEveryCandidate)
{
    TStarsXY universe(RealXYPath(QStringLiteral("small-128planets-3players.xy")));
    universe.SetSizeIndex(1);
    universe.MinDistance = 3;
    ProgramRandom().Seed = 5;
    TPlacementStats stats;
    ASSERT_EQ(PlaceStars(universe, Filled(64, 84, White), {1, true, 0, 250}, {}, &stats), TPlacementEnd::Completed);
    EXPECT_EQ(stats.Tries, stats.Candidates);
    EXPECT_GT(stats.Tries, stats.Placed); // some tries clashed or fell outside
}

TEST(Placement, StopHookIsAskedAtTheTopOfEveryPass)
{
    const QImage image = Loaded(TemplatesDir + QStringLiteral("/ring.bmp"));
    const TPlacementSettings settings{20, true, 170, 250};
    struct Case {
        const char *Name;
        int StopAfter; // stars placed before the hook says stop; -1: never
    };
    for (const Case c : {Case{"at once", 0}, Case{"after three stars", 3}, Case{"never", -1}}) {
        SCOPED_TRACE(c.Name);
        TStarsXY universe(RealXYPath(QStringLiteral("small-128planets-3players.xy")));
        universe.SetSizeIndex(2);
        universe.MinDistance = 3;
        const std::vector<TStarRec> before = StarsOf(universe);
        ProgramRandom().Seed = 3;
        int placed = 0;
        int64_t asked = 0;
        uint32_t seedAtLastPlacement = 3;
        std::vector<int> reported;
        TPlacementHooks hooks;
        hooks.StopRequested = [&] {
            ++asked;
            return c.StopAfter >= 0 && placed >= c.StopAfter;
        };
        hooks.StarPlaced = [&](int Placed) {
            placed = Placed;
            reported.push_back(Placed);
            seedAtLastPlacement = ProgramRandom().Seed;
        };
        TPlacementStats stats;
        const TPlacementEnd end = PlaceStars(universe, image, settings, hooks, &stats);
        const std::vector<TStarRec> after = StarsOf(universe);
        if (c.StopAfter < 0) {
            EXPECT_EQ(end, TPlacementEnd::Completed);
            EXPECT_EQ(asked, stats.Candidates);
            EXPECT_EQ(int(reported.size()), universe.StarCount);
        } else {
            EXPECT_EQ(end, TPlacementEnd::Stopped);
            EXPECT_EQ(asked, stats.Candidates + 1);
            EXPECT_EQ(ProgramRandom().Seed, seedAtLastPlacement); // nothing drawn after the stop
            EXPECT_EQ(int(reported.size()), c.StopAfter);
            EXPECT_TRUE(std::equal(after.begin() + c.StopAfter, after.end(), before.begin() + c.StopAfter));
        }
        for (size_t i = 0; i < reported.size(); ++i)
            EXPECT_EQ(reported[i], int(i) + 1);
    }
}

TEST(Placement, TooSmallTemplatesAreRefusedBeforeAnyDraw)
{
    const QString expected =
        QStringLiteral("The template is too small: it is %1 x %2 pixels, and it needs at least 1 column and more than 20 rows");
    for (const QSize size : {QSize(0, 0), QSize(5, 20), QSize(5, 19), QSize(1, 1)}) {
        SCOPED_TRACE(size.width() * 1000 + size.height());
        const QImage image = size.isEmpty() ? QImage() : Filled(size.width(), size.height(), White);
        for (const int stars : {0, 1}) {
            std::vector<uint32_t> words(stars, Word(10, 1100, 3));
            TStarsXY universe = TStarsXY::FromImage(MakeImage(words));
            universe.SetSizeIndex(0);
            ProgramRandom().Seed = 9;
            bool asked = false;
            TPlacementHooks hooks;
            hooks.StopRequested = [&] { return asked = true; };
            EXPECT_EQ(MessageOf([&] { PlaceStars(universe, image, {}, hooks); }),
                      expected.arg(size.width()).arg(size.height()));
            EXPECT_EQ(ProgramRandom().Seed, 9u);
            EXPECT_FALSE(asked);
        }
    }
    // One column and 21 rows is the smallest template that works.
    TStarsXY universe = TStarsXY::FromImage(MakeImage({Word(10, 1100, 3)}));
    universe.SetSizeIndex(0);
    ProgramRandom().Seed = 9;
    EXPECT_EQ(PlaceStars(universe, Filled(1, 21, White), {}), TPlacementEnd::Completed);
}

TEST(Placement, EmptyUniverseDrawsNothing)
{
    TStarsXY universe = TStarsXY::FromImage(MakeImage({}));
    universe.SetSizeIndex(0);
    ProgramRandom().Seed = 4;
    int asked = 0;
    TPlacementHooks hooks;
    hooks.StopRequested = [&] { return ++asked > 0; };
    EXPECT_EQ(PlaceStars(universe, Filled(10, 30, White), {}, hooks), TPlacementEnd::Completed);
    EXPECT_EQ(ProgramRandom().Seed, 4u);
    EXPECT_EQ(asked, 0);
}

// The darkness table must say what QImage::pixel() says, for every format
// a BMP may load as and for the conversions of any other.
TEST(Placement, TemplateDarknessMatchesPixelForEveryFormat)
{
    QImage base(13, 25, QImage::Format_ARGB32);
    for (int y = 0; y < base.height(); ++y)
        for (int x = 0; x < base.width(); ++x)
            base.setPixel(x, y, qRgba((x * 37 + y * 11) & 255, (x * 53) & 255, (x * 29 + y * 71) & 255,
                                      255 - ((x * y * 17) & 127)));
    std::vector<std::pair<QString, QImage>> images;
    for (int f = QImage::Format_Mono; f < QImage::NImageFormats; ++f) {
        const auto format = static_cast<QImage::Format>(f);
        const QImage converted = base.convertToFormat(format);
        if (!converted.isNull())
            images.emplace_back(QStringLiteral("format %1").arg(f), converted);
    }
    // An index beyond the colour table reads as black.
    QImage indexed(9, 22, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(1, 2, 3), qRgb(4, 5, 200)});
    for (int y = 0; y < indexed.height(); ++y)
        for (int x = 0; x < indexed.width(); ++x)
            indexed.scanLine(y)[x] = static_cast<uchar>((x + y) % 2 == 0 ? 1 : 5);
    images.emplace_back(QStringLiteral("index beyond the table"), indexed);
    QImage mono(17, 21, QImage::Format_MonoLSB);
    mono.setColorTable({qRgb(9, 9, 40)});
    mono.fill(0);
    for (int x = 0; x < 17; x += 3)
        mono.setPixel(x, 0, 1);
    images.emplace_back(QStringLiteral("one-colour table"), mono);
    for (const char *name : {"ring.bmp", "spiral.bmp"})
        images.emplace_back(QString::fromUtf8(name), Loaded(TemplatesDir + u'/' + QString::fromUtf8(name)));
    images.emplace_back(QStringLiteral("frame.bmp"), Loaded(GenerateData + QStringLiteral("/frame.bmp")));

    // pixel() warns about each index beyond the table; the warning is
    // expected here and only clutters the output.
    const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    for (const auto &[name, image] : images) {
        SCOPED_TRACE(name.toStdString());
        const int rows = image.height() - UnsampledRows;
        const std::vector<uint8_t> dark = TemplateDarkness(image, rows);
        ASSERT_EQ(dark.size(), size_t(image.width()) * rows);
        int mismatches = 0;
        for (int y = 0; y < rows; ++y)
            for (int x = 0; x < image.width(); ++x)
                if (dark[size_t(y) * image.width() + x] != 255 - qBlue(image.pixel(x, y)))
                    ++mismatches;
        EXPECT_EQ(mismatches, 0);
    }
    qInstallMessageHandler(previous);
    EXPECT_EQ(Loaded(GenerateData + QStringLiteral("/frame.bmp")).format(), QImage::Format_Mono);
    EXPECT_EQ(Loaded(TemplatesDir + QStringLiteral("/ring.bmp")).format(), QImage::Format_Indexed8);
}

// Every sample template places a full Huge universe of 999 stars and a Large
// one of 640 with its own Sensitivity and free space setting, "Maximize
// search" checked, at minimum distance 3 and at its own.
TEST(SampleTemplates, PlaceFullUniverses)
{
    const QStringList names = ListTemplates(TemplatesDir);
    EXPECT_GE(names.size(), 6);
    const QByteArray huge = Huge999Image();
    const QByteArray large = ReadBytes(RealXYPath(QStringLiteral("large-640planets-2players.xy")));
    for (const QString &name : names) {
        SCOPED_TRACE(name.toStdString());
        const TTemplateControls controls =
            ControlValues(ReadTemplateSettings(SettingsFileName(TemplatesDir + u'/' + name)));
        EXPECT_FALSE(controls.Comments.isEmpty());
        const QImage image = Loaded(TemplatesDir + u'/' + name);
        EXPECT_EQ(image.size(), QSize(200, 220));
        for (int y = 200; y < 220; ++y)
            for (int x = 0; x < 200; ++x)
                ASSERT_EQ(image.pixel(x, y), qRgb(0, 0, 0)) << "unused rows stay black";
        const TPlacementSettings settings{controls.Chv, controls.FreeSp, controls.FreeSpaceRng.value_or(235),
                                          AttemptLimitMaximized};
        for (const auto &[universeImage, sizeIndex] : {std::pair{huge, 4}, std::pair{large, 3}})
            for (const int minD : {3, controls.MinD})
                for (const uint32_t seed : {0u, 1u, 2u}) {
                    TStarsXY universe = TStarsXY::FromImage(universeImage);
                    universe.MinDistance = minD;
                    universe.SetSizeIndex(sizeIndex);
                    ProgramRandom().Seed = seed;
                    EXPECT_EQ(MessageOf([&] {
                                  EXPECT_EQ(PlaceStars(universe, image, settings),
                                            TPlacementEnd::Completed);
                              }),
                              QStringLiteral("<no failure>"))
                        << universe.StarCount << " stars, size " << sizeIndex << ", distance " << minD
                        << ", seed " << seed;
                }
    }
}

} // namespace
