#include "MainFilter.h"

namespace TarnwellPlugin {

void MainFilter::updateCoefficients() {
    double fc = std::isnan(cutoff) ? 20.0 : std::fmin(0.45 * sampleRate, cutoff);
    if (fc < 20.0) fc = 20.0;
    // Resonance outside [0, 1] would leave k <= 0: an unstable filter.
    const double r = Dsp::clamp01(resonance);
    g = std::tan(Dsp::kPi * fc / sampleRate);
    k = 2.0 - 1.9 * r;
    a1 = 1.0 / (1.0 + g * (g + k));
    a2 = g * a1;
    cachedCutoff = cutoff;
    cachedResonance = resonance;
    cachedRate = sampleRate;
}

namespace {

template <int32_t Mode>
void filterRun(MainFilter& f, const float* in, float* out, const double* cutoffsHz, const double* resonances,
               int32_t count) {
    const double rate = f.sampleRate;
    double s1 = f.ic1, s2 = f.ic2;
    double g = f.g, k = f.k, a1 = f.a1, a2 = f.a2;
    double cachedCutoff = f.cachedCutoff, cachedResonance = f.cachedResonance;
    bool rateChanged = rate != f.cachedRate; // false from the first update on (the rate is finite)
    for (int32_t n = 0; n < count; ++n) {
        const double cutoff = cutoffsHz[n];
        const double resonance = resonances[n];
        if (cutoff != cachedCutoff || resonance != cachedResonance || rateChanged) {
            f.cutoff = cutoff;
            f.resonance = resonance;
            f.updateCoefficients();
            g = f.g, k = f.k, a1 = f.a1, a2 = f.a2;
            cachedCutoff = f.cachedCutoff;
            cachedResonance = f.cachedResonance;
            rateChanged = rate != f.cachedRate;
        }
        const float x = in[n];
        const double d = x - s2;
        const double bp = a1 * s1 + a2 * d;
        const double lp = s2 + a2 * (s1 + g * d);
        s1 = 2.0 * bp - s1;
        s2 = 2.0 * lp - s2;
        double y;
        if (Mode == 2)
            y = bp;
        else if (Mode == 1)
            y = x - (lp + k * bp);
        else
            y = lp;
        if (!std::isfinite(y) || !std::isfinite(s1) || !std::isfinite(s2)) {
            s1 = 0.0;
            s2 = 0.0;
            out[n] = 0.0f;
            continue;
        }
        out[n] = static_cast<float>(y);
    }
    f.ic1 = s1;
    f.ic2 = s2;
}

} // namespace

void MainFilter::process(const float* in, float* out, const double* cutoffsHz, const double* resonances,
                         int32_t count) {
    if (count < 1) return;
    if (mode == 2)
        filterRun<2>(*this, in, out, cutoffsHz, resonances, count);
    else if (mode == 1)
        filterRun<1>(*this, in, out, cutoffsHz, resonances, count);
    else
        filterRun<0>(*this, in, out, cutoffsHz, resonances, count);
    cutoff = cutoffsHz[count - 1];
    resonance = resonances[count - 1];
}

} // namespace TarnwellPlugin
