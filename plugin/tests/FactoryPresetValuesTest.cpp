// What applying a factory preset sets: the given values, typed here by hand as an independent
// transcription (spot values and every step pattern), and the effective-value API itself.

#include "FactoryPresetRenderList.h"
#include "FactoryPresets.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

using namespace TarnwellPlugin;

namespace {

PresetValues valuesOf(const char* name) {
    const FactoryPreset* p = findFactoryPreset(factoryPresetIndex(name));
    EXPECT_NE(p, nullptr) << name;
    return p ? effectivePresetValues(*p) : PresetValues{};
}

double valueOf(const PresetValues& values, uint32_t id) {
    const int32_t i = presetAppliedIndex(id);
    EXPECT_GE(i, 0) << id;
    return i < 0 ? -1.0 : values[static_cast<std::size_t>(i)].value;
}

std::string stepsOf(const PresetValues& v) {
    std::string s;
    for (uint32_t id = 200; id <= 215; ++id) {
        const double x = valueOf(v, id);
        s += x == 1.0 ? 'F' : x == 0.5 ? 'H' : x == 0.0 ? '-' : '?';
    }
    return s;
}

std::string switchesOf(const PresetValues& v, uint32_t first, uint32_t count) {
    std::string s;
    for (uint32_t id = first; id < first + count; ++id) {
        const double x = valueOf(v, id);
        s += x == 1.0 ? 'X' : x == 0.0 ? '-' : '?';
    }
    return s;
}

} // namespace

// Spot values: the own pairs, the default head and the parameter defaults behind them.
TEST(FactoryPresetValues, GivenValuesArriveWhenAPresetIsApplied) {
    struct Case { const char* preset; uint32_t id; double value; };
    const Case cases[] = {
        // "Init": own pairs.
        {"Init", 129, 0.42}, {"Init", 130, 0.25}, {"Init", 131, 0.72}, {"Init", 132, 0.19},
        {"Init", 145, 0.3}, {"Init", 146, 0.45}, {"Init", 411, 0.0},
        // "Init": from the default head.
        {"Init", 101, 0.8}, {"Init", 159, 2.0 / 7.0}, {"Init", 111, 23.0 / 57.0}, {"Init", 110, 1.0},
        {"Init", 171, 0.0}, {"Init", 172, 0.0}, {"Init", 148, 1.0}, {"Init", 183, 2.0 / 3.0},
        {"Init", 187, 0.35}, {"Init", 400, 0.42}, {"Init", 406, 0.65}, {"Init", 410, 0.12},
        {"Init", 424, 1.0}, {"Init", 425, 0.0}, {"Init", 112, 1.0}, {"Init", 162, 0.5},
        // "Init": no pair, so the parameter's default.
        {"Init", 100, 40.0 / 180.0}, {"Init", 123, 9.5 / 19.5}, {"Init", 179, 0.0}, {"Init", 140, 0.0},
        {"Init", 142, 0.35}, {"Init", 300, 1.0}, {"Init", 301, 0.0}, {"Init", 116, 25.0 / 95.0},
        // Short lists.
        {"Basement Pressure", 122, 0.75}, {"Basement Pressure", 123, 0.55}, {"Basement Pressure", 126, 0.26},
        {"Basement Pressure", 137, 0.12}, {"Concrete Pulse", 152, 0.16}, {"Iron Lung", 179, 3.0 / 7.0},
        {"Iron Lung", 175, 0.43}, {"Night Transit", 115, 0.31}, {"Deep Current", 112, 0.66},
        {"Club Hammer", 159, 0.34}, {"Tunnel Vision", 120, 0.62}, {"Black Velvet", 179, 1.0},
        {"Black Velvet", 173, 0.12}, {"Subduction", 158, 0.62}, {"Neon Bruise", 177, 0.04},
        {"Dust Chamber", 118, 0.0}, {"Cavern Signal", 125, 0.32}, {"Broken Piston", 147, 0.5},
        {"Low Orbit", 181, 0.1}, {"Aftershock", 139, 1.0}, {"Aftershock", 140, 0.33},
        {"Rubber Room", 179, 2.0 / 7.0}, {"Phase Ritual", 163, 0.66}, {"Phase Ritual", 106, 0.75},
        {"Phase Ritual", 102, 0.08}, {"Midnight Engine", 138, 0.62}, {"Terminal Bloom", 140, 0.66},
        {"Terminal Bloom", 142, 0.64},
        // Block 1 in full ...
        {"Primal Scream", 101, 0.9274338483810425}, {"Primal Scream", 102, 4.0 / 99.0},
        {"Primal Scream", 158, 39.0 / 239.0}, {"Primal Scream", 159, 0.714916467666626},
        {"Primal Scream", 109, 0.7648944854736328}, {"Primal Scream", 174, 1.0},
        {"Primal Scream", 179, 0.4000000059604645}, {"Primal Scream", 124, 0.17054586112499237},
        {"Primal Scream", 143, 1.0}, {"Primal Scream", 148, 0.7162845134735107}, {"Primal Scream", 183, 2.0 / 3.0},
        {"Primal Scream", 405, 0.7281396985054016}, {"Primal Scream", 411, 0.18030549585819244},
        {"Primal Scream", 412, 1.0}, {"Primal Scream", 416, 0.2612345041322318}, {"Primal Scream", 417, 1.0},
        {"Primal Scream", 140, 0.6666666865348816}, {"Primal Scream", 141, 1.0},
        // ... and block 2 as its difference.
        {"Rift Scream", 176, 0.7355471849441528}, {"Rift Scream", 179, 0.695652186870575},
        {"Rift Scream", 411, 0.6151354449447136}, {"Rift Scream", 101, 0.9274338483810425},
        {"Rift Scream", 152, 0.6438189148902893}, {"Rift Scream", 405, 0.7281396985054016},
    };
    for (const Case& c : cases)
        EXPECT_EQ(valueOf(valuesOf(c.preset), c.id), c.value) << c.preset << " id " << c.id;
}

TEST(FactoryPresetValues, InitOpensTheMainFilterFully) {
    // The preset's own head sets "Filter Cutoff" to 1.0 (18 kHz), not to the parameter default.
    const double cutoff = valueOf(valuesOf("Init"), kFilterCutoff);
    EXPECT_EQ(cutoff, 1.0);
    EXPECT_NEAR(logCutoffToPlain(cutoff), 18000.0, 1e-9);
}

TEST(FactoryPresetValues, WaveLayerWaveformKeepsTheGridItWasMadeOn) {
    // The controller maps old grids onto the 24-entry list when it applies a preset; the table
    // keeps the stored value, and the three grids still select the same entries.
    EXPECT_EQ(valueOf(valuesOf("Iron Lung"), kWaveLayerWaveform), 3.0 / 7.0);
    EXPECT_NEAR(valueOf(valuesOf("Primal Scream"), kWaveLayerWaveform), 6.0 / 15.0, 1e-6);
    EXPECT_NEAR(valueOf(valuesOf("Rift Scream"), kWaveLayerWaveform), 16.0 / 23.0, 1e-6);
}

// Every step pattern of the blocks and long lists, as applied (the long lists' all-off own steps
// give way to the default pattern appended behind them).
TEST(FactoryPresetValues, StepTailAndSubPatternsAreApplied) {
    struct Case { const char* preset; const char* steps; const char* tails; const char* subs; };
    const Case cases[] = {
        {"Primal Scream", "F---F---F---F---", "X-X-X-X-", "--X---X---X---X-"},
        {"Rift Scream", "F---F---F---F---", "X-X-X-X-", "--X---X---X---X-"},
        {"Panther Strike", "F---F---F---F---", "X---X---", "--X---X---X---X-"},
        {"Feral Depth", "F---F---F---F---", "X-X-X-X-", "X---X---X---X---"},
        {"Prismatic Depth", "F---F---F---F---", "X-X-X-X-", "-X-X------XX--X-"},
        {"Razor Bedrock", "F---F---F---F---", "X-X-X-X-", "-X-X------XX--X-"},
        {"Motor Vault", "F---F---F---F---", "X-X-X-X-", "X---X---X-X-X---"},
        {"Nocturnal Mass", "F---F---F---F---", "X---X-X-", "X-----X---X-X---"},
        {"Static Burial", "F---F---F--F-HF-", "X-X-X-X-", "-X-X------XX--X-"},
        {"Rain Circuit", "F---F---F---F---", "X-X-X-X-", "-X-X------XX--X-"},
        {"Smoldering Core", "--H-F-H-F---F---", "X-X-X-X-", "X---X---X---X---"},
        {"Servo Impact", "F---F---F---F---", "X-X-X-X-", "X---X---X-X-X---"},
        {"Crushing Chamber", "F---F---F---F---", "X-X-X-X-", "--X---X---X---X-"},
        {"Velvet Descent", "F---F---F---F---", "X---X---", "X---X---X---X---"},
        {"Creeping Fault", "--H-F-H-F---F---", "X-X-X-X-", "X---X---X---X---"},
        {"Midnight Freight", "F---F---F---F---", "X-X-X-X-", "-X-X------XX--X-"},
        {"Abyss Engine", "F---F---F---F---", "X-X-X-X-", "X---X---X---X---"},
        {"Hollow Pressure", "F---F---F---F---", "X-X-X-X-", "X---X---X---X---"},
        {"Molten Depth", "F---F---F---F---", "X-X-X-X-", "X---X---X---X---"},
        {"Seismic Bloom", "F---F---F---F---", "X---X---", "X---X---X---X---"},
        {"Steel Toe", "F---F---F---F---", "X---X---", "X---X---X---X---"},
        {"Subharmonic Wire", "F---F---F---F---", "X---X---", "X---X---X---X---"},
        {"Echo Wire", "F---F---F---F---", "X---X---", "X---X---X---X---"},
        {"Voltage Stomp", "F---F---F---F---", "X---X---", "X---X---X---X---"},
        {"Tectonic Choir", "F---F---F---F---", "X---X---", "X---X---X---X---"},
        {"Crushing Tide", "F---F---F---F---", "X---X---", "X---X---X---X---"},
        {"Low Tide Impact", "F---F---F---F---", "X---X---", "X---X---X---X---"},
        {"Night Bedrock", "F---F---F---F---", "X-X-X-X-", "X---X---X---X---"},
        {"Underground Circuit", "F---F---F---F---", "X-X-X-X-", "X---X---X---X---"},
        {"Concrete Cathedral", "F---F---F---F---", "X-X-X-X-", "X---X---X---X---"},
        {"Ghost Machinery", "F---F---F---F---", "X-X-X-X-", "X---X---X---X---"},
        {"Needle Driver", "F---F---F---F---", "X---X---", "X---X---X---X---"},
        {"Triple Impact", "F---F---F---F---", "X---X---", "X---X---X---X---"},
        {"Twisted Strata", "F---F---F---F---", "X-X-X-X-", "X---X---X---X---"},
        {"Core Collapse", "F---F---F---F---", "X---X---", "X---X---X---X---"},
        {"Hard Meridian", "F---F---F---F---", "X---X---", "X---X---X---X---"},
        {"Pulse Breach", "H-HHHF---H--FHHF", "X---X---", "X---X---X---X---"},
        {"Siren Vault", "--H-F-H-F---F---", "X-X-X-X-", "X---X---X---X---"},
        // The short lists set no steps and keep the default tail and sub patterns.
        {"Basement Pressure", "F---F---F---F---", "X-X-X-X-", "X---X---X---X---"},
        {"Terminal Bloom", "F---F---F---F---", "X-X-X-X-", "X---X---X---X---"},
    };
    for (const Case& c : cases) {
        const PresetValues v = valuesOf(c.preset);
        EXPECT_EQ(stepsOf(v), c.steps) << c.preset;
        EXPECT_EQ(switchesOf(v, 300, 8), c.tails) << c.preset;
        EXPECT_EQ(switchesOf(v, 420, 16), c.subs) << c.preset;
    }
}

TEST(FactoryPresetValues, AppliedIdsAreTheRegistrationOrderWithoutTheFiveSkippedOnes) {
    ASSERT_EQ(kPresetAppliedIds.size(), 156u);
    std::size_t next = 0;
    for (const ParameterSpec& p : kParameterTable) {
        const bool skipped = p.id == 127 || p.id == 128 || p.id == 153 || p.id == 154 || p.id == 440;
        EXPECT_EQ(isPresetSkipId(p.id), skipped) << p.id;
        if (skipped) {
            EXPECT_EQ(presetAppliedIndex(p.id), -1) << p.id;
            continue;
        }
        ASSERT_LT(next, kPresetAppliedIds.size());
        EXPECT_EQ(kPresetAppliedIds[next], p.id);
        EXPECT_EQ(presetAppliedIndex(p.id), static_cast<int32_t>(next));
        ++next;
    }
    EXPECT_EQ(next, 156u);
    EXPECT_EQ(kPresetAppliedIds.front(), kFrequency);
    EXPECT_EQ(kPresetAppliedIds.back(), kStep16);
    for (uint32_t unknown : {0u, 99u, 198u, 216u, 299u, 418u, 441u, 100000u})
        EXPECT_EQ(presetAppliedIndex(unknown), -1) << unknown;
}

TEST(FactoryPresetValues, LaterPairsWinAndOtherParametersTakeTheirDefault) {
    FactoryPreset p{"Synthetic", {{kKickTune, 0.1}, {kVolume, 0.5}, {kKickTune, 0.9}, {kManualTempo, 1.0},
                                  {kSequencerEnabled, 0.0}, {kFactorySound, 1.0}, {kRenderWAV, 1.0}, {999, 0.5}}};
    const PresetValues v = effectivePresetValues(p);
    for (std::size_t i = 0; i < v.size(); ++i) {
        EXPECT_EQ(v[i].id, kPresetAppliedIds[i]);
        const ParamId id = kPresetAppliedIds[i];
        const double expected = id == kKickTune ? 0.9 : id == kVolume ? 0.5 : defaultNormalized(*findParameter(id));
        EXPECT_EQ(v[i].value, expected) << id;
    }
    // The parameter default of "Filter Cutoff" is 12 kHz; only a preset's own pair moves it.
    EXPECT_NEAR(logCutoffToPlain(valueOf(v, kFilterCutoff)), 12000.0, 1e-6);
}

TEST(FactoryPresetValues, DeepCurrentEndsAtItsOwnCutoff) {
    EXPECT_EQ(valueOf(valuesOf("Deep Current"), kFilterCutoff), 0.66);
}

TEST(FactoryPresetRenderList, ListsEveryPresetInMenuOrderWithItsAppliedValues) {
    const auto list = factoryPresetRenderList();
    const FactoryPresetTable& table = factoryPresetTable();
    ASSERT_EQ(list.size(), 58u);
    for (std::size_t i = 0; i < list.size(); ++i) {
        EXPECT_EQ(list[i].index, static_cast<int32_t>(i));
        EXPECT_STREQ(list[i].name, table[i].name);
        const PresetValues expected = effectivePresetValues(table[i]);
        for (std::size_t k = 0; k < expected.size(); ++k) {
            EXPECT_EQ(list[i].values[k].id, expected[k].id);
            EXPECT_EQ(list[i].values[k].value, expected[k].value) << list[i].name << " id " << expected[k].id;
        }
    }
}

TEST(FactoryPresetValues, NoTwoPresetsApplyTheSameSound) {
    const auto list = factoryPresetRenderList();
    for (std::size_t a = 0; a < list.size(); ++a)
        for (std::size_t b = a + 1; b < list.size(); ++b) {
            bool same = true;
            for (std::size_t k = 0; k < list[a].values.size() && same; ++k)
                same = list[a].values[k].value == list[b].values[k].value;
            EXPECT_FALSE(same) << list[a].name << " and " << list[b].name;
        }
}
