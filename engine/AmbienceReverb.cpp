#include "AmbienceReverb.h"

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

} // namespace TarnwellPlugin
