#include "AmbienceReverb.h"
#include "DenormalGuard.h"
#include "FailingAllocator.h"
#include "LongReverb.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <new>
#include <vector>

using namespace TarnwellPlugin;

namespace {

// Active lengths: max(trunc(factor x 0.001 x sr x m), 1), worked out by hand with exact decimals.
struct AmbienceLengths {
    double sr;
    int32_t type;
    uint64_t lengths[6]; // combs 0-3, allpasses 0-1
};

const AmbienceLengths kAmbienceLengths[] = {
    {44100.0, 0, {703, 897, 994, 1042, 121, 169}},        {44100.0, 1, {959, 1223, 1356, 1422, 165, 231}},
    {44100.0, 2, {1470, 1876, 2079, 2180, 253, 355}},     {44100.0, 3, {2110, 2692, 2983, 3128, 363, 509}},
    {44100.0, 4, {1151, 1468, 1627, 1706, 198, 277}},     {48000.0, 0, {765, 976, 1082, 1135, 132, 184}},
    {48000.0, 1, {1044, 1332, 1476, 1548, 180, 252}},     {48000.0, 3, {2296, 2930, 3247, 3405, 396, 554}},
    {48000.0, 4, {1252, 1598, 1771, 1857, 216, 302}},     {96000.0, 2, {3201, 4084, 4526, 4747, 552, 772}},
    {96000.0, 3, {4593, 5860, 6494, 6811, 792, 1108}},    {192000.0, 1, {4176, 5328, 5904, 6192, 720, 1008}},
    {192000.0, 3, {9187, 11721, 12988, 13622, 1584, 2217}}, {192000.0, 4, {5011, 6393, 7084, 7430, 864, 1209}},
};

struct LongLengths {
    double sr;
    int32_t space;
    uint64_t lengths[12]; // lines 0-7, diffusers 0-3
};

const LongLengths kLongLengths[] = {
    {44100.0, 0, {1063, 1178, 1252, 1373, 1527, 1711, 1923, 2118, 134, 209, 312, 392}},
    {44100.0, 2, {2699, 2990, 3179, 3485, 3878, 4344, 4882, 5377, 341, 531, 793, 996}},
    {44100.0, 4, {3926, 4350, 4625, 5069, 5641, 6318, 7101, 7821, 497, 772, 1153, 1450}},
    {48000.0, 1, {2047, 2268, 2412, 2644, 2942, 3295, 3703, 4079, 259, 402, 601, 756}},
    {48000.0, 3, {3650, 4044, 4300, 4713, 5244, 5874, 6602, 7271, 462, 718, 1072, 1348}},
    {96000.0, 2, {5876, 6510, 6922, 7587, 8442, 9456, 10628, 11705, 744, 1156, 1726, 2170}},
    {96000.0, 4, {8547, 9469, 10068, 11036, 12280, 13754, 15459, 17026, 1082, 1681, 2511, 3156}},
    {192000.0, 0, {4630, 5129, 5453, 5977, 6651, 7450, 8374, 9222, 586, 911, 1360, 1709}},
    {192000.0, 3, {14602, 16176, 17200, 18853, 20978, 23497, 26410, 29087, 1849, 2873, 4290, 5392}},
    {192000.0, 4, {17095, 18938, 20136, 22072, 24560, 27509, 30919, 34053, 2165, 3363, 5022, 6312}},
};

void updateAmbience(AmbienceReverb& r, double type, double decay, double damping, double mix) {
    ParameterBlock p;
    p.store(kAmbienceType, type);
    p.store(kAmbienceDecay, decay);
    p.store(kAmbienceDamping, damping);
    p.store(kAmbienceMix, mix);
    r.updateParameters(p);
}

void updateLong(LongReverb& r, double space, double decay, double damping, double preDelay, double mix) {
    ParameterBlock p;
    p.store(kLongReverbSpace, space);
    p.store(kLongReverbDecay, decay);
    p.store(kLongReverbDamping, damping);
    p.store(kLongReverbPreDelay, preDelay);
    p.store(kLongReverbMix, mix);
    r.updateParameters(p);
}

} // namespace

TEST(AmbienceReverb, LineLengthsPerTypeAndRate) {
    for (const auto& c : kAmbienceLengths) {
        SCOPED_TRACE(testing::Message() << c.sr << " Hz, type " << c.type);
        AmbienceReverb r;
        r.prepare(c.sr);
        updateAmbience(r, c.type / 4.0, 0.5, 0.5, 0.5);
        EXPECT_EQ(r.type, c.type);
        for (int k = 0; k < 4; ++k) EXPECT_EQ(r.combs[k].length, c.lengths[k]) << "comb " << k;
        for (int k = 0; k < 2; ++k) EXPECT_EQ(r.allpasses[k].length, c.lengths[4 + k]) << "allpass " << k;
    }
}

TEST(AmbienceReverb, BuffersHoldTheLargestRoomAndTypeChangesDoNotReallocate) {
    const struct { double sr; uint64_t capacity[6]; } cases[] = {
        {44100.0, {2111, 2693, 2984, 3129, 364, 510}},
        {48000.0, {2297, 2931, 3248, 3406, 397, 555}},
        {96000.0, {4594, 5861, 6495, 6812, 793, 1109}},
        {192000.0, {9188, 11722, 12989, 13623, 1585, 2218}},
    };
    for (const auto& c : cases) {
        AmbienceReverb r;
        r.prepare(c.sr);
        const float* data[6];
        for (int k = 0; k < 4; ++k) {
            EXPECT_EQ(r.combs[k].buffer.size(), c.capacity[k]) << c.sr;
            data[k] = r.combs[k].buffer.data();
        }
        for (int k = 0; k < 2; ++k) {
            EXPECT_EQ(r.allpasses[k].buffer.size(), c.capacity[4 + k]) << c.sr;
            data[4 + k] = r.allpasses[k].buffer.data();
        }
        for (int t : {3, 0, 4, 2, 1, 3}) {
            r.setType(t, 0.5, 0.5, 0.5);
            for (int n = 0; n < 64; ++n) r.process(0.5f);
            for (int k = 0; k < 4; ++k) {
                EXPECT_EQ(r.combs[k].buffer.data(), data[k]);
                EXPECT_LE(r.combs[k].length, r.combs[k].buffer.size());
            }
            for (int k = 0; k < 2; ++k) EXPECT_EQ(r.allpasses[k].buffer.data(), data[4 + k]);
        }
    }
    // Far above the usual rates the largest room still fits its buffers.
    AmbienceReverb r;
    r.prepare(768000.0);
    r.setType(3, 0.5, 0.5, 0.5);
    for (const auto& c : r.combs) EXPECT_LE(c.length, c.buffer.size());
    for (const auto& a : r.allpasses) EXPECT_LE(a.length, a.buffer.size());
}

TEST(AmbienceReverb, FirstEchoIsAQuarterOfTheShortestComb) {
    // Studio at 44.1 kHz: the shortest comb is 959 samples. An impulse reaches the output through
    // it as 0.25 (the average of four), and both allpasses pass their input at once with sign +.
    AmbienceReverb r;
    r.prepare(44100.0);
    updateAmbience(r, 0.25, 0.5, 0.0, 1.0);
    r.clear();
    for (int n = 0; n < 959; ++n) ASSERT_EQ(r.process(n == 0 ? 1.0f : 0.0f), 0.0f) << n;
    EXPECT_NEAR(r.process(0.0f), 0.25f, 1e-7);
}

TEST(AmbienceReverb, MixZeroPassesTheInputWhileTheReverbRuns) {
    AmbienceReverb r;
    r.prepare(48000.0);
    updateAmbience(r, 0.5, 0.9, 0.3, 0.0);
    r.clear();
    for (int n = 0; n < 10000; ++n) {
        const float x = std::sin(0.02f * static_cast<float>(n));
        ASSERT_EQ(r.process(x), x);
    }
    float energy = 0.0f;
    for (const auto& c : r.combs)
        for (float v : c.buffer) energy += v * v;
    EXPECT_GT(energy, 0.0f);
}

TEST(AmbienceReverb, FullDecayIsLongButStable) {
    DenormalGuard ftz; // as the render sets it
    AmbienceReverb r;
    r.prepare(44100.0);
    updateAmbience(r, 0.75, 1.0, 0.0, 1.0); // feedback 0.97, no damping
    r.clear();
    double early = 0.0, late = 0.0;
    for (int n = 0; n < 44100 * 20; ++n) {
        const float y = r.process(n < 64 ? 1.0f : 0.0f);
        ASSERT_TRUE(std::isfinite(y));
        if (n >= 4410 && n < 8820) early = std::max(early, static_cast<double>(std::fabs(y)));
        if (n >= 44100 * 19) late = std::max(late, static_cast<double>(std::fabs(y)));
    }
    EXPECT_GT(early, 0.01);
    // 0.97 per pass of about 62 ms: roughly -80 dB after 19 s.
    EXPECT_LT(late, 1e-3 * early);
    EXPECT_GT(late, 0.0);
}

TEST(AmbienceReverb, TypeChangeRetunesWithoutClearing) {
    AmbienceReverb r;
    r.prepare(44100.0);
    r.setType(2, 0.7, 0.2, 0.5);
    for (int n = 0; n < 3000; ++n) r.process(0.3f);
    r.setType(0, 0.7, 0.2, 0.5);
    EXPECT_EQ(r.combs[0].length, 703u);
    float energy = 0.0f;
    for (float v : r.combs[3].buffer) energy += v * v;
    EXPECT_GT(energy, 0.0f);
    for (const auto& c : r.combs) EXPECT_LT(c.writeIndex, c.length);
}

TEST(AmbienceReverb, UnpreparedPassesAndNonFiniteInputClears) {
    AmbienceReverb fresh;
    EXPECT_EQ(fresh.process(0.4f), 0.4f);

    AmbienceReverb r;
    r.prepare(44100.0);
    for (int n = 0; n < 2000; ++n) r.process(0.5f);
    EXPECT_EQ(r.process(NAN), 0.0f);
    for (const auto& c : r.combs)
        for (float v : c.buffer) ASSERT_EQ(v, 0.0f);
    for (int n = 0; n < 5000; ++n) ASSERT_TRUE(std::isfinite(r.process(0.1f)));
}

TEST(LongReverb, LineLengthsPerSpaceAndRate) {
    for (const auto& c : kLongLengths) {
        SCOPED_TRACE(testing::Message() << c.sr << " Hz, space " << c.space);
        LongReverb r;
        r.prepare(c.sr);
        updateLong(r, c.space / 4.0, 0.5, 0.5, 0.5, 0.5);
        EXPECT_EQ(r.space, c.space);
        for (int k = 0; k < 8; ++k) EXPECT_EQ(r.lines[k].length, c.lengths[k]) << "line " << k;
        for (int k = 0; k < 4; ++k) EXPECT_EQ(r.diffusers[k].length, c.lengths[8 + k]) << "diffuser " << k;
    }
}

TEST(LongReverb, BuffersHoldTheLargestSpace) {
    const struct { double sr; uint64_t capacity[12]; size_t preDelay; } cases[] = {
        {44100.0, {3927, 4351, 4626, 5070, 5642, 6319, 7102, 7822, 498, 773, 1154, 1451}, 11026},
        {48000.0, {4274, 4735, 5035, 5519, 6141, 6878, 7730, 8514, 542, 841, 1256, 1579}, 12001},
        {96000.0, {8548, 9470, 10069, 11037, 12281, 13755, 15460, 17027, 1083, 1682, 2512, 3157}, 24001},
        {192000.0, {17096, 18939, 20137, 22073, 24561, 27510, 30920, 34054, 2166, 3364, 5023, 6313}, 48001},
    };
    for (const auto& c : cases) {
        LongReverb r;
        r.prepare(c.sr);
        for (int k = 0; k < 8; ++k) EXPECT_EQ(r.lines[k].buffer.size(), c.capacity[k]) << c.sr;
        for (int k = 0; k < 4; ++k) EXPECT_EQ(r.diffusers[k].buffer.size(), c.capacity[8 + k]) << c.sr;
        EXPECT_EQ(r.preDelayLine.size(), c.preDelay);
    }
}

TEST(LongReverb, PreDelayInSamples) {
    const struct { double sr, v; uint64_t samples; } cases[] = {
        {44100.0, 0.15, 1323}, {44100.0, 0.0, 0}, {48000.0, 1.0, 9600}, {192000.0, 1.0, 38400}, {96000.0, 0.5, 9600},
    };
    for (const auto& c : cases) {
        LongReverb r;
        r.prepare(c.sr);
        updateLong(r, 0.5, 0.5, 0.5, c.v, 0.5);
        EXPECT_EQ(r.preDelay, c.samples) << c.sr << " " << c.v;
        EXPECT_LT(r.preDelay, r.preDelayLine.size());
    }
    LongReverb fresh;
    EXPECT_EQ(fresh.preDelay, 1323u);
}

TEST(LongReverb, PrepareAtALowerRateKeepsThePreDelayInsideItsLine) {
    LongReverb r;
    r.prepare(192000.0);
    updateLong(r, 0.5, 0.5, 0.5, 1.0, 0.5);
    EXPECT_EQ(r.preDelay, 38400u);
    r.prepare(22050.0); // no parameter update before the next sample
    EXPECT_EQ(r.preDelay, 4410u);
    for (int n = 0; n < 10000; ++n) ASSERT_TRUE(std::isfinite(r.process(0.2f, 1.0)));
}

TEST(LongReverb, FirstEchoThroughTheShortestLine) {
    // 44.1 kHz, Chamber, pre-delay 0: the impulse leaves the four diffusers at once as
    // (-0.62)^4, enters line 0 (1063 samples) times 0.58 and comes back times (1 - damping),
    // the input sign squared and 1/sqrt(8).
    const double dampings[] = {0.0, 0.5};
    for (double damping : dampings) {
        LongReverb r;
        r.prepare(44100.0);
        updateLong(r, 0.0, 0.5, damping, 0.0, 1.0);
        r.clear();
        for (int n = 0; n < 1063; ++n) ASSERT_EQ(r.process(n == 0 ? 1.0f : 0.0f, 1.0), 0.0f) << n;
        const double expected = (1.0 - damping) * 0.58 * std::pow(0.62, 4) * 0.35355339;
        EXPECT_NEAR(r.process(0.0f, 1.0), expected, 1e-6) << damping;
    }
}

TEST(LongReverb, MixZeroAndTailGainZero) {
    LongReverb r;
    r.prepare(48000.0);
    updateLong(r, 0.5, 0.8, 0.4, 0.1, 0.0);
    r.clear();
    for (int n = 0; n < 5000; ++n) {
        const float x = std::sin(0.03f * static_cast<float>(n));
        ASSERT_EQ(r.process(x, 1.0), x);
    }
    updateLong(r, 0.5, 0.8, 0.4, 0.1, 0.6);
    r.clear();
    for (int n = 0; n < 20000; ++n) {
        const float x = std::sin(0.03f * static_cast<float>(n));
        ASSERT_FLOAT_EQ(r.process(x, 0.0), static_cast<float>(0.4 * x)) << n; // the dry part only
    }
}

TEST(LongReverb, LoopGainsStayBelowOne) {
    // g_k = 10^(-3 L_k / (decay sr)); decay 20 s, Endless, 44.1 kHz: line 7 is 7821 samples.
    LongReverb r;
    r.prepare(44100.0);
    updateLong(r, 1.0, 1.0, 0.0, 0.0, 1.0);
    EXPECT_DOUBLE_EQ(r.decay, 20.0);
    for (double g : r.lineGains) EXPECT_LT(g, 1.0);
    EXPECT_NEAR(r.lineGains[7], std::pow(10.0, -3.0 * 7821.0 / (20.0 * 44100.0)), 1e-7);
    EXPECT_NEAR(r.lineGains[0], std::pow(10.0, -3.0 * 3926.0 / (20.0 * 44100.0)), 1e-7);
}

TEST(LongReverb, SpaceIsAppliedOnlyWhenItsIndexChanges) {
    LongReverb r;
    r.prepare(44100.0);
    updateLong(r, 0.5, 0.5, 0.5, 0.0, 0.5);
    for (int n = 0; n < 3000; ++n) r.process(0.3f, 1.0);
    // Stretch line 0 by hand: an update with the same rounded space must leave it alone.
    r.lines[0].setLength(100);
    updateLong(r, 0.55, 0.5, 0.5, 0.0, 0.5); // still "Cathedral"
    EXPECT_EQ(r.lines[0].length, 100u);
    updateLong(r, 1.0, 0.5, 0.5, 0.0, 0.5); // "Endless"
    EXPECT_EQ(r.lines[0].length, 3926u);
    float energy = 0.0f; // retuned, not cleared
    for (float v : r.lines[5].buffer) energy += v * v;
    EXPECT_GT(energy, 0.0f);
}

TEST(LongReverb, LongestTailDecaysToSilenceAndStaysFinite) {
    DenormalGuard ftz; // as the render sets it
    LongReverb r;
    r.prepare(44100.0);
    updateLong(r, 1.0, 1.0, 0.0, 1.0, 1.0); // 20 s, Endless, 200 ms, fully wet
    r.clear();
    double peakFirstSecond = 0.0, peakLastSecond = 0.0;
    const int total = 44100 * 60;
    for (int n = 0; n < total; ++n) {
        const float y = r.process(n < 441 ? 0.8f : 0.0f, 1.5);
        ASSERT_TRUE(std::isfinite(y)) << n;
        if (n < 44100) peakFirstSecond = std::max(peakFirstSecond, static_cast<double>(std::fabs(y)));
        if (n >= total - 44100) peakLastSecond = std::max(peakLastSecond, static_cast<double>(std::fabs(y)));
    }
    EXPECT_GT(peakFirstSecond, 0.01);
    // -60 dB per 20 s: about -170 dB below the first second after a minute.
    EXPECT_LT(peakLastSecond, 1e-7);
}

TEST(LongReverb, UnpreparedPassesAndNonFiniteInputClears) {
    LongReverb fresh;
    EXPECT_EQ(fresh.process(0.4f, 1.0), 0.4f);

    LongReverb r;
    r.prepare(44100.0);
    for (int n = 0; n < 8000; ++n) r.process(0.5f, 1.0);
    EXPECT_EQ(r.process(INFINITY, 1.0), 0.0f);
    for (const auto& l : r.lines)
        for (float v : l.buffer) ASSERT_EQ(v, 0.0f);
    for (float v : r.preDelayLine) ASSERT_EQ(v, 0.0f);
    for (int n = 0; n < 5000; ++n) ASSERT_TRUE(std::isfinite(r.process(0.1f, 1.0)));
}

namespace {

std::vector<float> reverbInput(size_t n) {
    // Kicks with silence between them, a NaN and an infinity (the resets must land on the same sample).
    std::vector<float> in(n);
    for (size_t i = 0; i < n; ++i)
        in[i] = static_cast<float>((i % 5000 < 1500 ? 0.9 : 0.0) * std::sin(0.013 * i) * std::exp(-2e-3 * (i % 5000)));
    in[7003] = NAN;
    in[15500] = INFINITY;
    return in;
}

} // namespace

TEST(AmbienceReverb, RunsOfAnyLengthGiveTheSamplesOfSingleSteps) {
    const std::vector<float> in = reverbInput(20000);
    for (const int32_t length : {1, 3, 64, 128, 129, 777}) {
        SCOPED_TRACE(length);
        AmbienceReverb single, run;
        single.prepare(44100.0);
        run.prepare(44100.0);
        std::vector<float> expected(in.size()), got(in);
        for (size_t start = 0; start < in.size(); start += length) {
            const size_t n = std::min(in.size() - start, static_cast<size_t>(length));
            // Type, decay, damping and mix move between runs for both.
            const int32_t type = static_cast<int32_t>((start / 3000) % 5);
            const double amount = 0.2 + 0.15 * static_cast<double>((start / 2000) % 5);
            single.setType(type, amount, 1.0 - amount, amount);
            run.setType(type, amount, 1.0 - amount, amount);
            for (size_t i = start; i < start + n; ++i) expected[i] = single.process(in[i]);
            run.process(got.data() + start, got.data() + start, static_cast<int32_t>(n)); // in place
        }
        for (size_t i = 0; i < in.size(); ++i)
            ASSERT_EQ(std::bit_cast<uint32_t>(got[i]), std::bit_cast<uint32_t>(expected[i])) << i;
        EXPECT_EQ(run.smoothedMix, single.smoothedMix);
        for (int k = 0; k < AmbienceReverb::kCombs; ++k) {
            EXPECT_EQ(run.combs[k].writeIndex, single.combs[k].writeIndex);
            EXPECT_EQ(run.combs[k].damping, single.combs[k].damping);
        }
    }
    AmbienceReverb fresh;
    float x[3] = {0.25f, -0.5f, 1.0f}, y[3];
    fresh.process(x, y, 3);
    EXPECT_TRUE(std::equal(x, x + 3, y));
}

TEST(LongReverb, RunsOfAnyLengthGiveTheSamplesOfSingleSteps) {
    const std::vector<float> in = reverbInput(20000);
    std::vector<double> tail(in.size());
    for (size_t i = 0; i < tail.size(); ++i) tail[i] = 1.0 + 0.4 * std::sin(0.001 * i);
    for (const int32_t length : {1, 3, 64, 128, 129, 777}) {
        SCOPED_TRACE(length);
        LongReverb single, run;
        single.prepare(44100.0);
        run.prepare(44100.0);
        std::vector<float> expected(in.size()), got(in);
        for (size_t start = 0; start < in.size(); start += length) {
            const size_t n = std::min(in.size() - start, static_cast<size_t>(length));
            // Space, decay, damping, mix and a pre-delay down to none (read before its write) and
            // shorter than a run, moved between runs for both.
            const int32_t space = static_cast<int32_t>((start / 4000) % 5);
            const double amount = 0.2 + 0.15 * static_cast<double>((start / 2500) % 5);
            const double preDelays[] = {0.15, 0.0, 0.004, 1.0, 0.02};
            for (LongReverb* r : {&single, &run}) {
                if (r->space != space) {
                    r->space = space;
                    r->applySpace();
                }
                r->setDecaySeconds(0.5 + 19.5 * amount);
                r->damping = 1.0 - amount;
                r->mix = amount;
                r->setPreDelayNormalized(preDelays[(start / 1800) % 5]);
            }
            for (size_t i = start; i < start + n; ++i) expected[i] = single.process(in[i], tail[i]);
            run.process(got.data() + start, tail.data() + start, got.data() + start, static_cast<int32_t>(n));
        }
        for (size_t i = 0; i < in.size(); ++i)
            ASSERT_EQ(std::bit_cast<uint32_t>(got[i]), std::bit_cast<uint32_t>(expected[i])) << i;
        EXPECT_EQ(run.smoothedMix, single.smoothedMix);
        EXPECT_EQ(run.preDelayWriteIndex, single.preDelayWriteIndex);
        for (int k = 0; k < LongReverb::kLines; ++k) {
            EXPECT_EQ(run.lines[k].writeIndex, single.lines[k].writeIndex);
            EXPECT_EQ(run.lines[k].damping, single.lines[k].damping);
        }
    }
    LongReverb fresh;
    float x[3] = {0.25f, -0.5f, 1.0f}, y[3];
    const double g[3] = {1.0, 1.0, 1.0};
    fresh.process(x, g, y, 3);
    EXPECT_TRUE(std::equal(x, x + 3, y));
}

// A prepare that ran out of memory part way leaves some lines without samples. The reverbs do not
// run their networks on such lines (the run would never end or read nothing): the input passes.
template <typename Reverb, typename Process>
void expectAnUnfinishedPrepareToPassTheSound(Process process) {
    int64_t total = 0;
    {
        Reverb probe;
        FailingAllocator::Scope scope(-1);
        probe.prepare(48000.0);
        total = FailingAllocator::allocationsSinceArm();
    }
    ASSERT_GT(total, 1);
    for (int64_t failAt = 0; failAt < total; ++failAt) {
        SCOPED_TRACE(failAt);
        Reverb reverb;
        {
            FailingAllocator::Scope scope(failAt);
            EXPECT_THROW(reverb.prepare(48000.0), std::bad_alloc);
        }
        std::vector<float> in(300), out(300, -1.0f);
        for (size_t i = 0; i < in.size(); ++i) in[i] = static_cast<float>(std::sin(0.01 * static_cast<double>(i)));
        process(reverb, in, out);
        EXPECT_EQ(out, in);
    }
}

TEST(Reverbs, AnUnfinishedPrepareLetsTheSoundThrough) {
    expectAnUnfinishedPrepareToPassTheSound<LongReverb>([](LongReverb& r, const std::vector<float>& in, std::vector<float>& out) {
        const std::vector<double> gains(in.size(), 1.0);
        r.process(in.data(), gains.data(), out.data(), static_cast<int32_t>(in.size()));
    });
    expectAnUnfinishedPrepareToPassTheSound<AmbienceReverb>(
        [](AmbienceReverb& r, const std::vector<float>& in, std::vector<float>& out) {
            r.process(in.data(), out.data(), static_cast<int32_t>(in.size()));
        });
}
