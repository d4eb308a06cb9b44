#pragma once

// The four Extended Mix dry returns, added to both channels after the effects. They bypass the
// kick filter, the envelope, the effects and "Output Gain"; only "Volume" scales them (the road
// multiplies this sum by 0.2 x the "Volume" ramp).

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

// 0 up to a return of 0.83, rising to 1 at 1.0.
double dryReturnBoost(double v);
// One of the kick, wave and osc returns: up to three times louder, then softly clipped.
double dryReturnLayer(double v, double signal, double velocity);
// The sub return: tanh((d + 5 d^2) s).
double dryReturnSub(double d, double sub);
// (kick + wave) + (osc + sub), before the road's "Volume" factor.
float dryReturnSum(const DryReturnInputs& in);

} // namespace TarnwellPlugin
