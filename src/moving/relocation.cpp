#include "relocation.h"

#include "messages.h"
#include "planetnames.h"

#include <algorithm>

int32_t FindStarIndex(const TStarsXY &Universe, const QString &Name)
{
    const int32_t id = IdByName(Name);
    if (id < 0)
        return -1;
    int32_t found = -1;
    long long bearers = 0;
    for (int32_t i = 0; i < Universe.StarCount; ++i) {
        if (Universe.GetStar(i).NameId == static_cast<uint32_t>(id)) {
            found = i;
            ++bearers;
        }
    }
    if (bearers > 1)
        throw EZorvane(TMsg::DuplicateStarName, {bearers, NameById(static_cast<uint32_t>(id))});
    return found;
}

TBand StarBand(const TStarsXY &Universe, int32_t Index)
{
    const TStarRec star = Universe.GetStar(Index); // fails for a star that does not exist
    TBand band;
    band.MinX = Index > 0 ? static_cast<int32_t>(Universe.GetStar(Index - 1).X) : Universe.GetBounds().Left;
    band.MaxX = Index + 1 < Universe.StarCount
                    ? static_cast<int32_t>(Universe.GetStar(Index + 1).X)
                    : static_cast<int32_t>(std::max(SizeClassRight(Universe.GetSizeIndex()), star.X));
    return band;
}

void MoveStar(TStarsXY &Universe, int32_t Index, int32_t X, int32_t Y)
{
    if (Index == Universe.StarCount - 1 && X >= 0)
        Universe.ExtendRight(static_cast<uint32_t>(std::min(X, StarBand(Universe, Index).MaxX)));
    Universe.SetStar(Index, X, Y, -1, false);
}
