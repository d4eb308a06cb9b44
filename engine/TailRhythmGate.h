#pragma once

// The tail rhythm gate: a gain for the long reverb's tail in step with the sequencer.
// Not built yet: passes its input through unchanged so the render road keeps its final order.

#include "ParameterBlock.h"

namespace TarnwellPlugin {

struct TailRhythmGate {
    double sampleRate = 44100.0;

    void prepare(double sr) { sampleRate = sr; }
    void reset() {}
    void updateParameters(const ParameterBlock&) {}
    double next(double) { return 1.0; }
};

} // namespace TarnwellPlugin
