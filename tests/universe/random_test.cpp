#include "random.h"
#include "messages.h"

#include <gtest/gtest.h>

// Values computed independently (Python, arbitrary precision) from seed 0:
// seed' = seed * 134775813 + 1 mod 2^32.
TEST(Random, FirstDrawsFromSeedZero)
{
    struct Row {
        uint32_t seed;
        uint32_t below7;
        uint32_t below1000;
    };
    const Row rows[] = {
        {1u, 0, 0},
        {134775814u, 0, 31},
        {3698175007u, 6, 861},
        {870078620u, 1, 202},
        {1172187917u, 1, 272},
        {2884733762u, 4, 671},
    };
    TRandom seven, thousand, real;
    for (const Row &row : rows) {
        EXPECT_EQ(seven.RandomInt(7), row.below7);
        EXPECT_EQ(thousand.RandomInt(1000), row.below1000);
        EXPECT_DOUBLE_EQ(real.RandomReal(), row.seed / 4294967296.0);
        EXPECT_EQ(seven.Seed, row.seed);
    }
}

TEST(Random, ExtremeSeedsStayInRange)
{
    TRandom r;
    r.Seed = 0xFFFFFFFFu; // next seed: 0xFFFFFFFF * 134775813 + 1 = -134775812 mod 2^32
    EXPECT_EQ(r.NextSeed(), 0u - 134775812u);
    r.Seed = (0xFFFFFFFFu - 1u) * 0xF4A62A5Du; // any seed: draws stay below n
    for (int i = 0; i < 1000; ++i) {
        EXPECT_LT(r.RandomInt(3), 3u);
        const double u = r.RandomReal();
        EXPECT_GE(u, 0.0);
        EXPECT_LT(u, 1.0);
    }
}

TEST(Strings, ErrorBoxFullStopRule)
{
    const std::pair<const char *, const char *> cases[] = {
        {"Nothing to delete", "Nothing to delete."},
        {"List index out of bounds (999)", "List index out of bounds (999)"},
        {"Universe to small. Set \"Maximize search\" and try again.",
         "Universe to small. Set \"Maximize search\" and try again."},
        {"Unknown star name in line #2", "Unknown star name in line #2."},
        {"Done!", "Done!"},
        {"", ""},
    };
    for (const auto &[in, out] : cases)
        EXPECT_EQ(ErrorBoxText(QString::fromUtf8(in)), QString::fromUtf8(out)) << in;
}

TEST(Strings, FormatFillsPlaceholdersInOrder)
{
    EXPECT_EQ(FormatStr(TMsg::PointerReport, {1512, 1330, QStringLiteral("Bonn"), 1508, 1327}),
              QStringLiteral("Abs: [1512:1330]     Star: Bonn [1508:1327]"));
    EXPECT_EQ(FormatStr(TMsg::SizeLabel, {1198, 1198, QStringLiteral("Medium")}),
              QStringLiteral("1198x1198 l.y [Medium]"));
    EXPECT_EQ(FormatText(QStringLiteral("100%% %d %s"), {7}), QStringLiteral("100% 7 %s"));
    EXPECT_EQ(EZorvane(TMsg::ListIndexOutOfBounds, {-1}).Message(),
              QStringLiteral("List index out of bounds (-1)"));
}
