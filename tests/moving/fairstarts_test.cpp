// The fair-starts proposal against a model of its own: an exhaustive search
// written here, with its own figures, on small universes; and on the real
// files, a proposal that never brings players closer than today.
#include "fairstarts.h"

#include "planetnames.h"
#include "relocation.h"
#include "testsupport.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <limits>
#include <tuple>

namespace {

using TCriteria = std::tuple<int64_t, int64_t, int64_t>; // closest, room spread, territory spread

// The criteria worked out plainly: Named[g] lists the stars of group g.
TCriteria Criteria(const std::vector<TStarRec> &Stars, const std::vector<std::vector<int>> &Named, int64_t Radius,
                   int64_t Target)
{
    auto sq = [](const TStarRec &A, const TStarRec &B) {
        const int64_t dx = int64_t(A.X) - B.X, dy = int64_t(A.Y) - B.Y;
        return dx * dx + dy * dy;
    };
    int64_t closest = std::numeric_limits<int64_t>::max();
    for (size_t g = 0; g < Named.size(); ++g)
        for (size_t h = g + 1; h < Named.size(); ++h)
            for (int a : Named[g])
                for (int b : Named[h])
                    closest = std::min(closest, Target ? std::min(sq(Stars[a], Stars[b]), Target * Target)
                                                       : sq(Stars[a], Stars[b]));
    std::vector<int64_t> room(Named.size()), land(Named.size());
    std::vector<bool> isNamed(Stars.size());
    for (const auto &group : Named)
        for (int a : group)
            isNamed[size_t(a)] = true;
    for (size_t k = 0; k < Stars.size(); ++k) {
        if (isNamed[k])
            continue;
        std::vector<int64_t> d;
        for (const auto &group : Named) {
            int64_t best = std::numeric_limits<int64_t>::max();
            for (int a : group)
                best = std::min(best, sq(Stars[k], Stars[a]));
            d.push_back(best);
        }
        for (size_t g = 0; g < d.size(); ++g)
            room[g] += d[g] <= Radius * Radius;
        const int64_t low = *std::min_element(d.begin(), d.end());
        if (std::count(d.begin(), d.end(), low) == 1)
            ++land[size_t(std::min_element(d.begin(), d.end()) - d.begin())];
    }
    auto spread = [](const std::vector<int64_t> &V) { return *std::max_element(V.begin(), V.end()) - *std::min_element(V.begin(), V.end()); };
    return {closest, spread(room), spread(land)};
}

// Better by the three criteria in order.
bool Better(const TCriteria &A, const TCriteria &B)
{
    if (std::get<0>(A) != std::get<0>(B))
        return std::get<0>(A) > std::get<0>(B);
    return std::tie(std::get<1>(A), std::get<2>(A)) < std::tie(std::get<1>(B), std::get<2>(B));
}

// Every allowed placement of the named stars: x between the nearest
// unnamed neighbours in the file (no star is first or last here), the file
// order kept, y within the extent, no two planets on one position.
TCriteria BestByHand(std::vector<TStarRec> Stars, const std::vector<std::vector<int>> &Named, int64_t Radius,
                     int64_t Target, int32_t MinY, int32_t MaxY)
{
    std::vector<int> all;
    for (const auto &group : Named)
        all.insert(all.end(), group.begin(), group.end());
    std::sort(all.begin(), all.end());
    std::vector<bool> isNamed(Stars.size());
    for (int a : all)
        isNamed[size_t(a)] = true;
    auto named = [&](int K) { return K >= 0 && K < int(Stars.size()) && isNamed[size_t(K)]; };
    TCriteria best = Criteria(Stars, Named, Radius, Target);
    std::function<void(size_t)> place = [&](size_t i) {
        if (i == all.size()) {
            const TCriteria c = Criteria(Stars, Named, Radius, Target);
            if (Better(c, best))
                best = c;
            return;
        }
        const int k = all[i];
        int before = k - 1, after = k + 1;
        while (named(before))
            --before;
        while (named(after))
            ++after;
        const int32_t low = i > 0 && all[i - 1] == k - 1 ? int32_t(Stars[k - 1].X) : int32_t(Stars[before].X);
        for (int32_t x = low; x <= int32_t(Stars[after].X); ++x)
            for (int32_t y = MinY; y <= MaxY; ++y) {
                bool taken = false;
                for (size_t s = 0; s < Stars.size() && !taken; ++s)
                    taken = (!named(int(s)) || std::find(all.begin(), all.begin() + i, int(s)) != all.begin() + i) &&
                            Stars[s].X == uint32_t(x) && Stars[s].Y == uint32_t(y);
                if (taken)
                    continue;
                Stars[k].X = uint32_t(x);
                Stars[k].Y = uint32_t(y);
                place(i + 1);
            }
    };
    place(0);
    return best;
}

std::vector<TStarRec> StarsOf(const TStarsXY &Universe)
{
    std::vector<TStarRec> stars;
    for (int i = 0; i < Universe.StarCount; ++i)
        stars.push_back(Universe.GetStar(i));
    return stars;
}

// The proposal run to its end.
TFairStarts Proposed(const TStarsXY &Universe, const std::vector<QStringList> &Groups, int Radius, int Target)
{
    TFairStarts proposal(Universe, Groups, Radius, Target);
    while (!proposal.Step(50)) {
    }
    return proposal;
}

} // namespace

// Small universes with a y extent of four light years: the proposal finds
// the best criteria an exhaustive search finds, with neighbours in the file
// whose bands hang together, and with a target that lets room and
// territory decide.
TEST(FairStarts, EqualsAnExhaustiveSearchOnSmallCases)
{
    // 30 planets, x 1000 + 6 i, y 1000 + (i * 3) % 5, name ids 100 + i.
    std::vector<uint32_t> words;
    for (uint32_t i = 0; i < 30; ++i)
        words.push_back(Word(i == 0 ? 0 : 6, 1000 + (i * 3) % 5, 100 + i));
    const TStarsXY universe = TStarsXY::FromImage(MakeImage(words, 4));
    const std::vector<TStarRec> stars = StarsOf(universe);
    const struct {
        std::vector<std::vector<int>> Named;
        int Radius, Target;
    } rows[] = {
        {{{5}, {20}}, 25, 0},
        {{{10}, {11}}, 20, 0},       // neighbours in the file
        {{{6, 7}, {20}}, 30, 0},     // a chain within one group
        {{{8}, {15}, {24}}, 30, 40}, // a target that lets the others decide
        {{{12}, {13}}, 20, 5},       // neighbours, every distance capped
    };
    for (const auto &row : rows) {
        std::vector<QStringList> groups;
        for (const auto &group : row.Named) {
            groups.emplace_back();
            for (int k : group)
                groups.back() << NameById(stars[size_t(k)].NameId);
        }
        SCOPED_TRACE(groups.front().join(u',').toStdString());
        const TFairStarts proposal = Proposed(universe, groups, row.Radius, row.Target);
        ASSERT_TRUE(proposal.Exhaustive());
        std::vector<TStarRec> placed = stars;
        TStarsXY moved = universe;
        for (const auto &[k, at] : proposal.Positions()) {
            placed[size_t(k)].X = uint32_t(at.x());
            placed[size_t(k)].Y = uint32_t(at.y());
            MoveStar(moved, k, at.x(), at.y());
        }
        EXPECT_NO_THROW(moved.PackImage(false)) << "the file order holds";
        const TCriteria expected = BestByHand(stars, row.Named, row.Radius, row.Target, 1000, 1004);
        EXPECT_EQ(Criteria(placed, row.Named, row.Radius, row.Target), expected);
        EXPECT_EQ(proposal.Improved(), Better(expected, Criteria(stars, row.Named, row.Radius, row.Target)));
    }
}

// On every real file, with groups of the first planets named in the middle
// of the file, the proposal keeps every planet where a pick would put it
// and never brings two players closer than today.
TEST(FairStarts, NeverWorseOnTheRealFiles)
{
    for (const TRealXY &file : RealXYFiles()) {
        SCOPED_TRACE(file.FileName);
        const TStarsXY universe(RealXYPath(QLatin1String(file.FileName)));
        const std::vector<TStarRec> stars = StarsOf(universe);
        std::vector<std::vector<int>> named;
        std::vector<QStringList> groups;
        for (int g = 0; g < 3; ++g) {
            const int k = int(stars.size()) / 4 + 5 * g;
            named.push_back({k});
            groups.push_back({NameById(stars[size_t(k)].NameId)});
        }
        const TFairStarts proposal = Proposed(universe, groups, 100, 0);
        TStarsXY moved = universe;
        std::vector<TStarRec> placed = stars;
        for (const auto &[k, at] : proposal.Positions()) {
            MoveStar(moved, k, at.x(), at.y());
            placed[size_t(k)] = moved.GetStar(k);
        }
        EXPECT_NO_THROW(moved.PackImage(false)) << "the file order holds";
        EXPECT_GE(std::get<0>(Criteria(placed, named, 100, 0)), std::get<0>(Criteria(stars, named, 100, 0)));
    }
}

TEST(FairStarts, RefusesWhatCannotBeProposed)
{
    const TStarsXY universe(RealXYPath(QStringLiteral("tiny-32planets-2players.xy")));
    const QString a = NameById(universe.GetStar(5).NameId), b = NameById(universe.GetStar(9).NameId);
    const std::pair<std::vector<QStringList>, QString> rows[] = {
        {{{a}}, QStringLiteral("Fair starts need at least two groups with planets")},
        {{{a}, {QString()}}, QStringLiteral("Fair starts need at least two groups with planets")},
        {{{a}, {b, a}}, QStringLiteral("\"%1\" is named more than once; a planet can be the start of one player only").arg(a)},
        {{{a}, {QStringLiteral("Zulu")}}, QStringLiteral("Unknown star name in line #2: \"Zulu\"")},
    };
    for (const auto &[groups, message] : rows)
        EXPECT_EQ(MessageOf([&] { TFairStarts(universe, groups, 100, 0); }), message);
}
