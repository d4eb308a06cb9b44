#pragma once

// The amplitude modulator ("VOID MOD"): from slow tremolo (0.15 Hz) to ring modulation (120 Hz).
// Its phase runs continuously; triggers do not reset it.

#include "DspMath.h"
#include "FastMath.h"
#include "ParameterBlock.h"

#include <cmath>
#include <cstdint>

namespace TarnwellPlugin {

struct VoidMod {
    double sampleRate = 44100.0;
    double coefficient = Dsp::onePoleCoefficient(55.55555555555556, 44100.0); // 18 ms
    double phase = 0.0; // radians
    double smoothedEnable = 0.0;
    double smoothedRate = 0.0;
    double smoothedDepth = 0.0;
    double enable = 0.0;
    double rate = 0.0;
    double depth = 0.0;
    // The phase step of the last smoothed rate (the glide settles, so this is rarely recomputed).
    double incrementRate = -1.0;
    double increment = 0.0;

    void prepare(double sr);
    void reset();
    void updateParameters(const ParameterBlock& p);

    static double frequencyHz(double normalizedRate) { return 0.15 * std::exp2(9.643856189774725 * normalizedRate); }

    // True when the modulation is out and none of its glides moves any more: the samples pass
    // unchanged and only the phase runs on (advancePhase).
    bool passesThrough() const {
        return smoothedEnable + coefficient * (enable - smoothedEnable) == smoothedEnable &&
               smoothedRate + coefficient * (rate - smoothedRate) == smoothedRate &&
               smoothedDepth + coefficient * (depth - smoothedDepth) == smoothedDepth && smoothedRate == incrementRate &&
               std::fabs(smoothedDepth * smoothedEnable) <= 0x1p-54;
    }

    // The phase steps of `samples` samples, as process takes them.
    void advancePhase(int32_t samples) {
        for (int32_t i = 0; i < samples; ++i) stepPhase();
    }

    void stepPhase() {
        phase += increment;
        if (phase >= Dsp::kTwoPi) {
            phase -= Dsp::kTwoPi;
            // At a tiny sample rate one step can exceed a whole turn.
            if (phase >= Dsp::kTwoPi) phase = std::fmod(phase, Dsp::kTwoPi);
        }
    }

    float process(float x) {
        smoothedEnable += coefficient * (enable - smoothedEnable);
        smoothedRate += coefficient * (rate - smoothedRate);
        smoothedDepth += coefficient * (depth - smoothedDepth);
        if (smoothedRate != incrementRate) {
            incrementRate = smoothedRate;
            increment = Dsp::kTwoPi * frequencyHz(smoothedRate) / sampleRate;
        }
        stepPhase();
        const double d = smoothedDepth * smoothedEnable;
        // At a depth this small both (1 - d) and the sum round to exactly 1: x passes unchanged.
        if (std::fabs(d) <= 0x1p-54) return x;
        return static_cast<float>(x * ((1.0 - d) + d * Math::sin(phase)));
    }
};

} // namespace TarnwellPlugin
