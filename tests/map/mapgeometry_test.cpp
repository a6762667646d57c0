#include "mapgeometry.h"

#include <gtest/gtest.h>
#include <cmath>
#include <limits>

namespace {

TMapView ViewOf(int32_t Width, int32_t Height)
{
    return {{1000, 2000, 1000 + Width, 2000 + Height}, 273.0 / Width, 228.0 / Height};
}

} // namespace

// Universe to map. Where the exact product is a whole number, the extended
// product decides; each such row also shows that a double product lands on
// another pixel, so the row really tells the two apart.
TEST(MapGeometry, UniverseToMapTruncatesTheExtendedProduct)
{
    struct Case {
        int32_t Width, Height;
        uint32_t X, Y;
        QPoint Pixel;
        bool DoubleDiffers;
    };
    const Case cases[] = {
        {400, 400, 1000, 2000, {0, 0}, false},      // the top-left corner
        {389, 356, 1100, 2100, {70, 64}, false},    // 70.18, 64.04
        {9, 7, 1009, 2007, {272, 227}, true},       // 9 * fl(273/9), 7 * fl(228/7): just below 273, 228
        {9, 7, 1003, 2007, {90, 227}, true},        // 3 * fl(273/9): just below 91
        {1, 1, 1001, 2001, {273, 228}, false},      // exact scales: the far edges lie off the map
        {273, 228, 1272, 2228, {272, 228}, false},  // scale 1
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.Width << "x" << c.Height << " at " << c.X << "," << c.Y);
        const TMapView view = ViewOf(c.Width, c.Height);
        EXPECT_EQ(UniverseToMap(view, {c.X, c.Y, 0}), c.Pixel);
        const auto doubleX = static_cast<int64_t>((int64_t{c.X} - 1000) * view.ScaleX);
        const auto doubleY = static_cast<int64_t>((int64_t{c.Y} - 2000) * view.ScaleY);
        EXPECT_EQ(doubleX != c.Pixel.x() || doubleY != c.Pixel.y(), c.DoubleDiffers);
    }
}

// Map to universe: one light year is added on each axis, and the quotient
// is truncated toward zero, also left of and above the map.
TEST(MapGeometry, MapToUniverseAddsOneAndTruncatesTheExtendedQuotient)
{
    struct Case {
        TMapView View;
        QPoint Pixel;
        QPoint At;
        bool DoubleDiffers;
    };
    const Case cases[] = {
        {ViewOf(389, 356), {0, 0}, {1001, 2001}, false},          // Left + 1, Top + 1
        {ViewOf(389, 356), {272, 227}, {1388, 2355}, false},      // 387.6, 354.4
        {ViewOf(5, 20), {273, 0}, {1005, 2001}, true},            // 273 / fl(273/5): just below 5
        {ViewOf(10, 20), {273, 0}, {1010, 2001}, true},           // just below 10
        {{{1000, 0, 1546, 456}, 0.5, 0.5}, {-1, -3}, {999, -5}, false}, // -2 and -6
        {ViewOf(400, 400), {-1, -1}, {1000, 2000}, false},        // -1.47 and -1.75 truncate to -1
        {ViewOf(400, 400), {-2, 0}, {999, 2001}, false},          // -2.93 truncates to -2
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "pixel " << c.Pixel.x() << "," << c.Pixel.y());
        EXPECT_EQ(MapToUniverse(c.View, c.Pixel.x(), c.Pixel.y()), c.At);
        const auto doubleX = static_cast<int64_t>(c.Pixel.x() / c.View.ScaleX) + c.View.ViewRect.Left + 1;
        EXPECT_EQ(doubleX != c.At.x(), c.DoubleDiffers);
    }
}

// Results beyond the integer ranges saturate instead of wrapping onto the
// map; a scale of 0 or NaN gives no crash.
TEST(MapGeometry, ConversionsSaturate)
{
    constexpr auto big = std::numeric_limits<int64_t>::max();
    EXPECT_EQ(TruncProduct(big, 1e10), big);
    EXPECT_EQ(TruncProduct(-big, 1e10), std::numeric_limits<int64_t>::min());
    EXPECT_EQ(TruncProduct(5, std::nan("")), 0);
    EXPECT_EQ(TruncQuotient(0, 0.0), 0); // 0 / 0 is NaN
    const TMapView stale{{1000, 0, 1001, 0}, 0.0, 0.0};
    EXPECT_EQ(MapToUniverse(stale, 5, -5), QPoint(INT32_MAX, INT32_MIN));
    const TMapView wide{{1000, 0, 1001, 1}, 1e12, 1e12};
    EXPECT_EQ(UniverseToMap(wide, {4000000000u, 4000, 0}), QPoint(INT32_MAX, INT32_MAX));
}

// Whole distances, with the 32-bit wrap of differences and squares.
TEST(MapGeometry, PointDistance)
{
    struct Case {
        QPoint A, B;
        int32_t Distance;
    };
    const Case cases[] = {
        {{0, 0}, {3, 4}, 5},
        {{3, 4}, {0, 0}, 5},
        {{100, 100}, {110, 100}, 10},
        {{100, 100}, {111, 100}, 11},
        {{0, 0}, {7, 7}, 9},   // 9.90
        {{0, 0}, {8, 8}, 11},  // 11.31
        {{0, 0}, {5, 3}, 5},   // 5.83
        {{0, 0}, {5, 1}, 5},   // 5.10
        {{0, 0}, {46340, 0}, 46340},                  // 2147395600: still fits
        {{0, 0}, {46341, 0}, INT32_MAX},              // 2147488281 wraps below zero
        {{0, 0}, {65536, 0}, 0},                      // 2^32 wraps to 0
        {{0, 0}, {65537, 0}, 362},                    // 2^32 + 131073 wraps to 131073
        {{INT32_MIN, 0}, {INT32_MAX, 0}, 1},          // the difference wraps to -1
        {{0, 0}, {30000, 30000}, 42426},              // 1.8e9: still fits
        {{0, 0}, {40000, 40000}, INT32_MAX},          // 3.2e9 wraps below zero
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.A.x() << "," << c.A.y() << " to " << c.B.x() << "," << c.B.y());
        EXPECT_EQ(PointDistance(c.A, c.B), c.Distance);
    }
}

// Whole distances are compared: equal whole distances keep the earlier
// star; 10000 light years or more are never chosen.
TEST(MapGeometry, NearestStar)
{
    const QPoint p(1100, 1100);
    struct Case {
        const char *Name;
        std::vector<TStarRec> Stars;
        int32_t Nearest;
    };
    const Case cases[] = {
        {"no stars", {}, -1},
        {"5.83 before 5.10 ties at 5", {{1105, 1103, 0}, {1105, 1101, 0}}, 0},
        {"5.10 before 5.83 ties at 5", {{1105, 1101, 0}, {1105, 1103, 0}}, 0},
        {"a later, wholly nearer star wins", {{1105, 1103, 0}, {1104, 1100, 0}}, 1},
        {"exactly at the pointer", {{1110, 1100, 0}, {1100, 1100, 0}}, 1},
        {"two on the pointer: the first", {{1100, 1100, 0}, {1100, 1100, 0}}, 0},
        {"9999 away", {{11099, 1100, 0}}, 0},
        {"10000 away", {{11100, 1100, 0}}, -1},
        {"9999.1 away is 9999", {{1100 + 9999, 1100 + 44, 0}}, 0}, // 9999.097
        {"beyond, then near", {{20000, 1100, 0}, {1200, 1100, 0}}, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(NearestStar(c.Stars, p), c.Nearest);
    }
}
