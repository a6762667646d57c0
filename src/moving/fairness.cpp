#include "fairness.h"

#include "groupnames.h"
#include "planetnames.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

int32_t StarNamed(const std::vector<TStarRec> &Stars, const QString &Name)
{
    const int32_t id = IdByName(Name);
    if (id < 0)
        return -1;
    for (size_t i = 0; i < Stars.size(); ++i)
        if (Stars[i].NameId == static_cast<uint32_t>(id))
            return static_cast<int32_t>(i);
    return -1;
}

double Distance(const TStarRec &A, const TStarRec &B)
{
    const double dx = double(A.X) - double(B.X);
    const double dy = double(A.Y) - double(B.Y);
    return std::sqrt(dx * dx + dy * dy);
}

} // namespace

std::vector<TGroupFairness> GroupFairness(const std::vector<TStarRec> &Stars, const std::vector<QStringList> &Groups,
                                          double Radius)
{
    std::vector<TGroupFairness> result(Groups.size());
    // The group of every star named somewhere, per group: a star may be
    // named in more than one.
    std::vector<std::vector<bool>> named(Groups.size(), std::vector<bool>(Stars.size(), false));
    for (size_t g = 0; g < Groups.size(); ++g) {
        for (const QString &written : Groups[g]) {
            const QString name = TrimBlanks(written);
            if (name.isEmpty())
                continue;
            TGroupPlanet planet;
            planet.Name = name;
            planet.Star = StarNamed(Stars, name);
            if (planet.Star >= 0) {
                const TStarRec &star = Stars[planet.Star];
                planet.Position = QPoint(int(star.X), int(star.Y));
                named[g][planet.Star] = true;
            }
            result[g].Planets.push_back(planet);
        }
    }

    // How many groups name each star.
    std::vector<int> namings(Stars.size(), 0);
    for (const std::vector<bool> &group : named)
        for (size_t k = 0; k < Stars.size(); ++k)
            namings[k] += group[k] ? 1 : 0;

    for (size_t g = 0; g < Groups.size(); ++g) {
        TGroupFairness &group = result[g];
        for (size_t p = 0; p < group.Planets.size(); ++p) {
            TGroupPlanet &planet = group.Planets[p];
            if (planet.Star < 0)
                continue;
            const TStarRec &star = Stars[planet.Star];
            for (size_t k = 0; k < Stars.size(); ++k) {
                if (static_cast<int32_t>(k) == planet.Star)
                    continue;
                const bool ofAnother = namings[k] > (named[g][k] ? 1 : 0);
                const double d = Distance(star, Stars[k]);
                if (ofAnother && (planet.Nearest < 0 || d < planet.NearestDistance)) {
                    planet.Nearest = static_cast<int32_t>(k);
                    planet.NearestDistance = d;
                }
                if (!ofAnother && d <= Radius)
                    ++planet.WithinRadius;
            }
            if (planet.Nearest >= 0) {
                planet.NearestName = NameById(Stars[planet.Nearest].NameId);
                if (group.Closest < 0 || planet.NearestDistance < group.Planets[group.Closest].NearestDistance)
                    group.Closest = static_cast<int32_t>(p);
            }
        }
    }

    // Room and territory, over the planets no group names, squared whole
    // distances compared exactly.
    // A whole squared distance is at most the radius squared exactly when
    // it is at most that square's whole part.
    const int64_t reach = static_cast<int64_t>(std::floor(Radius * Radius));
    for (size_t k = 0; k < Stars.size(); ++k) {
        if (namings[k] > 0)
            continue;
        int64_t best = std::numeric_limits<int64_t>::max();
        int owner = -1;
        for (size_t g = 0; g < result.size(); ++g) {
            int64_t nearest = std::numeric_limits<int64_t>::max();
            for (const TGroupPlanet &planet : result[g].Planets) {
                if (planet.Star < 0)
                    continue;
                const int64_t dx = int64_t(Stars[k].X) - planet.Position.x(), dy = int64_t(Stars[k].Y) - planet.Position.y();
                nearest = std::min(nearest, dx * dx + dy * dy);
            }
            if (nearest <= reach)
                ++result[g].Room;
            if (nearest < best) {
                best = nearest;
                owner = int(g);
            } else if (nearest == best) {
                owner = -1; // at equal distance: neither
            }
        }
        if (owner >= 0 && best != std::numeric_limits<int64_t>::max())
            ++result[size_t(owner)].Territory;
    }
    return result;
}

bool TGroupFairness::Placed() const
{
    return std::any_of(Planets.begin(), Planets.end(), [](const TGroupPlanet &P) { return P.Star >= 0; });
}

double FigureOf(const TGroupFairness &Group, TFigure Figure)
{
    switch (Figure) {
    case TFigure::Distance: return Group.SmallestDistance();
    case TFigure::Room: return Group.Room;
    case TFigure::Territory: return Group.Territory;
    }
    return 0;
}

TFigureSummary Summarize(const std::vector<TGroupFairness> &Groups, TFigure Figure)
{
    TFigureSummary summary;
    double low = 0, high = 0;
    std::vector<int> counted;
    for (size_t g = 0; g < Groups.size(); ++g) {
        if (!Groups[g].Placed() || (Figure == TFigure::Distance && Groups[g].Closest < 0))
            continue;
        const double value = FigureOf(Groups[g], Figure);
        if (counted.empty() || value < low)
            low = value;
        if (counted.empty() || value > high)
            high = value;
        counted.push_back(int(g));
    }
    summary.Shown = !counted.empty();
    summary.Spread = high - low;
    if (high == low)
        return summary; // all equal: nobody is worse off
    for (int g : counted) {
        const double value = FigureOf(Groups[size_t(g)], Figure);
        if (value == low)
            summary.Worst.push_back(g);
        if (value == high)
            summary.Best.push_back(g);
    }
    return summary;
}
