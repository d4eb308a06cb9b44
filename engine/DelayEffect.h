#pragma once

// The delay: a mono feedback delay with a gliding, linearly interpolated read and its own mix of
// dry and delayed signal.

#include "DspMath.h"
#include "ParameterBlock.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace TarnwellPlugin {

struct DelayEffect {
    static constexpr double kMaxFeedback = 0.95;

    std::vector<float> line; // floor(2 sr) + 1 samples
    uint64_t writeIndex = 0;
    double smoothedTime = 1.0; // samples, fractional
    double timeTarget = 1.0;   // samples, in [1, size - 1]
    double sampleRate = 44100.0;
    double feedback = 0.0;
    double smoothedMix = 0.0;
    double mix = 0.0;
    double mixCoefficient = Dsp::onePoleCoefficient(83.33333333333333, 44100.0);   // 12 ms
    double timeCoefficient = Dsp::onePoleCoefficient(33.333333333333336, 44100.0); // 30 ms
    double timeNormalized = 0.24925; // "Delay Time" as last given, to re-derive the target on prepare

    void prepare(double sr);
    void reset() { clear(); }
    void updateParameters(const ParameterBlock& p);
    void clear();

    // "Delay Time" (normalized) in samples at this rate, within the line.
    double timeInSamples(double normalized) const;
    bool empty() const { return line.empty(); }

    // The run form of process (in may be out): the same steps, its state in locals over the run.
    void process(const float* in, float* out, int32_t count);

    float process(float x) {
        if (line.empty()) return x;
        const uint64_t size = line.size();
        smoothedTime += timeCoefficient * (timeTarget - smoothedTime);
        // The target always lies in [1, size - 1]; keep the glide there too, whatever came before.
        if (!(smoothedTime >= 1.0)) smoothedTime = 1.0;
        if (smoothedTime > static_cast<double>(size - 1)) smoothedTime = static_cast<double>(size - 1);

        double p = static_cast<double>(writeIndex) - smoothedTime;
        if (p < 0.0) p += static_cast<double>(size);
        // p lies in [0, size): the signed conversion (one instruction) gives the same index.
        uint64_t i = static_cast<uint64_t>(static_cast<int64_t>(p));
        if (i >= size) i = size - 1; // rounding at the very end of the line
        const double f = p - static_cast<double>(i);
        uint64_t j = i + 1;
        if (j >= size) j = 0;
        const double y = line[i] + f * (static_cast<double>(line[j]) - line[i]);

        smoothedMix += mixCoefficient * (mix - smoothedMix);
        line[writeIndex] = static_cast<float>(x + feedback * y);
        if (++writeIndex >= size) writeIndex = 0;

        const double out = x * (1.0 - smoothedMix) + smoothedMix * y;
        if (!std::isfinite(out)) {
            // A non-finite value would circulate in the feedback for ever.
            clear();
            return 0.0f;
        }
        return static_cast<float>(out);
    }
};

} // namespace TarnwellPlugin
