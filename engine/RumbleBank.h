#pragma once

// The rumble tail: four damped feedback comb lines fed with the kick-and-sub bus, summed with
// alternating signs, driven into tanh and ducked while the kick generator is loud.

#include "DelayLines.h"
#include "ParameterBlock.h"

#include <cstdint>

namespace TarnwellPlugin {

struct RumbleBank {
    static constexpr int32_t kLineCount = 4;
    static constexpr double kLineSeconds[kLineCount] = {0.061, 0.079, 0.101, 0.127};

    CombLine lines[kLineCount];
    double sampleRate = 44100.0;
    double amount = 0.76;
    double decay = 3.2;  // s
    double tone = 155.0; // Hz
    double drive = 0.58;
    double smoothedAmount = 0.76;
    double amountCoefficient = 0.0; // 20 ms
    double smoothedDrive = 0.58;
    double driveCoefficient = 0.0; // 12 ms
    double duck = 1.0;
    double duckCoefficient = 0.0; // 6 ms
    // Feedback gain of each line for the current decay (-60 dB after the decay time).
    double feedbackGain[kLineCount] = {1.0, 1.0, 1.0, 1.0};
    // The damping coefficient for the current tone (recomputed when the tone changes).
    double derivedTone = -1.0;
    float damping = 0.0f;

    RumbleBank();

    // Line length in samples at a sample rate: (unsigned)(seconds * sr) + 1.
    static uint64_t lineLength(int32_t line, double sr);

    // Sizes the lines (allocates) and clears. Before it runs the bank outputs silence.
    void prepare(double sr);
    void clear();
    void reset() { clear(); }
    void updateParameters(const ParameterBlock& p);
    // The next `count` samples of the bus in, the rumble out; the kick's body envelope ducks it.
    void process(const float* bus, const double* kickAmplitudes, float* out, int32_t count);
    float process(float x, double kickAmplitude) {
        float out = 0.0f;
        process(&x, &kickAmplitude, &out, 1);
        return out;
    }

private:
    void processRun(const float* bus, const double* kickAmplitudes, float* out, int32_t count);
    void computeCoefficients();
    void computeFeedbackGains();
};

} // namespace TarnwellPlugin
