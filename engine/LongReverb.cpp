#include "LongReverb.h"

#include <algorithm>

namespace TarnwellPlugin {

void LongReverb::prepare(double sr) {
    if (!(sr > 0.0 && std::isfinite(sr))) sr = 44100.0;
    sampleRate = sr;
    mixCoefficient = Dsp::onePoleCoefficient(83.33333333333333, sr);
    for (int k = 0; k < kLines; ++k) lines[k].allocate(static_cast<uint64_t>(kLineCapacitySeconds[k] * sr) + 1);
    for (int k = 0; k < kDiffusers; ++k)
        diffusers[k].allocate(static_cast<uint64_t>(kDiffuserCapacitySeconds[k] * sr) + 1);
    preDelayLine.assign(static_cast<size_t>(0.25 * sr) + 1, 0.0f);
    // The pre-delay in samples belongs to the old rate; derive it again for this one.
    setPreDelayNormalized(preDelayNormalized);
    applySpace();
    clear();
}

void LongReverb::updateParameters(const ParameterBlock& p) {
    const int32_t s = static_cast<int32_t>(4.0 * p.value(kLongReverbSpace) + 0.5);
    if (s != space) {
        space = s;
        applySpace();
    }
    setDecaySeconds(std::max(0.5 + 19.5 * p.value(kLongReverbDecay), 0.5));
    damping = p.value(kLongReverbDamping);
    setPreDelayNormalized(p.value(kLongReverbPreDelay));
    mix = p.value(kLongReverbMix);
}

void LongReverb::applySpace() {
    const double factor = spaceFactor(space);
    for (int k = 0; k < kLines; ++k) lines[k].setLength(activeLength(factor, sampleRate, kLineMs[k]));
    for (int k = 0; k < kDiffusers; ++k) diffusers[k].setLength(activeLength(factor, sampleRate, kDiffuserMs[k]));
    updateLineGains();
}

void LongReverb::setDecaySeconds(double seconds) {
    // At least 0.5 s, as the parameter's range; also keeps every loop gain below 1.
    if (!(seconds >= 0.5)) seconds = 0.5;
    if (seconds == gainsDecay) return;
    decay = seconds;
    updateLineGains();
}

void LongReverb::setPreDelayNormalized(double v) {
    preDelayNormalized = Dsp::clamp01(v);
    const uint64_t samples = static_cast<uint64_t>(preDelayNormalized * 0.2 * sampleRate);
    const uint64_t longest = preDelayLine.empty() ? 0 : preDelayLine.size() - 1;
    // Before prepare there is no line: keep the 30 ms of construction until the line exists.
    preDelay = preDelayLine.empty() ? preDelay : std::min(longest, samples);
}

void LongReverb::updateLineGains() {
    gainsDecay = decay;
    for (int k = 0; k < kLines; ++k) {
        const double length = static_cast<double>(lines[k].length);
        lineGains[k] = std::pow(10.0, -3.0 * length / (decay * sampleRate));
    }
}

void LongReverb::clear() {
    for (CombLine& l : lines) l.clear();
    for (AllpassLine& a : diffusers) a.clear();
    std::fill(preDelayLine.begin(), preDelayLine.end(), 0.0f);
    preDelayWriteIndex = 0;
    smoothedMix = mix;
}

} // namespace TarnwellPlugin
