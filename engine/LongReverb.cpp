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

void LongReverb::process(const float* in, const double* tailGain, float* out, int32_t count) {
    if (preDelayLine.empty()) { // not prepared yet
        if (out != in) std::copy(in, in + count, out);
        return;
    }
    // The single step's operations in its order, with the indices, dampings and the mix in
    // locals: the stores into the lines could otherwise alias the members and force reloads.
    float* const preData = preDelayLine.data();
    const uint64_t size = preDelayLine.size();
    const uint64_t delay = preDelay < size ? preDelay : size - 1;
    float* lineData[kLines];
    uint64_t lineLength[kLines], lineIndex[kLines];
    float lineDamping[kLines];
    double gains[kLines];
    float* diffuserData[kDiffusers];
    uint64_t diffuserLength[kDiffusers], diffuserIndex[kDiffusers];
    uint64_t preIndex;
    double sMix;
    const double target = mix, coefficient = mixCoefficient;
    const float damp = static_cast<float>(damping);
    const float pass = 1.0f - damp;
    for (int k = 0; k < kLines; ++k) {
        lineData[k] = lines[k].buffer.data();
        lineLength[k] = lines[k].length;
        gains[k] = lineGains[k];
    }
    for (int k = 0; k < kDiffusers; ++k) {
        diffuserData[k] = diffusers[k].buffer.data();
        diffuserLength[k] = diffusers[k].length;
    }
    auto load = [&] {
        for (int k = 0; k < kLines; ++k) {
            lineIndex[k] = lines[k].writeIndex;
            lineDamping[k] = lines[k].damping;
        }
        for (int k = 0; k < kDiffusers; ++k) diffuserIndex[k] = diffusers[k].index;
        preIndex = preDelayWriteIndex;
        sMix = smoothedMix;
    };
    auto store = [&] {
        for (int k = 0; k < kLines; ++k) {
            lines[k].writeIndex = lineIndex[k];
            lines[k].damping = lineDamping[k];
        }
        for (int k = 0; k < kDiffusers; ++k) diffusers[k].index = diffuserIndex[k];
        preDelayWriteIndex = preIndex;
        smoothedMix = sMix;
    };
    load();

    for (int32_t i = 0; i < count; ++i) {
        const float x = in[i];
        sMix += coefficient * (target - sMix);

        const uint64_t readIndex = preIndex >= delay ? preIndex - delay : preIndex + size - delay;
        const float y = delay == 0 ? x : preData[readIndex];
        preData[preIndex] = x;
        if (++preIndex >= size) preIndex = 0;

        float d = y;
        for (int k = 0; k < kDiffusers; ++k) {
            const float stored = diffuserData[k][diffuserIndex[k]];
            const float o = stored - kDiffusion * d;
            diffuserData[k][diffuserIndex[k]] = d + kDiffusion * o;
            if (++diffuserIndex[k] >= diffuserLength[k]) diffuserIndex[k] = 0;
            d = o;
        }

        float s[kLines];
        for (int k = 0; k < kLines; ++k) {
            const float r = lineData[k][lineIndex[k]];
            lineDamping[k] = pass * r + damp * lineDamping[k];
            s[k] = lineDamping[k];
        }

        float v[kLines];
        butterfly(s[0], s[1], v[0], v[1]);
        butterfly(s[2], s[3], v[2], v[3]);
        butterfly(s[4], s[5], v[4], v[5]);
        butterfly(s[6], s[7], v[6], v[7]);
        butterfly(v[0], v[2], v[0], v[2]);
        butterfly(v[1], v[3], v[1], v[3]);
        butterfly(v[4], v[6], v[4], v[6]);
        butterfly(v[5], v[7], v[5], v[7]);
        butterfly(v[0], v[4], v[0], v[4]);
        butterfly(v[1], v[5], v[1], v[5]);
        butterfly(v[2], v[6], v[2], v[6]);
        butterfly(v[3], v[7], v[3], v[7]);

        const float inScaled = kInputGain * d;
        float wetSum = 0.0f;
        for (int k = 0; k < kLines; ++k) {
            lineData[k][lineIndex[k]] =
                static_cast<float>(gains[k] * (v[k] * kInvSqrt8)) + kInputSigns[k] * inScaled;
            if (++lineIndex[k] >= lineLength[k]) lineIndex[k] = 0;
            wetSum += kInputSigns[k] * s[k];
        }

        const double wet = static_cast<double>(wetSum) * static_cast<float>(tailGain[i]) * kInvSqrt8 * sMix;
        const float o = static_cast<float>((1.0 - sMix) * x + wet);
        if (!std::isfinite(o)) {
            store();
            clear(); // nothing non-finite may stay in the network
            load();
            out[i] = 0.0f;
            continue;
        }
        out[i] = o;
    }
    store();
}

} // namespace TarnwellPlugin
