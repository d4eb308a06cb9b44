#include "RiftFold.h"

namespace TarnwellPlugin {

void RiftFold::prepare(double sr) {
    sampleRate = std::isfinite(sr) ? (sr > 1.0 ? sr : 1.0) : 44100.0;
    coefficient = Dsp::onePoleCoefficient(55.55555555555556, sampleRate);
    reset();
}

void RiftFold::reset() {
    // The settings too: the next parameter update, before the next sample, writes them again.
    smoothedEnable = smoothedAmount = smoothedMix = 0.0;
    enable = amount = mix = 0.0;
}

void RiftFold::updateParameters(const ParameterBlock& p) {
    enable = p.on(kRiftFoldEnable) ? 1.0 : 0.0;
    amount = p.value(kRiftFoldAmount);
    mix = p.value(kRiftFoldMix);
}

} // namespace TarnwellPlugin
