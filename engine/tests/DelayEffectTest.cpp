#include "DelayEffect.h"
#include "DenormalGuard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <vector>

using namespace TarnwellPlugin;

namespace {

struct TimeCase {
    double sampleRate;
    double normalized;
    double samples; // sr (0.001 + 0.999 v)
};

DelayEffect preparedDelay(double sr, double time, double feedback, double mix) {
    DelayEffect d;
    d.prepare(sr);
    ParameterBlock p;
    p.store(kDelayTime, time);
    p.store(kDelayFeedback, feedback);
    p.store(kDelayMix, mix);
    d.updateParameters(p);
    d.clear();
    return d;
}

} // namespace

TEST(DelayEffect, TimeInSamples) {
    const TimeCase cases[] = {
        {44100.0, 1.0, 44100.0},        {44100.0, 0.0, 44.1},          {48000.0, 0.5, 24024.0},
        {96000.0, 0.24925, 24000.072},  {192000.0, 1.0, 192000.0},     {22050.0, 0.75, 16543.0125},
        {1000.0, 0.0, 1.0},             // 1 ms at 1 kHz is one sample, the shortest allowed
        {100.0, 0.0, 1.0},              // 0.1 samples is raised to 1
        {44100.0, 7.0, 44100.0},        // out-of-range values are clamped by the block
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.sampleRate << " Hz, v = " << c.normalized);
        DelayEffect d = preparedDelay(c.sampleRate, c.normalized, 0.0, 1.0);
        EXPECT_NEAR(d.timeTarget, c.samples, 1e-9 * c.samples);
        EXPECT_DOUBLE_EQ(d.smoothedTime, d.timeTarget); // clear syncs the glide
    }
}

TEST(DelayEffect, LineHoldsTwoSecondsAtEveryRate) {
    const struct { double sr; size_t size; } cases[] = {
        {44100.0, 88201}, {48000.0, 96001}, {96000.0, 192001}, {192000.0, 384001}, {384000.0, 768001}};
    for (const auto& c : cases) {
        DelayEffect d;
        d.prepare(c.sr);
        EXPECT_EQ(d.line.size(), c.size) << c.sr;
        ParameterBlock p;
        p.store(kDelayTime, 1.0);
        d.updateParameters(p);
        EXPECT_LE(d.timeTarget, static_cast<double>(d.line.size() - 1));
    }
}

TEST(DelayEffect, FeedbackLimit) {
    const struct { double v, feedback; } cases[] = {{0.0, 0.0}, {0.5, 0.475}, {1.0, 0.95}, {3.0, 0.95}, {-1.0, 0.0}};
    for (const auto& c : cases) {
        DelayEffect d = preparedDelay(44100.0, 0.5, c.v, 0.5);
        EXPECT_NEAR(d.feedback, c.feedback, 1e-15) << c.v;
    }
}

TEST(DelayEffect, RepeatsDecayByTheFeedbackAndNeverRunAway) {
    DenormalGuard ftz; // as the render sets it
    // 1 kHz and "Delay Time" 0.099 / 0.999: exactly 100 samples.
    DelayEffect d = preparedDelay(1000.0, 0.099 / 0.999, 1.0, 1.0);
    d.timeTarget = d.smoothedTime = 100.0; // exact, free of the time's rounding
    double expected = 1.0;
    for (int n = 0; n < 200000; ++n) {
        const float y = d.process(n == 0 ? 1.0f : 0.0f);
        ASSERT_TRUE(std::isfinite(y));
        if (n > 0 && n % 100 == 0) {
            if (n <= 2000) {
                EXPECT_NEAR(y, expected, 1e-5 * expected) << n;
                if (n == 200) {
                    EXPECT_NEAR(20.0 * std::log10(y), -0.4455, 1e-4); // about 0.45 dB per repeat
                }
            }
            expected *= 0.95;
        } else if (n < 2000) {
            EXPECT_EQ(y, 0.0f) << n;
        }
    }
    EXPECT_LT(std::fabs(d.process(0.0f)), 1e-20f);
}

TEST(DelayEffect, MixZeroPassesTheInput) {
    DelayEffect d = preparedDelay(48000.0, 0.3, 0.9, 0.0);
    for (int n = 0; n < 48000; ++n) {
        const float x = std::sin(0.01f * static_cast<float>(n));
        ASSERT_EQ(d.process(x), x) << n;
    }
}

TEST(DelayEffect, TimeChangesGlideOverThirtyMilliseconds) {
    DelayEffect d = preparedDelay(48000.0, 0.1, 0.0, 1.0);
    const double from = d.smoothedTime;
    ParameterBlock p;
    p.store(kDelayTime, 0.5);
    p.store(kDelayMix, 1.0);
    d.updateParameters(p);
    const double to = d.timeTarget;
    for (int n = 0; n < 1440; ++n) d.process(0.0f); // 30 ms: one time constant
    EXPECT_NEAR((d.smoothedTime - from) / (to - from), 1.0 - std::exp(-1.0), 1e-3);
}

TEST(DelayEffect, UnpreparedDelayPassesTheInput) {
    DelayEffect d;
    EXPECT_EQ(d.process(0.25f), 0.25f);
    d.clear();
    EXPECT_EQ(d.process(-0.5f), -0.5f);
}

TEST(DelayEffect, PrepareAtALowerRateResynchronisesTheGlide) {
    DelayEffect d = preparedDelay(192000.0, 1.0, 0.5, 0.5);
    for (int n = 0; n < 1000; ++n) d.process(0.1f);
    EXPECT_GT(d.smoothedTime, 100000.0);
    d.prepare(22050.0); // no reset, no parameter update before the next sample
    EXPECT_EQ(d.line.size(), 44101u);
    EXPECT_NEAR(d.timeTarget, 22050.0, 1e-9);
    EXPECT_DOUBLE_EQ(d.smoothedTime, d.timeTarget);
    for (int n = 0; n < 50000; ++n) ASSERT_TRUE(std::isfinite(d.process(0.1f)));
    EXPECT_LE(d.smoothedTime, static_cast<double>(d.line.size() - 1));
}

TEST(DelayEffect, NonFiniteInputClearsTheLine) {
    const float bad[] = {NAN, INFINITY, -INFINITY};
    for (float x : bad) {
        DelayEffect d = preparedDelay(44100.0, 0.01, 1.0, 0.5);
        for (int n = 0; n < 100; ++n) d.process(0.5f);
        EXPECT_EQ(d.process(x), 0.0f);
        for (float v : d.line) ASSERT_EQ(v, 0.0f);
        for (int n = 0; n < 5000; ++n) ASSERT_TRUE(std::isfinite(d.process(0.0f)));
    }
}

TEST(DelayEffect, RunsOfAnyLengthGiveTheSamplesOfSingleSteps) {
    // Settled and gliding time and mix (changed between runs), and a NaN and an infinity mid-run in
    // both (the clear must happen at the same sample and the glides go on from there).
    std::vector<float> in(30000);
    for (size_t i = 0; i < in.size(); ++i)
        in[i] = static_cast<float>(0.7 * std::sin(0.013 * i) * std::exp(-2e-4 * (i % 5000)));
    in[4000] = NAN;
    in[12345] = INFINITY;
    in[25001] = NAN;
    for (const int32_t length : {1, 2, 7, 64, 128, 129, 1000}) {
        SCOPED_TRACE(length);
        DelayEffect single = preparedDelay(44100.0, 0.01, 0.6, 0.5);
        DelayEffect run = single;
        std::vector<float> expected(in.size()), got(in.size());
        for (size_t start = 0; start < in.size(); start += length) {
            const size_t n = std::min(in.size() - start, static_cast<size_t>(length));
            ParameterBlock p;
            p.store(kDelayTime, start < 10000 ? 0.01 : (start < 20000 ? 0.003 : 0.02));
            p.store(kDelayFeedback, 0.6);
            p.store(kDelayMix, start < 15000 ? 0.5 : 0.8);
            single.updateParameters(p);
            run.updateParameters(p);
            for (size_t i = start; i < start + n; ++i) expected[i] = single.process(in[i]);
            run.process(in.data() + start, got.data() + start, static_cast<int32_t>(n));
        }
        for (size_t i = 0; i < in.size(); ++i)
            ASSERT_EQ(std::bit_cast<uint32_t>(got[i]), std::bit_cast<uint32_t>(expected[i])) << i;
        EXPECT_EQ(run.writeIndex, single.writeIndex);
        EXPECT_EQ(std::bit_cast<uint64_t>(run.smoothedTime), std::bit_cast<uint64_t>(single.smoothedTime));
        EXPECT_EQ(std::bit_cast<uint64_t>(run.smoothedMix), std::bit_cast<uint64_t>(single.smoothedMix));
        EXPECT_TRUE(run.line == single.line);
    }
    // Unprepared: the input passes.
    DelayEffect empty;
    float x[3] = {0.25f, -1.0f, 3.0f}, y[3] = {};
    empty.process(x, y, 3);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(y[i], x[i]);
}
