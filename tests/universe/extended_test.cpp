#include "extended.h"

#include <gtest/gtest.h>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

// The reference for the sweeps below is the x87 itself: long double where it
// is the x87 format, or GCC's __float80 in a build whose long double is a
// plain double. Elsewhere only the worked values run.
#if defined(__LDBL_MANT_DIG__) && __LDBL_MANT_DIG__ == 64
#define ZV_HAVE_X87 1
using TX87 = long double;
#elif defined(__SIZEOF_FLOAT80__) && !defined(__clang__)
#define ZV_HAVE_X87 1
using TX87 = __float80;
#endif

// Unoptimized and sanitized builds run a fraction of the random cases and
// every 16th scale of the sweeps.
#if defined(__SANITIZE_ADDRESS__) || !defined(__OPTIMIZE__)
#define ZV_SLOW_BUILD 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZV_SLOW_BUILD 1
#endif
#endif

namespace {

constexpr int64_t Max64 = std::numeric_limits<int64_t>::max();
constexpr int64_t Min64 = std::numeric_limits<int64_t>::min();
constexpr double Inf = std::numeric_limits<double>::infinity();

// The map is 273 x 228 pixels; the placement universes are 400 * n - 2
// light years wide and high.
constexpr int MapSizes[] = {273, 228};
constexpr int UniverseSizes[] = {398, 798, 1198, 1598, 1998};

} // namespace

// Values worked out by hand, including every kind of scale that is not a
// finite positive double.
TEST(Extended, TruncatedProductsAndQuotientsByHand)
{
    const double denormMin = std::numeric_limits<double>::denorm_min();
    const double dblMax = std::numeric_limits<double>::max();
    // 0x1.b6522f68e3aabp-1 * 4093 is 3504 - 2^-53 exactly: halfway between
    // the 64-bit neighbours 3504 - 2^-52 and 3504, so it goes to the even
    // 3504; the exact product truncates to 3503.
    const double tieScale = 0x1.b6522f68e3aabp-1;
    struct Row {
        int64_t Value;
        double Scale;
        int64_t Product, Quotient;
    };
    const Row rows[] = {
        {5, 0.0, 0, Max64},        // 5 / 0 is +infinity
        {5, -0.0, 0, Min64},       // 5 / -0 is -infinity
        {-5, -0.0, 0, Max64},
        {0, 0.0, 0, 0},            // 0 / 0 is NaN
        {0, Inf, 0, 0},            // 0 * infinity is NaN
        {3, Inf, Max64, 0},
        {-3, Inf, Min64, 0},
        {3, -Inf, Min64, 0},
        {-3, -Inf, Max64, 0},
        {5, std::nan(""), 0, 0},
        {7, -0.75, -5, -9},        // -5.25 and -9.33 truncate toward zero
        {-7, -0.75, 5, 9},
        {Max64, denormMin, 0, Max64},
        {Min64, denormMin, 0, Min64},
        {1, dblMax, Max64, 0},
        {-1, dblMax, Min64, 0},
        {1, 0x1p62, int64_t{1} << 62, 0},
        {2, 0x1p62, Max64, 0},     // 2^63 saturates
        {-2, 0x1p62, Min64, 0},    // -2^63 is in range
        {Min64, -1.0, Max64, Max64},
        {Min64, 1.0, Min64, Min64},
        {Min64, 0.5, -(int64_t{1} << 62), Min64},
        {Max64, 1.0, Max64, Max64},
        // (2^63 - 1)(1 - 2^-53) = 2^63 - 1025 + 2^-53 rounds to 2^63 - 1025
        // (the step is 1/2 there); a double product would give 2^63.
        // (2^63 - 1) / (1 - 2^-53) is above 2^63.
        {Max64, 1 - 0x1p-53, Max64 - 1024, Max64},
        // (2^63 - 1)(1 + 2^-52) is above 2^63; (2^63 - 1) / (1 + 2^-52) is
        // 2^63 - 2049 + 2^-52 + 2^-41 - ..., which rounds to 2^63 - 2049.
        {Max64, 1 + 0x1p-52, Max64, Max64 - 2048},
        {4093, tieScale, 3504, 4781},
        {-4093, tieScale, -3504, -4781},
        {4093, -tieScale / 8, -438, -38248}, // 438 - 2^-56, the same tie
        // The map's scale over 6403 light years: 273 / 0x1.5d46ba12a19abp-5
        // is 6403 - 1.6e-16, within half a step (2^-52) of 6403.
        {273, 0x1.5d46ba12a19abp-5, 11, 6403},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(testing::Message() << row.Value << " and " << std::hexfloat << row.Scale);
        EXPECT_EQ(ExtendedTruncProduct(row.Value, row.Scale), row.Product);
        EXPECT_EQ(ExtendedTruncQuotient(row.Value, row.Scale), row.Quotient);
    }
}

// Quotients rounded twice, to 64 bits and then to 53. The first two rows
// land on a halfway point between doubles at 64 bits and go to the even
// one, where a single rounding goes the other way (the correctly rounded
// quotient is given beside them).
TEST(Extended, QuotientToDoubleByHand)
{
    struct Row {
        int64_t Numerator, Denominator;
        double Quotient;
    };
    const Row rows[] = {
        {228, 3431, 0x1.1030f2587df2cp-4},  // once: 0x1.1030f2587df2bp-4
        {273, 43291, 0x1.9d47d1af8a950p-8}, // once: 0x1.9d47d1af8a951p-8
        {-228, 3431, -0x1.1030f2587df2cp-4},
        {228, -3431, -0x1.1030f2587df2cp-4},
        {273, 9, 0x1.e555555555555p+4},
        {1, 3, 0x1.5555555555555p-2},
        {Min64, -1, 0x1p63},
        {Min64, Max64, -1.0},               // -(1 + 2^-63 + 2^-126 ...): -(1 + 2^-63) at 64 bits
        {1, Max64, 0x1p-63},
        {Max64, Min64, -1.0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(testing::Message() << row.Numerator << " / " << row.Denominator);
        EXPECT_EQ(std::bit_cast<uint64_t>(ExtendedQuotientToDouble(row.Numerator, row.Denominator)),
                  std::bit_cast<uint64_t>(row.Quotient));
    }
    EXPECT_TRUE(std::isnan(ExtendedQuotientToDouble(0, 0)));
    EXPECT_EQ(ExtendedQuotientToDouble(5, 0), Inf);
    EXPECT_EQ(ExtendedQuotientToDouble(-5, 0), -Inf);
    EXPECT_TRUE(std::signbit(ExtendedQuotientToDouble(0, -5)));
    EXPECT_FALSE(std::signbit(ExtendedQuotientToDouble(0, 5)));
}

#ifdef ZV_HAVE_X87

namespace {

#ifdef ZV_SLOW_BUILD
constexpr int SweepStep = 16;
constexpr int RandomCases = 1 << 17;
#else
constexpr int SweepStep = 1;
constexpr int RandomCases = 1 << 21;
#endif

// The saturating truncation, for messages only:
// a conversion to an integer switches the x87 rounding mode twice, which
// costs more than everything else in the sweeps.
int64_t X87Trunc(TX87 Value)
{
    if (Value != Value)
        return 0;
    if (Value >= static_cast<TX87>(0x1p63))
        return Max64;
    if (Value <= static_cast<TX87>(-0x1p63))
        return Min64;
    return static_cast<int64_t>(Value);
}

// Whether Whole is the saturating truncation of Value, checked by comparisons
// in the x87 format (every int64, and every int64 plus or minus 1, is exact
// there). Inlined: an x87 value passed in memory stalls the sweeps.
[[gnu::always_inline]] inline bool TruncatesTo(TX87 Value, int64_t Whole)
{
    if (Value != Value)
        return Whole == 0;
    if (Value >= static_cast<TX87>(0x1p63))
        return Whole == Max64;
    if (Value <= static_cast<TX87>(-0x1p63))
        return Whole == Min64;
    const auto whole = static_cast<TX87>(Whole);
    if (Value >= 0)
        return Whole >= 0 && whole <= Value && Value < whole + 1;
    return Whole <= 0 && whole >= Value && Value > whole - 1;
}

double X87QuotientToDouble(int64_t Numerator, int64_t Denominator)
{
    return static_cast<double>(static_cast<TX87>(Numerator) / static_cast<TX87>(Denominator));
}

// Counts disagreements with the x87 and reports the first few. Quotients are
// never taken with a zero scale: a floating-point division by zero is left
// to the worked values.
class TCompare
{
public:
    explicit TCompare(const char *What) : FWhat(What) {}
    ~TCompare() { EXPECT_EQ(FFailures, 0) << FWhat << ": " << FFailures << " of " << FChecks << " differ"; }

    void Product(int64_t Value, double Scale)
    {
        const int64_t ours = ExtendedTruncProduct(Value, Scale);
        const TX87 x87 = static_cast<TX87>(Value) * static_cast<TX87>(Scale);
        ++FChecks;
        if (!TruncatesTo(x87, ours))
            Fail("*", Value, Scale, ours, X87Trunc(x87));
    }
    void Quotient(int64_t Value, double Scale)
    {
        const int64_t ours = ExtendedTruncQuotient(Value, Scale);
        const TX87 x87 = static_cast<TX87>(Value) / static_cast<TX87>(Scale);
        ++FChecks;
        if (!TruncatesTo(x87, ours))
            Fail("/", Value, Scale, ours, X87Trunc(x87));
    }

private:
    void Fail(const char *Op, int64_t Value, double Scale, int64_t Ours, int64_t X87)
    {
        if (++FFailures <= 5)
            ADD_FAILURE() << FWhat << ": " << Value << ' ' << Op << ' ' << std::hexfloat << Scale << " gives "
                          << Ours << ", the x87 " << X87;
    }

    const char *FWhat;
    int64_t FChecks = 0, FFailures = 0;
};

// Bit patterns of doubles with a chosen binary exponent: 53 random mantissa
// bits times 2^Exp (Exp within the normal range).
double RandomDouble(std::mt19937_64 &Random, int Exp)
{
    const uint64_t fraction = Random() >> 12;
    return std::bit_cast<double>((static_cast<uint64_t>(Exp + 1023) << 52) | fraction);
}

uint64_t Magnitude(int64_t Value)
{
    return Value < 0 ? uint64_t{0} - static_cast<uint64_t>(Value) : static_cast<uint64_t>(Value);
}

// A random int64 of a random bit length, either sign; 64 bits long only as
// the most negative value.
int64_t RandomInt64(std::mt19937_64 &Random)
{
    const int bits = static_cast<int>(Random() % 65);
    if (bits == 0)
        return 0;
    if (bits == 64)
        return Min64;
    const auto magnitude = static_cast<int64_t>(((Random() >> 1) >> (63 - bits)) | (uint64_t{1} << (bits - 1)));
    return (Random() & 1) ? -magnitude : magnitude;
}

} // namespace

// The map's scales: 273 and 228 pixels over every extent up to 65535, either
// sign. Among them are 17 positive ones that a single rounding would give
// differently; the count shows the sweep meets them.
TEST(ExtendedX87, MapScales)
{
    int64_t failures = 0, twice = 0;
    for (const int pixels : MapSizes) {
        for (int32_t extent = -65535; extent <= 65535; ++extent) {
            if (extent == 0)
                continue;
            const double x87 = X87QuotientToDouble(pixels, extent);
            const double ours = ExtendedQuotientToDouble(pixels, extent);
            if (std::bit_cast<uint64_t>(ours) != std::bit_cast<uint64_t>(x87) && ++failures <= 5)
                ADD_FAILURE() << pixels << " / " << extent << ": " << std::hexfloat << ours << ", the x87 " << x87;
            if (extent > 0 && x87 != static_cast<double>(pixels) / extent)
                ++twice;
        }
    }
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(twice, 17);
}

// Every map scale of one axis against every distance up to 4095 light
// years, and the far edge (the extent itself and its neighbours) of every
// view. One test per axis, so that they can run side by side.
void SweepMapProducts(int Pixels)
{
    TCompare compare("map products");
    for (int64_t extent = 1; extent <= 65535; extent += SweepStep) {
        const double scale = X87QuotientToDouble(Pixels, extent);
        for (int64_t at = 0; at < 4096; ++at)
            compare.Product(at, scale);
        for (int64_t at = extent - 1; at <= extent + 1; ++at)
            compare.Product(at, scale);
    }
}

TEST(ExtendedX87, MapProductsAcross)
{
    SweepMapProducts(273);
}

TEST(ExtendedX87, MapProductsDown)
{
    SweepMapProducts(228);
}

// Every map scale against every pixel of its axis, the far edge included.
// Among them are 33 quotients that the 64-bit rounding lifts to the next
// whole number (273 / fl(273 / 6403) is 6403, not 6402).
TEST(ExtendedX87, MapQuotients)
{
    TCompare compare("map quotients");
    for (const int pixels : MapSizes) {
        for (int64_t extent = 1; extent <= 65535; extent += SweepStep) {
            const double scale = X87QuotientToDouble(pixels, extent);
            for (int64_t at = 0; at <= pixels; ++at)
                compare.Quotient(at, scale);
        }
    }
}

// Every placement scale, (width) / W for the five universe sizes and W up to
// 4096, against every pixel up to 4095.
TEST(ExtendedX87, PlacementProducts)
{
    TCompare compare("placement");
    for (const int size : UniverseSizes) {
        for (int w = 1; w <= 4096; w += SweepStep) {
            const double scale = static_cast<double>(size) / w;
            for (int64_t px = 0; px < 4096; ++px)
                compare.Product(px, scale);
        }
    }
}

// Random operands: any finite double bit pattern with a random int64, then
// pairs chosen so that the result lies between 1/4 and 2^66 in size, where
// the rounding position moves through every bit of the mantissa, and the
// 2^63 edge.
TEST(ExtendedX87, RandomOperands)
{
    std::mt19937_64 random(13);
    TCompare any("any double"), near("results near the integers");
    for (int i = 0; i < RandomCases; ++i) {
        double scale;
        do
            scale = std::bit_cast<double>(random());
        while (!std::isfinite(scale) || scale == 0);
        const int64_t value = RandomInt64(random);
        any.Product(value, scale);
        any.Quotient(value, scale);
    }
    for (int i = 0; i < RandomCases; ++i) {
        const int64_t value = RandomInt64(random);
        const int bits = 64 - std::countl_zero(Magnitude(value));
        const int target = static_cast<int>(random() % 69) - 2; // log2 of the result
        const double sign = (random() & 1) ? -1.0 : 1.0;
        near.Product(value, sign * RandomDouble(random, target - bits));
        near.Quotient(value, sign * RandomDouble(random, bits - target));
    }
}

// Quotients of random int64 pairs, rounded twice. About one in 4000 lands on
// a halfway point between doubles at 64 bits.
TEST(ExtendedX87, RandomQuotientsToDouble)
{
    std::mt19937_64 random(31);
    int64_t failures = 0;
    for (int i = 0; i < RandomCases; ++i) {
        const int64_t numerator = RandomInt64(random);
        int64_t denominator = RandomInt64(random);
        if (denominator == 0)
            denominator = 1;
        const double x87 = X87QuotientToDouble(numerator, denominator);
        const double ours = ExtendedQuotientToDouble(numerator, denominator);
        if (std::bit_cast<uint64_t>(ours) != std::bit_cast<uint64_t>(x87) && ++failures <= 5)
            ADD_FAILURE() << numerator << " / " << denominator << ": " << std::hexfloat << ours << ", the x87 "
                          << x87;
    }
    EXPECT_EQ(failures, 0);
}

#ifdef __SIZEOF_INT128__
// Products just below a whole number n, by at most half a step of the 64-bit
// mantissa, so the rounding carries up to n: Value * M is odd, 65 to 116 bits
// long, with its low K bits all ones, and the scale is M * 2^-K. Such
// products are far too rare for the sweeps (none of the map's or the
// placement's products is one), and with 65 bits they are exact ties. The
// results run up to the 2^63 edge, where the rounding saturates.
TEST(ExtendedX87, ProductsRoundedUpToWholeNumbers)
{
    using u128 = unsigned __int128;
    std::mt19937_64 random(7);
    TCompare compare("carried products");
    int64_t ties = 0;
    for (int made = 0; made < RandomCases / 4;) {
        const int valueBits = 2 + static_cast<int>(random() % 62);
        const uint64_t value = (random() >> (64 - valueBits)) | (uint64_t{1} << (valueBits - 1)) | 1;
        const int k = 1 + static_cast<int>(random() % 64);
        // The inverse of the odd value modulo 2^64, by Newton's iteration.
        uint64_t inverse = value;
        for (int i = 0; i < 6; ++i)
            inverse *= 2 - value * inverse;
        const uint64_t lowMask = k == 64 ? ~uint64_t{0} : (uint64_t{1} << k) - 1;
        uint64_t m = (uint64_t{0} - inverse) & lowMask; // value * m = -1 modulo 2^k
        if (m >= (uint64_t{1} << 53))
            continue;
        if (k < 53)
            m += (random() % (((uint64_t{1} << 53) - 1 - m) >> k) + 1) << k;
        const u128 product = static_cast<u128>(value) * m;
        const int length = product >> 64 == 0 ? 64 - std::countl_zero(static_cast<uint64_t>(product))
                                              : 128 - std::countl_zero(static_cast<uint64_t>(product >> 64));
        // At least one bit below the mantissa, none of them beyond the ones,
        // and a whole part of at most 64 bits.
        if (length < 65 || k < length - 64 || length - k > 64)
            continue;
        ++made;
        ties += length == 65;
        const double scale = std::ldexp(static_cast<double>(m), -k);
        compare.Product(static_cast<int64_t>(value), scale);
        compare.Product(-static_cast<int64_t>(value), scale);
        compare.Product(static_cast<int64_t>(value), -scale);
    }
    EXPECT_GT(ties, 0);
}
#endif

#else

TEST(ExtendedX87, Sweeps)
{
    GTEST_SKIP() << "this compiler offers no x87 extended format to compare with";
}

#endif
