#pragma once

// The stereo enhancer.
// Not built yet: passes its input through unchanged so the render road keeps its final order.

#include "ParameterBlock.h"

namespace TarnwellPlugin {

struct StereoEnhancer {
    double sampleRate = 44100.0;

    void prepare(double sr) { sampleRate = sr; }
    void reset() {}
    void updateParameters(const ParameterBlock&) {}
    void process(float x, float, float& left, float& right) { left = x; right = x; }
};

} // namespace TarnwellPlugin
