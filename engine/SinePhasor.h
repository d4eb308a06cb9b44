#pragma once

// The sine of a phase that moves by a constant step per sample (an oscillator between changes of
// its frequency). The fast build rotates (sin, cos) by the step instead of evaluating the sine each
// sample: four products and two sums. It starts afresh from the phase itself whenever the phase is
// not where the last rotation left it (a retrigger, a changed offset or step, a caller that set the
// phase) and every kAnchorInterval samples, so the rounding of the rotations (about 1e-16 a step)
// never adds up to more than a few 1e-14. The exact build evaluates the sine of the phase as before.

#include "FastMath.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace TarnwellPlugin {

struct SinePhasor {
    static constexpr int32_t kAnchorInterval = 256;

    double at = std::numeric_limits<double>::quiet_NaN(); // the phase sinValue and cosValue are of
    double sinValue = 0.0, cosValue = 1.0;
    double step = std::numeric_limits<double>::quiet_NaN(); // the rotation's angle
    double sinStep = 0.0, cosStep = 1.0;
    int32_t rotationsLeft = 0;

    // The phase moved from `from` to `to` by `stepAngle` (and possibly a whole turn back).
    void moved(double from, double to, double stepAngle) {
        if constexpr (Math::kFast) {
            if (!(from == at) || rotationsLeft <= 0) {
                at = std::numeric_limits<double>::quiet_NaN();
                return;
            }
            if (!(stepAngle == step)) {
                step = stepAngle;
                sinStep = Math::sin(stepAngle);
                cosStep = Math::cos(stepAngle);
            }
            const double s = sinValue * cosStep + cosValue * sinStep;
            const double c = cosValue * cosStep - sinValue * sinStep;
            sinValue = s;
            cosValue = c;
            at = to;
            --rotationsLeft;
        } else {
            (void)from;
            (void)to;
            (void)stepAngle;
        }
    }

    // sin x.
    double sin(double x) {
        if constexpr (Math::kFast) {
            if (!(x == at)) anchor(x);
            return sinValue;
        } else {
            return Math::sin(x);
        }
    }

    // sin x and sin 2x.
    Fast::SinPair sinAndSin2(double x) {
        if constexpr (Math::kFast) {
            if (!(x == at)) anchor(x);
            return {sinValue, 2.0 * sinValue * cosValue};
        } else {
            return Math::sinAndSin2(x);
        }
    }

private:
    void anchor(double x) {
        sinValue = Math::sin(x);
        cosValue = Math::cos(x);
        // A non-finite phase is evaluated each time (and its NaN never matches).
        at = x;
        rotationsLeft = kAnchorInterval;
    }
};

} // namespace TarnwellPlugin
