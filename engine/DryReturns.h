#pragma once

// The four Extended Mix dry returns, added after the effects.
// Not built yet: returns nothing so the render road keeps its final order.

namespace TarnwellPlugin {

struct DryReturnInputs {
    float kick;          // kick generator output
    float wave;          // wave layer output
    float osc;           // osc layer output
    float sub;           // sub signal after its velocity and declicker
    double velocity;     // trigger velocity
    double kickReturn;   // ramp values of the four dry returns
    double waveReturn;
    double oscReturn;
    double subReturn;
};

inline float dryReturnSum(const DryReturnInputs&) { return 0.0f; }

} // namespace TarnwellPlugin
