#pragma once

// The 16-step pattern of the kick and the sub's own pattern, each with its step clock.

#include <cstdint>
#include <limits>

namespace TarnwellPlugin {

struct StepClock {
    double sampleRate = 44100.0;
    double stepsPerSecond = 4.0;
    double countdown = 0.0; // samples
    int32_t currentStep = -1;
    int64_t lastAbsoluteStep = std::numeric_limits<int64_t>::min();

    // After a reset the first evaluated sample fires.
    void restart() {
        countdown = 0.0;
        currentStep = -1;
        lastAbsoluteStep = std::numeric_limits<int64_t>::min();
    }

    // Free-running: fires when the countdown has run out; a firing sample does not count down.
    bool countdownFires() {
        if (countdown <= 0.0) {
            currentStep = (currentStep + 1) & 15;
            countdown += sampleRate / stepsPerSecond;
            return true;
        }
        countdown -= 1.0;
        return false;
    }

    // Following the host: fires when the absolute sixteenth changes (jumps included).
    bool positionFires(int64_t absoluteStep) {
        if (absoluteStep == lastAbsoluteStep) return false;
        lastAbsoluteStep = absoluteStep;
        currentStep = static_cast<int32_t>(absoluteStep & 15);
        return true;
    }
};

struct StepSequencer {
    bool gate = false;
    double steps[16] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};
    StepClock main;
    double subSteps[16] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};
    StepClock sub;

    void restartClocks() {
        main.restart();
        sub.restart();
    }
};

} // namespace TarnwellPlugin
