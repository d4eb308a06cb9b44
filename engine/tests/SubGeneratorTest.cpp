#include "SubGenerator.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace TarnwellPlugin;

namespace {
constexpr double kTwoPi = 6.283185307179586;

double sstep(double u) { return u * u * (3.0 - 2.0 * u); }

// Controls with their smoothed copies already at the targets, so no glide is involved.
void settle(SubGenerator& s, const double (&controls)[12], const double (&env)[4]) {
    for (int32_t i = 0; i < 12; ++i) s.smoothed[i] = s.target[i] = controls[i];
    for (int32_t i = 0; i < 4; ++i) s.envelopeSmoothed[i] = s.envelopeTarget[i] = env[i];
}
} // namespace

TEST(SubGenerator, SilentUntilStarted) {
    SubGenerator s;
    s.prepare(44100.0);
    for (int32_t i = 0; i < 100; ++i) ASSERT_EQ(s.render(), 0.0f);
    EXPECT_EQ(s.envelopeLevel, 1.0);
    EXPECT_EQ(s.compressorGain, 1.0);
}

TEST(SubGenerator, SmoothedControlsStartAtTheParameterDefaults) {
    SubGenerator s;
    EXPECT_DOUBLE_EQ(s.smoothed[SubGenerator::kPitch], 0.42);
    EXPECT_DOUBLE_EQ(s.target[SubGenerator::kDrop], 0.68);
    EXPECT_DOUBLE_EQ(s.smoothed[SubGenerator::kBody], 0.65);
    EXPECT_DOUBLE_EQ(s.smoothed[SubGenerator::kCompressor], 0.0);
}

TEST(SubGenerator, FirstSamplesFollowTheFormulas) {
    // Pitch 0.5, Drop 0.5, Sweep 0.5, Attack 0, Transient 0.5, Soften 0, Body 0.5, Decay 0.5,
    // Swell 0, Tone 0.5, Drive 0.5, Compressor 0.5; envelope A 0, D 0, S 1, R 1.
    const double c[12] = {0.5, 0.5, 0.5, 0.0, 0.5, 0.0, 0.5, 0.5, 0.0, 0.5, 0.5, 0.5};
    const double e[4] = {0.0, 0.0, 1.0, 1.0};
    for (double sr : {44100.0, 96000.0}) {
        SCOPED_TRACE(sr);
        SubGenerator s;
        s.prepare(sr);
        settle(s, c, e);
        s.start();
        double phase = 0, t = 0, lp = 0, follower = 0, gc = 1;
        uint32_t noise = 0x0808BD11u;
        for (int32_t n = 0; n < 2000; ++n) {
            const double f = 28 + 42 * 0.5 + 260 * 0.25 * std::exp(-t / (0.004 + 0.18 * 0.25));
            phase += kTwoPi * f / sr;
            if (phase >= kTwoPi) phase -= kTwoPi;
            const double td = 0.09 + 2.71 * 0.25;
            const double env = std::exp(-t / td);
            noise = noise * 1664525u + 1013904223u;
            const double nz = 2.0 * ((noise >> 8) & 0xFFFF) / 65535.0 - 1.0;
            const double tr = 0.32 * 0.5 * std::exp(-t / (0.0112 - 0.005));
            const double v = (std::sin(phase) + env * (0.04 + 0.11) * std::sin(2 * phase)) * env * (0.72 + 0.19) + tr * nz;
            const double p = std::exp(-kTwoPi * 90.0 * std::pow(100.0, 0.5) / sr);
            lp += (1 - p) * (1.0 * v - lp);
            const double y = std::tanh(lp * 3.0) / std::tanh(3.0);
            const double q = std::fabs(y) > follower ? std::exp(-400 / sr) : std::exp(-1 / (0.09 * sr));
            follower += (1 - q) * (std::fabs(y) - follower);
            const double h = std::pow(10.0, -0.3 - 0.6);
            double g = follower > h ? std::pow(follower / h, 1.0 / 6.5 - 1.0) : 1.0;
            g *= std::pow(10.0, 0.325);
            const double r = g >= gc ? std::exp(-1 / (0.075 * sr)) : std::exp(-1 / (0.006 * sr));
            gc += (1 - r) * (g - gc);
            const double out = y + 0.5 * (std::tanh(gc * y) - y);
            t += 1 / sr;
            ASSERT_NEAR(s.render(), out, 2e-6) << n;
            ASSERT_EQ(s.envelopeLevel, 1.0); // default envelope: constantly 1
        }
    }
}

TEST(SubGenerator, CompressorZeroGivesTheDrivenSignalAndDriveZeroIsTanhOverTanh1) {
    const double c[12] = {0.3, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0};
    const double e[4] = {0.0, 0.0, 1.0, 1.0};
    const double sr = 48000.0;
    SubGenerator s;
    s.prepare(sr);
    settle(s, c, e);
    s.start();
    double phase = 0, t = 0, lp = 0;
    for (int32_t n = 0; n < 500; ++n) {
        phase += kTwoPi * (28 + 42 * 0.3) / sr;
        const double env = std::exp(-t / 0.09);
        const double v = (std::sin(phase) + env * 0.04 * std::sin(2 * phase)) * env * 0.72;
        lp += (1 - std::exp(-kTwoPi * 9000.0 / sr)) * (v - lp);
        t += 1 / sr;
        ASSERT_NEAR(s.render(), std::tanh(lp) / std::tanh(1.0), 1e-6) << n;
    }
}

TEST(SubGenerator, EnvelopeStagesByTime) {
    // A 0.5 -> 125 ms attack; D 0.5 -> 0.5 s decay towards S 0.25; R 0 -> 2 ms release.
    const double sr = 44100.0;
    const double c[12] = {0.5, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0, 1.0, 0.0, 0.0};
    const double e[4] = {0.5, 0.5, 0.25, 0.0};
    SubGenerator s;
    s.prepare(sr);
    settle(s, c, e);
    s.start();
    // The level stored by call n + 1 is taken at envelope time n / sr.
    auto levelAtSample = [&](int64_t n) {
        while (std::llround(s.envelopeTime * sr) < n + 1) s.render();
        return s.envelopeLevel;
    };
    const double tA = 0.125, tD = 0.5;
    EXPECT_NEAR(levelAtSample(1), sstep(1.0 / sr / tA), 1e-9);
    EXPECT_NEAR(levelAtSample(2205), sstep(2205.0 / sr / tA), 1e-9); // 50 ms
    EXPECT_NEAR(levelAtSample(2756), sstep(2756.0 / sr / tA), 1e-9);  // about half way: 0.5
    EXPECT_NEAR(levelAtSample(2756), 0.5, 1e-3);
    const int64_t inDecay = 5512 + 11025; // 375 ms
    EXPECT_NEAR(levelAtSample(inDecay), 1.0 + (0.25 - 1.0) * sstep((inDecay / sr - tA) / tD), 1e-9);
    EXPECT_NEAR(levelAtSample(44100), 0.25, 1e-12); // sustain after 625 ms
    // Release at 0: a 2 ms smoothstep fade from the level at the release.
    s.release();
    EXPECT_TRUE(s.releasing);
    EXPECT_EQ(s.releaseStartLevel, 0.25);
    s.render(); // release time 0
    EXPECT_NEAR(s.envelopeLevel, 0.25, 1e-12);
    for (int32_t i = 0; i < 43; ++i) s.render(); // release time 43 / sr = 0.975 ms
    EXPECT_NEAR(s.envelopeLevel, 0.25 * (1.0 - sstep(43.0 / sr / 0.002)), 1e-9);
    for (int32_t i = 0; i < 100; ++i) s.render();
    EXPECT_EQ(s.envelopeLevel, 0.0);
    // A second release does nothing.
    const double releaseTime = s.releaseTime;
    s.release();
    EXPECT_EQ(s.releaseTime, releaseTime);
}

TEST(SubGenerator, ReleaseAtFullHasNoEffect) {
    SubGenerator s;
    s.prepare(44100.0);
    const double c[12] = {0.5, 0.5, 0.5, 0.0, 0.0, 0.0, 0.5, 0.5, 0.0, 0.5, 0.5, 0.0};
    const double e[4] = {0.0, 0.0, 1.0, 1.0};
    settle(s, c, e);
    s.start();
    for (int32_t i = 0; i < 100; ++i) s.render();
    s.release();
    for (int32_t i = 0; i < 1000; ++i) {
        s.render();
        ASSERT_EQ(s.envelopeLevel, 1.0);
    }
}

TEST(SubGenerator, NeverEndsBefore250msAndEndsWhenSilentAfterTheTimeLimit) {
    const double sr = 44100.0;
    SubGenerator s;
    s.prepare(sr);
    // Sustain 0 with a 0 decay: silent from the first sample.
    const double c[12] = {0.5, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.5, 0.0, 0.0};
    const double e[4] = {0.0, 0.0, 0.0, 1.0};
    settle(s, c, e);
    s.start();
    int32_t calls = 0;
    while (s.active && calls < 100000) {
        EXPECT_EQ(s.render(), 0.0f);
        ++calls;
    }
    // t > max(5 * 0.09, 0.25) = 0.45 s: the first call whose advanced t passes 0.45.
    EXPECT_NEAR(calls, 19846, 1); // t accumulates 1/sr; the exact crossing of 0.45 s may round either way
    EXPECT_GE(calls, static_cast<int32_t>(0.25 * sr));
}

TEST(SubGenerator, StartRestartsTheNoiseSoHitsRepeat) {
    SubGenerator s;
    s.prepare(44100.0);
    float first[300];
    s.start();
    for (float& v : first) v = s.render();
    s.start();
    // The compressor follower and control glides carry over, so only the noise is compared
    // indirectly: with the compressor at its default 0 and settled controls the hits match.
    for (int32_t i = 0; i < 300; ++i) ASSERT_NEAR(s.render(), first[i], 1e-6) << i;
}

TEST(SubGenerator, ParameterUpdateClampsTheTargets) {
    SubGenerator s;
    ParameterBlock p;
    p.store(kSubGeneratorPitch, 3.0);
    p.store(kSubGeneratorCompressor, -1.0);
    p.store(kSubGeneratorADSRRelease, 0.25);
    s.updateParameters(p);
    EXPECT_EQ(s.target[SubGenerator::kPitch], 1.0);
    EXPECT_EQ(s.target[SubGenerator::kCompressor], 0.0);
    EXPECT_EQ(s.envelopeTarget[SubGenerator::kEnvR], 0.25);
}
