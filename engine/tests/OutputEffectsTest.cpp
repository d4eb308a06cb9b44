#include "DryReturns.h"
#include "RiftFold.h"
#include "StereoEnhancer.h"
#include "VoidMod.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <vector>

using namespace TarnwellPlugin;

namespace {

constexpr double kPi = 3.14159265358979323846;

template <typename Stage>
void settle(Stage& s) {
    // Smoothed values straight to their settings, as after a long stretch of samples.
    s.smoothedEnable = s.enable;
    if constexpr (requires { s.smoothedAmount; }) {
        s.smoothedAmount = s.amount;
        s.smoothedMix = s.mix;
    }
    if constexpr (requires { s.smoothedRate; }) {
        s.smoothedRate = s.rate;
        s.smoothedDepth = s.depth;
    }
    if constexpr (requires { s.smoothedWidth; }) {
        s.smoothedWidth = s.width;
        s.smoothedSpace = s.space;
    }
}

} // namespace

TEST(RiftFold, FoldShapes) {
    // tanh(asin(sin(x pi/2 (1 + 13 a))) (2 + 5 a) / pi) / sqrt(1 + 13 a), worked out by hand.
    const struct { double x, amount, mix, y; } cases[] = {
        {0.3, 0.0, 1.0, 0.2913126124515909},  // amount 0 within |x| <= 1: tanh(x)
        {0.9, 0.0, 1.0, 0.7162978701990246},
        {1.5, 0.0, 1.0, 0.46211715726000985}, // folded back: tanh(0.5)
        {0.3, 1.0, 1.0, 0.1615240826841843},  // asin(sin(2.1 pi)) = 0.1 pi; tanh(0.7) / sqrt(14)
        {-0.5, 0.35, 1.0, 0.3804620100482893},
        {0.2, 0.5, 1.0, 0.29551496797505833},
        {0.2, 0.5, 0.5, 0.2 + 0.5 * (0.29551496797505833 - 0.2)},
    };
    for (const auto& c : cases) {
        RiftFold f;
        f.prepare(44100.0);
        ParameterBlock p;
        p.store(kRiftFoldEnable, 1.0);
        p.store(kRiftFoldAmount, c.amount);
        p.store(kRiftFoldMix, c.mix);
        f.updateParameters(p);
        settle(f);
        EXPECT_NEAR(f.process(static_cast<float>(c.x)), c.y, 1e-7) << c.x << " " << c.amount << " " << c.mix;
    }
}

TEST(RiftFold, DisabledPassesAndEnableGlidesIn) {
    RiftFold f;
    f.prepare(48000.0);
    ParameterBlock p;
    p.store(kRiftFoldAmount, 1.0);
    p.store(kRiftFoldMix, 1.0);
    f.updateParameters(p); // enable off
    for (int n = 0; n < 1000; ++n) ASSERT_EQ(f.process(0.3f), 0.3f);
    p.store(kRiftFoldEnable, 1.0);
    f.updateParameters(p);
    for (int n = 0; n < 864; ++n) f.process(0.0f); // 18 ms: one time constant
    EXPECT_NEAR(f.smoothedEnable, 1.0 - std::exp(-1.0), 1e-9);
    f.reset();
    EXPECT_EQ(f.enable, 0.0);
    EXPECT_EQ(f.smoothedMix, 0.0);
}

TEST(VoidMod, ModulationFrequency) {
    // 0.15 x 800^rate Hz.
    const struct { double rate, hz; } cases[] = {
        {0.0, 0.15}, {1.0, 120.0}, {0.5, 4.242640687119285}, {0.25, 0.7977443845417482}};
    for (const auto& c : cases) EXPECT_NEAR(VoidMod::frequencyHz(c.rate), c.hz, 1e-9 * c.hz) << c.rate;
}

TEST(VoidMod, RingAndTremoloShapes) {
    // Depth 1: x sin(phase); depth 0.5: x (0.5 + 0.5 sin(phase)); the phase advances before use.
    const struct { double rate, depth; int samples; } cases[] = {
        {1.0, 1.0, 1}, {1.0, 1.0, 100}, {1.0, 1.0, 250}, {1.0, 0.5, 130}, {0.5, 1.0, 7000}, {1.0, 1.0, 48000}};
    for (const auto& c : cases) {
        VoidMod m;
        m.prepare(48000.0);
        ParameterBlock p;
        p.store(kVoidModEnable, 1.0);
        p.store(kVoidModRate, c.rate);
        p.store(kVoidModDepth, c.depth);
        m.updateParameters(p);
        settle(m);
        float y = 0.0f;
        for (int n = 0; n < c.samples; ++n) y = m.process(0.8f);
        const double f = 0.15 * std::pow(800.0, c.rate);
        const double phase = std::fmod(2.0 * kPi * f * c.samples / 48000.0, 2.0 * kPi);
        EXPECT_NEAR(y, 0.8 * ((1.0 - c.depth) + c.depth * std::sin(phase)), 1e-5) << c.rate << " " << c.samples;
        EXPECT_GE(m.phase, 0.0);
        EXPECT_LT(m.phase, 2.0 * kPi);
    }
}

TEST(VoidMod, DisabledPassesAndTinyRatesStayInRange) {
    VoidMod m;
    m.prepare(44100.0);
    ParameterBlock p; // disabled by default
    m.updateParameters(p);
    for (int n = 0; n < 1000; ++n) ASSERT_EQ(m.process(0.4f), 0.4f);
    VoidMod slow;
    slow.prepare(1.0); // one sample per second: 120 Hz is many turns per sample
    p.store(kVoidModEnable, 1.0);
    p.store(kVoidModRate, 1.0);
    slow.updateParameters(p);
    settle(slow);
    for (int n = 0; n < 100; ++n) {
        ASSERT_TRUE(std::isfinite(slow.process(0.4f)));
        ASSERT_LT(slow.phase, 2.0 * kPi);
    }
}

TEST(StereoEnhancer, BufferAndTaps) {
    const struct { double sr; size_t size; uint64_t tapA, tapB; } cases[] = {
        {44100.0, 886, 110, 617}, {48000.0, 964, 120, 672}, {96000.0, 1924, 240, 1344}, {192000.0, 3844, 480, 2688},
        {100.0, 6, 0, 1}};
    for (const auto& c : cases) {
        StereoEnhancer s;
        s.prepare(c.sr);
        EXPECT_EQ(s.buffer.size(), c.size) << c.sr;
        EXPECT_EQ(s.tapA, c.tapA) << c.sr;
        EXPECT_EQ(s.tapB, c.tapB) << c.sr;
    }
}

TEST(StereoEnhancer, WidthOfAnImpulseOnTheBus) {
    // 48 kHz, width 1: the side is 0.48 h, h the 115 Hz high-pass (pole p = exp(-2 pi 115 / sr))
    // of e = (b - A) + space (A - B), A and B the bus 120 and 672 samples ago.
    const double pole = 0.9850592721996986;
    for (double space : {0.0, 1.0}) {
        SCOPED_TRACE(testing::Message() << "space " << space);
        StereoEnhancer s;
        s.prepare(48000.0);
        ParameterBlock p;
        p.store(kStereoEnhancerEnable, 1.0);
        p.store(kStereoEnhancerWidth, 1.0);
        p.store(kStereoEnhancerSpace, space);
        s.updateParameters(p);
        settle(s);
        double h = 0.0, previous = 0.0;
        for (int n = 0; n < 1000; ++n) {
            const double b = n == 0 ? 1.0 : 0.0;
            const double a = n == 120 ? 1.0 : 0.0;
            const double c = n == 672 ? 1.0 : 0.0;
            const double e = (b - a) + space * (a - c);
            h = (e + h - previous) * pole;
            previous = e;
            float left = 0.0f, right = 0.0f;
            s.process(0.25f, static_cast<float>(b), left, right);
            ASSERT_NEAR(left, 0.25 + 0.48 * h, 1e-6) << n;
            ASSERT_NEAR(right, 0.25 - 0.48 * h, 1e-6) << n;
        }
    }
}

TEST(StereoEnhancer, NoWidthOrDisabledOrUnpreparedIsMono) {
    for (int variant = 0; variant < 3; ++variant) {
        StereoEnhancer s;
        if (variant < 2) s.prepare(44100.0);
        ParameterBlock p;
        p.store(kStereoEnhancerEnable, variant == 1 ? 0.0 : 1.0);
        p.store(kStereoEnhancerWidth, variant == 1 ? 1.0 : 0.0);
        s.updateParameters(p);
        for (int n = 0; n < 5000; ++n) {
            const float m = std::sin(0.01f * static_cast<float>(n));
            float left = 1.0f, right = -1.0f;
            s.process(m, std::sin(0.3f * static_cast<float>(n)), left, right);
            ASSERT_EQ(left, m) << variant << " " << n;
            ASSERT_EQ(right, m) << variant << " " << n;
        }
    }
}

TEST(StereoEnhancer, NonFiniteBusClearsTheLine) {
    StereoEnhancer s;
    s.prepare(44100.0);
    ParameterBlock p;
    p.store(kStereoEnhancerEnable, 1.0);
    p.store(kStereoEnhancerWidth, 1.0);
    s.updateParameters(p);
    float left = 0.0f, right = 0.0f;
    for (int n = 0; n < 100; ++n) s.process(0.1f, 0.5f, left, right);
    s.process(0.1f, NAN, left, right);
    EXPECT_EQ(left, 0.1f);
    EXPECT_EQ(right, 0.1f);
    for (float v : s.buffer) ASSERT_EQ(v, 0.0f);
    EXPECT_EQ(s.enable, 1.0); // the settings stay
    for (int n = 0; n < 2000; ++n) {
        s.process(0.1f, 0.5f, left, right);
        ASSERT_TRUE(std::isfinite(left) && std::isfinite(right));
    }
}

TEST(DryReturns, LayerAndSubReturns) {
    // Layers: r = v s vel, times (1 + 2 boost), then blended by boost toward r / (1 + 0.12 |r|);
    // boost = clamp(v / 0.17 - 4.88.., 0, 1). Sub: tanh((d + 5 d^2) s).
    const struct { double v, signal, velocity, r; } layers[] = {
        {0.0, 0.9, 1.0, 0.0},
        {0.5, 0.5, 1.0, 0.25},
        {0.83, -0.6, 1.0, -0.498},
        {0.9, 0.5, 0.8, 0.6367313928558278},
        {1.0, 0.5, 1.0, 1.5 / 1.18}, // tripled, then fully soft-clipped
    };
    for (const auto& c : layers) EXPECT_NEAR(dryReturnLayer(c.v, c.signal, c.velocity), c.r, 1e-12) << c.v;
    EXPECT_NEAR(dryReturnSub(0.5, 0.4), std::tanh(0.7), 1e-15);
    EXPECT_NEAR(dryReturnSub(1.0, -0.3), std::tanh(-1.8), 1e-15);
    EXPECT_EQ(dryReturnSub(0.0, 0.7), 0.0);
    EXPECT_NEAR(dryReturnBoost(0.83), 0.0, 1e-12);
    EXPECT_DOUBLE_EQ(dryReturnBoost(1.0), 1.0);
}

TEST(DryReturns, SumOfTheFour) {
    DryReturnInputs in{0.5f, 0.5f, 0.5f, 0.4f, 1.0, 0.0, 0.0, 0.0, 0.0};
    EXPECT_EQ(dryReturnSum(in), 0.0f); // all returns at 0 add exactly nothing
    in.kickReturn = 1.0;
    EXPECT_NEAR(dryReturnSum(in), 1.5 / 1.18, 1e-6);
    in.oscReturn = 0.5; // the osc enters at 0.75: 0.5 x 0.375
    EXPECT_NEAR(dryReturnSum(in), 1.5 / 1.18 + 0.1875, 1e-6);
    in.subReturn = 0.5;
    in.waveReturn = 0.5;
    EXPECT_NEAR(dryReturnSum(in), 1.5 / 1.18 + 0.25 + 0.1875 + std::tanh(0.7), 1e-6);
    in.kick = NAN;
    EXPECT_EQ(dryReturnSum(in), 0.0f);
}

TEST(RiftFold, RunsOfAnyLengthGiveTheSamplesOfSingleSteps) {
    // Glides in and out mid-run (samples passed through next to folded ones), the amount gliding
    // (its factors recomputed mid-run), arguments beyond the fold's reduction range, NaN and inf.
    std::vector<float> in(6000);
    for (size_t i = 0; i < in.size(); ++i) in[i] = static_cast<float>(0.9 * std::sin(2 * kPi * 70 * i / 48000.0));
    in[1000] = NAN;
    in[1001] = INFINITY;
    in[1700] = -3e4f;
    in[3333] = 1e30f;
    for (const int32_t length : {1, 2, 5, 128, 129, 500}) {
        SCOPED_TRACE(length);
        RiftFold single, run;
        single.prepare(48000.0);
        run.prepare(48000.0);
        std::vector<float> expected(in.size()), got(in);
        for (size_t start = 0; start < in.size(); start += length) {
            const size_t n = std::min(in.size() - start, static_cast<size_t>(length));
            ParameterBlock p;
            p.store(kRiftFoldEnable, (start / 1200) % 2 == 1 ? 0.0 : 1.0);
            p.store(kRiftFoldAmount, start < 3000 ? 0.3 : 1.0);
            p.store(kRiftFoldMix, 0.8);
            single.updateParameters(p);
            run.updateParameters(p);
            for (size_t i = start; i < start + n; ++i) expected[i] = single.process(in[i]);
            run.process(got.data() + start, got.data() + start, static_cast<int32_t>(n)); // in place
        }
        for (size_t i = 0; i < in.size(); ++i) {
            if (std::isnan(expected[i])) {
                ASSERT_TRUE(std::isnan(got[i])) << i;
                continue;
            }
            ASSERT_EQ(std::bit_cast<uint32_t>(got[i]), std::bit_cast<uint32_t>(expected[i])) << i;
        }
        EXPECT_EQ(run.smoothedAmount, single.smoothedAmount);
        EXPECT_EQ(run.foldAmount, single.foldAmount);
    }
}

TEST(StereoEnhancer, RunsOfAnyLengthGiveTheSamplesOfSingleSteps) {
    // Switched on and off and its width and space changed between runs (gliding and settled
    // smoothers), and a NaN and an infinity on the bus mid-run; and an unprepared enhancer.
    std::vector<float> mono(20000), bus(mono.size());
    for (size_t i = 0; i < mono.size(); ++i) {
        mono[i] = static_cast<float>(0.5 * std::sin(0.02 * i));
        bus[i] = static_cast<float>(0.8 * std::sin(0.07 * i) * std::exp(-3e-4 * (i % 4000)));
    }
    bus[3333] = NAN;
    bus[15000] = INFINITY;
    for (const bool prepared : {true, false}) {
        for (const int32_t length : {1, 2, 7, 64, 128, 129, 1000}) {
            SCOPED_TRACE(testing::Message() << prepared << " " << length);
            StereoEnhancer single, run;
            if (prepared) {
                single.prepare(44100.0);
                run.prepare(44100.0);
            }
            std::vector<float> expectedL(mono.size()), expectedR(mono.size()), gotL(mono.size()), gotR(mono.size());
            for (size_t start = 0; start < mono.size(); start += length) {
                const size_t n = std::min(mono.size() - start, static_cast<size_t>(length));
                ParameterBlock p;
                p.store(kStereoEnhancerEnable, (start / 6000) % 2 == 0 ? 1.0 : 0.0);
                p.store(kStereoEnhancerWidth, start < 9000 ? 0.7 : 1.0);
                p.store(kStereoEnhancerSpace, start < 13000 ? 0.2 : 0.9);
                single.updateParameters(p);
                run.updateParameters(p);
                if (start == 0)
                    for (StereoEnhancer* s : {&single, &run}) {
                        // Settled from the first sample on, the NaN among the settled runs.
                        s->smoothedEnable = s->enable;
                        s->smoothedWidth = s->width;
                        s->smoothedSpace = s->space;
                    }
                for (size_t i = start; i < start + n; ++i) single.process(mono[i], bus[i], expectedL[i], expectedR[i]);
                run.process(mono.data() + start, bus.data() + start, gotL.data() + start, gotR.data() + start,
                            static_cast<int32_t>(n));
            }
            for (size_t i = 0; i < mono.size(); ++i) {
                ASSERT_EQ(std::bit_cast<uint32_t>(gotL[i]), std::bit_cast<uint32_t>(expectedL[i])) << i;
                ASSERT_EQ(std::bit_cast<uint32_t>(gotR[i]), std::bit_cast<uint32_t>(expectedR[i])) << i;
            }
            EXPECT_EQ(run.writeIndex, single.writeIndex);
            EXPECT_EQ(std::bit_cast<uint64_t>(run.highPassState), std::bit_cast<uint64_t>(single.highPassState));
            EXPECT_EQ(std::bit_cast<uint64_t>(run.smoothedSpace), std::bit_cast<uint64_t>(single.smoothedSpace));
            EXPECT_EQ(std::bit_cast<uint64_t>(run.smoothedWidth), std::bit_cast<uint64_t>(single.smoothedWidth));
            EXPECT_TRUE(run.buffer == single.buffer);
        }
    }
}
