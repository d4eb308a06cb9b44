#pragma once

// The output gain stage ("Output Gain").
// Not built yet: passes its input through unchanged so the render road keeps its final order.

#include "ParameterBlock.h"

namespace TarnwellPlugin {

struct OutputGainStage {
    double sampleRate = 44100.0;

    void prepare(double sr) { sampleRate = sr; }
    void reset() {}
    void updateParameters(const ParameterBlock&) {}
    float process(float x, double) { return x; }
};

} // namespace TarnwellPlugin
