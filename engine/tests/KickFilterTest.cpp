#include "KickFilter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>

using namespace TarnwellPlugin;

namespace {

constexpr double kPi = 3.14159265358979323846;

// Steady-state magnitude of the state-variable filter, from its difference equations
// low[n] = low[n-1] + f band[n-1]; high[n] = x[n] + q band[n-1] - low[n]; band[n] = band[n-1] + f high[n].
double svfMagnitude(int32_t mode, double hz, double sr, double cutoff, double resonance) {
    const double f = 2.0 * std::sin(kPi * std::min(0.22 * sr, cutoff) / sr);
    const double q = 1.85 * resonance - 2.0;
    const std::complex<double> u = std::polar(1.0, -2.0 * kPi * hz / sr); // z^-1
    const std::complex<double> one(1.0, 0.0);
    const std::complex<double> b = one / ((one - u) / f - q * u + f * u / (one - u));
    const std::complex<double> l = f * u * b / (one - u);
    const std::complex<double> h = b * (one - u) / f;
    switch (mode) {
    case KickFilter::kLowPass: return std::abs(l);
    case KickFilter::kHighPass: return std::abs(h);
    case KickFilter::kBandPass: return std::abs(b);
    case KickFilter::kNotch: return std::abs(h + l);
    default: return 1.0;
    }
}

void filterParams(ParameterBlock& p, double mode, double cutoffV, double resonance, double compression = 0.0) {
    p.store(kKickFilterMode, mode);
    p.store(kKickFilterCutoff, cutoffV);
    p.store(kKickFilterResonance, resonance);
    p.store(kKickCompression, compression);
}

// Magnitude of the filter's steady-state response to a sine, by a single-bin DFT over whole periods.
double measuredMagnitude(KickFilter& k, double hz, double sr) {
    const int32_t settle = static_cast<int32_t>(sr); // 1 s: cutoff glide and transients gone
    for (int32_t i = 0; i < settle; ++i) k.process(static_cast<float>(std::sin(2 * kPi * hz * i / sr)));
    const int32_t periods = 50;
    const int32_t n = static_cast<int32_t>(std::round(periods * sr / hz));
    std::complex<double> acc(0.0, 0.0);
    for (int32_t i = settle; i < settle + n; ++i) {
        const double y = k.process(static_cast<float>(std::sin(2 * kPi * hz * i / sr)));
        acc += y * std::polar(1.0, -2 * kPi * hz * i / sr);
    }
    return 2.0 * std::abs(acc) / n;
}

} // namespace

TEST(KickFilter, ModeOffWithoutCompressionPassesTheInputExactly) {
    KickFilter k;
    k.prepare(44100.0);
    ParameterBlock p;
    filterParams(p, 0.0, 1.0, 0.0);
    k.updateParameters(p);
    const float inputs[] = {0.0f, 0.5f, -1.0f, 0.123456f, 3.5f, -1e-7f};
    for (int32_t r = 0; r < 100; ++r)
        for (float x : inputs) ASSERT_EQ(k.process(x), static_cast<double>(x));
    EXPECT_EQ(k.reductionDb(), 0.0f);
}

TEST(KickFilter, ResponsesAtKnownFrequencies) {
    struct Case {
        double mode, cutoffV, resonance, hz, sr;
    };
    const Case cases[] = {
        {0.25, (1000.0 - 30) / 4970, 0.0, 100, 44100},  {0.25, (1000.0 - 30) / 4970, 0.0, 1000, 44100},
        {0.25, (1000.0 - 30) / 4970, 0.0, 5000, 44100}, {0.25, (1000.0 - 30) / 4970, 0.8, 1000, 44100},
        {0.5, (1000.0 - 30) / 4970, 0.0, 100, 44100},   {0.5, (1000.0 - 30) / 4970, 0.0, 4000, 48000},
        {0.75, (300.0 - 30) / 4970, 0.5, 300, 44100},   {0.75, (300.0 - 30) / 4970, 0.5, 3000, 96000},
        {1.0, (500.0 - 30) / 4970, 0.0, 500, 44100},    {1.0, (500.0 - 30) / 4970, 0.0, 60, 44100},
        {0.25, 1.0, 0.0, 2000, 192000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "mode " << c.mode << " hz " << c.hz << " sr " << c.sr);
        KickFilter k;
        k.prepare(c.sr);
        ParameterBlock p;
    filterParams(p, c.mode, c.cutoffV, c.resonance);
        k.updateParameters(p);
        k.reset(); // cutoff snaps to its target
        const double cutoff = 30.0 + 4970.0 * p.value(kKickFilterCutoff);
        const double expected = svfMagnitude(static_cast<int32_t>(4 * c.mode + 0.5), c.hz, c.sr, cutoff, c.resonance);
        EXPECT_NEAR(measuredMagnitude(k, c.hz, c.sr), expected, 2e-3 * std::max(expected, 1.0));
    }
    // The analytic model itself: a low-pass passes DC-like lows and cuts far highs.
    EXPECT_NEAR(svfMagnitude(KickFilter::kLowPass, 20, 44100, 1000, 0.0), 1.0, 1e-3);
    EXPECT_LT(svfMagnitude(KickFilter::kLowPass, 10000, 44100, 1000, 0.0), 0.02);
}

TEST(KickFilter, CutoffIsLimitedTo022TimesTheRate) {
    // At 22050 Hz the 5 kHz cutoff becomes 0.22 * 22050 = 4851 Hz before the stability limit.
    const double f44 = 2.0 * std::sin(kPi * 5000.0 / 44100.0);
    EXPECT_LT(f44, KickFilter::stableFrequencyCoefficient(-2.0));
    // At 44.1 kHz and above no cutoff and resonance reaches the stability limit, so normal output
    // is unaffected by it.
    for (double sr : {44100.0, 48000.0, 88200.0, 96000.0, 192000.0})
        for (double res = 0.0; res <= 1.0; res += 0.05) {
            const double f = 2.0 * std::sin(kPi * std::min(0.22 * sr, 5000.0) / sr);
            EXPECT_LT(f, KickFilter::stableFrequencyCoefficient(1.85 * res - 2.0)) << sr << " " << res;
        }
    // Below about 37 kHz the unlimited coefficient at 5 kHz and resonance 0 would be unstable:
    // f^2 + 4 f >= 4 means a pole on or outside the unit circle.
    const double f22 = 2.0 * std::sin(kPi * 0.22);
    EXPECT_GE(f22 * f22 + 4.0 * f22, 4.0);
}

TEST(KickFilter, StaysStableAtLowSampleRatesAndAcrossModeChanges) {
    for (double sr : {8000.0, 11025.0, 22050.0, 32000.0, 36000.0}) {
        for (double res : {0.0, 0.3, 1.0}) {
            SCOPED_TRACE(::testing::Message() << sr << " " << res);
            KickFilter k;
            k.prepare(sr);
            ParameterBlock p;
    filterParams(p, 0.0, 1.0, res); // Off: the integrators still run
            k.updateParameters(p);
            uint32_t noise = 1;
            double worst = 0.0;
            for (int32_t i = 0; i < static_cast<int32_t>(4 * sr); ++i) {
                noise = noise * 1664525u + 1013904223u;
                k.process(static_cast<float>(noise * 4.656612873077393e-10 - 1.0));
            }
            worst = std::max(std::fabs(k.low), std::fabs(k.band));
            EXPECT_LT(worst, 100.0);
            for (double mode : {0.25, 0.5, 0.75, 1.0, 0.0}) {
                p.store(kKickFilterMode, mode);
                k.updateParameters(p);
                for (int32_t i = 0; i < 2000; ++i) {
                    noise = noise * 1664525u + 1013904223u;
                    const double y = k.process(static_cast<float>(noise * 4.656612873077393e-10 - 1.0));
                    ASSERT_TRUE(std::isfinite(y));
                    ASSERT_LT(std::fabs(y), 100.0);
                }
            }
        }
    }
}

TEST(KickFilter, NonFiniteInputDoesNotStickInTheIntegrators) {
    KickFilter k;
    k.prepare(44100.0);
    ParameterBlock p;
    filterParams(p, 0.25, 0.5, 0.0);
    k.updateParameters(p);
    k.process(std::nanf(""));
    p.store(kKickFilterMode, 0.5);
    k.updateParameters(p);
    for (int32_t i = 0; i < 10; ++i) EXPECT_TRUE(std::isfinite(k.process(0.25f)));
}

TEST(KickFilter, ModeChangeCrossfadesFromThePreviousOutputOver10ms) {
    KickFilter k;
    k.prepare(48000.0);
    EXPECT_EQ(k.crossfadeLength, 480);
    ParameterBlock p;
    filterParams(p, 0.25, 0.2, 0.2);
    k.updateParameters(p);
    k.process(0.0f); // the construction mode was Off; this starts (and the flag clears)
    double last = 0.0;
    for (int32_t i = 0; i < 3000; ++i) last = k.process(static_cast<float>(std::sin(i * 0.05)));
    p.store(kKickFilterMode, 0.5); // to High Pass
    k.updateParameters(p);
    EXPECT_TRUE(k.modeChanged);
    EXPECT_NEAR(k.process(static_cast<float>(std::sin(3000 * 0.05))), last, 1e-12);
    EXPECT_EQ(k.crossfadeRemaining, 479);
    // The same rounded mode raises no flag.
    p.store(kKickFilterMode, 0.55);
    k.updateParameters(p);
    EXPECT_FALSE(k.modeChanged);
}

TEST(KickFilter, CompressorGainReductionForAKnownLevel) {
    struct Case {
        double amount, level;
    };
    const Case cases[] = {{1.0, 0.5}, {0.5, 0.5}, {0.25, 0.9}, {0.5, 0.05}, {0.1, 0.95}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.amount << " " << c.level);
        KickFilter k;
        k.prepare(44100.0);
        ParameterBlock p;
    filterParams(p, 0.0, 1.0, 0.0, c.amount);
        k.updateParameters(p);
        double y = 0.0;
        for (int32_t i = 0; i < 44100; ++i) y = k.process(static_cast<float>(c.level)); // DC: envelope -> level
        const double a = c.amount;
        const double e = static_cast<float>(c.level);
        const double h = std::pow(10.0, -0.1 - 2.0 * std::pow(a, 1.35));
        const double g = e > h ? ((e - h) / (1.0 + 49.0 * a * a) + h) / e : 1.0;
        const double reduction = -20.0 * std::log10(g);
        EXPECT_NEAR(k.reductionDecibels(), reduction, 1e-6);
        EXPECT_NEAR(k.reductionDb(), reduction, 1e-5);
        const double drive = 1.0 + 11.0 * a * a;
        const double z = std::tanh(e * drive * g * std::pow(10.0, 0.9 * a * a)) / std::tanh(drive);
        const double w = std::min(1.2 * a, 1.0);
        EXPECT_NEAR(y, e + w * (z - e), 1e-6);
    }
    // Amount 1, level 0.5: about 29 dB.
    KickFilter k;
    k.prepare(44100.0);
    ParameterBlock p;
    filterParams(p, 0.0, 1.0, 0.0, 1.0);
    k.updateParameters(p);
    for (int32_t i = 0; i < 44100; ++i) k.process(0.5f);
    EXPECT_NEAR(k.reductionDb(), 28.98, 0.01);
    // Compression back to 0: after the 20 ms glide the reduction is 0 dB and the signal dry.
    p.store(kKickCompression, 0.0);
    k.updateParameters(p);
    for (int32_t i = 0; i < 44100; ++i) k.process(0.5f);
    EXPECT_EQ(k.reductionDb(), 0.0f);
    EXPECT_EQ(k.process(0.5f), 0.5);
}

TEST(KickFilter, CompressorAttackAndReleaseTimes) {
    // The envelope follows a step with exp(-1000 / (t_a sr)) per sample: default attack 8 ms.
    KickFilter k;
    k.prepare(44100.0);
    ParameterBlock p;
    filterParams(p, 0.0, 1.0, 0.0, 1.0);
    p.store(kKickCompAttack, (8.0 - 0.05) / 99.95);
    p.store(kKickCompRelease, (90.0 - 10.0) / 990.0);
    k.updateParameters(p);
    k.reset();
    k.process(1.0f);
    const double ta = 0.125 * 8.0 * 8.0;
    EXPECT_NEAR(k.envelope, 1.0 - std::exp(-1000.0 / (ta * 44100.0)), 1e-12);
    for (int32_t i = 0; i < 44100; ++i) k.process(1.0f);
    const double before = k.envelope;
    k.process(0.0f);
    EXPECT_NEAR(k.envelope, before * std::exp(-1000.0 / (90.0 * 44100.0)), 1e-12);
}

TEST(KickFilter, UnpreparedFilterIsSafe) {
    KickFilter k;
    EXPECT_EQ(k.process(0.5f), 0.5);
    EXPECT_EQ(k.reductionDb(), 0.0f);
}

TEST(KickFilter, StabilityLimitLeavesOutputAt44100AndAboveBitIdentical) {
    // The filter without any limit, written out from its difference equations.
    for (double sr : {44100.0, 48000.0, 96000.0, 192000.0}) {
        for (double res : {0.0, 0.5, 1.0}) {
            for (double mode : {0.25, 0.5, 0.75, 1.0}) {
                SCOPED_TRACE(::testing::Message() << sr << " " << res << " " << mode);
                KickFilter k;
                k.prepare(sr);
                ParameterBlock p;
                filterParams(p, mode, 1.0, res);
                k.updateParameters(p);
                k.reset();
                k.modeChanged = false;
                const double c = 1.0 - std::exp(-55.55555555555556 / sr);
                double fc = 5000.0, low = 0.0, band = 0.0;
                const int32_t m = static_cast<int32_t>(4 * mode + 0.5);
                uint32_t noise = 7;
                for (int32_t i = 0; i < 5000; ++i) {
                    noise = noise * 1664525u + 1013904223u;
                    const float x = static_cast<float>(noise * 4.656612873077393e-10 - 1.0);
                    fc += c * (5000.0 - fc);
                    const double f = 2.0 * std::sin(kPi * std::min(0.22 * sr, fc) / sr);
                    const double q = 1.85 * res - 2.0;
                    low = low + f * band;
                    const double high = x + q * band - low;
                    band = band + f * high;
                    const double y = m == 1 ? low : m == 2 ? high : m == 3 ? band : high + low;
                    ASSERT_EQ(k.process(x), y) << i;
                }
            }
        }
    }
}

TEST(KickFilter, WithoutTheLimitTheFilterWouldDivergeAt22050) {
    // The unlimited coefficient at 5 kHz (capped at 0.22 sr) and resonance 0 puts a pole outside
    // the unit circle: the integrators grow without bound even in mode Off, where nobody hears
    // them, until the next mode change crossfades from a non-finite value.
    const double sr = 22050.0;
    const double f = 2.0 * std::sin(kPi * 0.22 * sr / sr);
    double low = 0.0, band = 0.0;
    for (int32_t i = 0; i < 2000; ++i) {
        const double x = i == 0 ? 1.0 : 0.0;
        low = low + f * band;
        const double high = x - 2.0 * band - low;
        band = band + f * high;
    }
    EXPECT_FALSE(std::fabs(low) + std::fabs(band) < 1e6); // grown past 1e6, or already inf/NaN
    // The engine's filter at the same settings stays small.
    KickFilter k;
    k.prepare(sr);
    ParameterBlock p;
    filterParams(p, 0.0, 1.0, 0.0);
    k.updateParameters(p);
    k.process(1.0f);
    for (int32_t i = 1; i < 2000; ++i) k.process(0.0f);
    EXPECT_LT(std::fabs(k.low) + std::fabs(k.band), 1e-3);
}
