#include "OutputRhythmGate.h"

#include <algorithm>

namespace TarnwellPlugin {

void OutputRhythmGate::prepare(double sr) {
    sampleRate = std::isfinite(sr) ? (sr > 1.0 ? sr : 1.0) : 44100.0;
    updateCoefficient();
    reset();
}

void OutputRhythmGate::reset() {
    phase = 0.0;
    gain = 1.0;
}

void OutputRhythmGate::updateParameters(const ParameterBlock& p) {
    enabled = p.on(kOutputRhythmGate);
    rate = std::clamp(static_cast<int32_t>(3.0 * p.value(kOutputGateRate) + 0.5), 0, 3);
    depth = p.value(kOutputGateDepth);
    const double newSmooth = p.value(kOutputGateSmooth);
    if (newSmooth != smooth) {
        smooth = newSmooth;
        updateCoefficient();
    }
}

void OutputRhythmGate::updateCoefficient() {
    closeness = std::exp(-1000.0 / ((0.35 + 34.65 * smooth * smooth) * sampleRate));
}

} // namespace TarnwellPlugin
