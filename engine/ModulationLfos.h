#pragma once

// The two LFOs that modulate the kick's tune, decay, pitch drop or pitch decay.
// Not built yet: the kick plays its stored values.

#include "ParameterBlock.h"

#include <cstdint>

namespace TarnwellPlugin {

struct ModulationLfos {
    double phase[2] = {0.0, 0.0};
    double output[2] = {0.0, 0.0};
    double held[2] = {0.0, 0.0};
    uint32_t noiseState = 0x51F15EEDu;

    void reset() {}
    // A trigger restarts the phase of each LFO whose retrig is on.
    void retrigger(const ParameterBlock&) {}
    // K: the normalized "Kick Tune", "Kick Decay", "Kick Pitch Drop", "Kick Pitch Decay" of this
    // sample; the LFOs add their modulation to them.
    void modulateKickControls(const ParameterBlock& p, double sampleRate, double (&k)[4]) {
        (void)sampleRate;
        k[0] = p.value(kKickTune);
        k[1] = p.value(kKickDecay);
        k[2] = p.value(kKickPitchDrop);
        k[3] = p.value(kKickPitchDecay);
    }
    // After the sample's output: phases advance, Sample & Hold values change at each wrap.
    void advance(const ParameterBlock&, double) {}
};

} // namespace TarnwellPlugin
