#include "OscLayer.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace TarnwellPlugin;

namespace {
constexpr double kPi = 3.14159265358979323846;

void setOsc(OscLayer& o, double shapeV, double freqV, double attackV, double decayV, double delayV) {
    ParameterBlock p;
    p.store(kWaveform, shapeV);
    p.store(kFrequency, freqV);
    p.store(kOscLayerAttack, attackV);
    p.store(kOscLayerDecay, decayV);
    p.store(kOscLayerDelay, delayV);
    o.updateParameters(p);
}
} // namespace

TEST(OscLayer, WaveformsWithoutAttackFollowTheirFormulas) {
    const double sr = 44100.0;
    struct Case {
        double shapeV;
        int32_t shape;
    };
    const Case cases[] = {{0.0, 0}, {0.25, 1}, {0.5, 2}, {0.75, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shape);
        OscLayer o;
        o.prepare(sr);
        setOsc(o, c.shapeV, (110.0 - 20) / 180, 0.0, 1.0, 0.0);
        EXPECT_EQ(o.shape, c.shape);
        EXPECT_DOUBLE_EQ(o.frequency, 110.0);
        o.smoothedDecay = o.decayTarget; // 1.2 s, no glide
        o.restart();
        double phase = 0.0;
        for (int32_t n = 0; n < 2000; ++n) {
            const double t = n / sr;
            double v;
            switch (c.shape) {
            case 1: v = phase >= kPi ? -1.0 : 1.0; break;
            case 2: v = phase / kPi - 1.0; break;
            case 3: v = std::asin(std::sin(phase)) * 2.0 / kPi; break;
            default: v = std::sin(phase); break;
            }
            phase += 2 * kPi * 110.0 / sr;
            if (phase >= 2 * kPi) phase -= 2 * kPi;
            ASSERT_NEAR(o.render(), v * std::exp(-t / 1.2), 1e-5) << n;
        }
    }
    // Square starts at full level on the first sample.
    OscLayer o;
    o.prepare(sr);
    setOsc(o, 0.25, 0.5, 0.0, 0.5, 0.0);
    o.restart();
    EXPECT_EQ(o.render(), 1.0f);
}

TEST(OscLayer, NoiseRepeatsOnEveryHit) {
    OscLayer o;
    o.prepare(44100.0);
    setOsc(o, 1.0, 0.5, 0.0, 0.5, 0.0);
    EXPECT_EQ(o.shape, OscLayer::kNoise);
    o.smoothedDecay = o.decayTarget; // no glide between the hits
    o.restart();
    uint32_t state = 0x12345678u;
    float first[200];
    for (int32_t i = 0; i < 200; ++i) {
        first[i] = o.render();
        state = state * 1664525u + 1013904223u;
        const double value = state * 4.656612874161595e-10 - 1.0;
        ASSERT_NEAR(first[i], value * std::exp(-(i / 44100.0) / o.smoothedDecay), 1e-3) << i;
    }
    o.restart();
    for (int32_t i = 0; i < 200; ++i) ASSERT_NEAR(o.render(), first[i], 1e-6);
}

TEST(OscLayer, DelayOfHalfASecondAt48kHz) {
    OscLayer o;
    o.prepare(48000.0);
    setOsc(o, 0.25, 0.5, 0.0, 0.5, 1.0);
    EXPECT_EQ(o.delay, 24000);
    o.restart();
    for (int32_t i = 0; i < 24000; ++i) ASSERT_EQ(o.render(), 0.0f) << i;
    EXPECT_EQ(o.render(), 1.0f);
}

TEST(OscLayer, AttackRisesAsSmootherstepSquaredThroughAnOpeningLowPass) {
    const double sr = 44100.0;
    OscLayer o;
    o.prepare(sr);
    setOsc(o, 0.25, 0.0, 1.0, 1.0, 0.0); // Square at 20 Hz: +1 for the first 25 ms
    EXPECT_DOUBLE_EQ(o.attack, 0.1);
    o.smoothedDecay = o.decayTarget;
    o.restart();
    double filter = 0.0;
    for (int32_t n = 0; n < 1000; ++n) {
        const double t = n / sr;
        const double x = std::min(t / 0.1, 1.0);
        const double s = x * x * x * (x * (6 * x - 15) + 10);
        const double p = std::exp(-2 * kPi * (180 + 19820 * s) / sr);
        filter += (1 - p) * (1.0 - filter);
        ASSERT_NEAR(o.render(), s * s * std::exp(-t / 1.2) * filter, 1e-6) << n;
    }
}

TEST(OscLayer, EndsWhenTheDecayFallsBelowMinus80dB) {
    const double sr = 44100.0;
    OscLayer o;
    o.prepare(sr);
    setOsc(o, 0.25, 0.5, 0.0, 0.0, 0.0); // 5 ms decay
    o.smoothedDecay = o.decayTarget;
    o.restart();
    int32_t calls = 0;
    while (o.active && calls < 100000) {
        o.render();
        ++calls;
    }
    // The first sample with exp(-t / 0.005) < 1e-4 is at t = 0.005 ln(1e4) = 46.05 ms.
    EXPECT_NEAR(calls, std::ceil(0.005 * std::log(1e4) * sr) + 1, 1);
    EXPECT_EQ(o.render(), 0.0f);
}

TEST(OscLayer, OutOfRangeFrequencyPointsAreClampedAndPhasesStayWrapped) {
    OscLayer o;
    o.prepare(44100.0);
    o.setFrequencyFromNormalized(1e9);
    EXPECT_EQ(o.frequency, 200.0);
    o.setFrequencyFromNormalized(-5.0);
    EXPECT_EQ(o.frequency, 20.0);
    // A rate far below the pitch still keeps the saw inside [-1, 1].
    o.prepare(50.0);
    setOsc(o, 0.5, 1.0, 0.0, 1.0, 0.0);
    o.restart();
    for (int32_t i = 0; i < 40; ++i) {
        const float v = o.render();
        ASSERT_LE(std::fabs(v), 1.0f);
        ASSERT_LT(o.phase, 2 * kPi);
    }
}
