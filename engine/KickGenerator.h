#pragma once

// The synthesized kick voice: a sine swept down from tune + pitch drop to tune, with a second
// harmonic and a saturating body, a pitched punch burst, a noise click and a final drive.

#include "ParameterBlock.h"
#include "StepRecurrences.h"

#include <cstdint>

namespace TarnwellPlugin {

struct KickSettings {
    double tune = 43.0;        // Hz
    double decay = 0.34;       // s
    double pitchDrop = 165.0;  // Hz
    double pitchDecay = 0.025; // s
    double transient = 0.68;
    double drive = 0.48;
    double punch = 0.0;
    double bodyWeight = 0.0;
    double clickTone = 0.371429;
    double tightness = 0.666667;
};

struct KickGenerator {
    double sampleRate = 44100.0;
    KickSettings settings;
    double smoothedDrive = 0.48;
    double smoothedDecay = 0.34;
    double coefficient = 1.0;
    double smoothedTransient = 0.68;
    double smoothedPunch = 0.0;
    double smoothedBodyWeight = 0.0;
    double smoothedClickTone = 0.371429;
    double smoothedTightness = 0.666667;
    double phase = 0.0;     // cycles
    double time = 0.0;      // seconds since the trigger
    double amplitude = 0.0; // the body's envelope: what ends the voice and ducks the rumble
    double clickLowpass = 0.0;
    int32_t noiseState = 0x12345678;
    bool active = false;

    // 1 / sampleRate, what the time grows by each sample (cached for the rate it was computed at).
    double intervalRate = 44100.0, sampleInterval = 1.0 / 44100.0;
    // The per-sample exponentials and quotients with inputs that mostly stand still.
    Math::DecayingExp dropEnvelope, bodyEnvelope, clickEnvelope, punchEnvelope;
    Math::RotatingSine oscillator;
    Math::Reciprocal phaseStep, bodyNormalization;

    void prepare(double sr);
    void reset();
    void restart();

    // Writes the settings; while idle the glided copies (but drive) jump to them.
    void setSettings(const KickSettings& s);
    // The same for the four controls the LFOs modulate (the others keep their values).
    void setModulatedSettings(double tune, double decay, double pitchDrop, double pitchDecay);
    void updateParameters(const ParameterBlock& p);

    // The next `count` samples: the four LFO-modulated controls of each sample (tune, decay, pitch
    // drop, pitch decay, as setModulatedSettings takes them) in, the voice and its body envelope
    // (what ducks the rumble) out. A restart takes effect at the start of a call.
    void render(const double* const controls[4], int32_t count, float* out, double* amplitudes);
    // One sample with the controls as they are.
    float render() {
        const double tune = settings.tune, decay = settings.decay, drop = settings.pitchDrop,
                     dropDecay = settings.pitchDecay;
        const double* const controls[4] = {&tune, &decay, &drop, &dropDecay};
        float out = 0.0f;
        double level = 0.0;
        render(controls, 1, &out, &level);
        return out;
    }

private:
    void renderRun(const double* const controls[4], int32_t count, float* out, double* amplitudes);
    void snapSmoothedCopies();
};

} // namespace TarnwellPlugin
