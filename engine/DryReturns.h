#pragma once

// The four Extended Mix dry returns, added to both channels after the effects. They bypass the
// kick filter, the envelope, the effects and "Output Gain"; only "Volume" scales them (the road
// multiplies this sum by 0.2 x the "Volume" ramp). Inline: they run on every sample of the road.

#include "FastMath.h"

#include <cmath>

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
inline double dryReturnBoost(double v) {
    const double b = 5.882352941176469 * v - 4.882352941176469;
    return !(b > 0.0) ? 0.0 : (b > 1.0 ? 1.0 : b);
}

// One of the kick, wave and osc returns: up to three times louder, then softly clipped.
inline double dryReturnLayer(double v, double signal, double velocity) {
    const double boost = dryReturnBoost(v);
    double r = v * signal * velocity;
    // Without boost the clip adds 0 * (clipped - r): a zero for every finite r (which leaves r as it
    // is, but for -0, which becomes +0) and NaN for an infinite or NaN r. 0 * (r - r) adds the
    // same, without the division.
    if (boost == 0.0) return r + 0.0 * (r - r);
    r = r * (1.0 + 2.0 * boost);
    r = r + boost * (r / (1.0 + 0.12 * std::fabs(r)) - r);
    return r;
}

// The sub return: tanh((d + 5 d^2) s).
inline double dryReturnSub(double d, double sub) { return Math::tanh((d + 5.0 * d * d) * sub); }

// (kick + wave) + (osc + sub), before the road's "Volume" factor.
inline float dryReturnSum(const DryReturnInputs& in) {
    // A return at 0 adds exactly 0; skipping it saves the soft clips on every sample.
    const double kick = in.kickReturn != 0.0 ? dryReturnLayer(in.kickReturn, in.kick, in.velocity) : 0.0;
    const double wave = in.waveReturn != 0.0 ? dryReturnLayer(in.waveReturn, in.wave, in.velocity) : 0.0;
    const double osc =
        in.oscReturn != 0.0 ? dryReturnLayer(in.oscReturn, 0.75 * static_cast<double>(in.osc), in.velocity) : 0.0;
    const double sub = in.subReturn != 0.0 ? dryReturnSub(in.subReturn, in.sub) : 0.0;
    const double sum = (kick + wave) + (osc + sub);
    return std::isfinite(sum) ? static_cast<float>(sum) : 0.0f;
}

} // namespace TarnwellPlugin
