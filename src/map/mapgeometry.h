// Map geometry: universe light years to map pixels and back, whole
// distances and the star nearest to a point.
//
// Pixel (0, 0) is the top-left corner of the map; x grows to the right and y
// downward, the model's y drawn downward with no flip. The two scales are
// independent, so the universe is stretched over the whole map.
//
// Every product and quotient of an integer with a scale is that of an
// extended format with a 64-bit mantissa: the exact result of the integer
// and the stored double scale, rounded to 64 significant bits (ties to even)
// and only then truncated toward zero. It is computed exactly by integer
// arithmetic (extended.h), the same on every compiler and processor. Where
// the exact result is a whole number the 64-bit rounding decides the pixel:
// with a width of 9 light years, the star 9 light years right of the left
// edge lands in column 272, where a double product would give 273.
#pragma once

#include "starsxy.h"

#include <QPoint>
#include <cstdint>
#include <vector>

inline constexpr int MapWidth = 273;
inline constexpr int MapHeight = 228;

// The part of the universe shown on the map and its scales.
struct TMapView {
    TBounds ViewRect;   // light years, Left/Top/Right/Bottom as GetBounds gives them
    double ScaleX = 0;  // map pixels per light year across
    double ScaleY = 0;  // map pixels per light year down
};

// trunc(Diff * Scale) and trunc(Value / Scale), rounded to a 64-bit
// mantissa first. A result beyond the 64-bit range saturates; NaN gives 0.
int64_t TruncProduct(int64_t Diff, double Scale);
int64_t TruncQuotient(int64_t Value, double Scale);

// A 64-bit value held to the 32-bit range, for results that only an
// inconsistent view could push that far.
int32_t Saturate32(int64_t Value);

// trunc((X - Left) * ScaleX) with X - Left a 64-bit signed difference; the
// same on y with Top and ScaleY.
int64_t MapColumn(const TMapView &View, int64_t X);
int64_t MapRow(const TMapView &View, int64_t Y);
QPoint UniverseToMap(const TMapView &View, const TStarRec &Star);

// trunc(px / ScaleX) + Left + 1, and the same on y: one light year is added
// on each axis, so pixel (0, 0) is (Left + 1, Top + 1).
QPoint MapToUniverse(const TMapView &View, int32_t PX, int32_t PY);

// The integer part of the distance from A to B. dx and dy are 32-bit
// differences and their squares are summed in 32 bits, wrapping like the
// 32-bit machine this arithmetic comes from; the square root is taken in
// double. A sum that wraps below zero has no square root and counts as
// INT32_MAX, farther than anything can be chosen at.
int32_t PointDistance(QPoint A, QPoint B);

// The star of Stars nearest to P by whole distance: the first one, in
// order, whose whole distance is strictly below every earlier one's and
// below 10000. -1 when none is closer than 10000.
int32_t NearestStar(const std::vector<TStarRec> &Stars, QPoint P);
