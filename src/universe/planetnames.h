// The fixed table of the game's 999 planet names. A planet word stores only
// an index into it; the position of a name in the table is its id.
#pragma once

#include <QString>
#include <cstdint>

inline constexpr int PlanetNameCount = 999;

// The name of entry NameId; "List index out of bounds (%d)" outside 0..998.
QString NameById(int64_t NameId);

// The name a planet is shown and typed by: the table's name, or "#" and the
// id for an id beyond the table (a file edited by hand), which never fails.
QString PlanetName(int64_t NameId);

// The id of the first entry, in id order, equal to Name with letter case
// ignored; "#" and an id beyond the table gives that id; -1 when none. Name
// is compared as given, untrimmed.
int32_t IdByName(const QString &Name);

// Whole names, letter case ignored: the one comparison used for planet names.
bool SameName(const QString &a, const QString &b);
