#pragma once

// The ambience reverb.
// Not built yet: passes its input through unchanged so the render road keeps its final order.

#include "ParameterBlock.h"

namespace TarnwellPlugin {

struct AmbienceReverb {
    double sampleRate = 44100.0;

    void prepare(double sr) { sampleRate = sr; }
    void reset() {}
    void updateParameters(const ParameterBlock&) {}
    void clear() {}
    float process(float x) { return x; }
};

} // namespace TarnwellPlugin
