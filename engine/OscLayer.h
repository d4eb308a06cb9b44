#pragma once

// The osc layer: one of five waveforms at the "Frequency" pitch under the kick, with a start
// delay, a smootherstep attack that also opens a one-pole low-pass, and an exponential decay.

#include "ParameterBlock.h"
#include "StepRecurrences.h"

#include <cstdint>
#include <limits>

namespace TarnwellPlugin {

struct OscLayer {
    enum Shape : int32_t { kSine = 0, kSquare = 1, kSaw = 2, kTriangle = 3, kNoise = 4 };

    // Settings.
    double sampleRate = 44100.0;
    double frequency = 60.0;      // Hz
    double vibratoRate = 0.1;     // Hz
    double vibratoDepth = 0.0;    // semitones
    double attack = 0.0;          // s
    double decayTarget = 0.2;     // s
    double smoothedDecay = 0.2;   // s
    double smoothingCoefficient = 0.0; // 20 ms at the sample rate
    int64_t delay = 0;            // samples
    int32_t shape = kSine;

    // Voice.
    double phase = 0.0;        // radians
    double vibratoPhase = 0.0; // radians
    double t = 0.0;            // seconds since the sound began (after the delay)
    double filter = 0.0;
    uint64_t delayCountdown = 0;
    uint32_t noiseState = 0x12345678u;
    bool active = false;

    // 1 / sampleRate, what t grows by each sample (cached for the rate it was computed at).
    double intervalRate = 44100.0, sampleInterval = 1.0 / 44100.0;
    // The attack's filter pole for the last smootherstep value and rate (1 once the attack is over).
    double poleContour = std::numeric_limits<double>::quiet_NaN(), poleRate = 0.0, pole = 0.0;
    // The per-sample exponential and quotients with inputs that mostly stand still.
    Math::DecayingExp decayEnvelope;
    Math::AdvancingSine vibratoSine;
    Math::RotatingSine sine;
    Math::Reciprocal perSample, sawScale;

    OscLayer();

    void prepare(double sr);
    void reset();
    void updateParameters(const ParameterBlock& p);
    // Frequency from a normalized "Frequency" value (also applied sample-accurately by the road).
    void setFrequencyFromNormalized(double v);
    void restart();
    // The next `count` samples; a restart takes effect at the start of a call.
    void render(int32_t count, float* out);
    float render(); // one sample

private:
    // Sounding samples from the next on (after the delay), up to `count` or the one after which
    // the voice ends: how many. `smoothed` is the decay's smoothing, carried sample by sample.
    template <int32_t kShape, bool kAttack>
    int32_t renderSounding(int32_t count, float* out, double& smoothed);
    template <int32_t kShape>
    int32_t renderShape(int32_t count, float* out, double& smoothed); // the attack's choice
};

} // namespace TarnwellPlugin
