#pragma once

// The wave layer: 24 tables derived from three embedded recordings.
// Not built yet: passes its input through unchanged so the render road keeps its final order.

#include "ParameterBlock.h"

namespace TarnwellPlugin {

struct WaveLayer {
    double sampleRate = 44100.0;

    void prepare(double sr) { sampleRate = sr; }
    void reset() {}
    void updateParameters(const ParameterBlock&) {}
    bool loadSamples() { return true; }
    void restart() {}
    float render() { return 0.0f; }
};

} // namespace TarnwellPlugin
