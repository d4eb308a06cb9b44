#pragma once

// The elementary functions of the per-sample code.
//
// Fast:: holds inline, branch-free (SSE2-only) versions of exp, exp2, tanh, sin, cos,
// asin(sin(x)), log and pow, each within a few units in the last place of the true value over the range the
// engine uses them in (see FastMathTest for the bounds); they follow the libm special cases: NaN in,
// NaN out; exp over- and underflows to inf and 0; tanh saturates to +-1 and keeps 0 and its sign;
// sin and cos reduce any finite argument (beyond 2^20 * pi / 2 through libm).
//
// Math:: is what the stages call: the Fast:: functions, or libm's own when the engine is built with
// GRUNDMOOR_EXACT_MATH (the exact-maths engine the sound is compared with).

#include <bit>
#include <cmath>
#include <cstdint>

namespace TarnwellPlugin::Fast {

namespace Detail {

// 2^(j / 64), j = 0..63, correctly rounded.
alignas(64) inline constexpr double kExp2Table[64] = {
    0x1.0000000000000p+0, 0x1.02c9a3e778061p+0, 0x1.059b0d3158574p+0, 0x1.0874518759bc8p+0,
    0x1.0b5586cf9890fp+0, 0x1.0e3ec32d3d1a2p+0, 0x1.11301d0125b51p+0, 0x1.1429aaea92de0p+0,
    0x1.172b83c7d517bp+0, 0x1.1a35beb6fcb75p+0, 0x1.1d4873168b9aap+0, 0x1.2063b88628cd6p+0,
    0x1.2387a6e756238p+0, 0x1.26b4565e27cddp+0, 0x1.29e9df51fdee1p+0, 0x1.2d285a6e4030bp+0,
    0x1.306fe0a31b715p+0, 0x1.33c08b26416ffp+0, 0x1.371a7373aa9cbp+0, 0x1.3a7db34e59ff7p+0,
    0x1.3dea64c123422p+0, 0x1.4160a21f72e2ap+0, 0x1.44e086061892dp+0, 0x1.486a2b5c13cd0p+0,
    0x1.4bfdad5362a27p+0, 0x1.4f9b2769d2ca7p+0, 0x1.5342b569d4f82p+0, 0x1.56f4736b527dap+0,
    0x1.5ab07dd485429p+0, 0x1.5e76f15ad2148p+0, 0x1.6247eb03a5585p+0, 0x1.6623882552225p+0,
    0x1.6a09e667f3bcdp+0, 0x1.6dfb23c651a2fp+0, 0x1.71f75e8ec5f74p+0, 0x1.75feb564267c9p+0,
    0x1.7a11473eb0187p+0, 0x1.7e2f336cf4e62p+0, 0x1.82589994cce13p+0, 0x1.868d99b4492edp+0,
    0x1.8ace5422aa0dbp+0, 0x1.8f1ae99157736p+0, 0x1.93737b0cdc5e5p+0, 0x1.97d829fde4e50p+0,
    0x1.9c49182a3f090p+0, 0x1.a0c667b5de565p+0, 0x1.a5503b23e255dp+0, 0x1.a9e6b5579fdbfp+0,
    0x1.ae89f995ad3adp+0, 0x1.b33a2b84f15fbp+0, 0x1.b7f76f2fb5e47p+0, 0x1.bcc1e904bc1d2p+0,
    0x1.c199bdd85529cp+0, 0x1.c67f12e57d14bp+0, 0x1.cb720dcef9069p+0, 0x1.d072d4a07897cp+0,
    0x1.d5818dcfba487p+0, 0x1.da9e603db3285p+0, 0x1.dfc97337b9b5fp+0, 0x1.e502ee78b3ff6p+0,
    0x1.ea4afa2a490dap+0, 0x1.efa1bee615a27p+0, 0x1.f50765b6e4540p+0, 0x1.fa7c1819e90d8p+0,
};

// Adding and subtracting 1.5 * 2^52 rounds a double of magnitude below 2^51 to the nearest integer;
// the integer is also in the low mantissa bits of the sum.
inline constexpr double kRoundShifter = 0x1.8p52;

inline int32_t lowBits(double shifted) { return static_cast<int32_t>(static_cast<uint32_t>(std::bit_cast<uint64_t>(shifted))); }

// 2^k for k in [-1022, 1023].
inline double powerOfTwo(int32_t k) { return std::bit_cast<double>(static_cast<uint64_t>(k + 1023) << 52); }

// 2^(n / 64) * e^r for |r| <= ln 2 / 128 and n in [-68900, 65600]: the scale in two halves so
// that results in the subnormal range and overflow to inf come out as libm's do.
inline double scaledExp(int32_t n, double r) {
    const double p = 1.0 + r * (1.0 + r * (0.5 + r * (1.0 / 6.0 + r * (1.0 / 24.0 + r * (1.0 / 120.0)))));
    const int32_t k = n >> 6; // floor(n / 64)
    const int32_t k1 = k >> 1;
    return kExp2Table[n & 63] * p * powerOfTwo(k1) * powerOfTwo(k - k1);
}

// The limits beyond which exp is inf or 0 (with room for the rounding of the last subnormal).
inline double clampExpArgument(double x, double lo, double hi) {
    x = x > hi ? hi : x; // a NaN passes both
    return x < lo ? lo : x;
}

// pi / 2 in three parts of 33 significant bits: n times each is exact for |n| < 2^20.
inline constexpr double kHalfPi1 = 1.57079632673412561417e+00;
inline constexpr double kHalfPi2 = 6.07710050630396597660e-11;
inline constexpr double kHalfPi3 = 2.02226624871116645580e-21;
inline constexpr double kTwoOverPi = 0.63661977236758134308;
inline constexpr double kReductionLimit = 1.6e6; // < 2^20 * pi / 2

// sin and cos of |r| <= pi / 4: Taylor series to r^15 and r^16 (truncation below 5e-17).
inline double sinKernel(double r) {
    const double z = r * r;
    // r times (1 + ...), not r + r * (...): keeps the sign of a zero r.
    return r * (1.0 +
                z * (-1.0 / 6.0 +
                    z * (1.0 / 120.0 +
                         z * (-1.0 / 5040.0 +
                              z * (1.0 / 362880.0 +
                                   z * (-1.0 / 39916800.0 + z * (1.0 / 6227020800.0 + z * (-1.0 / 1307674368000.0))))))));
}
inline double cosKernel(double r) {
    const double z = r * r;
    return 1.0 - 0.5 * z +
           z * z *
               (1.0 / 24.0 +
                z * (-1.0 / 720.0 +
                     z * (1.0 / 40320.0 +
                          z * (-1.0 / 3628800.0 +
                               z * (1.0 / 479001600.0 + z * (-1.0 / 87178291200.0 + z * (1.0 / 20922789888000.0)))))));
}

// x = q * pi / 2 + r, |r| <= pi / 4 (for |x| <= kReductionLimit).
inline double reduceHalfPi(double x, int32_t& q) {
    const double shifted = x * kTwoOverPi + kRoundShifter;
    q = lowBits(shifted);
    const double n = shifted - kRoundShifter;
    return ((x - n * kHalfPi1) - n * kHalfPi2) - n * kHalfPi3;
}

// sin(q * pi / 2 + r).
inline double sinOfQuadrant(int32_t q, double r) {
    const double s = sinKernel(r), c = cosKernel(r);
    const double v = (q & 1) ? c : s;
    return (q & 2) ? -v : v;
}

} // namespace Detail

// e^x.
inline double exp(double x) {
    using namespace Detail;
    constexpr double kSixtyFourOverLn2 = 92.332482616893656877;     // 64 / ln 2
    constexpr double kLn2Over64Hi = 6.93147180369123816490e-01 / 64; // 32 significant bits
    constexpr double kLn2Over64Lo = 1.90821492927058770002e-10 / 64;
    x = clampExpArgument(x, -746.0, 710.0);
    const double shifted = x * kSixtyFourOverLn2 + kRoundShifter;
    const double n = shifted - kRoundShifter;
    const double r = (x - n * kLn2Over64Hi) - n * kLn2Over64Lo;
    return scaledExp(lowBits(shifted), r);
}

// 2^x.
inline double exp2(double x) {
    using namespace Detail;
    constexpr double kLn2 = 0.69314718055994530942;
    x = clampExpArgument(x, -1076.0, 1025.0);
    const double shifted = x * 64.0 + kRoundShifter;
    const double n = shifted - kRoundShifter;
    const double r = (x - n * (1.0 / 64.0)) * kLn2; // the difference is exact
    return scaledExp(lowBits(shifted), r);
}

// tanh x: a Taylor series near 0 (where (e - 1) / (e + 1) would lose its relative precision),
// 1 - 2 / (e^2|x| + 1) elsewhere, 1 from |x| = 20 on (tanh 20 rounds to 1).
inline double tanh(double x) {
    double a = std::fabs(x);
    a = a > 20.0 ? 20.0 : a; // a NaN passes
    const double e = exp(2.0 * a);
    const double large = 1.0 - 2.0 / (e + 1.0); // rounds well next to 1, unlike (e - 1) / (e + 1)
    const double z = a * a;
    const double small = a + a * z * (-1.0 / 3.0 + z * (2.0 / 15.0 + z * (-17.0 / 315.0 + z * (62.0 / 2835.0))));
    return std::copysign(a < 0.04 ? small : large, x);
}

// sin x.
inline double sin(double x) {
    if (std::fabs(x) > Detail::kReductionLimit) return std::sin(x); // also +-inf
    int32_t q = 0;
    const double r = Detail::reduceHalfPi(x, q);
    return Detail::sinOfQuadrant(q, r);
}

// cos x.
inline double cos(double x) {
    if (std::fabs(x) > Detail::kReductionLimit) return std::cos(x);
    int32_t q = 0;
    const double r = Detail::reduceHalfPi(x, q);
    return Detail::sinOfQuadrant(q + 1, r);
}

// asin(sin x), the triangle wave through 0 with slope 1 and peaks +-pi / 2: x minus the nearest
// multiple n * pi, negated for odd n. libm's composition loses up to ~1.5e-8 near the peaks, where
// asin is steep; this is exact to the rounding of the reduction.
inline double asinOfSin(double x) {
    using namespace Detail;
    if (std::fabs(x) > kReductionLimit) return std::asin(std::sin(x));
    constexpr double kOneOverPi = 0.31830988618379067154;
    const double shifted = x * kOneOverPi + kRoundShifter;
    const int32_t q = lowBits(shifted);
    const double n = shifted - kRoundShifter;
    const double r = ((x - n * (2.0 * kHalfPi1)) - n * (2.0 * kHalfPi2)) - n * (2.0 * kHalfPi3);
    return (q & 1) ? -r : r;
}

// ln x for positive normal x (0, subnormals, negatives, inf and NaN through libm): x = m * 2^k with
// m in [sqrt(1/2), sqrt(2)), ln m = 2 atanh(s), s = (m - 1) / (m + 1), |s| <= 0.1716, by its series
// to s^21 (truncation below 2e-17 relative).
inline double log(double x) {
    if (!(x >= 0x1p-1022 && x <= 0x1.fffffffffffffp+1023)) return std::log(x);
    constexpr double kLn2Hi = 6.93147180369123816490e-01; // 32 significant bits
    constexpr double kLn2Lo = 1.90821492927058770002e-10;
    const uint64_t bits = std::bit_cast<uint64_t>(x);
    // Exponent and mantissa, the mantissa moved into [sqrt(1/2), sqrt(2)).
    const uint64_t shiftedBits = bits + (0x3ff0000000000000ull - 0x3fe6a09e667f3bcdull);
    const int32_t k = static_cast<int32_t>(shiftedBits >> 52) - 1023;
    const double m = std::bit_cast<double>(bits - (static_cast<uint64_t>(static_cast<int64_t>(k)) << 52));
    const double f = m - 1.0;
    const double s = f / (2.0 + f);
    const double z = s * s;
    const double series =
        z * (1.0 / 3.0 +
             z * (1.0 / 5.0 +
                  z * (1.0 / 7.0 +
                       z * (1.0 / 9.0 +
                            z * (1.0 / 11.0 +
                                 z * (1.0 / 13.0 +
                                      z * (1.0 / 15.0 + z * (1.0 / 17.0 + z * (1.0 / 19.0 + z * (1.0 / 21.0))))))))));
    const double dk = static_cast<double>(k);
    return dk * kLn2Hi + (2.0 * s + (2.0 * s * series + dk * kLn2Lo));
}

// x^y for positive normal x and finite y as e^(y ln x) (every other case through libm); the
// relative error grows with |y ln x| (about 2e-16 times it, plus the rounding of exp).
inline double pow(double x, double y) {
    if (!(x >= 0x1p-1022 && x <= 0x1.fffffffffffffp+1023 && std::fabs(y) <= 0x1.fffffffffffffp+1023))
        return std::pow(x, y);
    return exp(y * log(x));
}

} // namespace TarnwellPlugin::Fast

namespace TarnwellPlugin::Math {

// The inline namespace keeps the two builds' functions apart should both ever meet in one binary.
#if defined(GRUNDMOOR_EXACT_MATH) && GRUNDMOOR_EXACT_MATH
inline namespace Exact {
inline double exp(double x) { return std::exp(x); }
inline double exp2(double x) { return std::exp2(x); }
inline double tanh(double x) { return std::tanh(x); }
inline double sin(double x) { return std::sin(x); }
inline double cos(double x) { return std::cos(x); }
inline double asinOfSin(double x) { return std::asin(std::sin(x)); }
inline double log(double x) { return std::log(x); }
inline double pow(double x, double y) { return std::pow(x, y); }
inline float tanh(float x) { return std::tanh(x); }
inline constexpr bool kFast = false;
} // namespace Exact
#else
inline namespace Approximate {
inline double exp(double x) { return Fast::exp(x); }
inline double exp2(double x) { return Fast::exp2(x); }
inline double tanh(double x) { return Fast::tanh(x); }
inline double sin(double x) { return Fast::sin(x); }
inline double cos(double x) { return Fast::cos(x); }
inline double asinOfSin(double x) { return Fast::asinOfSin(x); }
inline double log(double x) { return Fast::log(x); }
inline double pow(double x, double y) { return Fast::pow(x, y); }
// Rounded from the double: within one float ulp of libm's tanhf.
inline float tanh(float x) { return static_cast<float>(Fast::tanh(x)); }
inline constexpr bool kFast = true;
} // namespace Approximate
#endif

} // namespace TarnwellPlugin::Math
