#pragma once

// The long reverb; its wet tail is scaled by the tail gate's gain.
// Not built yet: passes its input through unchanged so the render road keeps its final order.

#include "ParameterBlock.h"

namespace TarnwellPlugin {

struct LongReverb {
    double sampleRate = 44100.0;

    void prepare(double sr) { sampleRate = sr; }
    void reset() {}
    void updateParameters(const ParameterBlock&) {}
    void clear() {}
    float process(float x, double) { return x; }
};

} // namespace TarnwellPlugin
