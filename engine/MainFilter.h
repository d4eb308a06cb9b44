#pragma once

// The main filter after the reverbs: a trapezoidal state-variable filter with low-pass,
// high-pass and band-pass outputs, driven by the ramped "Filter Cutoff" and "Filter Resonance".

#include "DspMath.h"
#include "ParameterBlock.h"

#include <cmath>
#include <cstdint>

namespace TarnwellPlugin {

struct MainFilter {
    double sampleRate = 44100.0;
    double cutoff = 12000.0; // Hz
    double resonance = 0.1;
    double ic1 = 0.0; // integrator states
    double ic2 = 0.0;
    int32_t mode = 0; // 0 low-pass, 1 high-pass, 2 band-pass; anything else acts as low-pass
    // Coefficients of the last cutoff and resonance, recomputed only when those change.
    double cachedCutoff = -1.0;
    double cachedResonance = -1.0;
    double cachedRate = -1.0;
    double g = 0.0, k = 2.0, a1 = 1.0, a2 = 0.0;

    void prepare(double sr) {
        if (sr > 0.0 && std::isfinite(sr)) sampleRate = sr;
    }
    void reset() {
        ic1 = 0.0;
        ic2 = 0.0;
    }
    void updateParameters(const ParameterBlock& p) { mode = static_cast<int32_t>(2.0 * p.value(kFilterMode) + 0.5); }
    // cutoffHz: 20 * 900^v of the ramped normalized cutoff; resonance: the ramped normalized value.
    void setCutoffAndResonance(double cutoffHz, double newResonance) {
        cutoff = cutoffHz;
        resonance = newResonance;
    }

    void updateCoefficients();

    // The run form of setCutoffAndResonance and process for each sample (in may be out), with the
    // states and coefficients in locals over the run.
    void process(const float* in, float* out, const double* cutoffsHz, const double* resonances, int32_t count);

    float process(float x) {
        if (cutoff != cachedCutoff || resonance != cachedResonance || sampleRate != cachedRate) updateCoefficients();
        const double d = x - ic2;
        const double bp = a1 * ic1 + a2 * d;
        const double lp = ic2 + a2 * (ic1 + g * d);
        ic1 = 2.0 * bp - ic1;
        ic2 = 2.0 * lp - ic2;
        double y;
        if (mode == 2)
            y = bp;
        else if (mode == 1)
            y = x - (lp + k * bp);
        else
            y = lp;
        if (!std::isfinite(y) || !std::isfinite(ic1) || !std::isfinite(ic2)) {
            reset();
            return 0.0f;
        }
        return static_cast<float>(y);
    }
};

} // namespace TarnwellPlugin
