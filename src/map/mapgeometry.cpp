#include "mapgeometry.h"

#include "extended.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Value + Offset + 1 without overflow; the caller holds the result to 32 bits.
int64_t ShiftByEdge(int64_t Value, int32_t Edge)
{
    constexpr int64_t Reach = int64_t{1} << 40; // far beyond any 32-bit result
    if (Value > Reach)
        Value = Reach;
    if (Value < -Reach)
        Value = -Reach;
    return Value + Edge + 1;
}

} // namespace

int64_t TruncProduct(int64_t Diff, double Scale)
{
    return ExtendedTruncProduct(Diff, Scale);
}

int64_t TruncQuotient(int64_t Value, double Scale)
{
    return ExtendedTruncQuotient(Value, Scale);
}

int32_t Saturate32(int64_t Value)
{
    if (Value > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (Value < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(Value);
}

int64_t MapColumn(const TMapView &View, int64_t X)
{
    return TruncProduct(X - View.ViewRect.Left, View.ScaleX);
}

int64_t MapRow(const TMapView &View, int64_t Y)
{
    return TruncProduct(Y - View.ViewRect.Top, View.ScaleY);
}

QPoint UniverseToMap(const TMapView &View, const TStarRec &Star)
{
    return {Saturate32(MapColumn(View, Star.X)), Saturate32(MapRow(View, Star.Y))};
}

QPoint MapToUniverse(const TMapView &View, int32_t PX, int32_t PY)
{
    return {Saturate32(ShiftByEdge(TruncQuotient(PX, View.ScaleX), View.ViewRect.Left)),
            Saturate32(ShiftByEdge(TruncQuotient(PY, View.ScaleY), View.ViewRect.Top))};
}

int32_t PointDistance(QPoint A, QPoint B)
{
    // Unsigned arithmetic wraps exactly as the signed 32-bit operations do,
    // without their undefined overflow.
    const uint32_t dx = static_cast<uint32_t>(B.x()) - static_cast<uint32_t>(A.x());
    const uint32_t dy = static_cast<uint32_t>(B.y()) - static_cast<uint32_t>(A.y());
    const auto sum = static_cast<int32_t>(dx * dx + dy * dy);
    if (sum < 0)
        return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(std::sqrt(static_cast<double>(sum)));
}

int32_t NearestStar(const std::vector<TStarRec> &Stars, QPoint P)
{
    int32_t best = -1;
    int32_t bestDistance = 10000;
    const auto count = static_cast<int32_t>(std::min<size_t>(Stars.size(), INT32_MAX));
    for (int32_t i = 0; i < count; ++i) {
        const TStarRec &star = Stars[static_cast<size_t>(i)];
        // Coordinates are unsigned; as points they are read as 32-bit signed.
        const QPoint at(static_cast<int32_t>(star.X), static_cast<int32_t>(star.Y));
        const int32_t d = PointDistance(at, P);
        if (d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}
