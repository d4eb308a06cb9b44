#pragma once

// The long reverb: a pre-delay, four diffusing allpasses in series and an eight-line feedback
// delay network mixed through a normalized 8 x 8 Hadamard matrix. The space scales every line
// length; buffers are sized for the largest space, so a change of space only moves the active
// lengths. The tail gate's gain multiplies the wet output only.

#include "DelayLines.h"
#include "DspMath.h"
#include "ParameterBlock.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace TarnwellPlugin {

struct LongReverb {
    static constexpr int kLines = 8;
    static constexpr int kDiffusers = 4;
    static constexpr double kSpaceFactors[5] = {0.65, 1.15, 1.65, 2.05, 2.4};
    static constexpr double kLineMs[kLines] = {37.1, 41.1, 43.7, 47.9, 53.3, 59.7, 67.1, 73.9};
    static constexpr double kDiffuserMs[kDiffusers] = {4.7, 7.3, 10.9, 13.7};
    // The largest space's lengths in seconds (factor 2.4): what the buffers are sized for.
    static constexpr double kLineCapacitySeconds[kLines] = {0.08904, 0.09864, 0.10488, 0.11496,
                                                            0.12792, 0.14328, 0.16104, 0.17736};
    static constexpr double kDiffuserCapacitySeconds[kDiffusers] = {0.01128, 0.01752, 0.02616, 0.03288};
    static constexpr float kInputSigns[kLines] = {1.0f, -1.0f, 1.0f, 1.0f, -1.0f, 1.0f, -1.0f, -1.0f};
    static constexpr float kDiffusion = 0.62f;
    static constexpr float kInvSqrt8 = 0.35355338f;
    static constexpr float kInputGain = 0.58f;

    CombLine lines[kLines];
    AllpassLine diffusers[kDiffusers];
    std::vector<float> preDelayLine; // floor(0.25 sr) + 1 samples
    uint64_t preDelayWriteIndex = 0;
    uint64_t preDelay = 1323; // samples
    double sampleRate = 44100.0;
    double decay = 0.5 + 19.5 * 0.487179; // seconds
    double damping = 0.42;
    double smoothedMix = 0.38;
    double mix = 0.38;
    double mixCoefficient = Dsp::onePoleCoefficient(83.33333333333333, 44100.0); // 12 ms
    int32_t space = 2; // "Cathedral"
    // Derived: the loop gain of each line (-60 dB after the decay time) and the settings they
    // were computed for, so they are recomputed only when decay, rate or lengths change.
    double lineGains[kLines] = {}; // kept in double: near 1 at long decays, float would shift the decay
    double gainsDecay = -1.0;
    double preDelayNormalized = 0.15; // "Long Reverb PreDelay" as last given, re-derived on prepare

    void prepare(double sr);
    void reset() { clear(); }
    // Decay, damping, pre-delay and mix every call; the space (and applySpace) only on a change.
    void updateParameters(const ParameterBlock& p);
    void applySpace();
    void clear();
    void setDecaySeconds(double seconds);
    void setPreDelayNormalized(double v);
    void updateLineGains();

    static double spaceFactor(int32_t s) { return kSpaceFactors[s < 0 ? 0 : (s > 4 ? 4 : s)]; }
    static uint64_t activeLength(double factor, double sr, double m) {
        const double u = factor * 0.001 * sr;
        const uint64_t n = static_cast<uint64_t>(u * m);
        return n > 0 ? n : 1;
    }

    static void butterfly(float a, float b, float& sum, float& difference) {
        sum = a + b;
        difference = a - b;
    }

    // count samples of process(in[i], tailGain[i]) into out (in and out may be the same).
    void process(const float* in, const double* tailGain, float* out, int32_t count);
    // At most kMaxRun samples in which no line wraps; returns how many it took (fewer when a
    // non-finite output cleared the network).
    int32_t processPiece(const float* in, const double* tailGain, float* out, int32_t count);

    float process(float x, double tailGain) {
        if (preDelayLine.empty()) return x; // not prepared yet
        smoothedMix += mixCoefficient * (mix - smoothedMix);

        const uint64_t size = preDelayLine.size();
        const uint64_t delay = preDelay < size ? preDelay : size - 1;
        const uint64_t readIndex =
            preDelayWriteIndex >= delay ? preDelayWriteIndex - delay : preDelayWriteIndex + size - delay;
        const float y = delay == 0 ? x : preDelayLine[readIndex];
        preDelayLine[preDelayWriteIndex] = x;
        if (++preDelayWriteIndex >= size) preDelayWriteIndex = 0;

        // Prepared (the pre-delay line exists), so every line has a length of at least 1.
        float d = y;
        for (AllpassLine& a : diffusers) {
            const float stored = a.readPrepared();
            const float o = stored - kDiffusion * d;
            a.writePrepared(d + kDiffusion * o);
            d = o;
        }

        float s[kLines];
        const float damp = static_cast<float>(damping);
        const float pass = 1.0f - damp;
        for (int k = 0; k < kLines; ++k) {
            const float r = lines[k].readPrepared();
            lines[k].damping = pass * r + damp * lines[k].damping;
            s[k] = lines[k].damping;
        }

        // Fast Walsh-Hadamard transform: the Sylvester matrix in natural order, written out
        // (butterflies of span 1, 2 and 4).
        float v[kLines];
        butterfly(s[0], s[1], v[0], v[1]);
        butterfly(s[2], s[3], v[2], v[3]);
        butterfly(s[4], s[5], v[4], v[5]);
        butterfly(s[6], s[7], v[6], v[7]);
        butterfly(v[0], v[2], v[0], v[2]);
        butterfly(v[1], v[3], v[1], v[3]);
        butterfly(v[4], v[6], v[4], v[6]);
        butterfly(v[5], v[7], v[5], v[7]);
        butterfly(v[0], v[4], v[0], v[4]);
        butterfly(v[1], v[5], v[1], v[5]);
        butterfly(v[2], v[6], v[2], v[6]);
        butterfly(v[3], v[7], v[3], v[7]);

        const float in = kInputGain * d;
        float wetSum = 0.0f;
        for (int k = 0; k < kLines; ++k) {
            lines[k].writePrepared(static_cast<float>(lineGains[k] * (v[k] * kInvSqrt8)) + kInputSigns[k] * in);
            wetSum += kInputSigns[k] * s[k];
        }

        const double wet = static_cast<double>(wetSum) * static_cast<float>(tailGain) * kInvSqrt8 * smoothedMix;
        const float out = static_cast<float>((1.0 - smoothedMix) * x + wet);
        if (!std::isfinite(out)) {
            clear(); // nothing non-finite may stay in the network
            return 0.0f;
        }
        return out;
    }
};

} // namespace TarnwellPlugin
