#pragma once

// Shortcuts for the per-sample maths of the sources whose inputs mostly stand still between
// samples. With GRUNDMOOR_EXACT_MATH each computes its formula as written, every sample; the fast
// build reuses what the last sample computed:
// - DecayingExp: e^(-t / tau) along a time t that advances by a fixed step: while tau and the step
//   stay exactly the same and t is exactly the last t plus the step, the next value is the last one
//   times e^(-step / tau), and every kRun samples (and after any other change) it is anchored to the
//   formula again, so the rounding of the products cannot pile up (at most kRun of them, a relative
//   error below 1e-13).
// - GaussianExp and AdvancingSine: the same for e^(-c (t / w)^2) and for sin x.
// - RotatingSine: sin x of a phase angle that grows by small steps.
// - Reciprocal: x / d as x times 1 / d, the reciprocal kept while d stays exactly the same (within
//   an ulp of the quotient).
// Both keep the same members in both builds.

#include "FastMath.h"

#include <cmath>
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

// e^(-c (t / width)^2) along a time t that advances by a fixed step: the ratio of two neighbouring
// values, e^(-c (2 t step + step^2) / width^2), itself changes by the factor e^(-2 c step^2 / width^2)
// from one sample to the next. Anchored like DecayingExp (the products' error grows with the square of
// the run, still below 1e-11).
struct GaussianExp {
    static constexpr int32_t kRun = 256;

    double width = std::numeric_limits<double>::quiet_NaN();
    double step = std::numeric_limits<double>::quiet_NaN();
    double c = std::numeric_limits<double>::quiet_NaN();
    double nextT = std::numeric_limits<double>::quiet_NaN();
    double value = 0.0;
    double ratio = 0.0;
    double ratioFactor = 0.0;
    int32_t remaining = 0;

    double operator()(double t, double widthNow, double stepNow, double cNow) {
        if constexpr (kFast) {
            if (remaining > 0 && t == nextT && widthNow == width && stepNow == step && cNow == c) {
                --remaining;
                nextT = t + stepNow;
                value *= ratio;
                ratio *= ratioFactor;
                return value;
            }
            const double r = t / widthNow;
            const double v = Math::exp(-cNow * (r * r));
            if (widthNow > 0.0 && stepNow >= 0.0 && t >= 0.0 && cNow >= 0.0) {
                width = widthNow;
                step = stepNow;
                c = cNow;
                nextT = t + stepNow;
                const double q = cNow / (widthNow * widthNow);
                ratio = Math::exp(-q * (stepNow * (2.0 * t + stepNow)));
                ratioFactor = Math::exp(-2.0 * q * (stepNow * stepNow));
                value = v;
                remaining = kRun - 1;
            } else {
                remaining = 0;
            }
            return v;
        } else {
            (void)stepNow;
            const double r = t / widthNow;
            return Math::exp(-cNow * (r * r));
        }
    }
};

// sin x along an x that advances by a fixed step: the sine and cosine turned by the step's each
// sample, anchored like DecayingExp (also after every wrap of x, which breaks the run).
struct AdvancingSine {
    static constexpr int32_t kRun = 256;

    double step = std::numeric_limits<double>::quiet_NaN();
    double nextX = std::numeric_limits<double>::quiet_NaN();
    double sine = 0.0, cosine = 1.0, stepSine = 0.0, stepCosine = 1.0;
    int32_t remaining = 0;

    // sin x; `stepNow` is what x grows by before the next call.
    double operator()(double x, double stepNow) {
        if constexpr (kFast) {
            if (remaining > 0 && x == nextX && stepNow == step) {
                --remaining;
                nextX = x + stepNow;
                const double s = sine * stepCosine + cosine * stepSine;
                cosine = cosine * stepCosine - sine * stepSine;
                sine = s;
                return s;
            }
            const double s = Math::sin(x);
            if (std::fabs(x) <= 1.0e5 && std::fabs(stepNow) <= 1.0e5) {
                step = stepNow;
                nextX = x + stepNow;
                sine = s;
                cosine = Math::cos(x);
                stepSine = Math::sin(stepNow);
                stepCosine = Math::cos(stepNow);
                remaining = kRun - 1;
            } else {
                remaining = 0;
            }
            return s;
        } else {
            (void)stepNow;
            return Math::sin(x);
        }
    }
};

// sin x and sin 2x of an oscillator's phase angle x, which grows by a small, changing step each
// sample (and wraps by 2 pi): the sine and cosine are turned by the step x - x(last), its sine and
// cosine by their series (|step| <= 0.0625: truncation below 1e-17), anchored to the functions every
// kRun samples and whenever the step is larger. sin 2x is 2 sin x cos x, as in Math::sinAndSin2.
struct RotatingSine {
    static constexpr int32_t kRun = 256;
    static constexpr double kLargestStep = 0.0625;

    double lastX = std::numeric_limits<double>::quiet_NaN();
    double sine = 0.0, cosine = 1.0;
    int32_t remaining = 0;

    Fast::SinPair sinAndSin2(double x) {
        if constexpr (kFast) {
            const double s = advance(x);
            return {s, x == 0.0 ? x : 2.0 * s * cosine};
        } else {
            return Math::sinAndSin2(x);
        }
    }
    double sin(double x) {
        if constexpr (kFast) {
            return advance(x);
        } else {
            return Math::sin(x);
        }
    }

private:
    double advance(double x) {
        double d = x - lastX;
        if (d < 0.0) d += 6.283185307179586; // the phase wrapped (its 2 pi)
        if (remaining > 0 && std::fabs(d) <= kLargestStep) {
            --remaining;
            lastX = x;
            const double z = d * d;
            const double sd = d + d * z * (-1.0 / 6.0 + z * (1.0 / 120.0 + z * (-1.0 / 5040.0)));
            const double cd = 1.0 + z * (-0.5 + z * (1.0 / 24.0 + z * (-1.0 / 720.0 + z * (1.0 / 40320.0))));
            const double s = sine * cd + cosine * sd;
            cosine = cosine * cd - sine * sd;
            sine = s;
            return x == 0.0 ? x : s;
        }
        const Fast::SinPair direct = {Math::sin(x), 0.0};
        if (std::fabs(x) <= 1.0e5) {
            lastX = x;
            sine = direct.sin;
            cosine = Math::cos(x);
            remaining = kRun - 1;
        } else {
            remaining = 0;
        }
        return direct.sin;
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
