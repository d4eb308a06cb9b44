#pragma once

// The wave folder ("RIFT FOLD"): a sine fold followed by tanh, mixed with the dry signal.

#include "DspMath.h"
#include "FastMath.h"
#include "ParameterBlock.h"
#include "RoadMath.h"

#include <cmath>

namespace TarnwellPlugin {

struct RiftFold {
    double sampleRate = 44100.0;
    double coefficient = Dsp::onePoleCoefficient(55.55555555555556, 44100.0); // 18 ms
    double smoothedEnable = 0.0;
    double smoothedAmount = 0.0;
    double smoothedMix = 0.0;
    double enable = 0.0;
    double amount = 0.0;
    double mix = 0.0;
    // The fold's amount-dependent factors for the last smoothed amount (the glide settles).
    double foldAmount = -1.0;
    double foldSpread = 1.0, foldGain = 0.6366197723675814;
    CachedDivisor foldNormalizer; // sqrt(foldSpread)

    void prepare(double sr);
    void reset();
    void updateParameters(const ParameterBlock& p);

    // The fold of x at amount a, before the mix.
    static double fold(double x, double a) {
        const double spread = 1.0 + 13.0 * a;
        const double folded = Math::asinOfSin(x * (Dsp::kPi * 0.5) * spread);
        return Math::tanh(folded * (0.6366197723675814 + 1.5915494309189535 * a)) / std::sqrt(spread);
    }

    // True when the next samples pass unchanged and leave the state as it is: the fold is out and
    // none of its glides moves any more (one more step would give the same values, and so would
    // every step after it).
    bool passesThrough() const {
        return smoothedEnable + coefficient * (enable - smoothedEnable) == smoothedEnable &&
               smoothedAmount + coefficient * (amount - smoothedAmount) == smoothedAmount &&
               smoothedMix + coefficient * (mix - smoothedMix) == smoothedMix && smoothedMix * smoothedEnable < 1e-6;
    }

    float process(float x) {
        smoothedEnable += coefficient * (enable - smoothedEnable);
        smoothedAmount += coefficient * (amount - smoothedAmount);
        smoothedMix += coefficient * (mix - smoothedMix);
        const double w = smoothedMix * smoothedEnable;
        if (w < 1e-6) return x;
        if (!(smoothedAmount == foldAmount)) {
            foldAmount = smoothedAmount;
            foldSpread = 1.0 + 13.0 * foldAmount;
            foldGain = 0.6366197723675814 + 1.5915494309189535 * foldAmount;
            foldNormalizer.set(std::sqrt(foldSpread));
        }
        // fold(x, smoothedAmount), with its factors taken from the cache.
        const double folded = Math::asinOfSin(x * (Dsp::kPi * 0.5) * foldSpread);
        const double y = foldNormalizer.divide(Math::tanh(folded * foldGain));
        return static_cast<float>(x + w * (y - x));
    }
};

} // namespace TarnwellPlugin
