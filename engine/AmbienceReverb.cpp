#include "AmbienceReverb.h"

#include <algorithm>

namespace TarnwellPlugin {

void AmbienceReverb::prepare(double sr) {
    if (!(sr > 0.0 && std::isfinite(sr))) sr = 44100.0;
    sampleRate = sr;
    mixCoefficient = Dsp::onePoleCoefficient(83.33333333333333, sr);
    for (int k = 0; k < kCombs; ++k) combs[k].allocate(static_cast<uint64_t>(kCombCapacitySeconds[k] * sr) + 1);
    for (int k = 0; k < kAllpasses; ++k)
        allpasses[k].allocate(static_cast<uint64_t>(kAllpassCapacitySeconds[k] * sr) + 1);
    applyType();
    clear();
}

void AmbienceReverb::updateParameters(const ParameterBlock& p) {
    setType(static_cast<int32_t>(4.0 * p.value(kAmbienceType) + 0.5), p.value(kAmbienceDecay),
            p.value(kAmbienceDamping), p.value(kAmbienceMix));
}

void AmbienceReverb::setType(int32_t newType, double newDecay, double newDamping, double newMix) {
    if (newType != type) {
        type = newType;
        applyType();
    }
    // Clamped here too, so a direct caller cannot push the comb feedback past 0.97.
    decay = Dsp::clamp01(newDecay);
    damping = Dsp::clamp01(newDamping);
    mix = Dsp::clamp01(newMix);
}

void AmbienceReverb::applyType() {
    const double factor = roomFactor(type);
    for (int k = 0; k < kCombs; ++k) combs[k].setLength(activeLength(factor, sampleRate, kCombMs[k]));
    for (int k = 0; k < kAllpasses; ++k) allpasses[k].setLength(activeLength(factor, sampleRate, kAllpassMs[k]));
}

void AmbienceReverb::clear() {
    for (CombLine& c : combs) c.clear();
    for (AllpassLine& a : allpasses) a.clear();
    smoothedMix = mix;
}

void AmbienceReverb::process(const float* in, float* out, int32_t count) {
    if (combs[0].empty()) { // not prepared yet
        if (out != in) std::copy(in, in + count, out);
        return;
    }
    // Pieces in which no line wraps: inside one, a line's reads are the samples before the piece
    // at consecutive places, each read before its own write, so each stage runs over the piece.
    int32_t done = 0;
    while (done < count) {
        uint64_t room = static_cast<uint64_t>(std::min(count - done, Dsp::kMaxRun));
        for (const CombLine& c : combs) room = std::min(room, c.length - c.writeIndex);
        for (const AllpassLine& a : allpasses) room = std::min(room, a.length - a.index);
        if (room == 0) { // a line without samples: a prepare that did not finish; pass the sound on
            if (out != in) std::copy(in + done, in + count, out + done);
            return;
        }
        done += processPiece(in + done, out + done, static_cast<int32_t>(room));
    }
}

int32_t AmbienceReverb::processPiece(const float* in, float* out, int32_t count) {
    // The combs' dampings and the mix's smoothing sample by sample in locals; the combs' new
    // samples on the stack, copied in after.
    float s[Dsp::kMaxRun];
    float written[kCombs][Dsp::kMaxRun];
    double mixes[Dsp::kMaxRun];
    {
        const float g = 0.55f + 0.42f * static_cast<float>(decay);
        const float d = 0.85f * static_cast<float>(damping);
        const float* r[kCombs];
        float state[kCombs];
        for (int k = 0; k < kCombs; ++k) {
            r[k] = combs[k].buffer.data() + combs[k].writeIndex;
            state[k] = combs[k].damping;
        }
        const double target = mix, coefficient = mixCoefficient;
        double m = smoothedMix;
        for (int32_t i = 0; i < count; ++i) {
            const float x = in[i];
            float sum = 0.0f;
            for (int k = 0; k < kCombs; ++k) {
                const float v = r[k][i];
                state[k] = v + (state[k] - v) * d;
                written[k][i] = x + state[k] * g;
                sum += v;
            }
            s[i] = sum * 0.25f;
            m += coefficient * (target - m);
            mixes[i] = m;
        }
        for (int k = 0; k < kCombs; ++k) combs[k].damping = state[k];
        smoothedMix = m;
    }
    for (int k = 0; k < kCombs; ++k) {
        CombLine& c = combs[k];
        std::copy(written[k], written[k] + count, c.buffer.data() + c.writeIndex);
        c.writeIndex += static_cast<uint64_t>(count);
        if (c.writeIndex >= c.length) c.writeIndex = 0;
    }

    for (AllpassLine& a : allpasses) {
        float* const b = a.buffer.data() + a.index;
        for (int32_t i = 0; i < count; ++i) {
            const float stored = b[i];
            b[i] = s[i] + 0.5f * stored;
            s[i] = stored - s[i];
        }
        a.index += static_cast<uint64_t>(count);
        if (a.index >= a.length) a.index = 0;
    }

    for (int32_t i = 0; i < count; ++i) {
        const float o = static_cast<float>(s[i] * mixes[i] + (1.0 - mixes[i]) * in[i]);
        if (!std::isfinite(o)) {
            // Nothing non-finite may stay in the combs: the state after this sample is the
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
