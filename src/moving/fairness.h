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
};

// One entry per group, in order. Stars as the map holds them, in file order.
std::vector<TGroupFairness> GroupFairness(const std::vector<TStarRec> &Stars, const std::vector<QStringList> &Groups,
                                          double Radius);
