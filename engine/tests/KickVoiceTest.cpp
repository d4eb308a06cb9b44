#include "AdsrEnvelope.h"
#include "KickGenerator.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace TarnwellPlugin;

namespace {

constexpr double kSr = 44100.0;
constexpr double kTwoPi = 6.283185307179586;

KickGenerator plainKick(double tune, double decay, double drop, double pitchDecay) {
    KickGenerator k;
    KickSettings s;
    s.tune = tune;
    s.decay = decay;
    s.pitchDrop = drop;
    s.pitchDecay = pitchDecay;
    s.transient = s.drive = s.punch = s.bodyWeight = 0.0;
    s.clickTone = 0.5;
    s.tightness = 0.5;
    k.settings = s;
    k.prepare(kSr);
    return k;
}

} // namespace

TEST(KickVoice, SilentUntilTriggered) {
    KickGenerator k = plainKick(43, 0.34, 165, 0.025);
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(k.render(), 0.0f);
}

TEST(KickVoice, PlainBodyFollowsTheSweptSineThroughTwoSaturations) {
    // With transient, punch, body weight and drive at 0 the output is
    // tanh(tanh(sin(2 pi phase)) * exp(-t / decay)), the phase advanced before use.
    KickGenerator k = plainKick(50.0, 0.3, 120.0, 0.02);
    k.restart();
    double phase = 0.0;
    for (int i = 0; i < 4000; ++i) {
        const double t = i / kSr;
        const double f = 50.0 + 120.0 * std::exp(-t / 0.02);
        phase += f / kSr;
        phase -= std::floor(phase);
        const double expected = std::tanh(std::tanh(std::sin(kTwoPi * phase)) * std::exp(-t / 0.3));
        ASSERT_NEAR(k.render(), expected, 2e-6) << i;
    }
}

TEST(KickVoice, PunchClickBodyWeightAndDriveAddTheirTerms) {
    struct Case {
        const char* name;
        double transient, drive, punch, bodyWeight, clickTone, tightness;
    };
    const Case cases[] = {
        {"punch", 0.0, 0.0, 0.8, 0.0, 0.5, 0.3},
        {"body weight", 0.0, 0.0, 0.0, 0.7, 0.5, 0.3},
        {"drive", 0.0, 0.6, 0.0, 0.0, 0.5, 0.3},
        {"click", 1.0, 0.0, 0.0, 0.0, 0.3, 0.2},
        {"tight punch and bright click", 0.5, 0.0, 0.6, 0.0, 0.9, 1.0},
        {"everything", 0.68, 0.48, 0.5, 0.4, 0.371429, 0.666667},
    };
    const double tune = 47.0, decay = 0.25, drop = 150.0, pitchDecay = 0.03;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        KickGenerator k = plainKick(tune, decay, drop, pitchDecay);
        k.settings.transient = c.transient;
        k.settings.drive = c.drive;
        k.settings.punch = c.punch;
        k.settings.bodyWeight = c.bodyWeight;
        k.settings.clickTone = c.clickTone;
        k.settings.tightness = c.tightness;
        k.prepare(kSr); // the glided copies start at the settings
        k.restart();

        double phase = 0.0, clickLowpass = 0.0;
        int32_t noise = 0x12345678;
        for (int i = 0; i < 6000; ++i) {
            const double t = i / kSr;
            phase += (tune + drop * std::exp(-t / pitchDecay)) / kSr;
            phase -= std::floor(phase);
            const double a = std::exp(-t / (decay * (1.0 + 0.55 * c.bodyWeight)));
            noise = static_cast<int32_t>(static_cast<uint32_t>(noise) * 1664525u + 1013904223u);
            const double n = noise / 2147483648.0;
            const double h = n - clickLowpass;
            clickLowpass += h * (0.05 + 0.35 * c.clickTone);
            const double s1 = std::sin(kTwoPi * phase);
            const double s2 = std::sin(2.0 * kTwoPi * phase);
            const double body = std::tanh((s1 + 0.16 * c.bodyWeight * s2) * (1.0 + 1.8 * c.bodyWeight)) * a /
                                (1.0 + 0.35 * c.bodyWeight);
            const double punch = 0.8 * c.punch * std::exp(-t / (0.088 - 0.07 * c.tightness)) * s1;
            const double click = 0.55 * c.transient * h * std::exp(-t / (0.014 - 0.012 * c.tightness));
            const double expected = std::tanh((body + punch + click) * (1.0 + 7.0 * c.drive));
            ASSERT_NEAR(k.render(), expected, 2e-6) << i;
        }
    }
}

TEST(KickVoice, EndsWhenTheBodyEnvelopeFallsBelowMinus80Decibels) {
    KickGenerator k = plainKick(43.0, 0.08, 0.0, 0.02);
    k.restart();
    int samples = 0;
    while (k.active && samples < 100000) {
        k.render();
        ++samples;
    }
    // First sample with exp(-t / 0.08) < 1e-4, t = (samples - 1) / sr.
    const int expected = static_cast<int>(std::floor(0.08 * std::log(1e4) * kSr)) + 2;
    EXPECT_EQ(samples, expected);
}

TEST(KickVoice, DecayLatchesWhileIdleAndGlidesWhileSounding) {
    KickGenerator k = plainKick(43.0, 0.3, 0.0, 0.02);
    KickSettings s = k.settings;
    s.decay = 1.0;
    k.setSettings(s);
    EXPECT_EQ(k.smoothedDecay, 1.0);
    k.restart();
    k.render();
    s.decay = 0.1;
    s.drive = 1.0;
    k.setSettings(s);
    EXPECT_EQ(k.smoothedDecay, 1.0);
    EXPECT_EQ(k.smoothedDrive, 0.0);
    k.render();
    const double c = 1.0 - std::exp(-83.33333333333333 / kSr);
    EXPECT_NEAR(k.smoothedDecay, 1.0 + c * (0.1 - 1.0), 1e-12);
    EXPECT_NEAR(k.smoothedDrive, c, 1e-12);
}

TEST(KickVoice, RestartDoesNotReseedTheClickNoise) {
    KickGenerator k = plainKick(43.0, 0.3, 100.0, 0.02);
    k.settings.transient = 1.0;
    k.prepare(kSr);
    k.restart();
    std::vector<float> first, second;
    for (int i = 0; i < 64; ++i) first.push_back(k.render());
    k.restart();
    for (int i = 0; i < 64; ++i) second.push_back(k.render());
    EXPECT_NE(first, second);
}

namespace {

AdsrEnvelope envelopeWith(double attackSeconds, double decay, double sustain, double release, int32_t curve) {
    AdsrEnvelope e;
    e.prepare(kSr);
    e.attackTarget = e.smoothedAttack = attackSeconds;
    e.decayTarget = e.smoothedDecay = decay;
    e.sustainTarget = e.smoothedSustain = sustain;
    e.releaseTarget = e.smoothedRelease = release;
    e.curve = curve;
    return e;
}

} // namespace

TEST(AmplitudeEnvelope, IdleReturnsZeroWhileTimeAdvances) {
    AdsrEnvelope e = envelopeWith(0.0, 0.0, 1.0, 1.0, AdsrEnvelope::kExp);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(e.next(), 0.0);
    EXPECT_NEAR(e.time, 10 / kSr, 1e-15);
}

TEST(AmplitudeEnvelope, AttackRisesAlongItsCurve) {
    struct Case {
        int32_t curve;
        double (*shape)(double);
    };
    const Case cases[] = {
        {AdsrEnvelope::kExp, [](double p) { return p * p; }},
        {AdsrEnvelope::kLin, [](double p) { return p; }},
        {AdsrEnvelope::kLog, [](double p) { return 1.0 - (1.0 - p) * (1.0 - p); }},
    };
    for (const auto& c : cases) {
        AdsrEnvelope e = envelopeWith(0.01, 0.5, 1.0, 1.0, c.curve);
        e.restart();
        const int attackSamples = static_cast<int>(0.01 * kSr); // 441
        for (int i = 1; i < attackSamples; ++i) ASSERT_NEAR(e.next(), c.shape(i / 441.0), 1e-9) << c.curve << " " << i;
        EXPECT_EQ(e.next(), 1.0);
        EXPECT_EQ(e.stage, AdsrEnvelope::kDecayStage);
    }
}

TEST(AmplitudeEnvelope, DecaySettlesOnTheCeilingOfTheSustain) {
    AdsrEnvelope e = envelopeWith(0.0, 0.5, 1.0, 1.0, AdsrEnvelope::kExp);
    e.restart();
    EXPECT_EQ(e.stage, AdsrEnvelope::kDecayStage);
    const double ceiling = 1.0 - 0.95 * std::pow(0.5, 0.7); // 0.415
    const double k = std::exp(-1.0 / (kSr * (0.005 + 0.12 * 0.5)));
    EXPECT_NEAR(e.next(), (1.0 - ceiling) * k + ceiling, 1e-12);
    for (int i = 0; i < 44100; ++i) e.next();
    EXPECT_EQ(e.stage, AdsrEnvelope::kSustainStage);
    EXPECT_NEAR(e.next(), ceiling, 1e-12);
    EXPECT_NEAR(ceiling, 0.415, 5e-4);
}

TEST(AmplitudeEnvelope, DecayZeroJumpsToSustain) {
    AdsrEnvelope e = envelopeWith(0.0, 0.0, 0.6, 1.0, AdsrEnvelope::kExp);
    e.restart();
    EXPECT_EQ(e.next(), 0.6);
    EXPECT_EQ(e.stage, AdsrEnvelope::kSustainStage);
}

TEST(AmplitudeEnvelope, ReleaseIsAHoldThatReleasesByItself) {
    // Release 0: a 2 ms hold, then a 0.5 ms fade; even during the attack.
    AdsrEnvelope e = envelopeWith(0.1, 0.0, 1.0, 0.0, AdsrEnvelope::kLin);
    e.restart();
    const int holdSamples = static_cast<int>(std::ceil(0.002 * kSr)); // time >= 2 ms at call 89
    double level = 0.0;
    for (int i = 1; i < holdSamples; ++i) level = e.next();
    EXPECT_EQ(e.stage, AdsrEnvelope::kAttackStage);
    e.next();
    EXPECT_EQ(e.stage, AdsrEnvelope::kReleaseStage);
    EXPECT_NEAR(e.releaseStartLevel, (holdSamples - 1) / (0.1 * kSr), 1e-9); // the level it had reached
    EXPECT_EQ(e.releaseStartLevel, level);
    int fade = 1;
    while (e.stage == AdsrEnvelope::kReleaseStage && fade < 1000) {
        e.next();
        ++fade;
    }
    EXPECT_EQ(fade, static_cast<int>(std::ceil(0.0005 * kSr))); // 23 samples of fade
    EXPECT_EQ(e.next(), 0.0);

    // Release at its maximum: sustains until the next restart.
    AdsrEnvelope held = envelopeWith(0.0, 0.0, 0.8, 1.0, AdsrEnvelope::kExp);
    held.restart();
    for (int i = 0; i < 5 * 44100; ++i) held.next();
    EXPECT_EQ(held.next(), 0.8);
}
