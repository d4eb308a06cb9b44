#include "ModulationLfos.h"

#include "DspMath.h"
#include "FastMath.h"

#include <cmath>

namespace TarnwellPlugin {

namespace {

struct LfoIds {
    uint32_t rate, depth, target, enabled, shape, phase, retrig, smooth;
};
constexpr LfoIds kIds[2] = {
    {kVolumeLFORate, kVolumeLFODepth, kLFO1Target, kLFO1Enabled, kLfo1Shape, kLfo1Phase, kLfo1Retrig, kLfo1Smooth},
    {kPitchLFORate, kPitchLFODepth, kLFO2Target, kLFO2Enabled, kLfo2Shape, kLfo2Phase, kLfo2Retrig, kLfo2Smooth},
};
constexpr double kDepthScale[4] = {0.5, 0.65, 0.7, 0.8};

} // namespace

void ModulationLfos::reset() {
    for (int32_t i = 0; i < 2; ++i) phase[i] = output[i] = held[i] = 0.0;
}

void ModulationLfos::retrigger(const ParameterBlock& p) {
    for (int32_t i = 0; i < 2; ++i)
        if (p.value(kIds[i].retrig) >= 0.5) phase[i] = 0.0;
}

void ModulationLfos::loadSettings(const ParameterBlock& p, double sampleRate) {
    Settings& st = settings;
    st.kick[0] = p.value(kKickTune);
    st.kick[1] = p.value(kKickDecay);
    st.kick[2] = p.value(kKickPitchDrop);
    st.kick[3] = p.value(kKickPitchDecay);
    st.advances = sampleRate > 0.0;
    for (int32_t i = 0; i < 2; ++i) {
        const LfoIds& id = kIds[i];
        st.shape[i] = p.listIndex(id.shape, 4);
        st.phaseOffset[i] = p.value(id.phase) * Dsp::kTwoPi;
        const double smooth = p.value(id.smooth);
        if (smooth != derivedSmooth[i] || sampleRate != derivedRate[i]) {
            derivedSmooth[i] = smooth;
            derivedRate[i] = sampleRate;
            const double tau = 0.2 * smooth * smooth;
            smoothingCoefficient[i] = tau <= 1e-6 ? 1.0 : 1.0 - std::exp(-1.0 / (sampleRate * tau));
        }
        st.enabled[i] = p.on(id.enabled);
        const int32_t target = p.listIndex(id.target, 4);
        st.target[i] = target < 0 ? 0 : (target > 3 ? 3 : target);
        st.depth[i] = p.value(id.depth);
        st.phaseStep[i] = st.advances ? (p.value(id.rate) * 31.101767270538954 + 0.3141592653589793) / sampleRate : 0.0;
    }
}

double ModulationLfos::shapeValue(int32_t lfo, int32_t shape, double phaseOffset) const {
    if (shape == kSampleAndHold) return held[lfo];
    const double x = phase[lfo] + phaseOffset;
    switch (shape) {
    case kSquare: return Math::sin(x) < 0.0 ? -1.0 : 1.0;
    case kTriangle: return Math::asinOfSin(x) * 0.6366197723675814;
    default: return Math::sin(x);
    }
}

double ModulationLfos::rawValue(int32_t lfo) const {
    return shapeValue(lfo, settings.shape[lfo], settings.phaseOffset[lfo]);
}

double ModulationLfos::rawValue(int32_t lfo, const ParameterBlock& p) const {
    return shapeValue(lfo, p.listIndex(kIds[lfo].shape, 4), p.value(kIds[lfo].phase) * Dsp::kTwoPi);
}

void ModulationLfos::modulateKickControls(double (&k)[4]) {
    const Settings& st = settings;
    for (int32_t i = 0; i < 4; ++i) k[i] = st.kick[i];
    for (int32_t i = 0; i < 2; ++i) {
        const double raw = st.shape[i] == kSine ? sines[i].sin(phase[i] + st.phaseOffset[i]) : rawValue(i);
        output[i] += smoothingCoefficient[i] * (raw - output[i]);
    }
    for (int32_t i = 0; i < 2; ++i) {
        if (!st.enabled[i]) continue;
        const int32_t target = st.target[i];
        k[target] = Dsp::clamp(k[target] + st.depth[i] * output[i] * kDepthScale[target], 0.0, 1.0);
    }
}

void ModulationLfos::modulateKickControls(double* __restrict const k[4], int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        double sample[4];
        modulateKickControls(sample);
        for (int32_t j = 0; j < 4; ++j) k[j][i] = sample[j];
        advance();
    }
}

void ModulationLfos::modulateKickControls(const ParameterBlock& p, double sampleRate, double (&k)[4]) {
    loadSettings(p, sampleRate);
    modulateKickControls(k);
}

void ModulationLfos::advance() {
    if (!settings.advances) return; // unprepared: the phases hold
    for (int32_t i = 0; i < 2; ++i) {
        const double before = phase[i];
        phase[i] += settings.phaseStep[i];
        if (phase[i] >= Dsp::kTwoPi) {
            phase[i] -= Dsp::kTwoPi;
            if (phase[i] >= Dsp::kTwoPi) phase[i] = std::fmod(phase[i], Dsp::kTwoPi); // absurdly low rates only
            noiseState = noiseState * 1664525u + 1013904223u;
            held[i] = static_cast<double>(noiseState) * 4.656612874161595e-10 - 1.0;
        }
        if (settings.shape[i] == kSine) {
            const double offset = settings.phaseOffset[i];
            sines[i].moved(before + offset, phase[i] + offset, settings.phaseStep[i]);
        }
    }
}

void ModulationLfos::advance(const ParameterBlock& p, double sampleRate) {
    loadSettings(p, sampleRate);
    advance();
}

} // namespace TarnwellPlugin
