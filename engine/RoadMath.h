#pragma once

// Arithmetic helpers of the per-sample road.

#include "FastMath.h"

#include <cmath>
#include <cstdint>

namespace TarnwellPlugin {

// std::floor's value, sign of zero included, without a call into libm (the baseline instruction
// set has no rounding instruction, and a call in a per-sample loop spills every register).
inline double floorInline(double x) {
    if (!(std::fabs(x) < 0x1p52)) return std::floor(x); // integral already, or inf or NaN
    const double t = static_cast<double>(static_cast<int64_t>(x)); // toward zero, exact here
    if (t == x) return x;                                          // keeps -0
    return t > x ? t - 1.0 : t;
}

// std::fmin / std::fmax with a bound that is no NaN: a NaN x gives the bound, as theirs do.
inline float minWithBound(float x, float bound) { return x < bound ? x : bound; }
inline double maxWithBound(double x, double bound) { return x > bound ? x : bound; }

// A divisor that changes far less often than it divides: the exact-maths engine divides as the
// formula is written; the fast one multiplies by the reciprocal taken when the divisor was set
// (within an ulp of the quotient, and a multiplication costs a fraction of a division).
struct CachedDivisor {
    double value = 1.0;
    double reciprocal = 1.0;

    void set(double v) {
        value = v;
        reciprocal = 1.0 / v;
    }

    double divide(double x) const {
        if constexpr (Math::kFast)
            return x * reciprocal;
        else
            return x / value;
    }

    // x / v, the reciprocal taken again only when v is not the last divisor.
    double divideBy(double x, double v) {
        if (!(v == value)) set(v);
        return divide(x);
    }
};

} // namespace TarnwellPlugin
