#include "DelayEffect.h"

#include <algorithm>
#include <cmath>

namespace TarnwellPlugin {

void DelayEffect::prepare(double sr) {
    if (!(sr > 0.0 && std::isfinite(sr))) sr = 44100.0;
    sampleRate = sr;
    mixCoefficient = Dsp::onePoleCoefficient(83.33333333333333, sr);
    timeCoefficient = Dsp::onePoleCoefficient(33.333333333333336, sr);
    line.assign(static_cast<size_t>(2.0 * sr) + 1, 0.0f);
    writeIndex = 0;
    // The previous rate's glide could point beyond a shorter line: start from the target.
    timeTarget = timeInSamples(timeNormalized);
    smoothedTime = timeTarget;
}

double DelayEffect::timeInSamples(double normalized) const {
    const double samples = sampleRate * (0.001 + 0.999 * normalized);
    const double longest = static_cast<double>(line.size()) - 1.0;
    return std::max(std::min(samples, longest), 1.0);
}

void DelayEffect::updateParameters(const ParameterBlock& p) {
    timeNormalized = p.value(kDelayTime);
    timeTarget = timeInSamples(timeNormalized);
    feedback = std::min(kMaxFeedback * p.value(kDelayFeedback), kMaxFeedback);
    mix = p.value(kDelayMix);
}

void DelayEffect::clear() {
    std::fill(line.begin(), line.end(), 0.0f);
    writeIndex = 0;
    smoothedMix = mix;
    smoothedTime = timeTarget;
}

} // namespace TarnwellPlugin
