#include "DryReturns.h"

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

double dryReturnSub(double d, double sub) { return std::tanh((d + 5.0 * d * d) * sub); }

float dryReturnSum(const DryReturnInputs& in) {
    const double kick = dryReturnLayer(in.kickReturn, in.kick, in.velocity);
    const double wave = dryReturnLayer(in.waveReturn, in.wave, in.velocity);
    const double osc = dryReturnLayer(in.oscReturn, 0.75 * static_cast<double>(in.osc), in.velocity);
    const double sub = dryReturnSub(in.subReturn, in.sub);
    const double sum = (kick + wave) + (osc + sub);
    return std::isfinite(sum) ? static_cast<float>(sum) : 0.0f;
}

} // namespace TarnwellPlugin
