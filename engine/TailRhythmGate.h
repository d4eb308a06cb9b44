#pragma once

// The tail rhythm gate: an eight-step gain pattern for the long reverb's wet tail, stepped in
// proportion to the sequencer's step rate. It runs freely from its own phase.

#include "DspMath.h"
#include "ParameterBlock.h"
#include "RoadMath.h"

#include <cmath>
#include <cstdint>

namespace TarnwellPlugin {

struct TailRhythmGate {
    static constexpr double kRateFactors[4] = {0.25, 0.5, 1.0, 2.0}; // gate steps per sequencer step

    uint8_t stepFlags[8] = {1, 0, 1, 0, 1, 0, 1, 0}; // 1: open (boost), 0: closed (cut)
    double sampleRate = 44100.0;
    double phase = 0.0; // position within the current gate step, 0..1
    double depth = 0.0;
    double smooth = 0.35;
    double gain = 1.0;
    double gainCoefficient = Dsp::onePoleCoefficient(200.0, 44100.0); // 5 ms
    int32_t step = 0;
    int32_t rate = 2;
    bool enabled = false;
    // The phase step of the last step rate, clamped rate and sample rate (they hold for whole
    // blocks), and the crossfade's divisor.
    double incrementStepsPerSecond = -1.0;
    int32_t incrementRate = -1;
    double incrementSampleRate = -1.0;
    double increment = 0.0;
    CachedDivisor smoothDivisor;

    void prepare(double sr);
    void reset();
    void updateParameters(const ParameterBlock& p);

    double level(int32_t k) const { return stepFlags[k & 7] ? 1.0 + 0.5 * depth : 1.0 - 0.9 * depth; }

    // count samples of next(stepsPerSecond) into gains.
    void render(double* gains, int32_t count, double stepsPerSecond);

    // One sample: the gain for the long reverb's wet part at step rate r (steps per second).
    double next(double stepsPerSecond) {
        const int32_t r = rate < 0 ? 0 : (rate > 3 ? 3 : rate);
        // A negative or non-finite rate (no usable tempo) holds the gate where it is.
        if (!(stepsPerSecond == incrementStepsPerSecond && r == incrementRate && sampleRate == incrementSampleRate)) {
            incrementStepsPerSecond = stepsPerSecond;
            incrementRate = r;
            incrementSampleRate = sampleRate;
            increment = stepsPerSecond > 0.0 && std::isfinite(stepsPerSecond)
                            ? kRateFactors[r] * stepsPerSecond / sampleRate
                            : 0.0;
        }
        phase += increment;
        if (!(phase < 1.0)) {
            // Whole steps are taken at once, so an absurd tempo cannot make this loop for ever.
            if (!std::isfinite(phase)) phase = 0.0;
            const double whole = std::floor(phase);
            phase -= whole;
            if (!(phase >= 0.0 && phase < 1.0)) phase = 0.0;
            step = static_cast<int32_t>((static_cast<double>(step) + std::fmod(whole, 8.0))) & 7;
        }

        double target = 1.0;
        if (enabled && depth > 0.0) {
            target = level(step);
            if (smooth > 0.0 && phase < smooth) {
                const double u = smoothDivisor.divideBy(phase, smooth);
                const double previous = level(step + 7);
                target = previous + (target - previous) * u * u * (3.0 - 2.0 * u);
            }
        }
        gain += gainCoefficient * (target - gain);
        return gain;
    }
};

} // namespace TarnwellPlugin
