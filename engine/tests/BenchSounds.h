#pragma once

// The sounds the render benchmark measures, shared with the render hash test so that the sounds
// that are timed are also the ones whose output is pinned.

#include "ParameterBlock.h"

namespace TarnwellPlugin::Testing {

struct Sound {
    const char* name;
    void (*configure)(ParameterBlock&);
};

inline void defaultSound(ParameterBlock&) {}

// Every source and every effect on, long tails: the heaviest sound the engine can make.
inline void heaviestSound(ParameterBlock& p) {
    const ParamId onIds[] = {kFattenerEnable, kStereoEnhancerEnable, kRiftFoldEnable, kVoidModEnable,
                             kOutputRhythmGate, kTailRhythmEnable};
    for (ParamId id : onIds) p.store(id, 1.0);
    const ParamId mixIds[] = {kOscLayerMix, k909SampleMix, kSubGeneratorMix, kDelayMix, kAmbienceMix,
                              kLongReverbMix, kKickCompression, kExtendedMixKickDryReturn,
                              kExtendedMixWaveDryReturn, kExtendedMixOSCDryReturn, kExtendedMixSubDryReturn,
                              kSubGeneratorCompressor, kTailRhythmDepth};
    for (ParamId id : mixIds) p.store(id, 0.6);
    p.store(kKickFilterMode, 0.25);
    p.store(kLongReverbDecay, 1.0);
    p.store(kDelayFeedback, 0.9);
    p.store(kRumbleDecay, 1.0);
    p.store(kLongReverbSpace, 1.0);
    p.store(kAmbienceType, 0.75);
}

// Every sound source at full level through every kick-bus stage (effects at their defaults):
// the cost of the sources, the kick filter and compressor, the fattener and the rumble.
inline void allSourcesSound(ParameterBlock& p) {
    const ParamId fullIds[] = {kKickGeneratorMix, k909SampleMix, kOscLayerMix, kSubGeneratorMix,
                               kKickCompression, kSubGeneratorCompressor, kFattenerEnable, kFattenerAmount,
                               kRumbleAmount, kRumbleDecay, kLFO1Enabled, kLFO2Enabled, kVolumeLFODepth,
                               kPitchLFODepth, kLfo1Smooth, kLfo2Smooth};
    for (ParamId id : fullIds) p.store(id, 1.0);
    p.store(kWaveform, 0.75);              // Triangle
    p.store(kOscLayerAttack, 0.5);         // the attack's opening low-pass runs
    p.store(kWaveLayerWaveform, 15.0 / 23); // "Classic 3", the longest recording
    p.store(kKickFilterMode, 1.0);         // Notch
    p.store(kKickFilterResonance, 0.7);
    p.store(kLFO2Target, 1.0);
}

// The heaviest sound with the output stages at their costliest: "Output Gain" in its drive range,
// the fold and the modulator fully in, every effect at its longest.
inline void everyEffectDrivenSound(ParameterBlock& p) {
    heaviestSound(p);
    p.store(kOutputGain, 0.8);
    p.store(kRiftFoldAmount, 1.0);
    p.store(kRiftFoldMix, 1.0);
    p.store(kVoidModRate, 1.0);
    p.store(kVoidModDepth, 1.0);
    p.store(kDelayTime, 1.0);
    p.store(kAmbienceDecay, 1.0);
    p.store(kLongReverbPreDelay, 1.0);
    p.store(kStereoEnhancerWidth, 1.0);
}

inline constexpr Sound kSounds[] = {{"default", defaultSound},
                         {"heaviest", heaviestSound},
                         {"every effect driven", everyEffectDrivenSound},
                         {"all sources", allSourcesSound}};

} // namespace TarnwellPlugin::Testing
