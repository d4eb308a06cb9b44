#pragma once

// The fattener: a sub-octave sine under the kick bus. It tracks the period of the low-passed bus
// by its rising zero crossings, runs a sine at half that frequency, shapes it with an envelope
// follower of the input, low-passes and saturates it. Its enable switch is smoothed (18 ms).

#include "ParameterBlock.h"
#include "SinePhasor.h"

#include <cstdint>

namespace TarnwellPlugin {

struct Fattener {
    double sampleRate = 44100.0;
    double coefficient = 0.0; // 18 ms
    double inputLowpass = 0.0;
    double previousLowpass = 0.0;
    double envelope = 0.0;
    double phase = 0.0; // radians
    double trackedFrequency = 45.0; // Hz
    double outputLowpass = 0.0;
    uint32_t samplesSinceCrossing = 0;
    double smoothedEnable = 0.0;
    double smoothedTone = 0.0;
    double smoothedAmount = 0.0;
    double enable = 0.0;
    double tone = 0.0;
    double amount = 0.0;

    // Per-rate constants and the tone-dependent output pole (recomputed when the tone moves).
    double inputPole = 0.0, followerAttack = 0.0, followerRelease = 0.0;
    uint32_t minCrossingSamples = 0, maxCrossingSamples = 0;
    double derivedTone = -1.0, outputPole = 0.0;
    // The phase step for the clamped tracked frequency it was computed for, and the sine of the phase.
    double derivedFrequency = -1.0, phaseStep = 0.0;
    SinePhasor sine;

    Fattener();

    void prepare(double sr);
    void reset();
    void updateParameters(const ParameterBlock& p);
    // The next `count` samples of the bus in, the sub-octave out.
    void process(const float* in, float* out, int32_t count);
    float process(float x) {
        float out = 0.0f;
        process(&x, &out, 1);
        return out;
    }

private:
    void processRun(const float* in, float* out, int32_t count);
    void computeCoefficients();
};

} // namespace TarnwellPlugin
