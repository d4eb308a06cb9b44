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
    // Pieces in which no diffuser or line wraps: inside one, a line's reads are the samples before
    // the piece at consecutive places, each read before its own write, so every stage can run over
    // the whole piece in turn (the network couples the lines only within a sample).
    int32_t done = 0;
    while (done < count) {
        uint64_t room = static_cast<uint64_t>(std::min(count - done, Dsp::kMaxRun));
        for (const AllpassLine& a : diffusers) room = std::min(room, a.length - a.index);
        for (const CombLine& l : lines) room = std::min(room, l.length - l.writeIndex);
        if (room == 0) { // a line without samples: a prepare that did not finish; pass the sound on
            if (out != in) std::copy(in + done, in + count, out + done);
            return;
        }
        done += processPiece(in + done, tailGain + done, out + done, static_cast<int32_t>(room));
    }
}

int32_t LongReverb::processPiece(const float* in, const double* tailGain, float* out, int32_t count) {
    float d[Dsp::kMaxRun];
    {
        float* const line = preDelayLine.data();
        const uint64_t size = preDelayLine.size();
        const uint64_t delay = preDelay < size ? preDelay : size - 1;
        uint64_t w = preDelayWriteIndex;
        for (int32_t i = 0; i < count; ++i) {
            const float x = in[i];
            const uint64_t readIndex = w >= delay ? w - delay : w + size - delay;
            d[i] = delay == 0 ? x : line[readIndex];
            line[w] = x;
            if (++w >= size) w = 0;
        }
        preDelayWriteIndex = w;
    }

    for (AllpassLine& a : diffusers) {
        float* const b = a.buffer.data() + a.index;
        for (int32_t i = 0; i < count; ++i) {
            const float o = b[i] - kDiffusion * d[i];
            b[i] = d[i] + kDiffusion * o;
            d[i] = o;
        }
        a.index += static_cast<uint64_t>(count);
        if (a.index >= a.length) a.index = 0;
    }

    // The dampings and the mix's smoothing, the recurrences, sample by sample in locals.
    float s[kLines][Dsp::kMaxRun];
    double mixes[Dsp::kMaxRun];
    {
        const float damp = static_cast<float>(damping);
        const float pass = 1.0f - damp;
        const float* r[kLines];
        float state[kLines];
        for (int k = 0; k < kLines; ++k) {
            r[k] = lines[k].buffer.data() + lines[k].writeIndex;
            state[k] = lines[k].damping;
        }
        const double target = mix, coefficient = mixCoefficient;
        double m = smoothedMix;
        for (int32_t i = 0; i < count; ++i) {
            m += coefficient * (target - m);
            mixes[i] = m;
            for (int k = 0; k < kLines; ++k) {
                state[k] = pass * r[k][i] + damp * state[k];
                s[k][i] = state[k];
            }
        }
        for (int k = 0; k < kLines; ++k) lines[k].damping = state[k];
        smoothedMix = m;
    }

    // The Hadamard mix into the lines' new samples (kept on the stack, then copied in) and the wet sum.
    float written[kLines][Dsp::kMaxRun];
    float wetSums[Dsp::kMaxRun];
    {
        double gains[kLines];
        for (int k = 0; k < kLines; ++k) gains[k] = lineGains[k];
        for (int32_t i = 0; i < count; ++i) {
            // Fast Walsh-Hadamard transform: the Sylvester matrix in natural order, written out
            // (butterflies of span 1, 2 and 4).
            float v[kLines];
            butterfly(s[0][i], s[1][i], v[0], v[1]);
            butterfly(s[2][i], s[3][i], v[2], v[3]);
            butterfly(s[4][i], s[5][i], v[4], v[5]);
            butterfly(s[6][i], s[7][i], v[6], v[7]);
            butterfly(v[0], v[2], v[0], v[2]);
            butterfly(v[1], v[3], v[1], v[3]);
            butterfly(v[4], v[6], v[4], v[6]);
            butterfly(v[5], v[7], v[5], v[7]);
            butterfly(v[0], v[4], v[0], v[4]);
            butterfly(v[1], v[5], v[1], v[5]);
            butterfly(v[2], v[6], v[2], v[6]);
            butterfly(v[3], v[7], v[3], v[7]);
            const float inScaled = kInputGain * d[i];
            float wetSum = 0.0f;
            for (int k = 0; k < kLines; ++k) {
                written[k][i] = static_cast<float>(gains[k] * (v[k] * kInvSqrt8)) + kInputSigns[k] * inScaled;
                wetSum += kInputSigns[k] * s[k][i];
            }
            wetSums[i] = wetSum;
        }
    }
    for (int k = 0; k < kLines; ++k) {
        CombLine& l = lines[k];
        std::copy(written[k], written[k] + count, l.buffer.data() + l.writeIndex);
        l.writeIndex += static_cast<uint64_t>(count);
        if (l.writeIndex >= l.length) l.writeIndex = 0;
    }

    for (int32_t i = 0; i < count; ++i) {
        const double wet = static_cast<double>(wetSums[i]) * static_cast<float>(tailGain[i]) * kInvSqrt8 * mixes[i];
        const float o = static_cast<float>((1.0 - mixes[i]) * in[i] + wet);
        if (!std::isfinite(o)) {
            // Nothing non-finite may stay in the network: the state after this sample is the
            // cleared one, whatever the piece wrote past it.
            clear();
            out[i] = 0.0f;
            return i + 1;
        }
        out[i] = o;
    }
    return count;
}

} // namespace TarnwellPlugin
