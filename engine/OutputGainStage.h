#pragma once

// The output gain stage ("Output Gain", -24..+60 dB): a plain gain up to 0 dB; above it a drive
// branch with a fast compressor, tanh saturation and extra hard saturation near the top; in every
// case a soft ceiling at 0.78 that never lets a sample out above 0.99.

#include "DspMath.h"
#include "FastMath.h"
#include "ParameterBlock.h"
#include "RoadMath.h"

#include <cmath>
#include <cstdint>

namespace TarnwellPlugin {

struct OutputGainStage {
    static constexpr double kZeroDbSetting = 2.0 / 7.0;
    // Settings this close to 2/7 are the 0 dB point: the stored default (2/7 rounded to a 32-bit
    // float, 0.28571430) must not land on the drive side, whose small-signal gain is about +2.4 dB.
    static constexpr double kZeroDbTolerance = 1e-6;

    double sampleRate = 44100.0;
    double peakFollower = 0.0;
    double gainFollower = 1.0;
    double smoothedSetting = kZeroDbSetting;

    // Per-rate constants (prepare) and per-setting constants (recomputed when the setting moves).
    double settingCoefficient = 0.0;
    double peakAttack = 0.0, peakRelease = 0.0, gainRecover = 0.0, gainClamp = 0.0;
    double cachedSetting = -1.0;
    double plainGain = 1.0;
    double drive = 1.0, threshold = 0.82, saturation = 1.0, invTanhSaturation = 1.0,
           hardness = 0.0;
    CachedDivisor ratioDivisor;
    bool driveBranch = false;

    OutputGainStage() { prepare(44100.0); }

    void prepare(double sr);
    void reset();
    void updateSettingConstants(double s);

    static float softCeiling(float y) {
        const float m = std::fabs(y);
        if (!(m > 0.78f)) return y;
        const float bent = minWithBound(0.78f + 0.21000004f * Math::tanh(4.761904f * m - 3.714285f), 0.99f);
        return y < 0.0f ? -bent : bent;
    }

    // x: "Volume" ramp x 0.2 x filter output; setting: the normalized "Output Gain", the same for
    // the `count` samples (in and out may be the same buffer).
    void process(const float* in, float* out, int32_t count, double setting) {
        Dsp::forEachRun(count, [&](int32_t done, int32_t n) { processRun(in + done, out + done, n, setting); });
    }

    float process(float x, double setting) {
        float out = 0.0f;
        process(&x, &out, 1, setting);
        return out;
    }

private:
    void processRun(const float* in, float* out, int32_t count, double setting) {
        // The setting's glide and the followers sample by sample; the drive branch's saturations,
        // which no follower waits for, over the run. y is not finite exactly when the saturation's
        // argument is NaN (tanh of an infinity is +-1, and the factors after it are finite), so
        // the followers reset at the same sample as when each sample waited for its tanh.
        const double v = !(setting >= 0.0) ? 0.0 : (setting > 1.0 ? 1.0 : setting);
        const double sc = settingCoefficient;
        const double attack = peakAttack, release = peakRelease, recover = gainRecover, clampRate = gainClamp;
        double smoothed = smoothedSetting, peak = peakFollower, gainF = gainFollower;

        double y[Dsp::kMaxRun];      // drive samples: the saturation's argument, then y
        double scale[Dsp::kMaxRun];  // drive samples: 1 / tanh(saturation); 0 marks a sample finished here
        double hardnessOf[Dsp::kMaxRun];
        int32_t driven = 0;
        bool hard = false;
        for (int32_t i = 0; i < count; ++i) {
            smoothed += sc * (v - smoothed);
            if (smoothed != cachedSetting) updateSettingConstants(smoothed);
            const float x = in[i];
            y[i] = 0.0;
            scale[i] = 0.0;
            hardnessOf[i] = 0.0;
            if (!driveBranch) {
                out[i] = finish(plainGain * x);
                continue;
            }
            const double u = drive * x;
            const double au = std::fabs(u);
            peak = au + (peak - au) * (au > peak ? attack : release);
            double G = 1.0;
            if (peak > threshold)
                G = (ratioDivisor.divide(peak - threshold) + threshold) / maxWithBound(peak, 1e-9);
            gainF = G + (gainF - G) * (G >= gainF ? recover : clampRate);
            const double argument = u * saturation * gainF;
            if (std::isnan(argument) || !std::isfinite(peak) || !std::isfinite(gainF)) {
                peak = 0.0; // a non-finite input must not stick in the followers
                gainF = 1.0;
                out[i] = 0.0f;
                continue;
            }
            y[i] = argument;
            scale[i] = invTanhSaturation;
            hardnessOf[i] = hardness;
            hard = hard || hardness > 0.0;
            ++driven;
        }
        smoothedSetting = smoothed;
        peakFollower = peak;
        gainFollower = gainF;
        if (driven == 0) return;

        Math::tanhInPlace(y, count);
        for (int32_t i = 0; i < count; ++i) y[i] = y[i] * scale[i];
        if (hard) {
            double bent[Dsp::kMaxRun];
            for (int32_t i = 0; i < count; ++i) bent[i] = y[i] * (2.0 + 10.0 * hardnessOf[i]);
            Math::tanhInPlace(bent, count);
            for (int32_t i = 0; i < count; ++i) {
                const double h = hardnessOf[i];
                if (h > 0.0) y[i] = y[i] + h * (bent[i] - y[i]);
            }
        }
        for (int32_t i = 0; i < count; ++i)
            if (scale[i] != 0.0) out[i] = finish(y[i]);
    }

    static float finish(double y) {
        const float out = softCeiling(static_cast<float>(y));
        return std::isfinite(out) ? out : 0.0f;
    }
};

} // namespace TarnwellPlugin
