#pragma once

// The ambience reverb: four damped feedback combs in parallel, averaged, then two allpasses, with
// its own dry/wet mix. The type scales every line length by a room-size factor; the buffers are
// sized for the largest room, so a change of type only moves the active lengths.

#include "DelayLines.h"
#include "DspMath.h"
#include "ParameterBlock.h"

#include <cmath>
#include <cstdint>

namespace TarnwellPlugin {

struct AmbienceReverb {
    static constexpr int kCombs = 4;
    static constexpr int kAllpasses = 2;
    static constexpr double kRoomFactors[5] = {0.55, 0.75, 1.15, 1.65, 0.9};
    static constexpr double kCombMs[kCombs] = {29.0, 37.0, 41.0, 43.0};
    static constexpr double kAllpassMs[kAllpasses] = {5.0, 7.0};
    // The largest room's lengths in seconds (factor 1.65): what the buffers are sized for.
    static constexpr double kCombCapacitySeconds[kCombs] = {0.04785, 0.06105, 0.06765, 0.07095};
    static constexpr double kAllpassCapacitySeconds[kAllpasses] = {0.00825, 0.01155};

    CombLine combs[kCombs];
    AllpassLine allpasses[kAllpasses];
    double sampleRate = 44100.0;
    double decay = 0.55;
    double damping = 0.35;
    double smoothedMix = 0.2;
    double mix = 0.2;
    double mixCoefficient = Dsp::onePoleCoefficient(83.33333333333333, 44100.0); // 12 ms
    int32_t type = 1; // "Studio"

    void prepare(double sr);
    void reset() { clear(); }
    void updateParameters(const ParameterBlock& p);
    // Stores decay, damping and mix; a new type moves the active lengths (buffers untouched).
    void setType(int32_t newType, double newDecay, double newDamping, double newMix);
    void applyType();
    void clear();

    static double roomFactor(int32_t t) { return kRoomFactors[t < 0 ? 0 : (t > 4 ? 4 : t)]; }
    // Active length of a line of m milliseconds (times the factor) at rate sr.
    static uint64_t activeLength(double factor, double sr, double m) {
        const double u = factor * 0.001 * sr;
        const uint64_t n = static_cast<uint64_t>(u * m);
        return n > 0 ? n : 1;
    }

    // count samples of process(in[i]) into out (in and out may be the same).
    void process(const float* in, float* out, int32_t count);
    // At most kMaxRun samples in which no line wraps; returns how many it took (fewer when a
    // non-finite output cleared the combs).
    int32_t processPiece(const float* in, float* out, int32_t count);

    float process(float x) {
        if (combs[0].empty()) return x; // not prepared yet
        const float g = 0.55f + 0.42f * static_cast<float>(decay);
        const float d = 0.85f * static_cast<float>(damping);
        // Prepared (the first comb has a length), so every line has a length of at least 1.
        float sum = 0.0f;
        for (CombLine& c : combs) {
            const float r = c.readPrepared();
            c.damping = r + (c.damping - r) * d;
            c.writePrepared(x + c.damping * g);
            sum += r;
        }
        const float s = sum * 0.25f;
        const float a1 = allpasses[0].readPrepared();
        allpasses[0].writePrepared(s + 0.5f * a1);
        const float o1 = a1 - s;
        const float a2 = allpasses[1].readPrepared();
        allpasses[1].writePrepared(o1 + 0.5f * a2);
        const float o2 = a2 - o1;

        smoothedMix += mixCoefficient * (mix - smoothedMix);
        const float out = static_cast<float>(o2 * smoothedMix + (1.0 - smoothedMix) * x);
        if (!std::isfinite(out)) {
            clear(); // nothing non-finite may stay in the combs
            return 0.0f;
        }
        return out;
    }
};

} // namespace TarnwellPlugin
