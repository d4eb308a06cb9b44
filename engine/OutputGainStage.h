#pragma once

// The output gain stage ("Output Gain", -24..+60 dB): a plain gain up to 0 dB; above it a drive
// branch with a fast compressor, tanh saturation and extra hard saturation near the top; in every
// case a soft ceiling at 0.78 that never lets a sample out above 0.99.

#include "FastMath.h"
#include "ParameterBlock.h"
#include "RoadMath.h"

#include <cmath>

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

    // x: "Volume" ramp x 0.2 x filter output; setting: the normalized "Output Gain".
    float process(float x, double setting) {
        const double v = !(setting >= 0.0) ? 0.0 : (setting > 1.0 ? 1.0 : setting);
        smoothedSetting += settingCoefficient * (v - smoothedSetting);
        if (smoothedSetting != cachedSetting) updateSettingConstants(smoothedSetting);

        double y;
        if (!driveBranch) {
            y = plainGain * x;
        } else {
            const double u = drive * x;
            const double au = std::fabs(u);
            peakFollower = au + (peakFollower - au) * (au > peakFollower ? peakAttack : peakRelease);
            double G = 1.0;
            if (peakFollower > threshold)
                G = (ratioDivisor.divide(peakFollower - threshold) + threshold) / maxWithBound(peakFollower, 1e-9);
            gainFollower = G + (gainFollower - G) * (G >= gainFollower ? gainRecover : gainClamp);
            y = Math::tanh(u * saturation * gainFollower) * invTanhSaturation;
            if (hardness > 0.0) y = y + hardness * (Math::tanh(y * (2.0 + 10.0 * hardness)) - y);
            if (!std::isfinite(y) || !std::isfinite(peakFollower) || !std::isfinite(gainFollower)) {
                peakFollower = 0.0; // a non-finite input must not stick in the followers
                gainFollower = 1.0;
                return 0.0f;
            }
        }
        const float out = softCeiling(static_cast<float>(y));
        return std::isfinite(out) ? out : 0.0f;
    }
};

} // namespace TarnwellPlugin
