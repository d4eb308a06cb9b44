#pragma once

// The sounds the render benchmarks play, as (parameter, normalized value) settings over the
// defaults: shared by the engine benchmark and the side-by-side bundle comparison.

#include "ParameterIds.h"

#include <vector>

namespace TarnwellPlugin::Bench {

struct Setting {
    ParamId id;
    double value; // normalized
};

struct Sound {
    const char* name;
    std::vector<Setting> settings;
};

// Every source and every effect on, long tails: the heaviest sound the engine can make.
inline std::vector<Setting> heaviestSettings() {
    std::vector<Setting> s;
    for (ParamId id : {kFattenerEnable, kStereoEnhancerEnable, kRiftFoldEnable, kVoidModEnable, kOutputRhythmGate,
                       kTailRhythmEnable})
        s.push_back({id, 1.0});
    for (ParamId id : {kOscLayerMix, k909SampleMix, kSubGeneratorMix, kDelayMix, kAmbienceMix, kLongReverbMix,
                       kKickCompression, kExtendedMixKickDryReturn, kExtendedMixWaveDryReturn,
                       kExtendedMixOSCDryReturn, kExtendedMixSubDryReturn, kSubGeneratorCompressor, kTailRhythmDepth})
        s.push_back({id, 0.6});
    s.insert(s.end(), {{kKickFilterMode, 0.25},
                       {kLongReverbDecay, 1.0},
                       {kDelayFeedback, 0.9},
                       {kRumbleDecay, 1.0},
                       {kLongReverbSpace, 1.0},
                       {kAmbienceType, 0.75}});
    return s;
}

// Every sound source at full level through every kick-bus stage (effects at their defaults):
// the cost of the sources, the kick filter and compressor, the fattener and the rumble.
inline std::vector<Setting> allSourcesSettings() {
    std::vector<Setting> s;
    for (ParamId id : {kKickGeneratorMix, k909SampleMix, kOscLayerMix, kSubGeneratorMix, kKickCompression,
                       kSubGeneratorCompressor, kFattenerEnable, kFattenerAmount, kRumbleAmount, kRumbleDecay,
                       kLFO1Enabled, kLFO2Enabled, kVolumeLFODepth, kPitchLFODepth, kLfo1Smooth, kLfo2Smooth})
        s.push_back({id, 1.0});
    s.insert(s.end(), {{kWaveform, 0.75},                 // Triangle
                       {kOscLayerAttack, 0.5},            // the attack's opening low-pass runs
                       {kWaveLayerWaveform, 15.0 / 23},   // "Classic 3", the longest recording
                       {kKickFilterMode, 1.0},            // Notch
                       {kKickFilterResonance, 0.7},
                       {kLFO2Target, 1.0}});
    return s;
}

// The heaviest sound with the output stages at their costliest: "Output Gain" in its drive range,
// the fold and the modulator fully in, every effect at its longest.
inline std::vector<Setting> everyEffectDrivenSettings() {
    std::vector<Setting> s = heaviestSettings();
    s.insert(s.end(), {{kOutputGain, 0.8},
                       {kRiftFoldAmount, 1.0},
                       {kRiftFoldMix, 1.0},
                       {kVoidModRate, 1.0},
                       {kVoidModDepth, 1.0},
                       {kDelayTime, 1.0},
                       {kAmbienceDecay, 1.0},
                       {kLongReverbPreDelay, 1.0},
                       {kStereoEnhancerWidth, 1.0}});
    return s;
}

// In the order of the engine benchmark's "sound" argument.
inline const std::vector<Sound>& benchSounds() {
    static const std::vector<Sound> sounds = {{"default", {}},
                                              {"heaviest", heaviestSettings()},
                                              {"every effect driven", everyEffectDrivenSettings()},
                                              {"all sources", allSourcesSettings()}};
    return sounds;
}

} // namespace TarnwellPlugin::Bench
