// How fairly the groups of the Stars moving panel are placed: for every
// planet named in a group, the nearest planet of another group and how many
// planets lie around it.
//
// A name stands for the first planet of the universe, in file order, that
// bears it (letter case ignored, blanks around it not counting), as the
// relocation finds it; empty names are left out. Distances are Euclidean, in
// light years, between the planets' positions.
//
// The count within the radius is the room a group has around a planet: every
// planet of the universe within the radius (distance at most the radius),
// except the planet itself and the planets of the other groups. Another
// group's planet is that player's home and no room for this one; how close
// the other groups come is what the nearest distance tells. Planets of the
// same group count.
//
// The group's own figures compare groups, so planets named in any group
// never count in them:
// - its room: the number of different planets within the radius (edge
//   included) of any of the group's planets;
// - its territory: the planets nearer to one of the group's planets than to
//   any planet of another group; a planet at equal distance counts for
//   neither.
// Distances are compared exactly, as squared whole numbers.
#pragma once

#include "starsxy.h"

#include <QPoint>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

struct TGroupPlanet {
    QString Name;          // as the group gives it, trimmed
    int32_t Star = -1;     // index in file order; -1: no planet bears the name
    QPoint Position;       // light years, model orientation
    // The nearest planet named in another group: its index (-1 when no other
    // group names a planet), name from the table, and distance. A planet
    // named in two groups is no neighbour of itself.
    int32_t Nearest = -1;
    QString NearestName;
    double NearestDistance = 0;
    int32_t WithinRadius = 0;
};

struct TGroupFairness {
    std::vector<TGroupPlanet> Planets; // the group's names in the order written
    // The planet of the group with the smallest NearestDistance (the first
    // of equal ones); -1 when no planet of the group has a nearest planet.
    int32_t Closest = -1;
    double SmallestDistance() const { return Closest < 0 ? 0 : Planets[Closest].NearestDistance; }
    int32_t Room = 0;
    int32_t Territory = 0;
    // Whether any of its names is a planet of the universe.
    bool Placed() const;
};

// One entry per group, in order. Stars as the map holds them, in file order.
std::vector<TGroupFairness> GroupFairness(const std::vector<TStarRec> &Stars, const std::vector<QStringList> &Groups,
                                          double Radius);

// A figure at a glance over the groups that have a planet: the groups at
// its worst and at its best (every one of equal value; none when all are
// equal), and the spread, largest minus smallest. The distance counts only
// groups that have a nearest planet.
enum class TFigure { Distance, Room, Territory };
struct TFigureSummary {
    std::vector<int> Worst, Best;
    double Spread = 0;
    bool Shown = false; // at least one group has the figure
};
TFigureSummary Summarize(const std::vector<TGroupFairness> &Groups, TFigure Figure);
double FigureOf(const TGroupFairness &Group, TFigure Figure);
