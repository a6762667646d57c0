#include "extended.h"

#include <bit>
#include <cmath>
#include <limits>

namespace {

constexpr uint64_t Low32 = 0xFFFF'FFFFu;
constexpr uint64_t TopBit = uint64_t{1} << 63;

// An unsigned 128-bit number as two 64-bit halves, so that the arithmetic is
// the same with compilers that have no 128-bit integer type.
struct TWide {
    uint64_t Hi = 0;
    uint64_t Lo = 0;
};

// The exact 128-bit product, from four 32 x 32-bit partial products.
TWide MulWide(uint64_t A, uint64_t B)
{
    const uint64_t a0 = A & Low32, a1 = A >> 32;
    const uint64_t b0 = B & Low32, b1 = B >> 32;
    const uint64_t p00 = a0 * b0, p01 = a0 * b1, p10 = a1 * b0, p11 = a1 * b1;
    const uint64_t mid = (p00 >> 32) + (p01 & Low32) + (p10 & Low32); // below 2^34
    return {p11 + (p01 >> 32) + (p10 >> 32) + (mid >> 32), (mid << 32) | (p00 & Low32)};
}

// (Hi * 2^64 + Lo) / D and its remainder, for a D with its top bit set and
// Hi below D, so that the quotient fits 64 bits. Long division in base 2^32:
// each quotient digit is estimated from the divisor's upper half, at most
// two too large, and corrected.
uint64_t DivWide(uint64_t Hi, uint64_t Lo, uint64_t D, uint64_t &Remainder)
{
    constexpr uint64_t Base = uint64_t{1} << 32;
    const uint64_t d1 = D >> 32, d0 = D & Low32;
    const uint64_t u1 = Lo >> 32, u0 = Lo & Low32;

    uint64_t q1 = Hi / d1;
    uint64_t rest = Hi - q1 * d1;
    while (q1 >= Base || q1 * d0 > (rest << 32) + u1) {
        --q1;
        rest += d1;
        if (rest >= Base)
            break;
    }
    // Below D; the products and sums wrap modulo 2^64 and still leave it.
    const uint64_t mid = (Hi << 32) + u1 - q1 * D;

    uint64_t q0 = mid / d1;
    rest = mid - q0 * d1;
    while (q0 >= Base || q0 * d0 > (rest << 32) + u0) {
        --q0;
        rest += d1;
        if (rest >= Base)
            break;
    }
    Remainder = (mid << 32) + u0 - q0 * D;
    return (q1 << 32) + q0;
}

// A positive value Mant * 2^Exp in the extended format: Mant has its top bit set.
struct TExtended {
    uint64_t Mant;
    int Exp;
};

// Kept rounded to nearest, ties to even, by the bits below it, Rest, aligned
// to the top of a word (so one half is 2^63). A carry out of the mantissa
// moves the exponent.
TExtended RoundAligned(uint64_t Kept, uint64_t Rest, int Exp)
{
    const uint64_t up = static_cast<uint64_t>(Rest > TopBit) | (static_cast<uint64_t>(Rest == TopBit) & Kept);
    Kept += up & 1;
    if (Kept == 0) // all ones rounded up
        return {TopBit, Exp + 1};
    return {Kept, Exp};
}

// A nonzero 128-bit product rounded to 64 significant bits.
TExtended RoundWide(TWide P)
{
    if (P.Hi == 0) {
        const int zeros = std::countl_zero(P.Lo);
        return {P.Lo << zeros, -zeros}; // exact
    }
    // The top 64 bits, and the 1 to 64 bits below them moved to the top of
    // a word.
    const int zeros = std::countl_zero(P.Hi);
    const uint64_t kept = (P.Hi << zeros) | ((P.Lo >> 1) >> (63 - zeros));
    return RoundAligned(kept, P.Lo << zeros, 64 - zeros);
}

// N / D for nonzero N and D, rounded to 64 significant bits.
TExtended RoundQuotient(uint64_t N, uint64_t D)
{
    const int nZeros = std::countl_zero(N), dZeros = std::countl_zero(D);
    const uint64_t n = N << nZeros, d = D << dZeros;
    // N / D = n / d * 2^(dZeros - nZeros), with n / d between 1/2 and 2. The
    // quotient is taken to exactly 64 bits: n * 2^63 / d when n >= d, else
    // n * 2^64 / d.
    uint64_t remainder = 0;
    TExtended q{};
    if (n >= d)
        q = {DivWide(n >> 1, n << 63, d, remainder), dZeros - nZeros - 63};
    else
        q = {DivWide(n, 0, d, remainder), dZeros - nZeros - 64};
    // The remainder is the part below the last bit, in units of d: compare
    // it with d / 2 without doubling it past 64 bits.
    const bool up = remainder > d - remainder || (remainder == d - remainder && (q.Mant & 1) != 0);
    if (!up)
        return q;
    return ++q.Mant == 0 ? TExtended{TopBit, q.Exp + 1} : q;
}

uint64_t Magnitude(int64_t Value)
{
    return Value < 0 ? uint64_t{0} - static_cast<uint64_t>(Value) : static_cast<uint64_t>(Value);
}

int64_t Saturated(bool Negative)
{
    return Negative ? std::numeric_limits<int64_t>::min() : std::numeric_limits<int64_t>::max();
}

// trunc(Mant * 2^Exp) with the given sign. Mant is at least 2^63, so the
// value reaches 2^63 exactly when Exp is not negative: that saturates.
int64_t Truncate(uint64_t Mant, int Exp, bool Negative)
{
    if (Exp >= 0)
        return Saturated(Negative);
    if (Exp <= -64)
        return 0;
    const auto whole = static_cast<int64_t>(Mant >> -Exp); // below 2^63
    return Negative ? -whole : whole;
}

// A double taken apart: a finite nonzero one is Mant * 2^Exp exactly.
struct TDouble {
    enum { Zero, Finite, Infinite, NaN } Kind;
    bool Negative;
    uint64_t Mant;
    int Exp;
};

TDouble Decode(double Value)
{
    const auto bits = std::bit_cast<uint64_t>(Value);
    const bool negative = (bits >> 63) != 0;
    const auto biased = static_cast<int>((bits >> 52) & 0x7FF);
    const uint64_t fraction = bits & ((uint64_t{1} << 52) - 1);
    if (biased == 0x7FF)
        return {fraction != 0 ? TDouble::NaN : TDouble::Infinite, negative, 0, 0};
    if (biased == 0)
        return {fraction != 0 ? TDouble::Finite : TDouble::Zero, negative, fraction, -1074};
    return {TDouble::Finite, negative, fraction | (uint64_t{1} << 52), biased - 1075};
}

} // namespace

int64_t ExtendedTruncProduct(int64_t Value, double Scale)
{
    const TDouble scale = Decode(Scale);
    // 0 * infinity is NaN and gives 0 like every other zero product.
    if (scale.Kind == TDouble::NaN || scale.Kind == TDouble::Zero || Value == 0)
        return 0;
    const bool negative = (Value < 0) != scale.Negative;
    if (scale.Kind == TDouble::Infinite)
        return Saturated(negative);
    const TExtended product = RoundWide(MulWide(Magnitude(Value), scale.Mant));
    return Truncate(product.Mant, product.Exp + scale.Exp, negative);
}

int64_t ExtendedTruncQuotient(int64_t Value, double Scale)
{
    const TDouble scale = Decode(Scale);
    // 0 / 0 is NaN and gives 0 like every other zero quotient.
    if (scale.Kind == TDouble::NaN || scale.Kind == TDouble::Infinite || Value == 0)
        return 0;
    const bool negative = (Value < 0) != scale.Negative;
    if (scale.Kind == TDouble::Zero)
        return Saturated(negative);
    const TExtended quotient = RoundQuotient(Magnitude(Value), scale.Mant);
    return Truncate(quotient.Mant, quotient.Exp - scale.Exp, negative);
}

double ExtendedQuotientToDouble(int64_t Numerator, int64_t Denominator)
{
    if (Denominator == 0) {
        if (Numerator == 0)
            return std::numeric_limits<double>::quiet_NaN();
        return Numerator < 0 ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
    }
    const bool negative = (Numerator < 0) != (Denominator < 0);
    if (Numerator == 0)
        return negative ? -0.0 : 0.0;
    const TExtended quotient = RoundQuotient(Magnitude(Numerator), Magnitude(Denominator));
    // From 64 bits to the 53 of a double: 11 bits go. A mantissa rounded up
    // to 2^53 is still exact in a double.
    uint64_t mant = quotient.Mant >> 11;
    const uint64_t rest = quotient.Mant & 0x7FF;
    if (rest > 0x400 || (rest == 0x400 && (mant & 1) != 0))
        ++mant;
    // Between 2^-63 and 2^63: ldexp is exact there.
    const double result = std::ldexp(static_cast<double>(mant), quotient.Exp + 11);
    return negative ? -result : result;
}
