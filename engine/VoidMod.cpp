#include "VoidMod.h"

namespace TarnwellPlugin {

void VoidMod::prepare(double sr) {
    sampleRate = std::isfinite(sr) ? (sr > 1.0 ? sr : 1.0) : 44100.0;
    coefficient = Dsp::onePoleCoefficient(55.55555555555556, sampleRate);
    incrementRate = -1.0; // the step belongs to the old rate
    reset();
}

void VoidMod::reset() {
    // The settings too: the next parameter update, before the next sample, writes them again.
    phase = 0.0;
    smoothedEnable = smoothedRate = smoothedDepth = 0.0;
    enable = rate = depth = 0.0;
}

void VoidMod::updateParameters(const ParameterBlock& p) {
    enable = p.on(kVoidModEnable) ? 1.0 : 0.0;
    rate = p.value(kVoidModRate);
    depth = p.value(kVoidModDepth);
}

} // namespace TarnwellPlugin
