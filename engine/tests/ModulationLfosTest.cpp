#include "ModulationLfos.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace TarnwellPlugin;

namespace {
constexpr double kTwoPi = 6.283185307179586;

struct LfoSetup {
    double shape = 0, phase = 0, smooth = 0, depth = 0, target = 0, rate = 0, enabled = 1, retrig = 0;
};
void configure(ParameterBlock& p, int32_t lfo, const LfoSetup& s) {
    const bool one = lfo == 0;
    p.store(one ? kLfo1Shape : kLfo2Shape, s.shape);
    p.store(one ? kLfo1Phase : kLfo2Phase, s.phase);
    p.store(one ? kLfo1Smooth : kLfo2Smooth, s.smooth);
    p.store(one ? kVolumeLFODepth : kPitchLFODepth, s.depth);
    p.store(one ? kLFO1Target : kLFO2Target, s.target);
    p.store(one ? kVolumeLFORate : kPitchLFORate, s.rate);
    p.store(one ? kLFO1Enabled : kLFO2Enabled, s.enabled);
    p.store(one ? kLfo1Retrig : kLfo2Retrig, s.retrig);
}
} // namespace

TEST(ModulationLfos, ShapesAtKnownPhases) {
    struct Case {
        double shapeV, offset, phase, expected;
    };
    const Case cases[] = {
        {0.0, 0.25, 0.0, 1.0},                   // Sine, 90 degrees offset: 1 while the phase is 0
        {0.0, 0.0, kTwoPi / 12, 0.5},            // sin(30 degrees)
        {1.0 / 3, 0.0, 0.1, 1.0},                // Square
        {1.0 / 3, 0.0, 3.5, -1.0},
        {1.0 / 3, 0.5, 0.1, -1.0},               // offset by half a turn
        {2.0 / 3, 0.0, kTwoPi / 4, 1.0},         // Triangle peak
        {2.0 / 3, 0.0, kTwoPi / 8, 0.5},         // Triangle half way up
        {2.0 / 3, 0.0, 3 * kTwoPi / 4, -1.0},
        {2.0 / 3, 0.0, 5 * kTwoPi / 8, -0.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.shapeV << " " << c.offset << " " << c.phase);
        ParameterBlock p;
        configure(p, 0, {c.shapeV, c.offset, 0.0, 1.0});
        ModulationLfos l;
        l.phase[0] = c.phase;
        double k[4];
        l.modulateKickControls(p, 44100.0, k);
        EXPECT_NEAR(l.output[0], c.expected, 1e-12); // smooth 0: the raw shape
    }
}

TEST(ModulationLfos, DepthZeroOrDisabledLeavesTheKickValuesExactly) {
    ParameterBlock p;
    p.store(kKickTune, 0.3);
    p.store(kKickDecay, 0.4);
    p.store(kKickPitchDrop, 0.5);
    p.store(kKickPitchDecay, 0.6);
    configure(p, 0, {1.0 / 3, 0, 0, 0.0, 0.0}); // Square, depth 0
    configure(p, 1, {1.0 / 3, 0, 0, 1.0, 1.0, 0, 0.0}); // depth 1 but disabled
    ModulationLfos l;
    double k[4];
    for (int32_t i = 0; i < 100; ++i) {
        l.modulateKickControls(p, 44100.0, k);
        ASSERT_EQ(k[0], 0.3);
        ASSERT_EQ(k[1], 0.4);
        ASSERT_EQ(k[2], 0.5);
        ASSERT_EQ(k[3], 0.6);
        l.advance(p, 44100.0);
    }
}

TEST(ModulationLfos, TargetsScalesAndClamping) {
    struct Case {
        double targetV;
        int32_t index;
        double scale;
    };
    const Case cases[] = {{0.0, 0, 0.5}, {1.0 / 3, 1, 0.65}, {2.0 / 3, 2, 0.7}, {1.0, 3, 0.8}};
    for (const Case& c : cases) {
        ParameterBlock p;
        for (uint32_t id : {kKickTune, kKickDecay, kKickPitchDrop, kKickPitchDecay}) p.store(id, 0.1);
        configure(p, 0, {1.0 / 3, 0, 0, 0.5, c.targetV}); // Square: +1 at phase 0
        configure(p, 1, {0, 0, 0, 0, 0, 0, 0});
        ModulationLfos l;
        double k[4];
        l.modulateKickControls(p, 44100.0, k);
        for (int32_t i = 0; i < 4; ++i) EXPECT_NEAR(k[i], i == c.index ? 0.1 + 0.5 * c.scale : 0.1, 1e-15) << i;
    }
    // "Kick Tune" at 1.0 with a positive modulation stays at 1.0.
    ParameterBlock p;
    p.store(kKickTune, 1.0);
    configure(p, 0, {1.0 / 3, 0, 0, 1.0, 0.0});
    configure(p, 1, {0, 0, 0, 0, 0, 0, 0});
    ModulationLfos l;
    double k[4];
    l.modulateKickControls(p, 44100.0, k);
    EXPECT_EQ(k[0], 1.0);
}

TEST(ModulationLfos, BothOnDecayClampEachStepInTurn) {
    ParameterBlock p;
    p.store(kKickDecay, 0.9);
    configure(p, 0, {1.0 / 3, 0.0, 0, 1.0, 1.0 / 3}); // +1
    configure(p, 1, {1.0 / 3, 0.75, 0, 1.0, 1.0 / 3}); // -1 (sin of 270 degrees)
    ModulationLfos l;
    double k[4];
    l.modulateKickControls(p, 44100.0, k);
    // 0.9 + 0.65 clamps to 1, then 1 - 0.65 (without the first clamp it would be 0.9).
    EXPECT_NEAR(k[1], 0.35, 1e-15);
}

TEST(ModulationLfos, SmoothingTimeConstant) {
    const double sr = 48000.0;
    ParameterBlock p;
    configure(p, 0, {1.0 / 3, 0, 1.0, 1.0, 0.0}); // Square, smooth 100 %: 0.2 s
    configure(p, 1, {1.0 / 3, 0, 0.5, 1.0, 0.0}); // smooth 50 %: 0.05 s
    ModulationLfos l;
    double k[4];
    l.modulateKickControls(p, sr, k);
    EXPECT_NEAR(l.output[0], 1.0 - std::exp(-1.0 / (sr * 0.2)), 1e-15);
    EXPECT_NEAR(l.output[1], 1.0 - std::exp(-1.0 / (sr * 0.05)), 1e-15);
    for (int32_t i = 1; i < 4800; ++i) l.modulateKickControls(p, sr, k); // 100 ms, the phase held at 0
    EXPECT_NEAR(l.output[0], 1.0 - std::exp(-4800.0 / (sr * 0.2)), 1e-9);
}

TEST(ModulationLfos, PhaseAdvanceAndSampleAndHold) {
    const double sr = 44100.0;
    ParameterBlock p;
    configure(p, 0, {1.0, 0, 0, 1.0, 0.0, 0.0}); // S&H at 0.05 Hz
    configure(p, 1, {0, 0, 0, 1.0, 0.0, 1.0});   // Sine at 5 Hz
    ModulationLfos l;
    l.advance(p, sr);
    EXPECT_NEAR(l.phase[0], 0.3141592653589793 / sr, 1e-18);
    EXPECT_NEAR(l.phase[1], kTwoPi * 5.0 / sr, 1e-15);
    // LFO 2 wraps first (every 8820 samples); each wrap draws from the shared state.
    l.reset();
    EXPECT_EQ(l.noiseState, 0x51F15EEDu); // reset leaves the noise alone
    int32_t n = 0;
    while (l.held[1] == 0.0 && n < 10000) {
        l.advance(p, sr);
        ++n;
    }
    EXPECT_EQ(n, 8820);
    const uint32_t s1 = 0x51F15EEDu * 1664525u + 1013904223u; // 0xD6A83368
    EXPECT_EQ(s1, 0xD6A83368u);
    EXPECT_NEAR(l.held[1], s1 * 4.656612874161595e-10 - 1.0, 1e-15);
    EXPECT_EQ(l.held[0], 0.0);
    EXPECT_LT(l.phase[1], kTwoPi);
    // The S&H output is the held value, whatever the phase.
    l.held[0] = 0.25;
    double k[4];
    l.modulateKickControls(p, sr, k);
    EXPECT_EQ(l.output[0], 0.25);
}

TEST(ModulationLfos, RetriggerRestartsOnlyTheLfosWithRetrigOn) {
    ParameterBlock p;
    configure(p, 0, {0, 0, 0, 1, 0, 0.5, 1, 1.0});
    configure(p, 1, {0, 0, 0, 1, 0, 0.5, 1, 0.0});
    ModulationLfos l;
    l.phase[0] = 1.0;
    l.phase[1] = 2.0;
    l.output[0] = 0.3;
    l.held[0] = -0.4;
    l.retrigger(p);
    EXPECT_EQ(l.phase[0], 0.0);
    EXPECT_EQ(l.phase[1], 2.0);
    EXPECT_EQ(l.output[0], 0.3);
    EXPECT_EQ(l.held[0], -0.4);
}

TEST(ModulationLfos, TheSineShapeFollowsItsPhaseThroughBlocksWrapsAndRetriggers) {
    // The per-block path as the render runs it: settings once per block, then modulate and advance
    // each sample; a retrigger in the middle of a block. Each sample the sine LFO (smooth 0) is the
    // sine of its phase plus offset.
    const double sr = 48000.0;
    ParameterBlock p;
    configure(p, 0, {0.0, 0.3, 0.0, 1.0, 0.0, 1.0, 1, 1.0}); // Sine, 108 degrees offset, 10 Hz, retrig on
    configure(p, 1, {0.0, 0.0, 0.0, 1.0, 1.0, 0.37});        // Sine, 11.8 Hz
    ModulationLfos l;
    const int32_t blockSizes[] = {512, 1, 37, 4096, 300};
    int32_t sample = 0;
    for (int32_t block : blockSizes) {
        l.loadSettings(p, sr);
        for (int32_t i = 0; i < block; ++i, ++sample) {
            if (sample == 2000) l.retrigger(p);
            const double expected0 = std::sin(l.phase[0] + 0.3 * kTwoPi);
            const double expected1 = std::sin(l.phase[1]);
            double k[4];
            l.modulateKickControls(k);
            ASSERT_NEAR(l.output[0], expected0, 1e-12) << sample;
            ASSERT_NEAR(l.output[1], expected1, 1e-12) << sample;
            l.advance();
        }
    }
}
