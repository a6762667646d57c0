// The decisions of a relocation, without a window: which star a name moves,
// within which band of x it may go, and the move itself.
//
// Each decision is taken on the universe just read from the file, never on
// the map's copy of an earlier paint: a file replaced in between moves no
// other planet.
#pragma once

#include "starsxy.h"

#include <QString>
#include <cstdint>

// The index, in file order, of the one star of Universe that bears Name (the
// planet name table's id for it, letter case ignored); -1 when the name has
// no entry or no star bears it. When several stars bear it, which one the
// player means cannot be told: it fails with TMsg::DuplicateStarName, giving
// their count and the name as the table spells it.
int32_t FindStarIndex(const TStarsXY &Universe, const QString &Name);

// The x band, both edges allowed, that keeps star Index between its
// neighbours in file order, so the file can be saved without re-sorting.
// The first star's band reaches the universe's left edge (X = 1000), the
// last star's the right edge of the universe's size class (or its own x,
// should that lie further right). Index must be a star of Universe.
struct TBand {
    int32_t MinX = -1;
    int32_t MaxX = -1;
    bool operator==(const TBand &) const = default;
};
TBand StarBand(const TStarsXY &Universe, int32_t Index);

// Moves star Index to (X, Y) without jitter and without the distance test,
// keeping its name; X is expected inside StarBand. Beyond the universe's
// bounds the move fails as SetStar does, except that the last star may go up
// to its band's right edge.
void MoveStar(TStarsXY &Universe, int32_t Index, int32_t X, int32_t Y);
