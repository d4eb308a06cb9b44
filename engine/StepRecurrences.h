#pragma once

// Shortcuts for the per-sample maths of the sources whose inputs mostly stand still between
// samples. With GRUNDMOOR_EXACT_MATH each computes its formula as written, every sample; the fast
// build reuses what the last sample computed:
// - DecayingExp: e^(-t / tau) along a time t that advances by a fixed step: while tau and the step
//   stay exactly the same and t is exactly the last t plus the step, the next value is the last one
//   times e^(-step / tau), and every kRun samples (and after any other change) it is anchored to the
//   formula again, so the rounding of the products cannot pile up (at most kRun of them, a relative
//   error below 1e-13).
// - Reciprocal: x / d as x times 1 / d, the reciprocal kept while d stays exactly the same (within
//   an ulp of the quotient).
// Both keep the same members in both builds.

#include "FastMath.h"

#include <cstdint>
#include <limits>

namespace TarnwellPlugin::Math {

#if defined(GRUNDMOOR_EXACT_MATH) && GRUNDMOOR_EXACT_MATH
inline namespace Exact {
#else
inline namespace Approximate {
#endif

struct DecayingExp {
    static constexpr int32_t kRun = 256;

    double tau = std::numeric_limits<double>::quiet_NaN();
    double step = std::numeric_limits<double>::quiet_NaN();
    double nextT = std::numeric_limits<double>::quiet_NaN();
    double value = 0.0;
    double factor = 0.0;
    int32_t remaining = 0;

    // e^(-t / tau(now)); `step` is what t grows by from one sample to the next.
    double operator()(double t, double tauNow, double stepNow) {
        if constexpr (kFast) {
            if (remaining > 0 && t == nextT && tauNow == tau && stepNow == step) {
                --remaining;
                nextT = t + stepNow;
                value *= factor;
                return value;
            }
            const double v = Math::exp(-t / tauNow);
            // Only a positive time constant gives a factor in (0, 1]; anything else takes the formula.
            if (tauNow > 0.0 && stepNow >= 0.0 && t >= 0.0) {
                tau = tauNow;
                step = stepNow;
                nextT = t + stepNow;
                factor = Math::exp(-stepNow / tauNow);
                value = v;
                remaining = kRun - 1;
            } else {
                remaining = 0;
            }
            return v;
        } else {
            (void)stepNow;
            return Math::exp(-t / tauNow);
        }
    }
};

struct Reciprocal {
    double of = std::numeric_limits<double>::quiet_NaN();
    double value = std::numeric_limits<double>::quiet_NaN();

    double divide(double x, double d) {
        if constexpr (kFast) {
            if (!(d == of)) {
                of = d;
                value = 1.0 / d;
            }
            return x * value;
        } else {
            return x / d;
        }
    }
};

} // namespace Exact / Approximate

} // namespace TarnwellPlugin::Math
