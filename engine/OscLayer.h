#pragma once

// The osc layer: one of five waveforms at the "Frequency" pitch under the kick.
// Not built yet: passes its input through unchanged so the render road keeps its final order.

#include "ParameterBlock.h"

namespace TarnwellPlugin {

struct OscLayer {
    double sampleRate = 44100.0;

    void prepare(double sr) { sampleRate = sr; }
    void reset() {}
    void updateParameters(const ParameterBlock&) {}
    void restart() {}
    void setFrequencyFromNormalized(double) {}
    float render() { return 0.0f; }
};

} // namespace TarnwellPlugin
