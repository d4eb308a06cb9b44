#pragma once

// The elementary functions of the per-sample code.
//
// Fast:: holds inline versions of exp, exp2, tanh, sin, cos, sin with sin 2x, asin(sin(x)), log
// and pow: table-driven reductions and short series, branch-free but for the rare arguments that go
// to libm, SSE2 only. Each stays within a few units in the last place of libm's value over the range
// the engine uses it in (FastMathTest asserts the bounds), and follows libm's special cases: NaN in,
// NaN out; exp over- and underflows to inf and 0; tanh saturates to +-1 and keeps 0 and its sign;
// sin and cos reduce any finite argument (beyond 1e5 through libm).
//
// Math:: is what the stages call: the Fast:: functions, or libm's own when the engine is built with
// GRUNDMOOR_EXACT_MATH (the exact-maths engine the sound is compared with).

#include <bit>
#include <cmath>
#include <cstdint>

#include <emmintrin.h>

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

// 2^(n / 64) * e^r for |r| <= ln 2 / 128 and n in [-68900, 65600]; results in the subnormal range
// and overflow to inf come out as libm's do.
inline double scaledExp(int32_t n, double r) {
    // The series to r^5 (truncation below 4e-17), in two halves that evaluate side by side.
    const double z = r * r;
    const double p = (1.0 + r) + (z * (0.5 + r * (1.0 / 6.0)) + (z * z) * (1.0 / 24.0 + r * (1.0 / 120.0)));
    const int32_t k = n >> 6; // floor(n / 64)
    const int32_t k1 = k >> 1;
    // The scale depends on n alone, so it is ready before the series; in two halves (and with the
    // series in between) only where 2^k itself is no normal number.
    if (k >= -1022 && k <= 1023) [[likely]]
        return (kExp2Table[n & 63] * powerOfTwo(k)) * p;
    return (kExp2Table[n & 63] * powerOfTwo(k1) * p) * powerOfTwo(k - k1);
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

// sin(j pi / 32), j = 0..63, correctly rounded (cos(j pi / 32) is entry j + 16).
alignas(64) inline constexpr double kSinTable[64] = {
    0x0.0p+0, 0x1.917a6bc29b42cp-4, 0x1.8f8b83c69a60bp-3, 0x1.294062ed59f06p-2,
    0x1.87de2a6aea963p-2, 0x1.e2b5d3806f63bp-2, 0x1.1c73b39ae68c8p-1, 0x1.44cf325091dd6p-1,
    0x1.6a09e667f3bcdp-1, 0x1.8bc806b151741p-1, 0x1.a9b66290ea1a3p-1, 0x1.c38b2f180bdb1p-1,
    0x1.d906bcf328d46p-1, 0x1.e9f4156c62ddap-1, 0x1.f6297cff75cb0p-1, 0x1.fd88da3d12526p-1,
    0x1.0000000000000p+0, 0x1.fd88da3d12526p-1, 0x1.f6297cff75cb0p-1, 0x1.e9f4156c62ddap-1,
    0x1.d906bcf328d46p-1, 0x1.c38b2f180bdb1p-1, 0x1.a9b66290ea1a3p-1, 0x1.8bc806b151741p-1,
    0x1.6a09e667f3bcdp-1, 0x1.44cf325091dd6p-1, 0x1.1c73b39ae68c8p-1, 0x1.e2b5d3806f63bp-2,
    0x1.87de2a6aea963p-2, 0x1.294062ed59f06p-2, 0x1.8f8b83c69a60bp-3, 0x1.917a6bc29b42cp-4,
    0x0.0p+0, -0x1.917a6bc29b42cp-4, -0x1.8f8b83c69a60bp-3, -0x1.294062ed59f06p-2,
    -0x1.87de2a6aea963p-2, -0x1.e2b5d3806f63bp-2, -0x1.1c73b39ae68c8p-1, -0x1.44cf325091dd6p-1,
    -0x1.6a09e667f3bcdp-1, -0x1.8bc806b151741p-1, -0x1.a9b66290ea1a3p-1, -0x1.c38b2f180bdb1p-1,
    -0x1.d906bcf328d46p-1, -0x1.e9f4156c62ddap-1, -0x1.f6297cff75cb0p-1, -0x1.fd88da3d12526p-1,
    -0x1.0000000000000p+0, -0x1.fd88da3d12526p-1, -0x1.f6297cff75cb0p-1, -0x1.e9f4156c62ddap-1,
    -0x1.d906bcf328d46p-1, -0x1.c38b2f180bdb1p-1, -0x1.a9b66290ea1a3p-1, -0x1.8bc806b151741p-1,
    -0x1.6a09e667f3bcdp-1, -0x1.44cf325091dd6p-1, -0x1.1c73b39ae68c8p-1, -0x1.e2b5d3806f63bp-2,
    -0x1.87de2a6aea963p-2, -0x1.294062ed59f06p-2, -0x1.8f8b83c69a60bp-3, -0x1.917a6bc29b42cp-4,
};

// Beyond this, sin and cos go to libm: n = x / (pi / 32) stays below 2^20.
inline constexpr double kReductionLimit = 1.0e5;

// x = n pi / 32 + r, |r| <= pi / 64; the sine and cosine of r by their series (to r^7 and r^8;
// truncation below 1e-17).
struct Reduced {
    int32_t n;
    double sinR, cosR;
};
inline Reduced reducePiOver32(double x) {
    constexpr double kThirtyTwoOverPi = 10.185916357881301489;
    const double shifted = x * kThirtyTwoOverPi + kRoundShifter;
    const double n = shifted - kRoundShifter;
    const double r = ((x - n * (kHalfPi1 / 16)) - n * (kHalfPi2 / 16)) - n * (kHalfPi3 / 16);
    const double z = r * r;
    const double z2 = z * z;
    const double sinR = r + r * z * ((-1.0 / 6.0 + z * (1.0 / 120.0)) + z2 * (-1.0 / 5040.0));
    const double cosR = 1.0 + (z * (-0.5 + z * (1.0 / 24.0)) + z * z2 * (-1.0 / 720.0 + z * (1.0 / 40320.0)));
    return {lowBits(shifted), sinR, cosR};
}

// sin and cos of x from the reduction: sin(a + r) = sin a cos r + cos a sin r.
inline double sinOf(const Reduced& q) {
    return kSinTable[q.n & 63] * q.cosR + kSinTable[(q.n + 16) & 63] * q.sinR;
}
inline double cosOf(const Reduced& q) {
    return kSinTable[(q.n + 16) & 63] * q.cosR - kSinTable[q.n & 63] * q.sinR;
}

// ln x for pow, for positive normal x: x = m 2^k, m in [1, 2) near c = 1 + (j + 1/2) / 128
// (c = 1 for j = 0, so that ln 1 = 0 exactly), ln x = k ln 2 - ln(1 / c) + ln(1 + r), r = m / c - 1,
// |r| < 1/128, ln(1 + r) to r^7. Absolute error about 2e-16 (the rounding of m / c), which is what
// x^y = e^(y ln x) needs for moderate y.
alignas(64) inline constexpr double kLogInverseCentre[128] = {
    0x1.0000000000000p+0, 0x1.fa11caa01fa12p-1, 0x1.f6310aca0dbb5p-1, 0x1.f25f644230ab5p-1,
    0x1.ee9c7f8458e02p-1, 0x1.eae807aba01ebp-1, 0x1.e741aa59750e4p-1, 0x1.e3a9179dc1a73p-1,
    0x1.e01e01e01e01ep-1, 0x1.dca01dca01dcap-1, 0x1.d92f2231e7f8ap-1, 0x1.d5cac807572b2p-1,
    0x1.d272ca3fc5b1ap-1, 0x1.cf26e5c44bfc6p-1, 0x1.cbe6d9601cbe7p-1, 0x1.c8b265afb8a42p-1,
    0x1.c5894d10d4986p-1, 0x1.c26b5392ea01cp-1, 0x1.bf583ee868d8bp-1, 0x1.bc4fd65883e7bp-1,
    0x1.b951e2b18ff23p-1, 0x1.b65e2e3beee05p-1, 0x1.b37484ad806cep-1, 0x1.b094b31d922a4p-1,
    0x1.adbe87f94905ep-1, 0x1.aaf1d2f87ebfdp-1, 0x1.a82e65130e159p-1, 0x1.a574107688a4ap-1,
    0x1.a2c2a87c51ca0p-1, 0x1.a01a01a01a01ap-1, 0x1.9d79f176b682dp-1, 0x1.9ae24ea5510dap-1,
    0x1.9852f0d8ec0ffp-1, 0x1.95cbb0be377aep-1, 0x1.934c67f9b2ce6p-1, 0x1.90d4f120190d5p-1,
    0x1.8e6527af1373fp-1, 0x1.8bfce8062ff3ap-1, 0x1.899c0f601899cp-1, 0x1.87427bcc092b9p-1,
    0x1.84f00c2780614p-1, 0x1.82a4a0182a4a0p-1, 0x1.8060180601806p-1, 0x1.7e225515a4f1dp-1,
    0x1.7beb3922e017cp-1, 0x1.79baa6bb6398bp-1, 0x1.77908119ac60dp-1, 0x1.756cac201756dp-1,
    0x1.734f0c541fe8dp-1, 0x1.713786d9c7c09p-1, 0x1.6f26016f26017p-1, 0x1.6d1a62681c861p-1,
    0x1.6b1490aa31a3dp-1, 0x1.691473a88d0c0p-1, 0x1.6719f3601671ap-1, 0x1.6524f853b4aa3p-1,
    0x1.63356b88ac0dep-1, 0x1.614b36831ae94p-1, 0x1.5f66434292dfcp-1, 0x1.5d867c3ece2a5p-1,
    0x1.5babcc647fa91p-1, 0x1.59d61f123ccaap-1, 0x1.5805601580560p-1, 0x1.56397ba7c52e2p-1,
    0x1.54725e6bb82fep-1, 0x1.52aff56a8054bp-1, 0x1.50f22e111c4c5p-1, 0x1.4f38f62dd4c9bp-1,
    0x1.4d843bedc2c4cp-1, 0x1.4bd3edda68fe1p-1, 0x1.4a27fad76014ap-1, 0x1.4880522014880p-1,
    0x1.46dce34596066p-1, 0x1.453d9e2c776cap-1, 0x1.43a2730abee4dp-1, 0x1.420b5265e5951p-1,
    0x1.40782d10e6566p-1, 0x1.3ee8f42a5af07p-1, 0x1.3d5d991aa75c6p-1, 0x1.3bd60d9232955p-1,
    0x1.3a524387ac822p-1, 0x1.38d22d366088ep-1, 0x1.3755bd1c945eep-1, 0x1.35dce5f9f2af8p-1,
    0x1.34679ace01346p-1, 0x1.32f5ced6a1dfap-1, 0x1.3187758e9ebb6p-1, 0x1.301c82ac40260p-1,
    0x1.2eb4ea1fed14bp-1, 0x1.2d50a012d50a0p-1, 0x1.2bef98e5a3711p-1, 0x1.2a91c92f3c105p-1,
    0x1.293725bb804a5p-1, 0x1.27dfa38a1ce4dp-1, 0x1.268b37cd60127p-1, 0x1.2539d7e9177b2p-1,
    0x1.23eb79717605bp-1, 0x1.22a0122a0122ap-1, 0x1.21579804855e6p-1, 0x1.2012012012012p-1,
    0x1.1ecf43c7fb84cp-1, 0x1.1d8f5672e4abdp-1, 0x1.1c522fc1ce059p-1, 0x1.1b17c67f2bae3p-1,
    0x1.19e0119e0119ep-1, 0x1.18ab083902bdbp-1, 0x1.1778a191bd684p-1, 0x1.1648d50fc3201p-1,
    0x1.151b9a3fdd5c9p-1, 0x1.13f0e8d344724p-1, 0x1.12c8b89edc0acp-1, 0x1.11a3019a74826p-1,
    0x1.107fbbe011080p-1, 0x1.0f5edfab325a2p-1, 0x1.0e40655826011p-1, 0x1.0d24456359e3ap-1,
    0x1.0c0a7868b4171p-1, 0x1.0af2f722eecb5p-1, 0x1.09ddba6af8360p-1, 0x1.08cabb37565e2p-1,
    0x1.07b9f29b8eae2p-1, 0x1.06ab59c7912fbp-1, 0x1.059eea0727586p-1, 0x1.04949cc1664c5p-1,
    0x1.038c6b78247fcp-1, 0x1.02864fc7729e9p-1, 0x1.0182436517a37p-1, 0x1.0080402010080p-1,
};
// -ln(kLogInverseCentre[j]), correctly rounded.
alignas(64) inline constexpr double kLogCentre[128] = {
    0x0.0p+0, 0x1.7dc475f810a69p-7, 0x1.3cea44346a584p-6, 0x1.b9fc027af919ap-6,
    0x1.1b0d98923d97fp-5, 0x1.58a5bafc8e4d3p-5, 0x1.95c830ec8e3f2p-5, 0x1.d276b8adb0b56p-5,
    0x1.075983598e471p-4, 0x1.253f62f0a1417p-4, 0x1.42edcbea646eep-4, 0x1.60658a93750c4p-4,
    0x1.7da766d7b12d0p-4, 0x1.9ab42462033aep-4, 0x1.b78c82bb0eda0p-4, 0x1.d4313d66cb35dp-4,
    0x1.f0a30c01162a4p-4, 0x1.0671512ca596fp-3, 0x1.14785846742acp-3, 0x1.2266f190a5acdp-3,
    0x1.303d718e47fd5p-3, 0x1.3dfc2b0ecc62ap-3, 0x1.4ba36f39a55e5p-3, 0x1.59338d9982085p-3,
    0x1.66acd4272ad51p-3, 0x1.740f8f54037a3p-3, 0x1.815c0a14357e9p-3, 0x1.8e928de886d41p-3,
    0x1.9bb362e7dfb85p-3, 0x1.a8becfc882f19p-3, 0x1.b5b519e8fb5a6p-3, 0x1.c2968558c18c2p-3,
    0x1.cf6354e09c5ddp-3, 0x1.dc1bca0abec7bp-3, 0x1.e8c0252aa5a60p-3, 0x1.f550a564b7b37p-3,
    0x1.00e6c45ad501dp-2, 0x1.071b85fcd590dp-2, 0x1.0d46b579ab74bp-2, 0x1.136870293a8b0p-2,
    0x1.1980d2dd4236fp-2, 0x1.1f8ff9e48a2f3p-2, 0x1.2596010df763ap-2, 0x1.2b9303ab89d25p-2,
    0x1.31871c9544185p-2, 0x1.3772662bfd85cp-2, 0x1.3d54fa5c1f710p-2, 0x1.432ef2a04e813p-2,
    0x1.49006804009d0p-2, 0x1.4ec9732600269p-2, 0x1.548a2c3add263p-2, 0x1.5a42ab0f4cfe2p-2,
    0x1.5ff3070a793d4p-2, 0x1.659b57303e1f2p-2, 0x1.6b3bb2235943dp-2, 0x1.70d42e2789236p-2,
    0x1.7664e1239dbcfp-2, 0x1.7bede0a37afbfp-2, 0x1.816f41da0d495p-2, 0x1.86e919a330ba1p-2,
    0x1.8c5b7c858b48bp-2, 0x1.91c67eb45a83ep-2, 0x1.972a341135159p-2, 0x1.9c86b02dc0862p-2,
    0x1.a1dc064d5b995p-2, 0x1.a72a4966bd9e9p-2, 0x1.ac718c258b0e5p-2, 0x1.b1b1e0ebdfc5ap-2,
    0x1.b6eb59d3cf35cp-2, 0x1.bc1e08b0dad0ap-2, 0x1.c149ff115f027p-2, 0x1.c66f4e3ff6ff9p-2,
    0x1.cb8e0744d7acap-2, 0x1.d0a63ae721e64p-2, 0x1.d5b7f9ae2c684p-2, 0x1.dac353e2c5955p-2,
    0x1.dfc859906d5b5p-2, 0x1.e4c71a8687704p-2, 0x1.e9bfa659861f5p-2, 0x1.eeb20c640ddf3p-2,
    0x1.f39e5bc811e5dp-2, 0x1.f884a36fe9ec1p-2, 0x1.fd64f20f61571p-2, 0x1.011fab125ff8ap-1,
    0x1.0389eefce633cp-1, 0x1.05f14bd26459cp-1, 0x1.0855c884b450ep-1, 0x1.0ab76bece14d2p-1,
    0x1.0d163ccb9d6b8p-1, 0x1.0f7241c9b497dp-1, 0x1.11cb81787ccf8p-1, 0x1.1422025243d45p-1,
    0x1.1675cababa60ep-1, 0x1.18c6e0ff5cf07p-1, 0x1.1b154b57da29ep-1, 0x1.1d610fe677003p-1,
    0x1.1faa34b87094cp-1, 0x1.21f0bfc65beecp-1, 0x1.2434b6f483934p-1, 0x1.26762013430e0p-1,
    0x1.28b500df60783p-1, 0x1.2af15f02640acp-1, 0x1.2d2b4012edc9dp-1, 0x1.2f62a99509546p-1,
    0x1.3197a0fa7fe6ap-1, 0x1.33ca2ba328994p-1, 0x1.35fa4edd36ea0p-1, 0x1.38280fe58797fp-1,
    0x1.3a5373e7ebdf9p-1, 0x1.3c7c7fff73206p-1, 0x1.3ea33936b2f5bp-1, 0x1.40c7a4880dceap-1,
    0x1.42e9c6ddf80bfp-1, 0x1.4509a5133bb0ap-1, 0x1.472743f33aaadp-1, 0x1.4942a83a2fc07p-1,
    0x1.4b5bd6956e273p-1, 0x1.4d72d3a39fd01p-1, 0x1.4f87a3f5026e9p-1, 0x1.519a4c0ba3446p-1,
    0x1.53aad05b99b7cp-1, 0x1.55b9354b40bcep-1, 0x1.57c57f336f191p-1, 0x1.59cfb25fae87fp-1,
    0x1.5bd7d30e71c73p-1, 0x1.5ddde57149923p-1, 0x1.5fe1edad18919p-1, 0x1.61e3efda46467p-1,
};
inline double logForPow(double x) {
    constexpr double kLn2Hi = 6.93147180369123816490e-01; // 32 significant bits
    constexpr double kLn2Lo = 1.90821492927058770002e-10;
    const uint64_t bits = std::bit_cast<uint64_t>(x);
    const int32_t k = static_cast<int32_t>(bits >> 52) - 1023;
    const uint32_t j = static_cast<uint32_t>(bits >> 45) & 127u;
    const double m = std::bit_cast<double>((bits & 0x000fffffffffffffull) | 0x3ff0000000000000ull);
    const double r = m * kLogInverseCentre[j] - 1.0;
    const double z = r * r;
    const double series =
        r + z * ((-0.5 + r * (1.0 / 3.0)) + z * ((-0.25 + r * 0.2) + z * (-1.0 / 6.0 + r * (1.0 / 7.0))));
    const double dk = static_cast<double>(k);
    return (dk * kLn2Hi + kLogCentre[j]) + (series + dk * kLn2Lo);
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
    using namespace Detail;
    constexpr double kSixtyFourOverLn2 = 92.332482616893656877;
    constexpr double kLn2Over64Hi = 6.93147180369123816490e-01 / 64;
    constexpr double kLn2Over64Lo = 1.90821492927058770002e-10 / 64;
    double a = std::fabs(x);
    a = a > 20.0 ? 20.0 : a; // a NaN passes
    // e^2a as exp computes it, without its clamp and its subnormal path: 2a is in [0, 40], so
    // 2^k is always a normal number (a NaN gives a NaN all the same).
    const double twoA = 2.0 * a;
    const double shifted = twoA * kSixtyFourOverLn2 + kRoundShifter;
    const double n = shifted - kRoundShifter;
    const double r = (twoA - n * kLn2Over64Hi) - n * kLn2Over64Lo;
    const double rr = r * r;
    const double p = (1.0 + r) + (rr * (0.5 + r * (1.0 / 6.0)) + (rr * rr) * (1.0 / 24.0 + r * (1.0 / 120.0)));
    const int32_t bitsN = lowBits(shifted) & 0xfff; // n <= 3693; masking keeps a NaN's index in range
    const double e = (kExp2Table[bitsN & 63] * powerOfTwo(bitsN >> 6)) * p;
    const double large = 1.0 - 2.0 / (e + 1.0); // rounds well next to 1, unlike (e - 1) / (e + 1)
    const double z = a * a;
    const double small = a + a * z * (-1.0 / 3.0 + z * (2.0 / 15.0 + z * (-17.0 / 315.0 + z * (62.0 / 2835.0))));
    return std::copysign(a < 0.04 ? small : large, x);
}

// tanh of two values at once in SSE2's packed doubles: lane for lane the operations of tanh above
// in the same order, so each result has the same bits as tanh's (NaN in, NaN out).
inline __m128d tanh2(__m128d x) {
    using namespace Detail;
    constexpr double kSixtyFourOverLn2 = 92.332482616893656877;
    constexpr double kLn2Over64Hi = 6.93147180369123816490e-01 / 64;
    constexpr double kLn2Over64Lo = 1.90821492927058770002e-10 / 64;
    const __m128d signMask = _mm_set1_pd(-0.0);
    const __m128d one = _mm_set1_pd(1.0);
    __m128d a = _mm_andnot_pd(signMask, x);
    a = _mm_min_pd(_mm_set1_pd(20.0), a); // 20 < a ? 20 : a, so a NaN passes as in tanh
    const __m128d twoA = _mm_mul_pd(_mm_set1_pd(2.0), a);
    const __m128d shifter = _mm_set1_pd(kRoundShifter);
    const __m128d shifted = _mm_add_pd(_mm_mul_pd(twoA, _mm_set1_pd(kSixtyFourOverLn2)), shifter);
    const __m128d n = _mm_sub_pd(shifted, shifter);
    const __m128d r = _mm_sub_pd(_mm_sub_pd(twoA, _mm_mul_pd(n, _mm_set1_pd(kLn2Over64Hi))),
                                 _mm_mul_pd(n, _mm_set1_pd(kLn2Over64Lo)));
    const __m128d rr = _mm_mul_pd(r, r);
    const __m128d p = _mm_add_pd(
        _mm_add_pd(one, r),
        _mm_add_pd(_mm_mul_pd(rr, _mm_add_pd(_mm_set1_pd(0.5), _mm_mul_pd(r, _mm_set1_pd(1.0 / 6.0)))),
                   _mm_mul_pd(_mm_mul_pd(rr, rr),
                              _mm_add_pd(_mm_set1_pd(1.0 / 24.0), _mm_mul_pd(r, _mm_set1_pd(1.0 / 120.0))))));
    const __m128i bitsN = _mm_and_si128(_mm_castpd_si128(shifted), _mm_set1_epi64x(0xfff));
    const __m128i scale = _mm_slli_epi64(_mm_add_epi64(_mm_srli_epi64(bitsN, 6), _mm_set1_epi64x(1023)), 52);
    const auto low = static_cast<uint32_t>(_mm_cvtsi128_si32(bitsN));
    const auto high = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_unpackhi_epi64(bitsN, bitsN)));
    const __m128d table = _mm_set_pd(kExp2Table[high & 63], kExp2Table[low & 63]);
    const __m128d e = _mm_mul_pd(_mm_mul_pd(table, _mm_castsi128_pd(scale)), p);
    const __m128d large = _mm_sub_pd(one, _mm_div_pd(_mm_set1_pd(2.0), _mm_add_pd(e, one)));
    const __m128d z = _mm_mul_pd(a, a);
    const __m128d series = _mm_add_pd(
        _mm_set1_pd(-1.0 / 3.0),
        _mm_mul_pd(z, _mm_add_pd(_mm_set1_pd(2.0 / 15.0),
                                 _mm_mul_pd(z, _mm_add_pd(_mm_set1_pd(-17.0 / 315.0),
                                                          _mm_mul_pd(z, _mm_set1_pd(62.0 / 2835.0)))))));
    const __m128d small = _mm_add_pd(a, _mm_mul_pd(_mm_mul_pd(a, z), series));
    const __m128d useSmall = _mm_cmplt_pd(a, _mm_set1_pd(0.04));
    const __m128d magnitude = _mm_or_pd(_mm_and_pd(useSmall, small), _mm_andnot_pd(useSmall, large));
    return _mm_or_pd(_mm_andnot_pd(signMask, magnitude), _mm_and_pd(signMask, x));
}

// tanh of every value of x[0, count), two at a time.
inline void tanhInPlace(double* x, int32_t count) {
    int32_t i = 0;
    for (; i + 1 < count; i += 2) _mm_storeu_pd(x + i, tanh2(_mm_loadu_pd(x + i)));
    if (i < count) x[i] = tanh(x[i]);
}

// The same for floats: each the double tanh rounded to float.
inline void tanhInPlace(float* x, int32_t count) {
    int32_t i = 0;
    for (; i + 1 < count; i += 2) {
        const __m128d t = tanh2(_mm_set_pd(static_cast<double>(x[i + 1]), static_cast<double>(x[i])));
        x[i] = static_cast<float>(_mm_cvtsd_f64(t));
        x[i + 1] = static_cast<float>(_mm_cvtsd_f64(_mm_unpackhi_pd(t, t)));
    }
    if (i < count) x[i] = static_cast<float>(tanh(static_cast<double>(x[i])));
}

// sin x (+-0 kept).
inline double sin(double x) {
    if (std::fabs(x) > Detail::kReductionLimit) return std::sin(x); // also +-inf
    const double s = Detail::sinOf(Detail::reducePiOver32(x));
    return x == 0.0 ? x : s;
}

// cos x.
inline double cos(double x) {
    if (std::fabs(x) > Detail::kReductionLimit) return std::cos(x);
    return Detail::cosOf(Detail::reducePiOver32(x));
}

// sin x and sin 2x (as 2 sin x cos x) from one reduction.
struct SinPair {
    double sin, sin2;
};
inline SinPair sinAndSin2(double x) {
    if (std::fabs(x) > Detail::kReductionLimit) return {std::sin(x), std::sin(2.0 * x)};
    const Detail::Reduced q = Detail::reducePiOver32(x);
    const double s = Detail::sinOf(q), c = Detail::cosOf(q);
    return {x == 0.0 ? x : s, x == 0.0 ? x : 2.0 * s * c};
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

// asin(sin x) of two values at once: lane for lane the operations of asinOfSin above in the same
// order (the same bits); a lane beyond the reduction's range goes through asinOfSin itself.
inline __m128d asinOfSin2(__m128d x) {
    using namespace Detail;
    constexpr double kOneOverPi = 0.31830988618379067154;
    const __m128d signMask = _mm_set1_pd(-0.0);
    const __m128d a = _mm_andnot_pd(signMask, x);
    // fabs(x) > limit, a NaN lane false as in asinOfSin
    if (_mm_movemask_pd(_mm_cmpgt_pd(a, _mm_set1_pd(kReductionLimit)))) [[unlikely]] {
        alignas(16) double lanes[2];
        _mm_store_pd(lanes, x);
        return _mm_set_pd(asinOfSin(lanes[1]), asinOfSin(lanes[0]));
    }
    const __m128d shifter = _mm_set1_pd(kRoundShifter);
    const __m128d shifted = _mm_add_pd(_mm_mul_pd(x, _mm_set1_pd(kOneOverPi)), shifter);
    const __m128d n = _mm_sub_pd(shifted, shifter);
    const __m128d r = _mm_sub_pd(_mm_sub_pd(_mm_sub_pd(x, _mm_mul_pd(n, _mm_set1_pd(2.0 * kHalfPi1))),
                                            _mm_mul_pd(n, _mm_set1_pd(2.0 * kHalfPi2))),
                                 _mm_mul_pd(n, _mm_set1_pd(2.0 * kHalfPi3)));
    // The low bit of the integer in shifted, moved to the sign: odd n negates.
    const __m128i odd = _mm_slli_epi64(_mm_and_si128(_mm_castpd_si128(shifted), _mm_set1_epi64x(1)), 63);
    return _mm_xor_pd(r, _mm_castsi128_pd(odd));
}

// asin(sin x) of every value of x[0, count), two at a time.
inline void asinOfSinInPlace(double* x, int32_t count) {
    int32_t i = 0;
    for (; i + 1 < count; i += 2) _mm_storeu_pd(x + i, asinOfSin2(_mm_loadu_pd(x + i)));
    if (i < count) x[i] = asinOfSin(x[i]);
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

// x^y for positive normal x and |y| <= 1024 as e^(y ln x) (every other case through libm); the
// relative error grows with |y| (about 2e-16 times it, plus the rounding of exp).
inline double pow(double x, double y) {
    if (!(x >= 0x1p-1022 && x <= 0x1.fffffffffffffp+1023 && std::fabs(y) <= 1024.0)) return std::pow(x, y);
    return exp(y * Detail::logForPow(x));
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
inline Fast::SinPair sinAndSin2(double x) { return {std::sin(x), std::sin(2.0 * x)}; }
inline double asinOfSin(double x) { return std::asin(std::sin(x)); }
inline double log(double x) { return std::log(x); }
inline double pow(double x, double y) { return std::pow(x, y); }
inline float tanh(float x) { return std::tanh(x); }
inline void tanhInPlace(double* x, int32_t count) {
    for (int32_t i = 0; i < count; ++i) x[i] = std::tanh(x[i]);
}
inline void tanhInPlace(float* x, int32_t count) {
    for (int32_t i = 0; i < count; ++i) x[i] = std::tanh(x[i]);
}
inline void asinOfSinInPlace(double* x, int32_t count) {
    for (int32_t i = 0; i < count; ++i) x[i] = std::asin(std::sin(x[i]));
}
inline constexpr bool kFast = false;
} // namespace Exact
#else
inline namespace Approximate {
inline double exp(double x) { return Fast::exp(x); }
inline double exp2(double x) { return Fast::exp2(x); }
inline double tanh(double x) { return Fast::tanh(x); }
inline double sin(double x) { return Fast::sin(x); }
inline double cos(double x) { return Fast::cos(x); }
inline Fast::SinPair sinAndSin2(double x) { return Fast::sinAndSin2(x); }
inline double asinOfSin(double x) { return Fast::asinOfSin(x); }
inline double log(double x) { return Fast::log(x); }
inline double pow(double x, double y) { return Fast::pow(x, y); }
// Rounded from the double: within one float ulp of libm's tanhf.
inline float tanh(float x) { return static_cast<float>(Fast::tanh(x)); }
// The same tanh over a run of values: what the stages use where a loop gathers their arguments.
inline void tanhInPlace(double* x, int32_t count) { Fast::tanhInPlace(x, count); }
inline void tanhInPlace(float* x, int32_t count) { Fast::tanhInPlace(x, count); }
inline void asinOfSinInPlace(double* x, int32_t count) { Fast::asinOfSinInPlace(x, count); }
inline constexpr bool kFast = true;
} // namespace Approximate
#endif

} // namespace TarnwellPlugin::Math
