#include "DelayEffect.h"

#include <algorithm>
#include <bit>
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
    auto nextTime = [&](double t) {
        t += tc * (tt - t);
        if (!(t >= 1.0)) t = 1.0;
        if (t > longest) t = longest;
        return t;
    };
    // One sample with the glides' new values; false when the output was not finite (and the line
    // cleared as clear() does).
    auto step = [&](int32_t n) {
        const float x = in[n];
        double p = static_cast<double>(w) - sTime;
        if (p < 0.0) p += sizeD;
        uint64_t i = static_cast<uint64_t>(static_cast<int64_t>(p));
        if (i >= size) i = size - 1;
        const double f = p - static_cast<double>(i);
        uint64_t j = i + 1;
        if (j >= size) j = 0;
        const double y = data[i] + f * (static_cast<double>(data[j]) - data[i]);

        data[w] = static_cast<float>(x + fb * y);
        if (++w >= size) w = 0;

        const double o = x * (1.0 - sMix) + sMix * y;
        if (!std::isfinite(o)) {
            std::fill(data, data + size, 0.0f);
            w = 0;
            sMix = mx;
            sTime = tt;
            out[n] = 0.0f;
            return false;
        }
        out[n] = static_cast<float>(o);
        return true;
    };
    int32_t n = 0;
    // Glides that a step leaves as they are stay so (the same step from the same values) until a
    // clear sets them: the run then goes on stepping them.
    if (std::bit_cast<uint64_t>(nextTime(sTime)) == std::bit_cast<uint64_t>(sTime) && Dsp::glideRests(sMix, mx, mc)) {
        while (n < count)
            if (!step(n++)) break;
    }
    for (; n < count; ++n) {
        sTime = nextTime(sTime);
        sMix += mc * (mx - sMix);
        step(n);
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
