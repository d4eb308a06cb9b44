#include "RumbleBank.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace TarnwellPlugin;

TEST(RumbleBank, LineLengthsAtCommonRates) {
    struct Case {
        double sr;
        uint64_t lengths[4];
    };
    // (unsigned)(seconds * sr) + 1 for 61, 79, 101 and 127 ms.
    const Case cases[] = {
        {44100, {2691, 3484, 4455, 5601}},
        {48000, {2929, 3793, 4849, 6097}},
        {192000, {11713, 15169, 19393, 24385}},
        {22050, {1346, 1742, 2228, 2801}},
    };
    for (const Case& c : cases) {
        RumbleBank r;
        r.prepare(c.sr);
        for (int32_t i = 0; i < 4; ++i) {
            EXPECT_EQ(r.lines[i].length, c.lengths[i]) << c.sr << " line " << i;
            EXPECT_EQ(r.lines[i].buffer.size(), c.lengths[i]);
            EXPECT_EQ(RumbleBank::lineLength(i, c.sr), c.lengths[i]);
        }
    }
}

TEST(RumbleBank, UnpreparedBankIsSilentAndSafe) {
    RumbleBank r;
    ParameterBlock p;
    r.updateParameters(p);
    for (int32_t i = 0; i < 1000; ++i) {
        const float y = r.process(i % 2 ? 0.9f : -0.9f, 0.0);
        ASSERT_EQ(y, 0.0f);
    }
    r.clear();
    EXPECT_EQ(r.process(1.0f, 1.0), 0.0f);
}

TEST(RumbleBank, UnpreparedCombLineReadsZeroAndIgnoresWrites) {
    CombLine line;
    EXPECT_TRUE(line.empty());
    EXPECT_EQ(line.read(), 0.0f);
    line.write(1.0f);
    line.setLength(100);
    EXPECT_EQ(line.length, 0u);
    EXPECT_EQ(line.writeIndex, 0u);
    line.clear();
    AllpassLine ap;
    EXPECT_EQ(ap.read(), 0.0f);
    ap.write(1.0f);
    ap.setLength(5);
    EXPECT_EQ(ap.length, 0u);
}

TEST(RumbleBank, FeedbackGivesMinus60dBAfterTheDecayTime) {
    for (double sr : {44100.0, 48000.0}) {
        RumbleBank r;
        r.prepare(sr);
        ParameterBlock p;
        p.store(kRumbleDecay, (2.0 - 0.4) / 7.6);
        r.updateParameters(p);
        for (int32_t i = 0; i < 4; ++i) {
            // After decay * sr / L round trips the line has lost 60 dB.
            const double trips = 2.0 * sr / static_cast<double>(r.lines[i].length);
            EXPECT_NEAR(20.0 * std::log10(std::pow(r.feedbackGain[i], trips)), -60.0, 1e-9) << i;
        }
        // A decay change takes effect at once.
        p.store(kRumbleDecay, 1.0);
        r.updateParameters(p);
        EXPECT_NEAR(r.feedbackGain[0], std::pow(10.0, -3.0 * r.lines[0].length / (8.0 * sr)), 1e-15);
    }
}

TEST(RumbleBank, TailDecaysAndIsDuckedByTheKick) {
    const double sr = 44100.0;
    RumbleBank r;
    r.prepare(sr);
    ParameterBlock p;
    p.store(kRumbleAmount, 1.0);
    p.store(kRumbleDecay, 0.0); // 0.4 s
    p.store(kRumbleDrive, 0.0);
    p.store(kRumbleTone, 1.0);
    r.updateParameters(p);
    r.clear();
    // A burst, then silence: the output after the burst shrinks over time.
    double early = 0.0, late = 0.0;
    for (int32_t i = 0; i < 2000; ++i) r.process(std::sin(i * 0.02) > 0 ? 0.8f : -0.8f, 0.0);
    for (int32_t i = 0; i < static_cast<int32_t>(0.2 * sr); ++i) early = std::max(early, std::fabs(double(r.process(0.0f, 0.0))));
    for (int32_t i = 0; i < static_cast<int32_t>(0.8 * sr); ++i) r.process(0.0f, 0.0);
    for (int32_t i = 0; i < static_cast<int32_t>(0.2 * sr); ++i) late = std::max(late, std::fabs(double(r.process(0.0f, 0.0))));
    EXPECT_GT(early, 0.01);
    EXPECT_LT(late, early * 0.01); // more than 40 dB down one second later

    // Ducking: with the kick at full level the duck state falls with the 6 ms coefficient.
    r.clear();
    EXPECT_EQ(r.duck, 1.0);
    const double c = 1.0 - std::exp(-166.66666666666666 / sr);
    for (int32_t i = 0; i < 100; ++i) r.process(0.0f, 1.0);
    EXPECT_NEAR(r.duck, std::pow(1.0 - c, 100), 1e-12);
    // Kick amplitude 0.5: the duck target is 1 - 0.575.
    for (int32_t i = 0; i < 44100; ++i) r.process(0.0f, 0.5);
    EXPECT_NEAR(r.duck, 1.0 - 0.575, 1e-9);
}

TEST(RumbleBank, AmountZeroFadesWithThe20msGlide) {
    const double sr = 44100.0;
    RumbleBank r;
    r.prepare(sr);
    ParameterBlock p;
    p.store(kRumbleAmount, 1.0);
    r.updateParameters(p);
    r.clear();
    p.store(kRumbleAmount, 0.0);
    r.updateParameters(p);
    const double c = 1.0 - std::exp(-50.0 / sr);
    r.process(0.5f, 0.0);
    EXPECT_NEAR(r.smoothedAmount, 1.0 - c, 1e-12);
    for (int32_t i = 0; i < 44100; ++i) r.process(0.5f, 0.0);
    EXPECT_LT(std::fabs(r.process(0.5f, 0.0)), 1e-6);
}

TEST(RumbleBank, OutputFormulaForOneSample) {
    // After a clear every line reads zeros until its first write comes round (its length later),
    // so the output stays 0 until the shortest line delivers 0.52 x of the first sample.
    const double sr = 44100.0;
    RumbleBank r;
    r.prepare(sr);
    ParameterBlock p;
    p.store(kRumbleAmount, 1.0);
    p.store(kRumbleDrive, 1.0);
    r.updateParameters(p);
    r.clear();
    EXPECT_EQ(r.process(1.0f, 0.0), 0.0f);
    for (uint64_t i = 1; i < r.lines[0].length; ++i) ASSERT_EQ(r.process(0.0f, 0.0), 0.0f) << i;
    // Now line 0 returns 0.52 (the first write) and damps it.
    const float d = static_cast<float>(1.0 - std::exp(-6.283185307179586 * 155.0 / sr));
    const float s0 = 0.0f + (0.52f - 0.0f) * d;
    const float arg = s0 * 0.5f * 9.0f;
    EXPECT_NEAR(r.process(0.0f, 0.0), std::tanh(arg), 1e-6);
}

TEST(RumbleBank, NonFiniteInputDoesNotCirculate) {
    RumbleBank r;
    r.prepare(44100.0);
    ParameterBlock p;
    r.updateParameters(p);
    r.process(std::nanf(""), 0.0);
    float y = 0.0f;
    for (int32_t i = 0; i < 20000; ++i) {
        y = r.process(0.1f, 0.0);
        ASSERT_TRUE(std::isfinite(y));
    }
}
