#include "StereoEnhancer.h"

#include <algorithm>
#include <type_traits>

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

void StereoEnhancer::process(const float* m, const float* b, float* left, float* right, int32_t count) {
    const double c = coefficient, en = enable, wi = width, sp = space;
    double sEnable = smoothedEnable, sWidth = smoothedWidth, sSpace = smoothedSpace;
    if (buffer.empty()) {
        for (int32_t i = 0; i < count; ++i) {
            sEnable += c * (en - sEnable);
            sWidth += c * (wi - sWidth);
            sSpace += c * (sp - sSpace);
            left[i] = right[i] = m[i];
        }
        smoothedEnable = sEnable;
        smoothedWidth = sWidth;
        smoothedSpace = sSpace;
        return;
    }
    float* const data = buffer.data();
    const uint64_t n = buffer.size();
    const uint64_t ta = tapA, tb = tapB;
    const double pole = highPassPole;
    uint64_t w = writeIndex;
    double hpState = highPassState, hpPrevious = highPassPrevious;
    auto run = [&](auto settled) {
        for (int32_t i = 0; i < count; ++i) {
            if constexpr (!decltype(settled)::value) {
                sEnable += c * (en - sEnable);
                sWidth += c * (wi - sWidth);
                sSpace += c * (sp - sSpace);
            }
            const float bus = b[i];
            const float mono = m[i];
            data[w] = bus;
            const float a = data[w >= ta ? w - ta : w + n - ta];
            const float d = data[w >= tb ? w - tb : w + n - tb];
            if (++w >= n) w = 0;

            const double e = (static_cast<double>(bus) - a) + sSpace * (static_cast<double>(a) - d);
            hpState = (e + hpState - hpPrevious) * pole;
            hpPrevious = e;
            if (!std::isfinite(hpState)) {
                // As clearLine(), within the run.
                std::fill(data, data + n, 0.0f);
                w = 0;
                hpState = hpPrevious = 0.0;
                left[i] = right[i] = mono;
                continue;
            }
            const double side = 0.48 * sEnable * sWidth * hpState;
            left[i] = static_cast<float>(mono + side);
            right[i] = static_cast<float>(mono - side);
        }
    };
    // Smoothers that a step leaves as they are stay so over the run (nothing else sets them).
    if (Dsp::glideRests(sEnable, en, c) && Dsp::glideRests(sWidth, wi, c) && Dsp::glideRests(sSpace, sp, c))
        run(std::true_type{});
    else
        run(std::false_type{});
    writeIndex = w;
    highPassState = hpState;
    highPassPrevious = hpPrevious;
    smoothedEnable = sEnable;
    smoothedWidth = sWidth;
    smoothedSpace = sSpace;
}

} // namespace TarnwellPlugin
