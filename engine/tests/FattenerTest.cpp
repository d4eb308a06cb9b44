#include "Fattener.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cmath>
#include <vector>

using namespace TarnwellPlugin;

namespace {
constexpr double kPi = 3.14159265358979323846;

void enable(Fattener& f, bool on, double amount = 1.0, double tone = 0.35) {
    ParameterBlock p;
    p.store(kFattenerEnable, on ? 1.0 : 0.0);
    p.store(kFattenerAmount, amount);
    p.store(kFattenerTone, tone);
    f.updateParameters(p);
}
} // namespace

TEST(Fattener, DisabledIsExactlySilent) {
    Fattener f;
    f.prepare(44100.0);
    enable(f, false);
    for (int32_t i = 0; i < 20000; ++i) ASSERT_EQ(f.process(static_cast<float>(0.8 * std::sin(2 * kPi * 60 * i / 44100.0))), 0.0f);
}

TEST(Fattener, TrackedFrequencyFollowsTheInputPeriod) {
    struct Case {
        double inputHz, sr, expected;
    };
    // 60 Hz: one octave down, 30 Hz. 300 Hz at 44.1 kHz: crossings every 147 samples are sooner
    // than 44100/220 = 200 and ignored, so every second one is accepted at 294 samples: 75 Hz.
    // 20 Hz: periods above sr/24 reset the counter without moving the 45 Hz start.
    // 100 Hz at 48 kHz: 480 samples, 50 Hz.
    // 210 Hz at 44.1 kHz: crossings every 210 samples, not sooner than 44100/220 = 200: every one
    // counts, 105 Hz (a limit of sr/200 = 220 samples would take every second one: 52.5 Hz).
    const Case cases[] = {{60, 44100, 30},  {300, 44100, 75}, {20, 44100, 45},
                          {100, 48000, 50}, {90, 96000, 45},  {210, 44100, 105}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.inputHz);
        Fattener f;
        f.prepare(c.sr);
        enable(f, true);
        for (int32_t i = 0; i < static_cast<int32_t>(3 * c.sr); ++i)
            f.process(static_cast<float>(0.7 * std::sin(2 * kPi * c.inputHz * i / c.sr)));
        EXPECT_NEAR(f.trackedFrequency, c.expected, 0.6);
    }
}

TEST(Fattener, SilenceKeepsTheTrackedFrequency) {
    Fattener f;
    f.prepare(44100.0);
    enable(f, true);
    for (int32_t i = 0; i < 44100; ++i) ASSERT_EQ(f.process(0.0f), 0.0f);
    EXPECT_EQ(f.trackedFrequency, 45.0);
    EXPECT_EQ(f.envelope, 0.0);
}

TEST(Fattener, SwitchingOffFadesWithThe18msGlide) {
    const double sr = 44100.0;
    Fattener f;
    f.prepare(sr);
    enable(f, true);
    for (int32_t i = 0; i < 44100; ++i) f.process(static_cast<float>(0.7 * std::sin(2 * kPi * 60 * i / sr)));
    EXPECT_NEAR(f.smoothedEnable, 1.0, 1e-9);
    enable(f, false);
    const double c = 1.0 - std::exp(-55.55555555555556 / sr);
    f.process(0.0f);
    EXPECT_NEAR(f.smoothedEnable, 1.0 - c, 1e-12);
    for (int32_t i = 0; i < 8000; ++i) f.process(0.0f);
    EXPECT_LT(f.smoothedEnable, 1e-3);
    // Reset clears the settings too; the next update writes them again.
    f.reset();
    EXPECT_EQ(f.enable, 0.0);
    EXPECT_EQ(f.trackedFrequency, 45.0);
}

TEST(Fattener, OutputIsASubOctaveSineShapedByTheInputLevel) {
    const double sr = 44100.0;
    Fattener f;
    f.prepare(sr);
    enable(f, true, 1.0, 0.0);
    double peak = 0.0;
    int32_t crossings = 0;
    float previous = 0.0f;
    for (int32_t i = 0; i < static_cast<int32_t>(4 * sr); ++i) {
        const float y = f.process(static_cast<float>(0.7 * std::sin(2 * kPi * 60 * i / sr)));
        ASSERT_TRUE(std::isfinite(y));
        if (i >= 3 * sr) {
            peak = std::max(peak, std::fabs(double(y)));
            if (previous <= 0.0f && y > 0.0f) ++crossings;
        }
        previous = y;
    }
    EXPECT_NEAR(crossings, 30, 1); // 30 Hz over the last second
    EXPECT_GT(peak, 0.05);
    EXPECT_LT(peak, 0.92); // 0.92 tanh(...) bound
}

TEST(Fattener, EachAcceptedCrossingMovesTheTrackedFrequency28PercentOfTheWay) {
    // A 60 Hz input at 44.1 kHz crosses every 735 samples: each estimate is 44100 / 1470 = 30 Hz,
    // so the distance to 30 Hz shrinks by 0.72 per crossing.
    Fattener f;
    f.prepare(44100.0);
    enable(f, true);
    std::vector<double> tracked{f.trackedFrequency};
    for (int32_t i = 0; i < 44100; ++i) {
        f.process(static_cast<float>(0.7 * std::sin(2 * kPi * 60 * i / 44100.0)));
        if (f.trackedFrequency != tracked.back()) tracked.push_back(f.trackedFrequency);
    }
    ASSERT_GE(tracked.size(), 8u);
    // The first accepted crossing counts from the reset, not from a crossing: start after it.
    for (size_t k = 2; k + 1 < 8; ++k)
        EXPECT_NEAR((tracked[k + 1] - 30.0) / (tracked[k] - 30.0), 0.72, 1e-9) << k;
}

TEST(Fattener, OutputIsTheSaturatedLowPassScaledBy092EnableAndAmount) {
    for (double amount : {1.0, 0.5}) {
        Fattener f;
        f.prepare(44100.0);
        enable(f, true, amount);
        double largest = 0.0;
        for (int32_t i = 0; i < 44100; ++i) {
            const float y = f.process(static_cast<float>(0.7 * std::sin(2 * kPi * 60 * i / 44100.0)));
            const double expected =
                0.92 * f.smoothedEnable * f.smoothedAmount * std::tanh(1.55 * f.outputLowpass);
            ASSERT_NEAR(y, expected, 1e-7) << amount << " " << i;
            largest = std::max(largest, std::fabs(double(y)));
        }
        EXPECT_GT(largest, 0.05 * amount); // the sine is there
    }
}

TEST(Fattener, RunsOfAnyLengthGiveTheSamplesOfSingleSteps) {
    // Switched on and off mid-run (the glides and the zero of an idle fattener), a tone glide, and a
    // NaN and an infinity mid-run (whose reset must happen at the same sample).
    std::vector<float> in(9000);
    for (size_t i = 0; i < in.size(); ++i)
        in[i] = static_cast<float>(0.8 * std::sin(2 * kPi * 55 * i / 44100.0) * std::exp(-1e-4 * (i % 3000)));
    in[2500] = NAN;
    in[6001] = INFINITY;
    for (const int32_t length : {1, 2, 7, 64, 128, 129, 300}) {
        SCOPED_TRACE(length);
        Fattener single, run;
        single.prepare(44100.0);
        run.prepare(44100.0);
        std::vector<float> expected(in.size()), got(in.size());
        for (size_t start = 0; start < in.size(); start += length) {
            const size_t n = std::min(in.size() - start, static_cast<size_t>(length));
            // The switch moves at fixed samples, between runs for both.
            const bool on = (start / 1500) % 2 == 1;
            const double tone = start < 4500 ? 0.35 : 0.8;
            enable(single, on, 0.9, tone);
            enable(run, on, 0.9, tone);
            for (size_t i = start; i < start + n; ++i) expected[i] = single.process(in[i]);
            run.process(in.data() + start, got.data() + start, static_cast<int32_t>(n));
        }
        for (size_t i = 0; i < in.size(); ++i)
            ASSERT_EQ(std::bit_cast<uint32_t>(got[i]), std::bit_cast<uint32_t>(expected[i])) << i;
        EXPECT_EQ(std::bit_cast<uint64_t>(run.outputLowpass), std::bit_cast<uint64_t>(single.outputLowpass));
        EXPECT_EQ(run.trackedFrequency, single.trackedFrequency);
    }
}
