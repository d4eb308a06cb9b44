// The voiced presets (blocks 3-16, override lists 21-42): exact grids, sane levels, and the
// character their names promise, read through the values that applying them sets.

#include "FactoryPresets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>

using namespace TarnwellPlugin;

namespace {

const char* const kVoicedBlocks[] = {
    "Panther Strike", "Feral Depth", "Prismatic Depth", "Razor Bedrock", "Motor Vault", "Nocturnal Mass",
    "Static Burial", "Rain Circuit", "Smoldering Core", "Servo Impact", "Crushing Chamber", "Velvet Descent",
    "Creeping Fault", "Midnight Freight",
};

const char* const kVoicedLists[] = {
    "Abyss Engine", "Hollow Pressure", "Molten Depth", "Seismic Bloom", "Steel Toe", "Subharmonic Wire",
    "Echo Wire", "Voltage Stomp", "Tectonic Choir", "Crushing Tide", "Low Tide Impact", "Night Bedrock",
    "Underground Circuit", "Concrete Cathedral", "Ghost Machinery", "Needle Driver", "Triple Impact",
    "Twisted Strata", "Core Collapse", "Hard Meridian", "Pulse Breach", "Siren Vault",
};

std::vector<std::string> voicedPresets() {
    std::vector<std::string> names(std::begin(kVoicedBlocks), std::end(kVoicedBlocks));
    names.insert(names.end(), std::begin(kVoicedLists), std::end(kVoicedLists));
    return names;
}

PresetValues valuesOf(const std::string& name) {
    const FactoryPreset* p = findFactoryPreset(factoryPresetIndex(name));
    EXPECT_NE(p, nullptr) << name;
    return p ? effectivePresetValues(*p) : PresetValues{};
}

double normalized(const PresetValues& v, uint32_t id) {
    const int32_t i = presetAppliedIndex(id);
    return i < 0 ? -1.0 : v[static_cast<std::size_t>(i)].value;
}

// The value in the parameter's own unit (lists as entry index).
double plain(const PresetValues& v, uint32_t id) {
    const ParameterSpec& p = *findParameter(id);
    const double n = normalized(v, id);
    switch (p.kind) {
    case ParamKind::Range: return p.minPlain + n * (p.maxPlain - p.minPlain);
    case ParamKind::LogRange: return logCutoffToPlain(n);
    case ParamKind::List: return std::round(n * (p.entryCount - 1));
    default: return n;
    }
}

} // namespace

TEST(FactoryPresetDesign, VoicedPresetsUseExactGridValues) {
    for (const std::string& name : voicedPresets()) {
        const FactoryPreset* p = findFactoryPreset(factoryPresetIndex(name));
        ASSERT_NE(p, nullptr) << name;
        for (const auto& pair : p->pairs) {
            const ParameterSpec& param = *findParameter(pair.id);
            if (param.kind == ParamKind::List) {
                // Made on the current lists: entry k of n is exactly k / (n - 1), the waveform k / 23.
                const int32_t last = param.entryCount - 1;
                const double k = std::round(pair.value * last);
                EXPECT_EQ(pair.value, k / last) << name << " id " << pair.id;
            }
            if (param.kind == ParamKind::Toggle) {
                EXPECT_TRUE(pair.value == 0.0 || pair.value == 1.0) << name;
            }
        }
    }
}

TEST(FactoryPresetDesign, LevelsLeaveHeadroom) {
    for (const std::string& name : voicedPresets()) {
        const PresetValues v = valuesOf(name);
        EXPECT_GE(normalized(v, kVolume), 0.70) << name;
        EXPECT_LE(normalized(v, kVolume), 0.85) << name;
        // Up to +20 dB into the drive stage; its hard-clip region (above about +49 dB) stays unused.
        EXPECT_LE(plain(v, kOutputGain), 20.0) << name;
        EXPECT_GE(plain(v, kOutputGain), 0.0) << name;
        // The dry returns add after the output ceiling, so they stay small.
        double dry = 0.0;
        for (uint32_t id : {436u, 437u, 438u, 439u}) dry += normalized(v, id);
        EXPECT_LE(dry, 0.3) << name;
        EXPECT_LE(normalized(v, kSubGeneratorMix), 0.6) << name;
        EXPECT_LE(normalized(v, kLongReverbMix), 0.5) << name;
        // The kick is the source of every sound here.
        EXPECT_GE(normalized(v, kKickGeneratorMix), 0.6) << name;
    }
}

TEST(FactoryPresetDesign, EveryVoicedPresetHasARumbleOrReverbTail) {
    for (const std::string& name : voicedPresets()) {
        const PresetValues v = valuesOf(name);
        const double rumble = normalized(v, kRumbleAmount) * plain(v, kRumbleDecay);
        const double reverb = normalized(v, kLongReverbMix) * plain(v, kLongReverbDecay);
        EXPECT_GT(rumble + reverb, 0.25) << name;
    }
}

TEST(FactoryPresetDesign, TheSetIsVaried) {
    std::set<double> tunes, decays, waveforms, spaces, rumbleTones;
    for (const std::string& name : voicedPresets()) {
        const PresetValues v = valuesOf(name);
        tunes.insert(plain(v, kKickTune));
        decays.insert(plain(v, kKickDecay));
        waveforms.insert(plain(v, kWaveLayerWaveform));
        spaces.insert(plain(v, kLongReverbSpace));
        rumbleTones.insert(plain(v, kRumbleTone));
    }
    EXPECT_GE(tunes.size(), 15u);
    EXPECT_GE(*tunes.rbegin() - *tunes.begin(), 20.0);
    EXPECT_GE(decays.size(), 20u);
    EXPECT_GE(waveforms.size(), 20u);
    EXPECT_EQ(spaces.size(), 5u);
    EXPECT_GE(rumbleTones.size(), 12u);
}

// A few presets whose names make a promise, checked in the units a sound designer reads.
TEST(FactoryPresetDesign, NamesAndSoundsAgree) {
    {
        const PresetValues v = valuesOf("Concrete Cathedral"); // a big space
        EXPECT_GE(plain(v, kLongReverbSpace), 2.0);
        EXPECT_GE(plain(v, kLongReverbDecay), 10.0);
        EXPECT_GE(normalized(v, kLongReverbMix), 0.4);
        EXPECT_EQ(plain(v, kAmbienceType), 3.0); // "Cathedral"
    }
    {
        const PresetValues v = valuesOf("Needle Driver"); // tight and driven
        EXPECT_LE(plain(v, kKickDecay), 0.2);
        EXPECT_GE(normalized(v, kKickTightness), 0.95);
        EXPECT_GE(plain(v, kOutputGain), 12.0);
        EXPECT_LE(normalized(v, kLongReverbMix), 0.05);
    }
    {
        const PresetValues v = valuesOf("Abyss Engine"); // the deepest
        EXPECT_LE(plain(v, kKickTune), 32.0);
        EXPECT_GE(plain(v, kRumbleDecay), 6.0);
        EXPECT_LE(plain(v, kFilterCutoff), 2000.0);
    }
    {
        const PresetValues v = valuesOf("Triple Impact"); // three hits per trigger
        EXPECT_GT(plain(v, kOscLayerDelay), 0.0);
        EXPECT_GT(plain(v, kWaveLayerDelay), plain(v, kOscLayerDelay));
    }
    {
        const PresetValues v = valuesOf("Echo Wire");
        EXPECT_GE(normalized(v, kDelayMix), 0.25);
        EXPECT_GE(plain(v, kDelayFeedback), 50.0);
    }
    {
        const PresetValues v = valuesOf("Pulse Breach");
        EXPECT_EQ(normalized(v, kOutputRhythmGate), 1.0);
        EXPECT_EQ(plain(v, kOutputGateRate), 3.0); // "1/16"
    }
    {
        const PresetValues v = valuesOf("Siren Vault"); // a swept pitch
        EXPECT_EQ(normalized(v, kLFO1Enabled), 1.0);
        EXPECT_EQ(plain(v, kLFO1Target), 0.0); // "Tune"
        EXPECT_GE(normalized(v, kVolumeLFODepth), 0.3);
    }
    {
        const PresetValues v = valuesOf("Nocturnal Mass"); // dark and heavy
        EXPECT_LE(plain(v, kFilterCutoff), 3000.0);
        EXPECT_GE(normalized(v, kKickBodyWeight), 0.85);
    }
    {
        const PresetValues v = valuesOf("Crushing Chamber");
        EXPECT_GE(normalized(v, kKickCompression), 0.8);
        EXPECT_EQ(normalized(v, kRiftFoldEnable), 1.0);
    }
    {
        const PresetValues v = valuesOf("Velvet Descent"); // soft
        EXPECT_LE(normalized(v, kKickTransient), 0.15);
        EXPECT_LE(plain(v, kOutputGain), 4.0); // the stage's gentle knee at most, no drive
        EXPECT_GE(plain(v, kKickPitchDecay), 0.06);
    }
}

TEST(FactoryPresetDesign, SubSequencerPlaysTheDistinctSubPatterns) {
    // Blocks whose sub pattern differs from the kick's four-on-the-floor let the sub run on its own.
    for (const char* name : kVoicedBlocks) {
        const PresetValues v = valuesOf(name);
        bool fourOnTheFloor = true;
        for (uint32_t i = 0; i < 16; ++i)
            fourOnTheFloor = fourOnTheFloor && normalized(v, 420 + i) == (i % 4 == 0 ? 1.0 : 0.0);
        EXPECT_EQ(normalized(v, kSubGeneratorSequencer), fourOnTheFloor ? 0.0 : 1.0) << name;
        EXPECT_GT(normalized(v, kSubGeneratorMix), 0.0) << name;
    }
}
