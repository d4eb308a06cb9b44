#pragma once

// The kick bus's main envelope. "Release" works as a hold: after the hold time the envelope
// releases by itself with a short fade; a note-off does not release it.

#include "ParameterBlock.h"

#include <cstdint>
#include <limits>

namespace TarnwellPlugin {

struct AdsrEnvelope {
    enum Stage : int32_t { kIdle = 0, kAttackStage, kDecayStage, kSustainStage, kReleaseStage };
    enum Curve : int32_t { kExp = 0, kLin, kLog };

    double sampleRate = 44100.0;
    double level = 0.0;
    double time = 0.0;
    double releaseStartLevel = 0.0;
    double releaseProgress = 0.0;
    double attackProgress = 0.0;
    double smoothedAttack = 0.0;
    double smoothedDecay = 0.0;
    double smoothedSustain = 1.0;
    double smoothedRelease = 1.0;
    double attackTarget = 0.0;  // seconds
    double decayTarget = 0.0;   // normalized
    double sustainTarget = 1.0; // normalized
    double releaseTarget = 1.0; // normalized
    double coefficient = 1.0;   // until the first prepare
    // Values of the last smoothed decay and rate (the glide settles, so these are rarely recomputed).
    double derivedDecay = -1.0, derivedRate = -1.0, decayPower = 0.0, decayCoefficient = 0.0;
    // 1 / sampleRate, what the time grows by each sample (cached for the rate it was computed at).
    double intervalRate = 44100.0, sampleInterval = 1.0 / 44100.0;
    // The attack's and the release's progress per sample for the last smoothed time and rate.
    // (NaN: equal to nothing, so the first use computes them.)
    double incrementAttack = std::numeric_limits<double>::quiet_NaN(), incrementRate = 0.0, attackIncrement = 0.0;
    double incrementRelease = std::numeric_limits<double>::quiet_NaN(), releaseIncrementRate = 0.0, releaseIncrement = 0.0;
    int32_t curve = kExp;
    int32_t stage = kIdle;

    void prepare(double sr);
    void reset();
    void restart();
    void updateParameters(const ParameterBlock& p);
    double next();
    // The next `count` values (a restart takes effect at the start of a call).
    void next(double* __restrict out, int32_t count);

    static double shape(int32_t curve, double progress);
};

} // namespace TarnwellPlugin
