#include "random.h"
#include "starsxy.h"
#include "messages.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// An image holding stars at absolute X (file order) and file-orientation Y.
QByteArray ImageOf(const std::vector<TStarRec> &stars, uint16_t players = 2)
{
    std::vector<uint32_t> words;
    uint32_t previous = 1000;
    for (const TStarRec &s : stars) {
        words.push_back(Word(s.X - previous, s.Y, s.NameId));
        previous = s.X;
    }
    return MakeImage(words, players);
}


const QString Corrupt = QStringLiteral("The game file appears to be corrupt");
const QString NoStar = QStringLiteral("Specified star does not exist");
const QString Beyond =
    QStringLiteral("Specified coordinates of star are beyond the scope of seen part universe");
const QString Exists = QStringLiteral("Such star already exists");
const QString CannotPack = QStringLiteral("Can not pack information on planets");

// Byte offsets at which two images differ.
std::vector<int> Differences(const QByteArray &a, const QByteArray &b)
{
    std::vector<int> at;
    for (int i = 0; i < std::min(a.size(), b.size()); ++i)
        if (a[i] != b[i])
            at.push_back(i);
    return at;
}

} // namespace

TEST(StarsXY, RealFilesLoadAndSaveBackUnchanged)
{
    for (const TRealXY &real : RealXYFiles()) {
        SCOPED_TRACE(real.FileName);
        TScratch scratch;
        const QString path = scratch.CopyReal(real.FileName);
        const QByteArray original = ReadBytes(path);
        TStarsXY universe(path);
        EXPECT_EQ(universe.StarCount, real.Planets);
        EXPECT_EQ(universe.PlayerCount, real.Players);
        EXPECT_EQ(universe.GetSizeIndex(), real.SizeIndex);
        EXPECT_EQ(universe.MinDistance, 5);
        for (int i = 0; i < universe.StarCount; ++i) {
            const TStarRec star = universe.GetStar(i);
            EXPECT_LT(star.NameId, 999u);
            if (i > 0) {
                EXPECT_GE(star.X, universe.GetStar(i - 1).X);
            }
        }
        universe.SaveToFile(path, false);
        EXPECT_EQ(ReadBytes(path), original);
    }
}

TEST(StarsXY, OneSetStarChangesOnlyThatPlanetWord)
{
    TScratch scratch;
    const QString path = scratch.CopyReal(QStringLiteral("large-640planets-2players.xy"));
    const QByteArray original = ReadBytes(path);
    {
        TStarsXY universe(path);
        const int k = 300;
        const TStarRec left = universe.GetStar(k - 1), right = universe.GetStar(k + 1);
        universe.SetStar(k, (left.X + right.X) / 2, 1100, -1, false);
        universe.SaveToFile(path, false);
    }
    const QByteArray saved = ReadBytes(path);
    ASSERT_EQ(saved.size(), original.size());
    TStarsXY reread(path);
    const int start = reread.PlanetsStart() + 4 * 300;
    for (int at : Differences(original, saved)) {
        // Only the moved planet's word, and the next word, whose delta
        // follows from the moved X, may change.
        EXPECT_GE(at, start);
        EXPECT_LT(at, start + 8);
    }
    EXPECT_EQ(reread.GetStar(300).Y, 1100u);
}

TEST(StarsXY, LoadingMirrorsY)
{
    const auto universe = TStarsXY::FromImage(ImageOf({{1010, 1100, 1}, {1020, 1200, 2}, {1030, 1500, 3}}));
    EXPECT_EQ(universe.GetBounds(), (TBounds{1000, 1100, 1031, 1500}));
    EXPECT_EQ(universe.GetStar(0).Y, 1500u);
    EXPECT_EQ(universe.GetStar(1).Y, 1400u);
    EXPECT_EQ(universe.GetStar(2).Y, 1100u);
    EXPECT_EQ(universe.GetStar(2).NameId, 3u);
}

TEST(StarsXY, SizeClassFromWidth)
{
    // Width is the largest X + 1 - 1000; the height plays no part.
    const std::pair<uint32_t, int> rows[] = {
        {398, 0}, {400, 0}, {401, 1}, {800, 1}, {801, 2}, {1200, 2}, {1201, 3}, {1600, 3}, {1601, 4}, {1998, 4},
    };
    for (const auto &[width, size] : rows) {
        std::vector<TStarRec> stars;
        for (uint32_t x = 1000; x + 1000 < 1000 + width - 1; x += 1000)
            stars.push_back({x + 1000, 1000, 0});
        stars.push_back({1000 + width - 1, 3000, 0});
        const auto universe = TStarsXY::FromImage(ImageOf(stars));
        EXPECT_EQ(universe.GetBounds().Right - universe.GetBounds().Left, int(width));
        EXPECT_EQ(universe.GetSizeIndex(), size) << width;
    }
    auto universe = TStarsXY::FromImage(ImageOf({{1400, 1000, 0}}));
    EXPECT_EQ(universe.GetBounds().Right, 1401);
    EXPECT_EQ(SizeNames[universe.GetSizeIndex()], QStringLiteral("Small"));
    for (uint8_t k = 0; k < 5; ++k) {
        universe.SetSizeIndex(k);
        EXPECT_EQ(universe.GetBounds(), (TBounds{1000, 1000, 1000 + 400 * (k + 1) - 2, 1000 + 400 * (k + 1) - 2}));
        EXPECT_EQ(universe.GetSizeIndex(), k);
    }
}

TEST(StarsXY, SetStarBoundsAreInclusive)
{
    auto universe = TStarsXY::FromImage(ImageOf({{1100, 1100, 0}, {1200, 1300, 0}}));
    const TBounds b = universe.GetBounds(); // 1000..1201 x 1100..1300
    struct Row {
        int32_t x, y;
        bool ok;
    };
    const Row rows[] = {
        {b.Left, b.Top, true},       {b.Right, b.Bottom, true},    {b.Left - 1, b.Top, false},
        {b.Right + 1, b.Top, false}, {b.Left, b.Top - 1, false},   {b.Left, b.Bottom + 1, false},
        {-5, 1200, false},           {INT32_MAX, 1200, false},     {1100, INT32_MIN, false},
    };
    for (const Row &r : rows)
        EXPECT_EQ(MessageOf([&] { universe.SetStar(0, r.x, r.y, -1, false); }),
                  r.ok ? QStringLiteral("<no failure>") : Beyond)
            << r.x << "," << r.y;
    // Without jitter there is no distance test: a star may sit on another.
    const TStarRec other = universe.GetStar(1);
    universe.SetStar(0, other.X, other.Y, -1, false);
    EXPECT_EQ(universe.GetStar(0).X, other.X);
}

TEST(StarsXY, MinDistanceSquareIsMeasuredAfterTheJitter)
{
    struct Row {
        int dx, dy;
        int d;
        bool clash;
    };
    const Row rows[] = {
        {5, 0, 5, false}, {-5, 4, 5, false}, {4, 4, 5, true},  {4, 5, 5, false}, {-4, -4, 5, true},
        {0, 0, 5, true},  {0, 0, 0, false},  {2, 2, 3, true},  {3, 0, 3, false}, {39, 39, 40, true},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(testing::Message() << r.dx << "," << r.dy << " d=" << r.d);
        auto universe = TStarsXY::FromImage(ImageOf({{1500, 1500, 0}, {1600, 1700, 0}, {1800, 1900, 0}}));
        universe.MinDistance = r.d;
        const TStarRec target = universe.GetStar(1);
        ProgramRandom().Seed = 12345;
        TRandom preview = ProgramRandom();
        const int jx = int(preview.RandomInt(7)) - 3, jy = int(preview.RandomInt(7)) - 3;
        // Aim so that the jittered position lands at target - (dx, dy).
        const int x = int(target.X) - r.dx - jx, y = int(target.Y) - r.dy - jy;
        const QString got = MessageOf([&] { universe.SetStar(0, x, y, -1, true); });
        EXPECT_EQ(got, r.clash ? Exists : QStringLiteral("<no failure>"));
        EXPECT_EQ(ProgramRandom().Seed, preview.Seed);
        if (!r.clash)
            EXPECT_EQ(universe.GetStar(0), (TStarRec{target.X - r.dx, target.Y - r.dy, 0}));
        else
            EXPECT_EQ(universe.GetStar(0).X, 1500u); // a failure leaves the star alone
    }
}

TEST(StarsXY, JitterIsDrawnBeforeTheIndexCheck)
{
    auto universe = TStarsXY::FromImage(ImageOf({{1500, 1500, 0}}));
    for (int32_t index : {-1, 1, 65535}) {
        ProgramRandom().Seed = 0;
        EXPECT_EQ(MessageOf([&] { universe.SetStar(index, 1500, 1500, -1, true); }), NoStar);
        EXPECT_EQ(ProgramRandom().Seed, 134775814u) << "two draws from seed 0";
        ProgramRandom().Seed = 0;
        EXPECT_EQ(MessageOf([&] { universe.SetStar(index, 1500, 1500, -1, false); }), NoStar);
        EXPECT_EQ(ProgramRandom().Seed, 0u);
        EXPECT_EQ(MessageOf([&] { universe.GetStar(index); }), NoStar);
    }
}

TEST(StarsXY, NameIdIsKeptOrReplaced)
{
    auto universe = TStarsXY::FromImage(ImageOf({{1500, 1500, 42}}));
    universe.SetStar(0, 1500, 1500, -1, false);
    EXPECT_EQ(universe.GetStar(0).NameId, 42u);
    universe.SetStar(0, 1500, 1500, 7, false);
    EXPECT_EQ(universe.GetStar(0).NameId, 7u);
}

TEST(StarsXY, DeltaEncodingLimits)
{
    struct Row {
        std::vector<uint32_t> xs;
        bool packs;
    };
    const Row rows[] = {
        {{1100, 1100}, true},        // delta 0
        {{1100, 2123}, true},        // delta 1023
        {{1100, 2124}, false},       // delta 1024
        {{2023}, true},              // first star: delta 1023 from 1000
        {{2024}, false},
        {{1200, 1199}, false},       // X below its predecessor wraps
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(testing::Message() << r.xs.front() << ".." << r.xs.back());
        TScratch scratch;
        const QString path = scratch.Path(QStringLiteral("u.xy"));
        std::vector<TStarRec> stars;
        for (size_t i = 0; i < r.xs.size(); ++i)
            stars.push_back({1000 + 10 * uint32_t(i), 1000, uint32_t(i)});
        WriteBytes(path, ImageOf(stars));
        const QByteArray before = ReadBytes(path);
        TStarsXY universe(path);
        universe.SetSizeIndex(4);
        for (size_t i = 0; i < r.xs.size(); ++i)
            universe.SetStar(int(i), int(r.xs[i]), 1000, -1, false);
        const QString got = MessageOf([&] { universe.SaveToFile(path, false); });
        if (r.packs) {
            EXPECT_EQ(got, QStringLiteral("<no failure>"));
            TStarsXY reread(path);
            for (size_t i = 0; i < r.xs.size(); ++i)
                EXPECT_EQ(reread.GetStar(int(i)).X, r.xs[i]);
        } else {
            EXPECT_EQ(got, CannotPack);
            EXPECT_EQ(ReadBytes(path), before);
        }
    }
}

TEST(StarsXY, SortedSaveOrdersByXThenFileY)
{
    auto universe = TStarsXY::FromImage(ImageOf({{1100, 1000, 1}, {1200, 1200, 2}, {1300, 1100, 3}}));
    universe.SetSizeIndex(0); // Y bounds 1000..1398: mirrored Y becomes 2398 - y
    universe.SetStar(0, 1300, 2398 - 1050, -1, false);
    universe.SetStar(2, 1300, 2398 - 1040, -1, false);
    universe.SetStar(1, 1050, 2398 - 1300, -1, false);
    const QByteArray image = universe.PackImage(true);
    auto reread = TStarsXY::FromImage(image);
    // File order now: star 2 (1050), then the two at 1300 by file Y: 1040, 1050.
    std::vector<uint32_t> names;
    for (int i = 0; i < 3; ++i)
        names.push_back(reread.GetStar(i).NameId);
    EXPECT_EQ(names, (std::vector<uint32_t>{2, 3, 1}));
}

TEST(StarsXY, SortedSaveOfDuplicatePositionsFollowsTheExchangeSort)
{
    // Stars sharing both X and Y: the exchange sort moves a displaced record
    // to where the smaller one was, so equal records do not keep file order.
    // File order: A(1300), B(1100), C(1100), D(1100), all at one Y.
    auto universe = TStarsXY::FromImage(
        ImageOf({{1100, 1000, 10}, {1100, 1000, 11}, {1100, 1000, 12}, {1200, 1000, 13}}));
    universe.SetSizeIndex(1);
    universe.SetStar(0, 1300, 1000, -1, false);
    universe.SetStar(3, 1100, 1000, -1, false);
    auto reread = TStarsXY::FromImage(universe.PackImage(true));
    // i=0: j=1 (11 < 10's X 1300) swaps: [11,10,12,13]; j=2,3 equal, no swap.
    // i=1: 10 (1300) vs 12 (1100) swaps: [11,12,10,13]; 12 vs 13 equal.
    // i=2: 10 (1300) vs 13 (1100) swaps: [11,12,13,10].
    std::vector<uint32_t> names;
    for (int i = 0; i < 4; ++i)
        names.push_back(reread.GetStar(i).NameId);
    EXPECT_EQ(names, (std::vector<uint32_t>{11, 12, 13, 10}));
}

TEST(StarsXY, UnusualButValidLayouts)
{
    // A universe without planets: written back byte for byte.
    {
        const QByteArray image = MakeImage({}, 3, 0);
        ASSERT_EQ(image.size(), 24);
        auto universe = TStarsXY::FromImage(image);
        EXPECT_EQ(universe.StarCount, 0);
        EXPECT_EQ(universe.PlayerCount, 3);
        EXPECT_EQ(universe.GetBounds(), (TBounds{1000, 10000, 1001, 0}));
        EXPECT_EQ(universe.PackImage(true), image);
    }
    // A first block of size 17 and a planets block of any type.
    {
        QByteArray image = MakeImage({Word(5, 1200, 7)});
        image[0] = 0x11;
        image[19] = char(0xFC);
        auto universe = TStarsXY::FromImage(image);
        EXPECT_EQ(universe.StarCount, 1);
        EXPECT_EQ(universe.GetStar(0).X, 1005u);
        EXPECT_EQ(universe.PackImage(false), image);
    }
    // Two stray bytes before the last block: N rounds down, bytes carried.
    {
        QByteArray image = MakeImage({Word(5, 1200, 7)});
        image.insert(image.size() - 4, QByteArray("\x12\x34", 2));
        auto universe = TStarsXY::FromImage(image);
        EXPECT_EQ(universe.StarCount, 1);
        EXPECT_EQ(universe.PackImage(false), image);
    }
    // A last block of size 0: the player count is its own header word.
    {
        QByteArray image = MakeImage({Word(5, 1200, 7), Word(5, 1200, 8)});
        image[image.size() - 4] = 0;
        auto universe = TStarsXY::FromImage(image);
        EXPECT_EQ(universe.PlayerCount, 0);
        // N = trunc((L - 6 - PlanetsStart) / 4) = trunc(6 / 4)
        EXPECT_EQ(universe.StarCount, 1);
    }
}

TEST(StarsXY, CorruptFilesAreRefused)
{
    const QByteArray good = MakeImage({Word(5, 1200, 7), Word(3, 1300, 8)});
    auto with = [&](int at, char value) {
        QByteArray image = good;
        image[at] = value;
        return image;
    };
    const std::pair<const char *, QByteArray> rows[] = {
        {"empty", QByteArray()},
        {"23 bytes", good.left(23)},
        {"first block type 7", with(1, 0x1C)},
        {"first block size 15", with(0, 0x0F)},
        {"magic in lower case", with(2, 'j')},
        {"file type 1", with(16, 0x01)},
        {"last block type 1", with(good.size() - 3, 0x04)},
        {"last block size 3 points past the end", with(good.size() - 4, 0x03)},
        {"last block size 1023", with(good.size() - 4, char(0xFF))},
        {"planets block reaches the last block", with(18, 0x40)},
        {"planets block of size 1023", [&] { QByteArray i = good; i[18] = char(0xFF); i[19] = 0x1F; return i; }()},
        {"only headers", MakeImage({}).left(22)},
        {"huge", good + QByteArray(300000, '\0')},
    };
    for (const auto &[what, image] : rows)
        EXPECT_EQ(MessageOf([&] { TStarsXY::FromImage(image); }), Corrupt) << what;
}

TEST(StarsXY, FileSystemErrorsNameTheProblem)
{
    TScratch scratch;
    const QString missing = scratch.Path(QStringLiteral("missing.xy"));
    QString got = MessageOf([&] { TStarsXY universe(missing); });
    EXPECT_TRUE(got.contains(missing)) << got.toStdString();
    EXPECT_TRUE(got.contains(QStringLiteral("No such file"), Qt::CaseInsensitive)) << got.toStdString();
    EXPECT_FALSE(QFile::exists(missing)) << "loading must never create the file";

    got = MessageOf([&] { TStarsXY universe(scratch.Dir()); });
    EXPECT_TRUE(got.contains(QStringLiteral("Is a directory"))) << got.toStdString();

    const QString fifo = scratch.Path(QStringLiteral("fifo.xy"));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    got = MessageOf([&] { TStarsXY universe(fifo); }); // must not block
    EXPECT_TRUE(got.contains(QStringLiteral("Not a regular file"))) << got.toStdString();

    const QString path = scratch.CopyReal(QStringLiteral("tiny-32planets-2players.xy"));
    TStarsXY universe(path);
    const QString nowhere = scratch.Path(QStringLiteral("no/such/dir/u.xy"));
    got = MessageOf([&] { universe.SaveToFile(nowhere, false); });
    EXPECT_TRUE(got.startsWith(QStringLiteral("Cannot write file \"") + nowhere)) << got.toStdString();

    if (geteuid() != 0) { // root reads everything
        QFile::setPermissions(path, QFileDevice::ReadOwner);
        got = MessageOf([&] { TStarsXY readOnly(path); });
        EXPECT_TRUE(got.contains(QStringLiteral("Permission denied"), Qt::CaseInsensitive)) << got.toStdString();
    }
}

TEST(StarsXY, SavingReplacesTheFileWholeAndKeepsItsPermissions)
{
    TScratch scratch;
    const QString path = scratch.CopyReal(QStringLiteral("small-128planets-3players.xy"));
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);
    TStarsXY universe(path);
    universe.SetStar(5, universe.GetStar(5).X, 1234, -1, false);
    universe.SaveToFile(path, false);
    struct stat info {};
    ASSERT_EQ(stat(QFile::encodeName(path).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(QDir(scratch.Dir()).entryList(QDir::Files), QStringList{QStringLiteral("small-128planets-3players.xy")})
        << "no temporary file is left behind";
    EXPECT_EQ(TStarsXY(path).GetStar(5).Y, 1234u);
}

TEST(StarsXY, DistanceTestAgreesWithAScanOfEveryStar)
{
    // Reference: the plain scan over all other stars, with the jitter
    // predicted from a copy of the generator.
    TRandom chooser;
    chooser.Seed = 99;
    std::vector<TStarRec> stars;
    uint32_t x = 1000;
    for (int i = 0; i < 400; ++i) {
        x += chooser.RandomInt(6);
        stars.push_back({x, 1000 + chooser.RandomInt(1200), 0});
    }
    auto universe = TStarsXY::FromImage(ImageOf(stars));
    ProgramRandom().Seed = 7;
    int clashes = 0, placed = 0;
    for (int step = 0; step < 20000; ++step) {
        if (step % 2000 == 0)
            universe.MinDistance = uint16_t(chooser.RandomInt(41));
        if (step % 5000 == 0)
            universe.SetSizeIndex(uint8_t(chooser.RandomInt(5)));
        const TBounds b = universe.GetBounds();
        const int index = int(chooser.RandomInt(universe.StarCount));
        const int px = b.Left + int(chooser.RandomInt(uint32_t(b.Right - b.Left + 1)));
        const int py = b.Top + int(chooser.RandomInt(uint32_t(b.Bottom - b.Top + 1)));
        TRandom preview = ProgramRandom();
        const int64_t jx = px + int64_t(preview.RandomInt(7)) - 3, jy = py + int64_t(preview.RandomInt(7)) - 3;
        QString expected = QStringLiteral("<no failure>");
        if (jx < b.Left || jx > b.Right || jy < b.Top || jy > b.Bottom) {
            expected = Beyond;
        } else {
            const int64_t d = universe.MinDistance;
            for (int k = 0; k < universe.StarCount; ++k) {
                const TStarRec o = universe.GetStar(k);
                if (k != index && jx - d < o.X && o.X < jx + d && jy - d < o.Y && o.Y < jy + d) {
                    expected = Exists;
                    break;
                }
            }
        }
        ASSERT_EQ(MessageOf([&] { universe.SetStar(index, px, py, -1, true); }), expected) << "step " << step;
        clashes += expected == Exists;
        placed += expected == QStringLiteral("<no failure>");
    }
    EXPECT_GT(clashes, 1000);
    EXPECT_GT(placed, 1000);
}
