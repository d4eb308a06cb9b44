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

void DelayEffect::process(const float* in, float* out, int32_t count) {
    if (line.empty()) {
        if (in != out) std::copy(in, in + count, out);
        return;
    }
    // Line stores are float stores: with the state in members every sample would reload it.
    float* const data = line.data();
    const uint64_t size = line.size();
    const double longest = static_cast<double>(size - 1);
    const double sizeD = static_cast<double>(size);
    const double tc = timeCoefficient, tt = timeTarget, mc = mixCoefficient, mx = mix, fb = feedback;
    uint64_t w = writeIndex;
    double sTime = smoothedTime, sMix = smoothedMix;
    for (int32_t n = 0; n < count; ++n) {
        const float x = in[n];
        sTime += tc * (tt - sTime);
        if (!(sTime >= 1.0)) sTime = 1.0;
        if (sTime > longest) sTime = longest;

        double p = static_cast<double>(w) - sTime;
        if (p < 0.0) p += sizeD;
        uint64_t i = static_cast<uint64_t>(static_cast<int64_t>(p));
        if (i >= size) i = size - 1;
        const double f = p - static_cast<double>(i);
        uint64_t j = i + 1;
        if (j >= size) j = 0;
        const double y = data[i] + f * (static_cast<double>(data[j]) - data[i]);

        sMix += mc * (mx - sMix);
        data[w] = static_cast<float>(x + fb * y);
        if (++w >= size) w = 0;

        const double o = x * (1.0 - sMix) + sMix * y;
        if (!std::isfinite(o)) {
            // As clear(), within the run.
            std::fill(data, data + size, 0.0f);
            w = 0;
            sMix = mx;
            sTime = tt;
            out[n] = 0.0f;
            continue;
        }
        out[n] = static_cast<float>(o);
    }
    writeIndex = w;
    smoothedTime = sTime;
    smoothedMix = sMix;
}

void DelayEffect::clear() {
    std::fill(line.begin(), line.end(), 0.0f);
    writeIndex = 0;
    smoothedMix = mix;
    smoothedTime = timeTarget;
}

} // namespace TarnwellPlugin
