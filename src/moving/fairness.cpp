#include "fairness.h"

#include "groupnames.h"
#include "planetnames.h"

#include <cmath>

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
    return result;
}
