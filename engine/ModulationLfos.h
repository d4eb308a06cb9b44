#pragma once

// The two LFOs that modulate the kick's tune, decay, pitch drop or pitch decay. They act on
// per-sample copies of the normalized kick controls and never change the stored parameters.

#include "ParameterBlock.h"
#include "SinePhasor.h"

#include <cstdint>

namespace TarnwellPlugin {

struct ModulationLfos {
    enum Shape : int32_t { kSine = 0, kSquare = 1, kTriangle = 2, kSampleAndHold = 3 };
    enum Target : int32_t { kTune = 0, kDecay = 1, kPitchDrop = 2, kPitchDecay = 3 };

    double phase[2] = {0.0, 0.0};  // radians, [0, 2 pi)
    double output[2] = {0.0, 0.0}; // smoothed values
    double held[2] = {0.0, 0.0};   // Sample & Hold values
    uint32_t noiseState = 0x51F15EEDu; // shared by both; reset leaves it alone
    // The smoothing coefficient of each LFO for the (smooth, rate) it was last computed for.
    double derivedSmooth[2] = {-1.0, -1.0};
    double derivedRate[2] = {-1.0, -1.0};
    double smoothingCoefficient[2] = {1.0, 1.0};
    // The sine shape's value along each LFO's phase (plus offset).
    SinePhasor sines[2];

    // The block values the LFOs read, taken once per render block: nothing inside a block changes
    // them (the sample-accurate "Frequency" is not among them).
    struct Settings {
        double kick[4] = {0.0, 0.0, 0.0, 0.0}; // "Kick Tune", "Kick Decay", "Kick Pitch Drop", "Kick Pitch Decay"
        double phaseOffset[2] = {0.0, 0.0};    // radians
        double depth[2] = {0.0, 0.0};
        double phaseStep[2] = {0.0, 0.0}; // the per-sample phase advance; 0 while unprepared
        int32_t shape[2] = {0, 0};
        int32_t target[2] = {0, 0}; // clamped to 0-3
        bool enabled[2] = {false, false};
        bool advances = false; // false at a rate that is not above 0 (unprepared: the phases hold)
    };
    Settings settings;

    // Phases, outputs and held values to 0.
    void reset();
    // Takes the block values into settings (and the smoothing coefficients they imply).
    void loadSettings(const ParameterBlock& p, double sampleRate);
    // modulateKickControls and advance on the loaded settings (the per-sample path of the render).
    void modulateKickControls(double (&k)[4]);
    void advance();
    // Both for `count` samples: the modulated controls of sample i into k[0..3][i], the phases
    // advanced after each.
    void modulateKickControls(double* __restrict const k[4], int32_t count);
    // A trigger restarts the phase of each LFO whose retrig is on (outputs and held values stay).
    void retrigger(const ParameterBlock& p);
    // K: the normalized "Kick Tune", "Kick Decay", "Kick Pitch Drop", "Kick Pitch Decay" of this
    // sample, with the enabled LFOs' modulation added (each addition clamped to [0, 1]).
    void modulateKickControls(const ParameterBlock& p, double sampleRate, double (&k)[4]);
    // After the sample's output: phases advance, Sample & Hold values change at each wrap.
    void advance(const ParameterBlock& p, double sampleRate);

    // The unsmoothed shape value of one LFO at its current phase.
    double rawValue(int32_t lfo, const ParameterBlock& p) const;
    double rawValue(int32_t lfo) const;

private:
    double shapeValue(int32_t lfo, int32_t shape, double phaseOffset) const;
};

} // namespace TarnwellPlugin
