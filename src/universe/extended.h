// Products and quotients of an integer with a double in the extended format
// of a 64-bit mantissa, worked out exactly with integer arithmetic so that
// every compiler and processor gives the same answers.
//
// The original arithmetic converts both operands exactly to the extended
// format (a 64-bit mantissa and an exponent range no int64 or double result
// can leave), rounds the exact product or quotient to 64 significant bits,
// ties to even, and then either truncates it toward zero to an integer or
// rounds it once more, to the 53 bits of a double. Rounding twice is not
// rounding once: a quotient just off the halfway point between two doubles
// can land on it at 64 bits and then go to the even double, which need not
// be the nearer one.
//
// Nothing here uses the platform's extended floating-point type, its
// floating-point environment or a 128-bit integer type.
#pragma once

#include <cstdint>

// trunc(Value * Scale) with the product rounded to a 64-bit mantissa, ties
// to even, before it is truncated toward zero. A result at or beyond 2^63
// in size saturates to the int64 limit of its sign, and so does an infinite
// one (a nonzero Value times an infinite Scale); NaN (a NaN Scale, or zero
// times an infinite Scale) gives 0.
int64_t ExtendedTruncProduct(int64_t Value, double Scale);

// trunc(Value / Scale), the quotient rounded the same way first. A nonzero
// Value divided by a zero Scale is infinite and saturates by the signs of
// both (so -0.0 counts as negative); 0 / 0 and a NaN Scale give 0; anything
// finite divided by an infinite Scale gives 0.
int64_t ExtendedTruncQuotient(int64_t Value, double Scale);

// Numerator / Denominator rounded to a 64-bit mantissa, ties to even, and
// that rounded again to a double, ties to even. Every such quotient lies far
// inside the normal double range, so the second rounding is exact to the
// bit. 0 / 0 gives NaN, a nonzero numerator over 0 an infinity of its sign,
// and 0 over a negative denominator -0.0.
double ExtendedQuotientToDouble(int64_t Numerator, int64_t Denominator);
