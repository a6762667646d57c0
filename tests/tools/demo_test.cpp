#include "starsxy.h"
#include "testsupport.h"

#include <QProcess>
#include <gtest/gtest.h>

#include <set>

namespace {

const QString DemoXY = QStringLiteral(ZV_DEMO_XY);

uint32_t Gap(uint32_t A, uint32_t B) { return A > B ? A - B : B - A; }

} // namespace

TEST(DemoUniverse, LiesBesideTheProgram)
{
    EXPECT_TRUE(DemoXY.endsWith("/bin/demo-medium-300planets-4players.xy")) << DemoXY.toStdString();
    TStarsXY universe(DemoXY);
    EXPECT_EQ(universe.StarCount, 300);
    EXPECT_EQ(universe.PlayerCount, 4);
    EXPECT_EQ(SizeNames[universe.GetSizeIndex()], "Medium");
    EXPECT_EQ(universe.PlanetsStart(), 20 + 64);
    const TBounds b = universe.GetBounds();
    EXPECT_TRUE(b.Left == 1000 && b.Top >= 1000 && b.Right <= 2199 && b.Bottom <= 2198)
        << b.Left << " " << b.Top << " " << b.Right << " " << b.Bottom;

    std::set<uint32_t> names;
    for (int i = 0; i < universe.StarCount; ++i) {
        const TStarRec s = universe.GetStar(i);
        EXPECT_LE(s.NameId, 998u);
        names.insert(s.NameId);
        if (i > 0) { // by X, then by the file's Y, which is the model's mirrored
            const TStarRec p = universe.GetStar(i - 1);
            EXPECT_TRUE(p.X < s.X || (p.X == s.X && p.Y > s.Y)) << i;
        }
        for (int k = 0; k < i; ++k) {
            const TStarRec o = universe.GetStar(k);
            ASSERT_FALSE(Gap(o.X, s.X) < 3 && Gap(o.Y, s.Y) < 3) << "stars " << k << " and " << i;
        }
    }
    EXPECT_EQ(names.size(), 300u);

    const QByteArray original = ReadBytes(DemoXY);
    for (const bool sort : {false, true}) {
        TScratch scratch;
        const QString copy = scratch.Path("demo.xy");
        WriteBytes(copy, original);
        TStarsXY(copy).SaveToFile(copy, sort);
        EXPECT_EQ(ReadBytes(copy), original) << "sorted: " << sort;
    }
}

TEST(DemoUniverse, ToolRuns)
{
    TScratch scratch;
    const QString missing = scratch.Path("missing/demo.xy");
    struct Case {
        QStringList Arguments;
        int ExitCode;
        QString Errors;
    };
    const Case cases[] = {
        {{scratch.Path("again.xy")}, 0, ""}, // the same file every time
        {{}, 2, "usage: "},
        {{scratch.Path("a.xy"), scratch.Path("b.xy")}, 2, "usage: "},
        {{missing}, 1, missing + ": cannot create " + missing + ": "},
    };
    for (const Case &c : cases) {
        QProcess tool;
        tool.start(QStringLiteral(ZV_MAKE_DEMO), c.Arguments);
        ASSERT_TRUE(tool.waitForFinished(60000)) << tool.errorString().toStdString();
        const QString errors = QString::fromLocal8Bit(tool.readAllStandardError());
        EXPECT_EQ(tool.exitCode(), c.ExitCode) << errors.toStdString();
        EXPECT_TRUE(c.Errors.isEmpty() ? errors.isEmpty() : errors.contains(c.Errors)) << errors.toStdString();
        if (c.ExitCode == 0) {
            EXPECT_EQ(ReadBytes(c.Arguments[0]), ReadBytes(DemoXY));
        }
    }
}
