#pragma once

// The kick filter and compressor on the layered kick.
// Not built yet: passes its input through unchanged so the render road keeps its final order.

#include "ParameterBlock.h"

namespace TarnwellPlugin {

struct KickFilter {
    double sampleRate = 44100.0;

    void prepare(double sr) { sampleRate = sr; }
    void reset() {}
    void updateParameters(const ParameterBlock&) {}
    double process(float x) { return x; }
    float reductionDb() const { return 0.0f; }
};

} // namespace TarnwellPlugin
