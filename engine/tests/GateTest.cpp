#include "OutputRhythmGate.h"
#include "TailRhythmGate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <vector>
#include <limits>

using namespace TarnwellPlugin;

namespace {

// 32768 Hz and 16 steps per second: the "1x Step" gate moves 1/2048 of a step per sample, an exact
// binary fraction, so the step boundaries fall on whole samples.
constexpr double kRate = 32768.0;

void configureTail(TailRhythmGate& gate, bool enabled, double rateValue, double depth, double smooth) {
    ParameterBlock p; // tail steps at their defaults: 1, 3, 5, 7 open
    p.store(kTailRhythmEnable, enabled ? 1.0 : 0.0);
    p.store(kTailRhythmRate, rateValue);
    p.store(kTailRhythmDepth, depth);
    p.store(kTailRhythmSmooth, smooth);
    gate.updateParameters(p);
}

} // namespace

TEST(TailRhythmGate, StepsFollowTheSequencerRate) {
    // Gate step after n samples: floor(n x factor x stepsPerSecond / sr) mod 8.
    const struct { double rateValue, stepsPerSecond; int samples, step; } cases[] = {
        {2.0 / 3.0, 16.0, 2047, 0}, {2.0 / 3.0, 16.0, 2048, 1},  {2.0 / 3.0, 16.0, 2048 * 9, 1},
        {1.0, 16.0, 1023, 0},       {1.0, 16.0, 1024, 1},        {1.0, 16.0, 1024 * 13, 5},
        {1.0 / 3.0, 16.0, 4095, 0}, {1.0 / 3.0, 16.0, 4096, 1},  {0.0, 16.0, 8191, 0},
        {0.0, 16.0, 8192, 1},       {0.0, 16.0, 8192 * 8, 0},    {2.0 / 3.0, 0.0, 100000, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "rate " << c.rateValue << ", " << c.samples << " samples");
        TailRhythmGate gate;
        gate.prepare(kRate);
        configureTail(gate, true, c.rateValue, 1.0, 0.0);
        for (int n = 0; n < c.samples; ++n) gate.next(c.stepsPerSecond);
        EXPECT_EQ(gate.step, c.step);
    }
}

TEST(TailRhythmGate, FullDepthAlternatesBetweenBoostAndCut) {
    TailRhythmGate gate;
    gate.prepare(kRate);
    configureTail(gate, true, 2.0 / 3.0, 1.0, 0.0);
    // The 2048th call enters step 1; at the last sample of each step the 5 ms follower
    // (164 samples) is within 1e-5 of the level.
    for (int k = 0; k < 8; ++k) {
        double g = 0.0;
        for (int n = 0; n < (k == 0 ? 2047 : 2048); ++n) g = gate.next(16.0);
        EXPECT_EQ(gate.step, k);
        EXPECT_NEAR(g, k % 2 == 0 ? 1.5 : 0.1, 1e-5) << "step " << k;
    }
    // Half depth: 1 + 0.5 x 0.5 open, 1 - 0.9 x 0.5 closed.
    configureTail(gate, true, 2.0 / 3.0, 0.5, 0.0);
    gate.reset();
    double g = 0.0;
    for (int n = 0; n < 2047; ++n) g = gate.next(16.0);
    EXPECT_NEAR(g, 1.25, 1e-5);
    for (int n = 0; n < 2048; ++n) g = gate.next(16.0);
    EXPECT_NEAR(g, 0.55, 1e-5);
}

TEST(TailRhythmGate, SmoothShapesTheStepStart) {
    // With the follower bypassed the gain is the target: a smoothstep from the previous step's
    // level over the first `smooth` part of the step.
    const struct { double smooth; int sampleInStep; double target; } cases[] = {
        {1.0, 1024, 0.1 + (1.5 - 0.1) * 0.5},               // middle of the ramp
        {1.0, 512, 0.1 + (1.5 - 0.1) * 0.15625},            // p = 1/4: p^2 (3 - 2p) = 0.15625
        {0.5, 512, 0.1 + (1.5 - 0.1) * 0.5},                // p = (1/4) / (1/2)
        {0.5, 1536, 1.5},                                   // past the ramp
        {0.0, 1, 1.5},                                      // hard switch
    };
    for (const auto& c : cases) {
        TailRhythmGate gate;
        gate.prepare(kRate);
        configureTail(gate, true, 2.0 / 3.0, 1.0, c.smooth);
        gate.gainCoefficient = 1.0;
        gate.step = 7; // closed; the next call at the wrap enters step 0 (open)
        gate.phase = 1.0 - 1.0 / 2048.0;
        double g = 0.0;
        for (int n = 0; n <= c.sampleInStep; ++n) g = gate.next(16.0);
        ASSERT_EQ(gate.step, 0);
        EXPECT_NEAR(g, c.target, 1e-12) << c.smooth << " " << c.sampleInStep;
    }
}

TEST(TailRhythmGate, DisabledOrDepthZeroSettlesAtUnity) {
    for (int variant = 0; variant < 2; ++variant) {
        TailRhythmGate gate;
        gate.prepare(48000.0);
        gate.gain = 0.1;
        configureTail(gate, variant == 0 ? false : true, 1.0, variant == 0 ? 1.0 : 0.0, 0.3);
        double g = 0.0;
        for (int n = 0; n < 240; ++n) g = gate.next(8.0); // 5 ms
        EXPECT_NEAR(g, 1.0 - 0.9 * std::exp(-1.0), 1e-9);
        for (int n = 0; n < 48000; ++n) g = gate.next(8.0);
        EXPECT_NEAR(g, 1.0, 1e-12);
    }
}

TEST(TailRhythmGate, AnyTempoTerminatesAndStaysInRange) {
    const double rates[] = {1e300, std::numeric_limits<double>::max(), INFINITY, -INFINITY, NAN, -8.0, 1e17};
    for (double r : rates) {
        TailRhythmGate gate;
        gate.prepare(44100.0);
        configureTail(gate, true, 1.0, 1.0, 0.5);
        for (int n = 0; n < 100; ++n) {
            const double g = gate.next(r);
            ASSERT_TRUE(std::isfinite(g)) << r;
            ASSERT_GE(gate.step, 0);
            ASSERT_LT(gate.step, 8);
            ASSERT_GE(gate.phase, 0.0);
            ASSERT_LT(gate.phase, 1.0);
        }
    }
}

TEST(OutputRhythmGate, GateShapeOnTheHostPosition) {
    // Smooth 0 at 48 kHz: a 0.35 ms follower (16.8 samples); after 2000 samples at one position
    // the gain is the target: open in the first 38 % of each cycle, (1 - depth)^3 after it.
    const struct { double rateValue, cyclesPerBeat, depth, ppq, gain; } cases[] = {
        {1.0 / 3.0, 1.0, 1.0, 0.1, 1.0},  {1.0 / 3.0, 1.0, 1.0, 0.37, 1.0}, {1.0 / 3.0, 1.0, 1.0, 0.39, 0.0},
        {1.0 / 3.0, 1.0, 1.0, 1.2, 1.0},  {1.0 / 3.0, 1.0, 1.0, -0.5, 0.0}, {1.0 / 3.0, 1.0, 1.0, -0.7, 1.0}, // pre-roll
        {1.0, 4.0, 1.0, 0.05, 1.0},       {1.0, 4.0, 1.0, 0.1, 0.0},        {1.0, 4.0, 1.0, 2.3, 1.0},     // 1/16
        {1.0, 4.0, 1.0, 2.35, 0.0},       {0.0, 0.5, 1.0, 0.7, 1.0},        {0.0, 0.5, 1.0, 0.8, 0.0},     // 1/2
        {2.0 / 3.0, 2.0, 1.0, 0.15, 1.0}, {2.0 / 3.0, 2.0, 1.0, 0.2, 0.0},                                  // 1/8
        {1.0 / 3.0, 1.0, 0.5, 0.6, 0.125}, {1.0 / 3.0, 1.0, 0.2, 0.6, 0.512},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "rate " << c.rateValue << ", depth " << c.depth << ", ppq " << c.ppq);
        OutputRhythmGate gate;
        gate.prepare(48000.0);
        ParameterBlock p;
        p.store(kOutputRhythmGate, 1.0);
        p.store(kOutputGateRate, c.rateValue);
        p.store(kOutputGateDepth, c.depth);
        p.store(kOutputGateSmooth, 0.0);
        gate.updateParameters(p);
        gate.gain = 1.0 - c.gain; // start from the other side
        float y = 0.0f;
        for (int n = 0; n < 2000; ++n) y = gate.process(0.5f, c.ppq);
        EXPECT_NEAR(y, 0.5 * c.gain, 1e-7);
        const double cycles = c.cyclesPerBeat * c.ppq;
        EXPECT_NEAR(gate.phase, cycles - std::floor(cycles), 1e-12);
    }
}

TEST(OutputRhythmGate, QuarterGateOverOneBeat) {
    // "1/4", depth 1, smooth 0, 120 BPM at 48 kHz: one beat is 24000 samples, open for the
    // first 9120 (38 %); the 0.35 ms edge has closed the gate 400 samples later.
    OutputRhythmGate gate;
    gate.prepare(48000.0);
    ParameterBlock p;
    p.store(kOutputRhythmGate, 1.0);
    p.store(kOutputGateRate, 1.0 / 3.0);
    p.store(kOutputGateDepth, 1.0);
    p.store(kOutputGateSmooth, 0.0);
    gate.updateParameters(p);
    for (int n = 0; n < 24000; ++n) {
        const double ppq = 120.0 * n / (60.0 * 48000.0);
        const float y = gate.process(1.0f, ppq);
        if (n < 9120) {
            ASSERT_EQ(y, 1.0f) << n;
        } else if (n >= 9520) {
            ASSERT_NEAR(y, 0.0f, 1e-9) << n;
        }
    }
}

TEST(OutputRhythmGate, SmoothTimeConstantAndNoPosition) {
    OutputRhythmGate gate;
    gate.prepare(48000.0);
    ParameterBlock p;
    p.store(kOutputRhythmGate, 1.0);
    p.store(kOutputGateRate, 1.0 / 3.0);
    p.store(kOutputGateDepth, 1.0);
    p.store(kOutputGateSmooth, 1.0); // 35 ms
    gate.updateParameters(p);
    for (int n = 0; n < 1680; ++n) gate.process(1.0f, 0.5); // closed, one time constant
    EXPECT_NEAR(gate.gain, std::exp(-1.0), 1e-6);
    // No musical position: the target is open.
    for (int n = 0; n < 48000; ++n) gate.process(1.0f, NAN);
    EXPECT_NEAR(gate.gain, 1.0, 1e-9);
    for (int n = 0; n < 100; ++n) ASSERT_TRUE(std::isfinite(gate.process(1.0f, INFINITY)));
}

TEST(OutputRhythmGate, DisabledRelaxesTowardOpen) {
    OutputRhythmGate gate;
    gate.prepare(44100.0);
    gate.gain = 0.0;
    ParameterBlock p; // disabled by default
    gate.updateParameters(p);
    EXPECT_NEAR(gate.process(1.0f, 0.5), 0.02, 1e-9);
    EXPECT_NEAR(gate.process(1.0f, 0.5), 0.0396, 1e-9);
    // Enabled with depth 0 behaves the same.
    p.store(kOutputRhythmGate, 1.0);
    p.store(kOutputGateDepth, 0.0);
    gate.updateParameters(p);
    gate.gain = 0.0;
    EXPECT_NEAR(gate.process(1.0f, 0.5), 0.02, 1e-9);
}

TEST(TailRhythmGate, RenderedRunsGiveTheGainsOfSingleSteps) {
    // Steps switched mid-way, the smoothing's divisor changing, a rate change and an unusable tempo.
    for (const int32_t length : {1, 2, 128, 129, 1000}) {
        SCOPED_TRACE(length);
        TailRhythmGate single, run;
        single.prepare(48000.0);
        run.prepare(48000.0);
        std::vector<double> expected, got;
        for (int32_t block = 0; block < 60; ++block) {
            const double rates[] = {16.0, 16.0, 3.7, 0.0, NAN, 250000.0, 8.0};
            const double stepsPerSecond = rates[(block / 5) % 7];
            for (TailRhythmGate* g : {&single, &run}) {
                configureTail(*g, block % 11 != 10, 0.2 + 0.1 * (block % 9), 1.0, 0.1 * (block % 6));
                g->stepFlags[block % 8] ^= 1;
            }
            for (int32_t i = 0; i < length; ++i) expected.push_back(single.next(stepsPerSecond));
            got.resize(expected.size());
            run.render(got.data() + got.size() - length, length, stepsPerSecond);
        }
        for (size_t i = 0; i < got.size(); ++i)
            ASSERT_EQ(std::bit_cast<uint64_t>(got[i]), std::bit_cast<uint64_t>(expected[i])) << i;
        EXPECT_EQ(run.step, single.step);
        EXPECT_EQ(std::bit_cast<uint64_t>(run.phase), std::bit_cast<uint64_t>(single.phase));
    }
}
