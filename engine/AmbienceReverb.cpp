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
    // The single step's operations in its order, with the indices, comb dampings and the mix in
    // locals: the stores into the lines could otherwise alias the members and force reloads.
    const float g = 0.55f + 0.42f * static_cast<float>(decay);
    const float d = 0.85f * static_cast<float>(damping);
    const double target = mix, coefficient = mixCoefficient;
    float* combData[kCombs];
    uint64_t combLength[kCombs], combIndex[kCombs];
    float combDamping[kCombs];
    float* allpassData[kAllpasses];
    uint64_t allpassLength[kAllpasses], allpassIndex[kAllpasses];
    double sMix;
    for (int k = 0; k < kCombs; ++k) {
        combData[k] = combs[k].buffer.data();
        combLength[k] = combs[k].length;
    }
    for (int k = 0; k < kAllpasses; ++k) {
        allpassData[k] = allpasses[k].buffer.data();
        allpassLength[k] = allpasses[k].length;
    }
    auto load = [&] {
        for (int k = 0; k < kCombs; ++k) {
            combIndex[k] = combs[k].writeIndex;
            combDamping[k] = combs[k].damping;
        }
        for (int k = 0; k < kAllpasses; ++k) allpassIndex[k] = allpasses[k].index;
        sMix = smoothedMix;
    };
    auto store = [&] {
        for (int k = 0; k < kCombs; ++k) {
            combs[k].writeIndex = combIndex[k];
            combs[k].damping = combDamping[k];
        }
        for (int k = 0; k < kAllpasses; ++k) allpasses[k].index = allpassIndex[k];
        smoothedMix = sMix;
    };
    load();

    for (int32_t i = 0; i < count; ++i) {
        const float x = in[i];
        float sum = 0.0f;
        for (int k = 0; k < kCombs; ++k) {
            const float r = combData[k][combIndex[k]];
            combDamping[k] = r + (combDamping[k] - r) * d;
            combData[k][combIndex[k]] = x + combDamping[k] * g;
            if (++combIndex[k] >= combLength[k]) combIndex[k] = 0;
            sum += r;
        }
        const float s = sum * 0.25f;
        const float a1 = allpassData[0][allpassIndex[0]];
        allpassData[0][allpassIndex[0]] = s + 0.5f * a1;
        if (++allpassIndex[0] >= allpassLength[0]) allpassIndex[0] = 0;
        const float o1 = a1 - s;
        const float a2 = allpassData[1][allpassIndex[1]];
        allpassData[1][allpassIndex[1]] = o1 + 0.5f * a2;
        if (++allpassIndex[1] >= allpassLength[1]) allpassIndex[1] = 0;
        const float o2 = a2 - o1;

        sMix += coefficient * (target - sMix);
        const float o = static_cast<float>(o2 * sMix + (1.0 - sMix) * x);
        if (!std::isfinite(o)) {
            store();
            clear(); // nothing non-finite may stay in the combs
            load();
            out[i] = 0.0f;
            continue;
        }
        out[i] = o;
    }
    store();
}

} // namespace TarnwellPlugin
