#include "StereoEnhancer.h"

#include <algorithm>

namespace TarnwellPlugin {

void StereoEnhancer::prepare(double sr) {
    sampleRate = std::isfinite(sr) ? (sr > 1.0 ? sr : 1.0) : 44100.0;
    buffer.assign(static_cast<size_t>(0.02 * sampleRate) + 4, 0.0f);
    coefficient = Dsp::onePoleCoefficient(50.0, sampleRate);
    highPassPole = std::exp(-722.5663103256525 / sampleRate); // 115 Hz
    const uint64_t longest = buffer.size() - 1;
    tapA = std::min<uint64_t>(longest, static_cast<uint64_t>(0.0025 * sampleRate)); // 2.5 ms
    tapB = std::min<uint64_t>(longest, static_cast<uint64_t>(0.014 * sampleRate));  // 14 ms
    reset();
}

void StereoEnhancer::clearLine() {
    std::fill(buffer.begin(), buffer.end(), 0.0f);
    writeIndex = 0;
    highPassState = highPassPrevious = 0.0;
}

void StereoEnhancer::reset() {
    // The settings too: the next parameter update, before the next sample, writes them again.
    clearLine();
    smoothedEnable = smoothedWidth = smoothedSpace = 0.0;
    enable = width = space = 0.0;
}

void StereoEnhancer::updateParameters(const ParameterBlock& p) {
    enable = p.on(kStereoEnhancerEnable) ? 1.0 : 0.0;
    width = p.value(kStereoEnhancerWidth);
    space = p.value(kStereoEnhancerSpace);
}

} // namespace TarnwellPlugin
