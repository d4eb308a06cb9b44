#pragma once

// The stereo enhancer: a side signal from the dry kick-and-sub bus (two short taps of a 20 ms
// delay, high-passed at 115 Hz), added to the left and subtracted from the right of the mono chain.

#include "DspMath.h"
#include "ParameterBlock.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace TarnwellPlugin {

struct StereoEnhancer {
    std::vector<float> buffer; // floor(0.02 sr) + 4 samples
    uint64_t writeIndex = 0;
    double highPassState = 0.0;
    double highPassPrevious = 0.0;
    double sampleRate = 44100.0;
    double coefficient = Dsp::onePoleCoefficient(50.0, 44100.0); // 20 ms
    double smoothedEnable = 0.0;
    double smoothedWidth = 0.0;
    double smoothedSpace = 0.0;
    double enable = 0.0;
    double width = 0.0;
    double space = 0.0;
    // Per rate (prepare): the high-pass pole and the two tap distances.
    double highPassPole = std::exp(-722.5663103256525 / 44100.0);
    uint64_t tapA = 0;
    uint64_t tapB = 0;

    void prepare(double sr);
    void reset();
    void clearLine();
    void updateParameters(const ParameterBlock& p);

    // The run form of process: the same steps, the state in locals over the run.
    void process(const float* m, const float* b, float* left, float* right, int32_t count);

    // m: the mono chain sample; b: the dry bus sample feeding the delay.
    void process(float m, float b, float& left, float& right) {
        smoothedEnable += coefficient * (enable - smoothedEnable);
        smoothedWidth += coefficient * (width - smoothedWidth);
        smoothedSpace += coefficient * (space - smoothedSpace);
        if (buffer.empty()) {
            left = right = m;
            return;
        }
        const uint64_t n = buffer.size();
        buffer[writeIndex] = b;
        // Both taps are below n, so one wrap is enough.
        const float a = buffer[writeIndex >= tapA ? writeIndex - tapA : writeIndex + n - tapA];
        const float c = buffer[writeIndex >= tapB ? writeIndex - tapB : writeIndex + n - tapB];
        if (++writeIndex >= n) writeIndex = 0;

        const double e = (static_cast<double>(b) - a) + smoothedSpace * (static_cast<double>(a) - c);
        highPassState = (e + highPassState - highPassPrevious) * highPassPole;
        highPassPrevious = e;
        if (!std::isfinite(highPassState)) {
            clearLine(); // a non-finite bus sample must not stay in the high-pass or the buffer
            left = right = m;
            return;
        }
        const double side = 0.48 * smoothedEnable * smoothedWidth * highPassState;
        left = static_cast<float>(m + side);
        right = static_cast<float>(m - side);
    }
};

} // namespace TarnwellPlugin
