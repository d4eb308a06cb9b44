#include "DryReturns.h"
#include "FastMath.h"

#include <cmath>

namespace TarnwellPlugin {

double dryReturnBoost(double v) {
    const double b = 5.882352941176469 * v - 4.882352941176469;
    return !(b > 0.0) ? 0.0 : (b > 1.0 ? 1.0 : b);
}

double dryReturnLayer(double v, double signal, double velocity) {
    const double boost = dryReturnBoost(v);
    double r = v * signal * velocity;
    r = r * (1.0 + 2.0 * boost);
    r = r + boost * (r / (1.0 + 0.12 * std::fabs(r)) - r);
    return r;
}

double dryReturnSub(double d, double sub) { return Math::tanh((d + 5.0 * d * d) * sub); }

float dryReturnSum(const DryReturnInputs& in) {
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
