#pragma once

// The wave folder ("RIFT FOLD"): a sine fold followed by tanh, mixed with the dry signal.

#include "DspMath.h"
#include "FastMath.h"
#include "ParameterBlock.h"
#include "RoadMath.h"

#include <cmath>
#include <cstdint>

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

    // The next `count` samples (in and out may be the same buffer).
    void process(const float* in, float* out, int32_t count) {
        Dsp::forEachRun(count, [&](int32_t done, int32_t n) { processRun(in + done, out + done, n); });
    }

    float process(float x) {
        float out = 0.0f;
        process(&x, &out, 1);
        return out;
    }

private:
    void processRun(const float* in, float* out, int32_t count) {
        // The glides and the amount's factors sample by sample; the fold and its saturation, which
        // no glide waits for, over the run.
        const double c = coefficient;
        const double en = enable, am = amount, mx = mix;
        double sEnable = smoothedEnable, sAmount = smoothedAmount, sMix = smoothedMix;
        double fAmount = foldAmount, fSpread = foldSpread, fGain = foldGain;
        CachedDivisor normalizer = foldNormalizer;

        double folded[Dsp::kMaxRun];
        double gain[Dsp::kMaxRun];
        double wet[Dsp::kMaxRun];
        CachedDivisor normalizers[Dsp::kMaxRun];
        int32_t wetCount = 0;
        for (int32_t i = 0; i < count; ++i) {
            sEnable += c * (en - sEnable);
            sAmount += c * (am - sAmount);
            sMix += c * (mx - sMix);
            const double w = sMix * sEnable;
            wet[i] = w;
            if (w < 1e-6) {
                out[i] = in[i];
                folded[i] = 0.0;
                gain[i] = 0.0;
                continue;
            }
            if (!(sAmount == fAmount)) {
                fAmount = sAmount;
                fSpread = 1.0 + 13.0 * fAmount;
                fGain = 0.6366197723675814 + 1.5915494309189535 * fAmount;
                normalizer.set(std::sqrt(fSpread));
            }
            // fold(x, smoothedAmount), with its factors taken from the cache.
            folded[i] = static_cast<double>(in[i]) * (Dsp::kPi * 0.5) * fSpread;
            gain[i] = fGain;
            normalizers[i] = normalizer;
            ++wetCount;
        }
        smoothedEnable = sEnable;
        smoothedAmount = sAmount;
        smoothedMix = sMix;
        foldAmount = fAmount;
        foldSpread = fSpread;
        foldGain = fGain;
        foldNormalizer = normalizer;

        if (wetCount == 0) return;
        Math::asinOfSinInPlace(folded, count);
        for (int32_t i = 0; i < count; ++i) folded[i] *= gain[i];
        Math::tanhInPlace(folded, count);
        for (int32_t i = 0; i < count; ++i) {
            const double w = wet[i];
            if (w < 1e-6) continue; // passed through above
            const double x = in[i];
            const double y = normalizers[i].divide(folded[i]);
            out[i] = static_cast<float>(x + w * (y - x));
        }
    }
};

} // namespace TarnwellPlugin
