#include "fairness.h"

#include <gtest/gtest.h>

namespace {

// Name ids 10..15 of the table: "Abacus", "Abbott", "Abdera", "Abel",
// "Abrams", "Accord". Distances worked by hand:
//   Abacus-Abbott 50 (30, 40), Abacus-Abdera 100, Abacus-Abel 100,
//   Abacus-Accord 100 (60, 80), Abbott-Abel 67.08 (30, 60),
//   Abbott-Abdera 80.62 (70, 40), Abbott-Accord 50 (30, 40),
//   Abel-Accord 63.25 (60, 20), Abel-Abdera 141.42, Abrams-Abel 424.26
//   (300, 300), Abrams-Abbott 450 (270, 360).
const std::vector<TStarRec> Stars = {
    {1000, 1000, 10}, // Abacus
    {1030, 1040, 11}, // Abbott
    {1100, 1000, 12}, // Abdera
    {1000, 1100, 13}, // Abel
    {1300, 1400, 14}, // Abrams
    {1060, 1080, 15}, // Accord
};

QStringList Names(std::initializer_list<const char *> List) { return QStringList(List.begin(), List.end()); }

} // namespace

TEST(Fairness, NearestPlanetOfAnotherGroupAndTheRoomAround)
{
    // Names as typed: other letter case and blanks around, an empty name
    // (left out) and one that no planet bears.
    const std::vector<QStringList> groups = {Names({"abacus", " Abrams "}), Names({"Abbott", ""}),
                                             Names({"ABEL", "Nowhere"})};
    struct Row {
        size_t Group, Planet;
        const char *Name;
        int32_t Star, Nearest;
        const char *NearestName;
        double Distance;
        int32_t Within100, Within99;
    };
    const Row rows[] = {
        // Abdera and Accord lie exactly 100 away; Abbott and Abel belong to
        // other groups; Abrams to its own, 500 away.
        {0, 0, "abacus", 0, 1, "Abbott", 50, 2, 0},
        {0, 1, "Abrams", 4, 3, "Abel", 424.264, 0, 0},
        {1, 0, "Abbott", 1, 0, "Abacus", 50, 2, 2},
        {2, 0, "ABEL", 3, 1, "Abbott", 67.082, 1, 1},
        {2, 1, "Nowhere", -1, -1, "", 0, 0, 0},
    };
    const auto within100 = GroupFairness(Stars, groups, 100);
    const auto within99 = GroupFairness(Stars, groups, 99.9);
    ASSERT_EQ(within100.size(), 3u);
    EXPECT_EQ(within100[0].Planets.size(), 2u);
    EXPECT_EQ(within100[1].Planets.size(), 1u);
    for (const Row &row : rows) {
        SCOPED_TRACE(row.Name);
        const TGroupPlanet &p = within100[row.Group].Planets[row.Planet];
        EXPECT_EQ(p.Name, QString::fromLatin1(row.Name));
        EXPECT_EQ(p.Star, row.Star);
        if (row.Star >= 0) {
            EXPECT_EQ(p.Position, QPoint(int(Stars[row.Star].X), int(Stars[row.Star].Y)));
        }
        EXPECT_EQ(p.Nearest, row.Nearest);
        EXPECT_EQ(p.NearestName, QString::fromLatin1(row.NearestName));
        EXPECT_NEAR(p.NearestDistance, row.Distance, 0.001);
        EXPECT_EQ(p.WithinRadius, row.Within100);
        EXPECT_EQ(within99[row.Group].Planets[row.Planet].WithinRadius, row.Within99);
    }
    // The group's smallest distance: Abacus's 50, not Abrams's 424; Abel's
    // group has one planet with a distance, its first.
    EXPECT_EQ(within100[0].Closest, 0);
    EXPECT_DOUBLE_EQ(within100[0].SmallestDistance(), 50);
    EXPECT_EQ(within100[2].Closest, 0);
    EXPECT_NEAR(within100[2].SmallestDistance(), 67.082, 0.001);

    // Room and territory count only Abdera and Accord, named nowhere:
    // Abacus has both exactly at the radius, Abbott both within, Abel only
    // Accord (Abdera 141 away); both lie nearest to Abbott (6500 and 2500
    // squared, against 10000 and 4000 at best for the others).
    const std::tuple<double, std::vector<int>, std::vector<int>> figures[] = {
        {100, {2, 2, 1}, {0, 2, 0}}, {99.9, {0, 2, 1}, {0, 2, 0}}};
    for (const auto &[radius, room, territory] : figures) {
        const auto fairness = GroupFairness(Stars, groups, radius);
        for (size_t g = 0; g < 3; ++g) {
            EXPECT_EQ(fairness[g].Room, room[g]) << radius << " group " << g;
            EXPECT_EQ(fairness[g].Territory, territory[g]) << radius << " group " << g;
        }
    }
    // At a glance: the first two groups tie for the smallest distance.
    const struct {
        TFigure Figure;
        std::vector<int> Worst, Best;
        double Spread;
    } glance[] = {{TFigure::Distance, {0, 1}, {2}, 17.082},
                  {TFigure::Room, {2}, {0, 1}, 1},
                  {TFigure::Territory, {0, 2}, {1}, 2}};
    for (const auto &row : glance) {
        const TFigureSummary summary = Summarize(within100, row.Figure);
        EXPECT_EQ(summary.Worst, row.Worst);
        EXPECT_EQ(summary.Best, row.Best);
        EXPECT_NEAR(summary.Spread, row.Spread, 0.001);
    }
}

TEST(Fairness, WithoutAnotherGroupThereIsNoNearestPlanet)
{
    const struct {
        std::vector<QStringList> Groups;
        int32_t Nearest;     // of the first planet of the first group
        int32_t Within;      // its count within 100
        int32_t Closest;
    } rows[] = {
        // One group: no neighbour; Abbott, Abdera, Abel and Accord lie
        // within 100, and so does Abbott though named in the same group.
        {{Names({"Abacus", "Abbott"})}, -1, 4, -1},
        // Abacus named in both groups is no neighbour of itself: the other
        // group's Abel is, at 100, and no longer counts as room.
        {{Names({"Abacus"}), Names({"Abel", "Abacus"})}, 3, 3, 0},
        // A second group whose names no planet bears changes nothing.
        {{Names({"Abacus"}), Names({"Nowhere"})}, -1, 4, -1},
    };
    for (const auto &row : rows) {
        const auto fairness = GroupFairness(Stars, row.Groups, 100);
        const TGroupPlanet &p = fairness[0].Planets[0];
        EXPECT_EQ(p.Nearest, row.Nearest);
        EXPECT_EQ(p.WithinRadius, row.Within);
        EXPECT_EQ(fairness[0].Closest, row.Closest);
        EXPECT_EQ(fairness[0].SmallestDistance(), row.Closest < 0 ? 0 : 100);
    }
}
