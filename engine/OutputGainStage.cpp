#include "OutputGainStage.h"

#include "DspMath.h"

namespace TarnwellPlugin {

void OutputGainStage::prepare(double sr) {
    sampleRate = std::isfinite(sr) ? (sr > 1.0 ? sr : 1.0) : 44100.0;
    settingCoefficient = Dsp::onePoleCoefficient(83.33333333333333, sampleRate); // 12 ms
    peakAttack = std::exp(-1.0 / (0.00035 * sampleRate));
    peakRelease = std::exp(-1.0 / (0.055 * sampleRate));
    gainRecover = std::exp(-1.0 / (0.07 * sampleRate));
    gainClamp = std::exp(-1.0 / (0.00045 * sampleRate));
    reset();
}

void OutputGainStage::reset() {
    peakFollower = 0.0;
    gainFollower = 1.0;
    smoothedSetting = kZeroDbSetting;
    updateSettingConstants(smoothedSetting);
}

void OutputGainStage::updateSettingConstants(double s) {
    cachedSetting = s;
    if (std::fabs(s - kZeroDbSetting) <= kZeroDbTolerance) {
        driveBranch = false;
        plainGain = 1.0;
        return;
    }
    if (s < kZeroDbSetting) {
        driveBranch = false;
        plainGain = std::pow(10.0, 4.2 * s - 1.2); // 84 s - 24 dB
        return;
    }
    driveBranch = true;
    const double b = Dsp::clamp(1.4 * s - 0.4, 0.0, 1.0);
    drive = std::pow(10.0, 1.5 * b); // up to +30 dB into the saturation
    threshold = 0.82 - 0.61 * std::pow(b, 0.72);
    ratioDivisor.set(1.0 + 31.0 * std::pow(b, 1.25));
    saturation = 1.0 + 5.5 * b * b;
    invTanhSaturation = 1.0 / std::tanh(saturation);
    hardness = Dsp::clamp(5.555555555555555 * b - 4.555555555555555, 0.0, 1.0); // from b = 0.82 up
}

} // namespace TarnwellPlugin

