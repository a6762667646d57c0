#include "fairstarts.h"

#include "groupnames.h"
#include "messages.h"
#include "planetnames.h"
#include "relocation.h"

#include <QElapsedTimer>
#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr int64_t Far = std::numeric_limits<int64_t>::max();
// The largest gap between neighbours the file can store.
constexpr int32_t MaxGap = 1023;
// The local search's first lattice has about this many steps on each axis.
constexpr int Lattice = 24;
// The local search ends after this many rounds over the planets at most.
constexpr int MaxRounds = 12;

int64_t Square(QPoint A, QPoint B)
{
    const int64_t dx = int64_t(A.x()) - B.x(), dy = int64_t(A.y()) - B.y();
    return dx * dx + dy * dy;
}

QPoint PositionOf(const TStarRec &Star) { return {int(Star.X), int(Star.Y)}; }

uint64_t Key(QPoint P) { return (uint64_t(uint32_t(P.x())) << 32) | uint32_t(P.y()); }

int64_t Spread(const std::vector<int64_t> &Values)
{
    const auto [low, high] = std::minmax_element(Values.begin(), Values.end());
    return *high - *low;
}

} // namespace

bool TFairScore::BetterThan(const TFairScore &Other) const
{
    if (Closest != Other.Closest)
        return Closest > Other.Closest;
    if (RoomSpread != Other.RoomSpread)
        return RoomSpread < Other.RoomSpread;
    return TerritorySpread < Other.TerritorySpread;
}

TFairStarts::TFairStarts(const TStarsXY &Universe, const std::vector<QStringList> &Groups, int Radius, int Target)
{
    for (int i = 0; i < Universe.StarCount; ++i)
        FStars.push_back(Universe.GetStar(i));
    // The named planets, each once, with their group among those that name
    // a planet.
    std::vector<int> groupOf(FStars.size(), -1);
    for (size_t g = 0; g < Groups.size(); ++g) {
        bool any = false;
        for (const QString &name : Groups[g]) {
            if (name.isEmpty())
                continue;
            const int32_t k = FindStarIndex(Universe, name);
            if (k < 0) {
                QStringList known;
                for (const TStarRec &star : FStars)
                    known << PlanetName(star.NameId);
                known.sort(Qt::CaseInsensitive);
                throw EZorvane(UnknownNameMessage(int(g) + 1, name, known));
            }
            if (groupOf[size_t(k)] >= 0)
                throw EZorvane(TMsg::ProposalNamedTwice, {PlanetName(FStars[size_t(k)].NameId)});
            groupOf[size_t(k)] = FGroups;
            any = true;
        }
        if (any)
            ++FGroups;
    }
    if (FGroups < 2)
        throw EZorvane(TMsg::ProposalNeedsGroups);

    const TBounds bounds = Universe.GetBounds();
    FMinY = std::min(bounds.Top, bounds.Bottom);
    FMaxY = std::max(bounds.Top, bounds.Bottom);
    FReach = int64_t(Radius) * Radius;
    FCap = int64_t(Target) * Target;
    const int32_t count = int32_t(FStars.size());
    for (int32_t k = 0; k < count; ++k) {
        if (groupOf[size_t(k)] < 0) {
            FFree.push_back(k);
            FTaken.push_back(Key(PositionOf(FStars[size_t(k)])));
            continue;
        }
        // The chain of named neighbours reaches from the planet before the
        // first of them to the one after the last, or to the pick's own
        // edges at the ends of the file.
        TVar var{k, groupOf[size_t(k)], 0, 0};
        int32_t before = k - 1, after = k + 1;
        while (before >= 0 && groupOf[size_t(before)] >= 0)
            --before;
        while (after < count && groupOf[size_t(after)] >= 0)
            ++after;
        var.MinX = before >= 0 ? int32_t(FStars[size_t(before)].X) : StarBand(Universe, 0).MinX;
        var.MaxX = after < count ? int32_t(FStars[size_t(after)].X) : StarBand(Universe, count - 1).MaxX;
        // A fixed neighbour right beside it bounds the gap as well; the
        // first planet's x is stored as its distance from 1000.
        if (k == 0)
            var.MaxX = std::min(var.MaxX, 1000 + MaxGap);
        else if (groupOf[size_t(k - 1)] < 0)
            var.MaxX = std::min(var.MaxX, int32_t(FStars[size_t(k - 1)].X) + MaxGap);
        if (k + 1 < count && groupOf[size_t(k + 1)] < 0)
            var.MinX = std::max(var.MinX, int32_t(FStars[size_t(k + 1)].X) - MaxGap);
        if (!FVars.empty() && FVars.back().Star == k - 1) {
            var.Left = int(FVars.size()) - 1;
            FVars.back().Right = int(FVars.size());
        }
        FVars.push_back(var);
    }
    std::sort(FTaken.begin(), FTaken.end());

    for (const TVar &var : FVars)
        FCurrent.push_back(PositionOf(FStars[size_t(var.Star)]));
    FBest = FCurrent;
    FBefore = FBestScore = ScoreOf(FCurrent);
    FCombinations = 1;
    for (size_t v = 0; v < FVars.size(); ++v)
        FCombinations *= double(Candidates(v));
    FExhaustive = FCombinations <= ExhaustiveLimit;
    FDigit.assign(FVars.size(), 0);
    FDone = FCombinations == 0;
}

int64_t TFairStarts::Candidates(size_t Var) const
{
    const TVar &var = FVars[Var];
    return std::max<int64_t>(0, int64_t(var.MaxX) - var.MinX + 1) * (int64_t(FMaxY) - FMinY + 1);
}

bool TFairStarts::Occupied(QPoint At) const { return std::binary_search(FTaken.begin(), FTaken.end(), Key(At)); }

bool TFairStarts::Allowed(const std::vector<QPoint> &Positions, size_t Var, QPoint At) const
{
    const TVar &var = FVars[Var];
    if (At.x() < var.MinX || At.x() > var.MaxX || At.y() < FMinY || At.y() > FMaxY || Occupied(At))
        return false;
    if (var.Left >= 0) {
        const int32_t left = Positions[size_t(var.Left)].x();
        if (At.x() < left || At.x() > left + MaxGap)
            return false;
    }
    if (var.Right >= 0) {
        const int32_t right = Positions[size_t(var.Right)].x();
        if (At.x() > right || right > At.x() + MaxGap)
            return false;
    }
    for (size_t w = 0; w < Positions.size(); ++w)
        if (w != Var && Positions[w] == At)
            return false;
    return true;
}

int64_t TFairStarts::Closest(const std::vector<QPoint> &Positions, size_t Skip) const
{
    int64_t closest = Far;
    for (size_t a = 0; a < FVars.size(); ++a)
        for (size_t b = a + 1; b < FVars.size(); ++b)
            if (a != Skip && b != Skip && FVars[a].Group != FVars[b].Group) {
                const int64_t d = Square(Positions[a], Positions[b]);
                closest = std::min(closest, FCap > 0 ? std::min(d, FCap) : d);
            }
    return closest;
}

TFairScore TFairStarts::ScoreOf(const std::vector<QPoint> &Positions) const
{
    TFairScore score;
    score.Closest = Closest(Positions);
    std::vector<int64_t> room(size_t(FGroups), 0), territory(size_t(FGroups), 0);
    std::vector<int64_t> nearest(static_cast<size_t>(FGroups));
    for (int32_t k : FFree) {
        const QPoint u = PositionOf(FStars[size_t(k)]);
        std::fill(nearest.begin(), nearest.end(), Far);
        for (size_t v = 0; v < FVars.size(); ++v)
            nearest[size_t(FVars[v].Group)] = std::min(nearest[size_t(FVars[v].Group)], Square(u, Positions[v]));
        int owner = -1;
        int64_t best = Far;
        for (int g = 0; g < FGroups; ++g) {
            if (nearest[size_t(g)] <= FReach)
                ++room[size_t(g)];
            if (nearest[size_t(g)] < best) {
                best = nearest[size_t(g)];
                owner = g;
            } else if (nearest[size_t(g)] == best) {
                owner = -1;
            }
        }
        if (owner >= 0)
            ++territory[size_t(owner)];
    }
    score.RoomSpread = Spread(room);
    score.TerritorySpread = Spread(territory);
    return score;
}

bool TFairStarts::Step(int BudgetMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!FDone && clock.elapsed() < BudgetMs)
        FExhaustive ? StepExhaustive() : StepLocal();
    return FDone;
}

double TFairStarts::Progress() const
{
    if (FDone)
        return 1;
    if (FExhaustive)
        return FCombinations > 0 ? FVisited / FCombinations : 1;
    // Most searches settle within a few rounds.
    return std::min(0.99, (FRound + double(FNextVar) / double(FVars.size())) / 4.0);
}

void TFairStarts::StepExhaustive()
{
    std::vector<QPoint> positions(FVars.size());
    const int64_t height = int64_t(FMaxY) - FMinY + 1;
    for (int n = 0; n < 4096; ++n) {
        bool allowed = true;
        for (size_t v = 0; v < FVars.size(); ++v)
            positions[v] = QPoint(FVars[v].MinX + int32_t(FDigit[v] / height), FMinY + int32_t(FDigit[v] % height));
        for (size_t v = 0; v < FVars.size() && allowed; ++v)
            allowed = Allowed(positions, v, positions[v]);
        if (allowed) {
            // The first criterion alone rules out most placements.
            if (Closest(positions) >= FBestScore.Closest) {
                const TFairScore score = ScoreOf(positions);
                if (score.BetterThan(FBestScore)) {
                    FBestScore = score;
                    FBest = positions;
                }
            }
        }
        ++FVisited;
        // The odometer, the last planet fastest.
        size_t v = FVars.size();
        while (v > 0) {
            --v;
            if (++FDigit[v] < Candidates(v))
                break;
            FDigit[v] = 0;
            if (v == 0) {
                FDone = true;
                return;
            }
        }
    }
}

void TFairStarts::StepLocal()
{
    if (ImproveVar(FNextVar))
        FRoundImproved = true;
    if (++FNextVar < FVars.size())
        return;
    FNextVar = 0;
    ++FRound;
    if (!FRoundImproved || FRound >= MaxRounds)
        FDone = true;
    FRoundImproved = false;
}

bool TFairStarts::ImproveVar(size_t Var)
{
    const int group = FVars[Var].Group;
    const size_t groups = size_t(FGroups);
    // Everything but this planet, worked out once: its group's nearest
    // other planet and the other groups' nearest for each free planet, the
    // territory without it, and the others' room and distances.
    struct TFree {
        QPoint At;
        int64_t Own;   // squared distance to the group's other planets
        int64_t Other; // ... to the nearest planet of another group
        int Who;       // that group, or -1 at a tie between groups
        int Base;      // whose territory it is without this planet
    };
    std::vector<TFree> free;
    free.reserve(FFree.size());
    std::vector<int64_t> territory(groups, 0), room(groups, 0);
    std::vector<int64_t> nearest(groups);
    int64_t ownRoom = 0;
    for (int32_t k : FFree) {
        TFree f{PositionOf(FStars[size_t(k)]), Far, Far, -1, -1};
        std::fill(nearest.begin(), nearest.end(), Far);
        for (size_t v = 0; v < FVars.size(); ++v)
            if (v != Var)
                nearest[size_t(FVars[v].Group)] = std::min(nearest[size_t(FVars[v].Group)], Square(f.At, FCurrent[v]));
        f.Own = nearest[size_t(group)];
        for (size_t g = 0; g < groups; ++g) {
            if (int(g) == group)
                continue;
            if (nearest[g] <= FReach)
                ++room[g];
            if (nearest[g] < f.Other) {
                f.Other = nearest[g];
                f.Who = int(g);
            } else if (nearest[g] == f.Other) {
                f.Who = -1;
            }
        }
        f.Base = f.Own < f.Other ? group : f.Own == f.Other ? -1 : f.Who;
        if (f.Own == Far && f.Other == Far)
            f.Base = -1;
        if (f.Base >= 0)
            ++territory[size_t(f.Base)];
        if (f.Own <= FReach)
            ++ownRoom;
        free.push_back(f);
    }
    const int64_t closestOthers = Closest(FCurrent, Var);

    std::vector<int64_t> rooms(groups), territories(groups);
    auto score = [&](QPoint At) {
        TFairScore s;
        s.Closest = closestOthers;
        for (size_t v = 0; v < FVars.size(); ++v)
            if (v != Var && FVars[v].Group != group) {
                const int64_t d = Square(At, FCurrent[v]);
                s.Closest = std::min(s.Closest, FCap > 0 ? std::min(d, FCap) : d);
            }
        rooms = room;
        territories = territory;
        int64_t own = 0;
        for (const TFree &f : free) {
            const int64_t d = Square(f.At, At);
            if (f.Own <= FReach || d <= FReach)
                ++own;
            if (d >= f.Own)
                continue; // this planet is not its group's nearest to it
            const int now = d < f.Other ? group : d == f.Other ? -1 : f.Who;
            if (now != f.Base) {
                if (f.Base >= 0)
                    --territories[size_t(f.Base)];
                if (now >= 0)
                    ++territories[size_t(now)];
            }
        }
        rooms[size_t(group)] = own;
        s.RoomSpread = Spread(rooms);
        s.TerritorySpread = Spread(territories);
        return s;
    };

    // Where it may go with its neighbours held.
    const TVar &var = FVars[Var];
    int32_t low = var.MinX, high = var.MaxX;
    if (var.Left >= 0) {
        low = std::max(low, FCurrent[size_t(var.Left)].x());
        high = std::min(high, FCurrent[size_t(var.Left)].x() + MaxGap);
    }
    if (var.Right >= 0) {
        high = std::min(high, FCurrent[size_t(var.Right)].x());
        low = std::max(low, FCurrent[size_t(var.Right)].x() - MaxGap);
    }
    if (low > high)
        return false;
    TFairScore best = FBestScore;
    QPoint bestAt = FCurrent[Var];
    auto consider = [&](QPoint At) {
        if (At == FCurrent[Var] || !Allowed(FCurrent, Var, At))
            return;
        const TFairScore s = score(At);
        if (s.BetterThan(best)) {
            best = s;
            bestAt = At;
        }
    };
    int stepX = std::max(1, (high - low + Lattice - 1) / Lattice);
    int stepY = std::max(1, (FMaxY - FMinY + Lattice - 1) / Lattice);
    for (int32_t x = low;; x = std::min(x + stepX, high)) {
        for (int32_t y = FMinY;; y = std::min(y + stepY, FMaxY)) {
            consider({x, y});
            if (y == FMaxY)
                break;
        }
        if (x == high)
            break;
    }
    // Finer lattices around the best so far, down to the light year.
    while (stepX > 1 || stepY > 1) {
        stepX = std::max(1, stepX / 2);
        stepY = std::max(1, stepY / 2);
        const QPoint centre = bestAt;
        for (int i = -2; i <= 2; ++i)
            for (int j = -2; j <= 2; ++j)
                consider(centre + QPoint(i * stepX, j * stepY));
    }
    if (!best.BetterThan(FBestScore))
        return false;
    FCurrent[Var] = bestAt;
    FBestScore = best;
    FBest = FCurrent;
    return true;
}

std::vector<std::pair<int32_t, QPoint>> TFairStarts::Positions() const
{
    std::vector<std::pair<int32_t, QPoint>> positions;
    for (size_t v = 0; v < FVars.size(); ++v)
        positions.emplace_back(FVars[v].Star, FBest[v]);
    return positions;
}
