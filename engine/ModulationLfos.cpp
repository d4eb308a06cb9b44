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

double ModulationLfos::rawValue(int32_t lfo, const ParameterBlock& p) const {
    const LfoIds& id = kIds[lfo];
    const int32_t shape = p.listIndex(id.shape, 4);
    if (shape == kSampleAndHold) return held[lfo];
    const double x = phase[lfo] + p.value(id.phase) * Dsp::kTwoPi;
    switch (shape) {
    case kSquare: return Math::sin(x) < 0.0 ? -1.0 : 1.0;
    case kTriangle: return Math::asinOfSin(x) * 0.6366197723675814;
    default: return Math::sin(x);
    }
}

void ModulationLfos::modulateKickControls(const ParameterBlock& p, double sampleRate, double (&k)[4]) {
    k[0] = p.value(kKickTune);
    k[1] = p.value(kKickDecay);
    k[2] = p.value(kKickPitchDrop);
    k[3] = p.value(kKickPitchDecay);

    for (int32_t i = 0; i < 2; ++i) {
        const double raw = rawValue(i, p);
        const double smooth = p.value(kIds[i].smooth);
        if (smooth != derivedSmooth[i] || sampleRate != derivedRate[i]) {
            derivedSmooth[i] = smooth;
            derivedRate[i] = sampleRate;
            const double tau = 0.2 * smooth * smooth;
            smoothingCoefficient[i] = tau <= 1e-6 ? 1.0 : 1.0 - std::exp(-1.0 / (sampleRate * tau));
        }
        output[i] += smoothingCoefficient[i] * (raw - output[i]);
    }
    for (int32_t i = 0; i < 2; ++i) {
        if (!p.on(kIds[i].enabled)) continue;
        int32_t target = p.listIndex(kIds[i].target, 4);
        target = target < 0 ? 0 : (target > 3 ? 3 : target);
        k[target] = Dsp::clamp(k[target] + p.value(kIds[i].depth) * output[i] * kDepthScale[target], 0.0, 1.0);
    }
}

void ModulationLfos::advance(const ParameterBlock& p, double sampleRate) {
    if (!(sampleRate > 0.0)) return; // unprepared: the phases hold
    for (int32_t i = 0; i < 2; ++i) {
        phase[i] += (p.value(kIds[i].rate) * 31.101767270538954 + 0.3141592653589793) / sampleRate;
        if (phase[i] >= Dsp::kTwoPi) {
            phase[i] -= Dsp::kTwoPi;
            if (phase[i] >= Dsp::kTwoPi) phase[i] = std::fmod(phase[i], Dsp::kTwoPi); // absurdly low rates only
            noiseState = noiseState * 1664525u + 1013904223u;
            held[i] = static_cast<double>(noiseState) * 4.656612874161595e-10 - 1.0;
        }
    }
}

} // namespace TarnwellPlugin
