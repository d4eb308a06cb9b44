#pragma once

// The sub voice with its own envelope and compressor.
// Not built yet: passes its input through unchanged so the render road keeps its final order.

#include "ParameterBlock.h"

namespace TarnwellPlugin {

struct SubGenerator {
    double sampleRate = 44100.0;

    void prepare(double sr) { sampleRate = sr; }
    void reset() {}
    void updateParameters(const ParameterBlock&) {}
    void start() {}
    void release() {}
    float render() { return 0.0f; }
};

} // namespace TarnwellPlugin
