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

} // namespace TarnwellPlugin
