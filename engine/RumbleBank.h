#pragma once

// The four-line rumble fed by the kick bus, ducked by the kick amplitude.
// Not built yet: passes its input through unchanged so the render road keeps its final order.

#include "ParameterBlock.h"

namespace TarnwellPlugin {

struct RumbleBank {
    double sampleRate = 44100.0;

    void prepare(double sr) { sampleRate = sr; }
    void reset() {}
    void updateParameters(const ParameterBlock&) {}
    void clear() {}
    float process(float, double) { return 0.0f; }
};

} // namespace TarnwellPlugin
