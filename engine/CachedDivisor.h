#pragma once

// A divisor that changes far less often than it divides: the exact-maths engine divides as the
// formula is written; the fast one multiplies by the reciprocal taken when the divisor was set
// (within an ulp of the quotient, and a multiplication costs a fraction of a division).

#include "FastMath.h"

namespace TarnwellPlugin {

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
