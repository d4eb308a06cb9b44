#pragma once

// The kick filter and compressor on the layered kick (kick, wave and osc layers): a Chamberlin
// state-variable filter with five modes and a 10 ms crossfade on mode changes, then a one-knob
// compressor whose gain reduction feeds the reduction meter.

#include "ParameterBlock.h"

#include <cstdint>

namespace TarnwellPlugin {

struct KickFilter {
    enum Mode : int32_t { kOff = 0, kLowPass = 1, kHighPass = 2, kBandPass = 3, kNotch = 4 };

    double sampleRate = 44100.0;
    double cutoffTarget = 5000.0; // Hz
    double resonance = 0.0;
    double smoothedCutoff = 5000.0;
    double cutoffCoefficient = 0.0; // 18 ms
    double amount = 0.0;
    double attack = 8.0;   // ms
    double release = 90.0; // ms
    double smoothedAmount = 0.0;
    double amountCoefficient = 0.0; // 20 ms
    double low = 0.0;
    double band = 0.0;
    double envelope = 0.0;
    double reductionGain = 1.0; // the compressor's gain, <= 1 (1: no reduction)
    double lastOutput = 0.0;
    double crossfadeJump = 0.0;
    int32_t mode = kOff;
    int32_t crossfadeLength = 1;
    int32_t crossfadeRemaining = 0;
    bool modeChanged = false;

    KickFilter();

    void prepare(double sr);
    void reset();
    void updateParameters(const ParameterBlock& p);
    double process(float x);
    // The next `count` samples; returns the smallest compressor gain among them (what the
    // reduction meter shows), reductionGain holding the last.
    double process(const float* in, double* out, int32_t count);
    // The reduction in dB (>= 0), converted only when asked for: the meter needs one value per
    // block, and as the conversion falls with the gain, the smallest gain gives the largest reading.
    double reductionDecibels() const { return decibelsOfGain(reductionGain); }
    float reductionDb() const { return static_cast<float>(reductionDecibels()); }
    static double decibelsOfGain(double g);

    // The largest frequency coefficient that keeps the filter stable for a damping term q
    // (the poles of the state update stay inside the unit circle with a margin).
    static double stableFrequencyCoefficient(double q);

    // Values derived from the settings above, recomputed only when their inputs change (so the
    // per-sample path mostly skips its transcendental functions without changing a result).
    struct Derived {
        double attackMs = -1.0, releaseMs = -1.0; // inputs of the follower coefficients
        double attackCoefficient = 0.0, releaseCoefficient = 0.0;
        double amount = -1.0; // input of the amount-dependent values
        double threshold = 1.0, ratio = 1.0, drive = 1.0, tanhDrive = 1.0, makeUp = 1.0, wet = 0.0;
        double inverseRatio = 1.0, inverseTanhDrive = 1.0;
        double cutoff = -1.0, resonance = -1.0; // inputs of the filter coefficient
        double f = 0.0, q = -2.0;
    } derived;

private:
    // One sample up to the compressor's saturation: the filtered value and, when the compressor
    // is in, the saturation's argument and what its result is scaled and mixed by.
    struct Saturation {
        double input, argument, tanhDrive, inverseTanhDrive, wet;
        bool compressed;
    };
    Saturation step(float x);
};

} // namespace TarnwellPlugin
