#include "DenormalGuard.h"
#include "EffectsTestSupport.h"
#include "MainFilter.h"
#include "OutputGainStage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <iomanip>
#include <vector>

using namespace TarnwellPlugin;

namespace {

constexpr double kPi = 3.14159265358979323846;

// Steady-state gain of the filter for a sine at f (a whole number of periods is measured).
double measuredGain(int mode, double fc, double resonance, double f, double sr) {
    MainFilter filter;
    filter.prepare(sr);
    filter.mode = mode;
    filter.setCutoffAndResonance(fc, resonance);
    const int settle = static_cast<int>(sr); // one second: even resonance 1 has rung out
    const int measure = static_cast<int>(sr / 10.0);
    std::vector<double> y;
    y.reserve(measure);
    for (int n = 0; n < settle + measure; ++n) {
        const float x = static_cast<float>(0.25 * std::sin(2.0 * kPi * f * n / sr));
        const float out = filter.process(x);
        if (n >= settle) y.push_back(out);
    }
    // The sine's phase at the first measured sample does not matter for the amplitude.
    return EffectsTest::toneAmplitude(y, f / sr) / 0.25;
}

} // namespace

TEST(MainFilter, ResponseAtKnownFrequencies) {
    // |H| of the bilinear state-variable filter: with W = tan(pi f / sr) / tan(pi fc / sr) and
    // s = jW, low-pass 1/(s^2 + k s + 1), high-pass s^2/(...), band-pass s/(...), k = 2 - 1.9 r.
    struct Case {
        int mode;
        double fc, resonance, f, gain;
    };
    const Case cases[] = {
        {0, 1000.0, 0.0, 100.0, 0.990126714696},  {0, 1000.0, 0.0, 1000.0, 0.5},
        {0, 1000.0, 0.0, 4000.0, 0.056456725248}, {0, 1000.0, 1.0, 1000.0, 10.0},
        {0, 4000.0, 0.5, 12000.0, 0.074024480511}, {1, 1000.0, 0.0, 100.0, 0.009873285304},
        {1, 1000.0, 0.0, 1000.0, 0.5},            {1, 1000.0, 0.0, 12000.0, 0.995722430687},
        {1, 1000.0, 1.0, 1000.0, 10.0},           {1, 4000.0, 0.5, 1000.0, 0.061393138869},
        {2, 1000.0, 0.0, 1000.0, 0.5},            {2, 1000.0, 0.0, 100.0, 0.098872663264},
        {2, 1000.0, 1.0, 1000.0, 10.0},           {2, 4000.0, 0.5, 4000.0, 0.952380952381},
        {2, 4000.0, 0.5, 12000.0, 0.27626312227}, {7, 1000.0, 0.0, 1000.0, 0.5}, // unknown mode: low-pass
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << ", fc " << c.fc << ", r " << c.resonance << ", f " << c.f);
        EXPECT_NEAR(measuredGain(c.mode, c.fc, c.resonance, c.f, 48000.0), c.gain, 2e-3 * c.gain + 1e-5);
    }
}

TEST(MainFilter, ModeFromTheBlock) {
    const struct { double v; int32_t mode; } cases[] = {{0.0, 0}, {0.24, 0}, {0.25, 1}, {0.5, 1}, {0.76, 2}, {1.0, 2}};
    for (const auto& c : cases) {
        MainFilter f;
        ParameterBlock p;
        p.store(kFilterMode, c.v);
        f.updateParameters(p);
        EXPECT_EQ(f.mode, c.mode) << c.v;
    }
}

TEST(MainFilter, CutoffIsLimitedToBetween20HzAnd045TimesTheRate) {
    // 18 kHz at 32 kHz acts as 14.4 kHz; at 44.1 kHz the limit (19845 Hz) is not reached.
    const struct { double sr, asked, acting; } cases[] = {
        {32000.0, 18000.0, 14400.0}, {44100.0, 18000.0, 18000.0}, {48000.0, 5.0, 20.0}, {48000.0, NAN, 20.0}};
    for (const auto& c : cases) {
        MainFilter a, b;
        a.prepare(c.sr);
        b.prepare(c.sr);
        a.setCutoffAndResonance(c.asked, 0.3);
        b.setCutoffAndResonance(c.acting, 0.3);
        for (int n = 0; n < 2000; ++n) {
            const float x = static_cast<float>(std::sin(0.37 * n) + 0.5 * std::sin(2.1 * n));
            ASSERT_EQ(a.process(x), b.process(x)) << c.sr << " " << c.asked << " " << n;
        }
    }
}

TEST(MainFilter, FullResonanceIsStableAndNonFiniteInputResets) {
    DenormalGuard ftz; // as the render sets it
    MainFilter f;
    f.prepare(44100.0);
    f.setCutoffAndResonance(19000.0, 1.0);
    double last = 0.0;
    for (int n = 0; n < 441000; ++n) {
        last = f.process(n == 0 ? 1.0f : 0.0f);
        ASSERT_TRUE(std::isfinite(last));
    }
    EXPECT_LT(std::fabs(last), 1e-9);
    // A resonance beyond the range is held to it (k never reaches 0).
    f.setCutoffAndResonance(1000.0, 5.0);
    for (int n = 0; n < 44100; ++n) ASSERT_TRUE(std::isfinite(f.process(n == 0 ? 1.0f : 0.0f)));
    EXPECT_EQ(f.process(NAN), 0.0f);
    EXPECT_EQ(f.ic1, 0.0);
    EXPECT_EQ(f.ic2, 0.0);
    EXPECT_TRUE(std::isfinite(f.process(0.5f)));
}

TEST(OutputGainStage, ZeroDbPointIsExactUnity) {
    // The default 2/7 exactly, and as it comes back from a 32-bit state (0.28571430).
    const double settings[] = {2.0 / 7.0, static_cast<double>(static_cast<float>(2.0 / 7.0)), 2.0 / 7.0 - 9e-7,
                               2.0 / 7.0 + 9e-7};
    for (double setting : settings) {
        SCOPED_TRACE(testing::Message() << std::setprecision(10) << setting);
        OutputGainStage g;
        g.prepare(44100.0);
        for (int n = 0; n < 44100; ++n) {
            const float x = 0.78f * std::sin(0.05f * static_cast<float>(n));
            ASSERT_EQ(g.process(x, setting), x) << n;
        }
    }
}

TEST(OutputGainStage, PlainGainBelowZeroDb) {
    // 84 s - 24 dB.
    const struct { double s, gain; } cases[] = {
        {0.0, 0.06309573444801933}, {1.0 / 7.0, 0.251188643150958}, {0.25, 0.7079457843841379}};
    for (const auto& c : cases) {
        OutputGainStage g;
        g.prepare(48000.0);
        g.smoothedSetting = c.s;
        for (float x : {0.1f, -0.5f, 0.7f}) EXPECT_NEAR(g.process(x, c.s), c.gain * x, 1e-7) << c.s;
    }
}

TEST(OutputGainStage, SoftCeiling) {
    const struct { float x, y; } cases[] = {
        {0.5f, 0.5f}, {0.78f, 0.78f}, {0.8f, 0.7999397755526458f}, {1.0f, 0.9439846108700627f},
        {2.0f, 0.9899962629050304f}, {1e6f, 0.99f}, {-1.0f, -0.9439846108700627f}, {INFINITY, 0.99f},
    };
    for (const auto& c : cases) {
        OutputGainStage g;
        g.prepare(44100.0);
        EXPECT_NEAR(g.process(c.x, 2.0 / 7.0), c.y, 2e-6) << c.x;
    }
    OutputGainStage g;
    g.prepare(44100.0);
    for (int n = 0; n < 44100; ++n) {
        const float y = g.process(50.0f * std::sin(0.01f * static_cast<float>(n)), 1.0);
        ASSERT_LE(std::fabs(y), 0.99f);
    }
}

TEST(OutputGainStage, DriveBranchSmallSignal) {
    // First sample from rest (followers 0 and 1): G stays 1, so
    // y = tanh(10^(1.5 b) x (1 + 5.5 b^2)) / tanh(1 + 5.5 b^2), then the hard part above b = 0.82.
    const struct { double s; float x; double y; } cases[] = {
        {1.0, 1e-4f, 0.24174259646151713},
        {0.5, 1e-3f, 0.004659664090763256},
        {0.8, 1e-3f, 0.046310370284221934},
        {2.0 / 7.0 + 1e-5, 1e-3f, 0.0013130983408125528}, // just past 0 dB: about +2.4 dB
    };
    for (const auto& c : cases) {
        OutputGainStage g;
        g.prepare(44100.0);
        g.smoothedSetting = c.s;
        EXPECT_NEAR(g.process(c.x, c.s), c.y, 1e-6 * c.y + 1e-9) << c.s;
    }
}

TEST(OutputGainStage, SettingGlidesOverTwelveMilliseconds) {
    OutputGainStage g;
    g.prepare(48000.0);
    for (int n = 0; n < 576; ++n) g.process(0.0f, 0.0); // 12 ms: one time constant
    EXPECT_NEAR(g.smoothedSetting, 2.0 / 7.0 * std::exp(-1.0), 1e-9);
}

TEST(OutputGainStage, HeavyDriveStaysFiniteAndBounded) {
    DenormalGuard ftz; // as the render sets it
    OutputGainStage g;
    g.prepare(96000.0);
    for (int n = 0; n < 96000; ++n) {
        const float x = (n % 4800 < 100 ? 3.0f : 0.01f) * std::sin(0.02f * static_cast<float>(n));
        const float y = g.process(x, 1.0);
        ASSERT_TRUE(std::isfinite(y));
        ASSERT_LE(std::fabs(y), 0.99f);
    }
    EXPECT_EQ(g.process(NAN, 1.0), 0.0f);
    EXPECT_TRUE(std::isfinite(g.peakFollower));
    EXPECT_TRUE(std::isfinite(g.gainFollower));
    EXPECT_TRUE(std::isfinite(g.process(0.1f, 1.0)));
    EXPECT_TRUE(std::isfinite(g.process(0.1f, NAN)));
}

TEST(OutputGainStage, RunsOfAnyLengthGiveTheSamplesOfSingleSteps) {
    // The setting gliding across 0 dB into the drive range and its hard part and back (the branch
    // changing mid-run), loud passages that move the followers, and a NaN and an infinity mid-run
    // (the followers reset at their sample).
    std::vector<float> in(12000);
    for (size_t i = 0; i < in.size(); ++i)
        in[i] = static_cast<float>((i % 4000 < 2000 ? 0.9 : 0.05) * std::sin(2 * kPi * 50 * i / 44100.0));
    in[3000] = NAN;
    in[3001] = 0.5f;
    in[7777] = -INFINITY;
    for (const int32_t length : {1, 2, 3, 128, 129, 1000}) {
        SCOPED_TRACE(length);
        OutputGainStage single, run;
        single.prepare(44100.0);
        run.prepare(44100.0);
        std::vector<float> expected(in.size()), got(in);
        for (size_t start = 0; start < in.size(); start += length) {
            const size_t n = std::min(in.size() - start, static_cast<size_t>(length));
            const double settings[] = {2.0 / 7.0, 0.95, 0.5, 0.1, 1.0, 0.7};
            const double setting = settings[(start / 2000) % 6];
            for (size_t i = start; i < start + n; ++i) expected[i] = single.process(in[i], setting);
            run.process(got.data() + start, got.data() + start, static_cast<int32_t>(n), setting); // in place
        }
        for (size_t i = 0; i < in.size(); ++i)
            ASSERT_EQ(std::bit_cast<uint32_t>(got[i]), std::bit_cast<uint32_t>(expected[i])) << i;
        EXPECT_EQ(run.peakFollower, single.peakFollower);
        EXPECT_EQ(run.gainFollower, single.gainFollower);
        EXPECT_EQ(run.smoothedSetting, single.smoothedSetting);
    }
}

TEST(MainFilter, RunsOfAnyLengthGiveTheSamplesOfSingleSteps) {
    // Every mode, a gliding and a standing cutoff and resonance (a NaN cutoff among them), and a NaN
    // and an infinity mid-run (the reset at the same sample).
    std::vector<float> in(12000);
    std::vector<double> cutoffs(in.size()), resonances(in.size());
    for (size_t i = 0; i < in.size(); ++i) {
        in[i] = static_cast<float>(0.6 * std::sin(0.05 * i) + 0.3 * std::sin(0.41 * i));
        cutoffs[i] = i < 3000 ? 200.0 + 3.0 * i : (i < 6000 ? 2500.0 : 18000.0 - i);
        resonances[i] = i < 8000 ? 0.3 : 0.3 + 1e-4 * (i - 8000);
    }
    cutoffs[7000] = NAN;
    in[4100] = NAN;
    in[9500] = INFINITY;
    for (const int32_t mode : {0, 1, 2, 5}) {
        for (const int32_t length : {1, 2, 7, 64, 128, 129, 1000}) {
            SCOPED_TRACE(testing::Message() << mode << " " << length);
            MainFilter single, run;
            single.prepare(48000.0);
            run.prepare(48000.0);
            single.mode = run.mode = mode;
            std::vector<float> expected(in.size()), got(in.size());
            for (size_t start = 0; start < in.size(); start += length) {
                const size_t n = std::min(in.size() - start, static_cast<size_t>(length));
                for (size_t i = start; i < start + n; ++i) {
                    single.setCutoffAndResonance(cutoffs[i], resonances[i]);
                    expected[i] = single.process(in[i]);
                }
                run.process(in.data() + start, got.data() + start, cutoffs.data() + start, resonances.data() + start,
                            static_cast<int32_t>(n));
            }
            for (size_t i = 0; i < in.size(); ++i)
                ASSERT_EQ(std::bit_cast<uint32_t>(got[i]), std::bit_cast<uint32_t>(expected[i])) << i;
            EXPECT_EQ(std::bit_cast<uint64_t>(run.ic1), std::bit_cast<uint64_t>(single.ic1));
            EXPECT_EQ(std::bit_cast<uint64_t>(run.ic2), std::bit_cast<uint64_t>(single.ic2));
            EXPECT_EQ(run.cutoff, single.cutoff);
            EXPECT_EQ(run.resonance, single.resonance);
            EXPECT_EQ(run.g, single.g);
        }
    }
}
