// The factory preset table: its entries, menu order, pair lists and construction rules.

#include "FactoryPresetSources.h"
#include "FactoryPresets.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <set>
#include <string>
#include <vector>

using namespace TarnwellPlugin;

namespace {

const char* const kMenuOrder[58] = {
    "Init", "Primal Scream", "Rift Scream", "Panther Strike", "Feral Depth", "Razor Bedrock", "Motor Vault",
    "Nocturnal Mass", "Static Burial", "Rain Circuit", "Smoldering Core", "Servo Impact", "Crushing Chamber",
    "Velvet Descent", "Creeping Fault", "Midnight Freight", "Abyss Engine", "Hollow Pressure", "Molten Depth",
    "Seismic Bloom", "Steel Toe", "Subharmonic Wire", "Echo Wire", "Voltage Stomp", "Tectonic Choir",
    "Crushing Tide", "Low Tide Impact", "Night Bedrock", "Underground Circuit", "Concrete Cathedral",
    "Ghost Machinery", "Needle Driver", "Triple Impact", "Twisted Strata", "Core Collapse", "Hard Meridian",
    "Pulse Breach", "Siren Vault", "Basement Pressure", "Concrete Pulse", "Iron Lung", "Night Transit",
    "Deep Current", "Club Hammer", "Tunnel Vision", "Black Velvet", "Subduction", "Neon Bruise", "Dust Chamber",
    "Cavern Signal", "Broken Piston", "Low Orbit", "Aftershock", "Rubber Room", "Phase Ritual", "Midnight Engine",
    "Terminal Bloom", "Prismatic Depth",
};

const FactoryPreset& preset(const char* name) {
    const int32_t index = factoryPresetIndex(name);
    EXPECT_GE(index, 0) << name;
    static const FactoryPreset none{"", {}};
    return index < 0 ? none : factoryPresetTable()[static_cast<std::size_t>(index)];
}

std::size_t countId(const FactoryPreset& p, uint32_t id) {
    std::size_t n = 0;
    for (const auto& pair : p.pairs) n += pair.id == id;
    return n;
}

bool onGrid(double v, int32_t steps, double tolerance) {
    const double k = std::round(v * steps);
    return std::fabs(v - k / steps) <= tolerance;
}

} // namespace

TEST(FactoryPresetTable, IsBuiltWhileTheModuleLoads) {
    // Static initialisation has run before main, without anyone asking for the table.
    EXPECT_EQ(factoryPresetCount, 58);
}

TEST(FactoryPresetTable, HoldsFiftyEightPresetsInMenuOrder) {
    ASSERT_TRUE(ensureFactoryPresetTable());
    const FactoryPresetTable& table = factoryPresetTable();
    ASSERT_EQ(table.size(), 58u);
    EXPECT_EQ(factoryPresetCount, 58);
    EXPECT_EQ(kFactoryPresetCount, 58);
    for (std::size_t i = 0; i < 58; ++i) {
        EXPECT_STREQ(table[i].name, kMenuOrder[i]) << "menu entry " << i;
        EXPECT_EQ(factoryPresetIndex(kMenuOrder[i]), static_cast<int32_t>(i));
        EXPECT_EQ(findFactoryPreset(static_cast<int32_t>(i)), &table[i]);
    }
}

TEST(FactoryPresetTable, NamedEntriesSitWhereTheMenuExpectsThem) {
    struct Case { int32_t index; const char* name; };
    const Case cases[] = {{0, "Init"}, {15, "Midnight Freight"}, {16, "Abyss Engine"}, {37, "Siren Vault"},
                          {38, "Basement Pressure"}, {56, "Terminal Bloom"}, {57, "Prismatic Depth"}};
    for (const Case& c : cases) {
        const FactoryPreset* p = findFactoryPreset(c.index);
        ASSERT_NE(p, nullptr) << c.index;
        EXPECT_STREQ(p->name, c.name);
    }
    EXPECT_EQ(findFactoryPreset(-1), nullptr);
    EXPECT_EQ(findFactoryPreset(58), nullptr);
    EXPECT_EQ(factoryPresetIndex("Prismatic"), -1);
    EXPECT_EQ(factoryPresetIndex(""), -1);
}

TEST(FactoryPresetTable, PairCountsFollowTheirSources) {
    struct Case { const char* name; std::size_t pairs; };
    const Case cases[] = {
        {"Init", 112},
        // Blocks: 157 values less "Manual Tempo".
        {"Primal Scream", 156}, {"Rift Scream", 156}, {"Panther Strike", 156}, {"Feral Depth", 156},
        {"Prismatic Depth", 156}, {"Razor Bedrock", 156}, {"Motor Vault", 156}, {"Nocturnal Mass", 156},
        {"Static Burial", 156}, {"Rain Circuit", 156}, {"Smoldering Core", 156}, {"Servo Impact", 156},
        {"Crushing Chamber", 156}, {"Velvet Descent", 156}, {"Creeping Fault", 156}, {"Midnight Freight", 156},
        // 85 + 103 - 1 + 16 appended steps, or none appended where the list sets its own.
        {"Abyss Engine", 203}, {"Hollow Pressure", 203}, {"Molten Depth", 203}, {"Seismic Bloom", 203},
        {"Steel Toe", 203}, {"Subharmonic Wire", 203}, {"Echo Wire", 203}, {"Voltage Stomp", 203},
        {"Tectonic Choir", 203}, {"Crushing Tide", 203}, {"Low Tide Impact", 203}, {"Night Bedrock", 203},
        {"Underground Circuit", 203}, {"Concrete Cathedral", 203}, {"Ghost Machinery", 203},
        {"Needle Driver", 203}, {"Triple Impact", 203}, {"Twisted Strata", 187}, {"Core Collapse", 187},
        {"Hard Meridian", 187}, {"Pulse Breach", 191}, {"Siren Vault", 191},
        // 85 + own + 16.
        {"Basement Pressure", 116}, {"Concrete Pulse", 112}, {"Iron Lung", 113}, {"Night Transit", 114},
        {"Deep Current", 114}, {"Club Hammer", 111}, {"Tunnel Vision", 114}, {"Black Velvet", 114},
        {"Subduction", 113}, {"Neon Bruise", 112}, {"Dust Chamber", 113}, {"Cavern Signal", 112},
        {"Broken Piston", 114}, {"Low Orbit", 112}, {"Aftershock", 114}, {"Rubber Room", 113},
        {"Phase Ritual", 113}, {"Midnight Engine", 112}, {"Terminal Bloom", 116},
    };
    ASSERT_EQ(std::size(cases), 58u);
    for (const Case& c : cases) EXPECT_EQ(preset(c.name).pairs.size(), c.pairs) << c.name;
}

TEST(FactoryPresetTable, NoPresetCarriesAnIdThatPresetsLeaveAlone) {
    for (const FactoryPreset& p : factoryPresetTable())
        for (const auto& pair : p.pairs) {
            EXPECT_FALSE(isPresetSkipId(pair.id)) << p.name << " id " << pair.id;
            EXPECT_NE(pair.id, 154u) << p.name;
            EXPECT_NE(pair.id, 440u) << p.name;
            EXPECT_NE(pair.id, 127u) << p.name;
            EXPECT_NE(pair.id, 128u) << p.name;
            EXPECT_NE(pair.id, 153u) << p.name;
        }
}

TEST(FactoryPresetTable, EveryValueIsInRangeAndOnItsParametersGrid) {
    // Transcribed list values may be stored in single precision, hence the tolerance; three short
    // lists store a list entry as a two-decimal value (0.33, 0.66 for k/3), which selects the same
    // entry and is allowed for exactly those pairs.
    constexpr double kTolerance = 1e-6;
    struct TwoDecimal { const char* preset; uint32_t id; };
    const TwoDecimal twoDecimal[] = {{"Aftershock", kTailRhythmRate}, {"Terminal Bloom", kTailRhythmRate},
                                     {"Phase Ritual", kLfo1Shape}};
    for (const FactoryPreset& p : factoryPresetTable())
        for (const auto& pair : p.pairs) {
            bool twoDecimals = false;
            for (const TwoDecimal& t : twoDecimal)
                twoDecimals = twoDecimals || (std::strcmp(t.preset, p.name) == 0 && t.id == pair.id);
            const ParameterSpec* param = findParameter(pair.id);
            ASSERT_NE(param, nullptr) << p.name << " id " << pair.id;
            const double v = pair.value;
            EXPECT_TRUE(v >= 0.0 && v <= 1.0) << p.name << " id " << pair.id << " = " << v;
            switch (param->kind) {
            case ParamKind::List:
                if (pair.id == kWaveLayerWaveform) {
                    EXPECT_TRUE(onGrid(v, 7, kTolerance) || onGrid(v, 15, kTolerance) || onGrid(v, 23, kTolerance))
                        << p.name << " waveform " << v;
                } else {
                    EXPECT_TRUE(onGrid(v, param->entryCount - 1, twoDecimals ? 0.01 : kTolerance))
                        << p.name << " id " << pair.id << " = " << v;
                }
                break;
            case ParamKind::Toggle: EXPECT_TRUE(v == 0.0 || v == 1.0) << p.name << " id " << pair.id << " = " << v; break;
            case ParamKind::Step:
                EXPECT_TRUE(v == 0.0 || v == 0.5 || v == 1.0) << p.name << " id " << pair.id << " = " << v;
                break;
            case ParamKind::Action: ADD_FAILURE() << p.name << " sets action " << pair.id; break;
            default: break;
            }
        }
}

TEST(FactoryPresetTable, BlockAndLongListPresetsSetEveryAppliedParameter) {
    const std::set<uint32_t> applied(kPresetAppliedIds.begin(), kPresetAppliedIds.end());
    ASSERT_EQ(applied.size(), 156u);
    for (int32_t i = 1; i <= 37; ++i) { // the blocks and override lists 21-42, plus "Prismatic Depth"
        const FactoryPreset* p = findFactoryPreset(i);
        ASSERT_NE(p, nullptr);
        std::set<uint32_t> ids;
        for (const auto& pair : p->pairs) ids.insert(pair.id);
        EXPECT_EQ(ids, applied) << p->name;
    }
    std::set<uint32_t> prismatic;
    for (const auto& pair : preset("Prismatic Depth").pairs) prismatic.insert(pair.id);
    EXPECT_EQ(prismatic, applied);
}

TEST(FactoryPresetTable, InitEndsWithTheDefaultStepPattern) {
    const FactoryPreset& init = preset("Init");
    ASSERT_GE(init.pairs.size(), 16u);
    for (uint32_t i = 0; i < 16; ++i) {
        const auto& pair = init.pairs[init.pairs.size() - 16 + i];
        EXPECT_EQ(pair.id, 200 + i);
        EXPECT_EQ(pair.value, i % 4 == 0 ? 1.0 : 0.0) << "step " << i + 1;
    }
}

TEST(FactoryPresetTable, LaterPairsOverrideTheDefaultHead) {
    const FactoryPreset& deep = preset("Deep Current");
    std::vector<double> cutoffs;
    for (const auto& pair : deep.pairs)
        if (pair.id == kFilterCutoff) cutoffs.push_back(pair.value);
    ASSERT_EQ(cutoffs.size(), 2u);
    EXPECT_EQ(cutoffs[0], 1.0);
    EXPECT_EQ(cutoffs[1], 0.66);
}

TEST(FactoryPresetTable, AllOffOwnStepsGetTheDefaultPatternBehindThem) {
    for (const char* name : {"Abyss Engine", "Needle Driver", "Triple Impact"}) {
        const FactoryPreset& p = preset(name);
        EXPECT_EQ(countId(p, kStep1), 2u) << name;
        // The own all-off steps come first, the appended pattern last.
        ASSERT_GE(p.pairs.size(), 16u);
        for (uint32_t i = 0; i < 16; ++i) {
            EXPECT_EQ(p.pairs[p.pairs.size() - 16 + i].id, 200 + i) << name;
            EXPECT_EQ(p.pairs[p.pairs.size() - 16 + i].value, i % 4 == 0 ? 1.0 : 0.0) << name;
        }
    }
    for (const char* name : {"Pulse Breach", "Siren Vault", "Twisted Strata", "Core Collapse", "Hard Meridian"})
        EXPECT_EQ(countId(preset(name), kStep1), 1u) << name;
}

TEST(FactoryPresetTable, ASecondEnsureChangesNothing) {
    const FactoryPresetTable& before = factoryPresetTable();
    const FactoryPreset* first = before.data();
    const PresetParameterValue* firstPairs = before.front().pairs.data();
    const std::size_t size = before.size();
    EXPECT_TRUE(ensureFactoryPresetTable());
    EXPECT_TRUE(ensureFactoryPresetTable());
    const FactoryPresetTable& after = factoryPresetTable();
    EXPECT_EQ(&before, &after);
    EXPECT_EQ(after.data(), first);
    EXPECT_EQ(after.size(), size);
    EXPECT_EQ(after.front().pairs.data(), firstPairs);
    EXPECT_EQ(factoryPresetCount, 58);
}

TEST(FactoryPresetTable, BlockIdsAreTheRegistrationOrderWithoutUnstoredParameters) {
    std::vector<uint32_t> expected;
    for (const ParameterSpec& p : kParameterTable)
        if (p.id != kFactorySound && p.id != kRenderWAV && p.id != kSaveCurrentPreset && p.id != kSequencerEnabled)
            expected.push_back(p.id);
    const auto ids = factoryPresetBlockIds();
    EXPECT_EQ(std::vector<uint32_t>(ids.begin(), ids.end()), expected);
    EXPECT_EQ(ids.size(), 157u);
}

TEST(FactoryPresetTable, DefaultHeadHasEightyFivePairsAndNoSteps) {
    const auto defaults = factoryPresetDefaults();
    ASSERT_EQ(defaults.size(), 85u);
    EXPECT_EQ(defaults.front().id, kVolume);
    EXPECT_EQ(defaults.front().value, 0.8);
    EXPECT_EQ(defaults.back().id, kHalfStepVelocity);
    EXPECT_EQ(defaults.back().value, 0.5);
    std::set<uint32_t> ids;
    for (const auto& pair : defaults) {
        EXPECT_FALSE(pair.id >= 200 && pair.id <= 215) << pair.id;
        EXPECT_TRUE(ids.insert(pair.id).second) << "repeated " << pair.id;
    }
    for (uint32_t absent : {127u, 128u, 153u, 154u, 440u}) EXPECT_EQ(ids.count(absent), 0u) << absent;
}

// The step rule of makeFactoryPreset, case by case.
TEST(MakeFactoryPreset, AppendsTheDefaultStepsOnlyWhenNoOwnStepIsSet) {
    struct Case {
        const char* what;
        std::vector<PresetParameterValue> own;
        bool appended;
    };
    std::vector<PresetParameterValue> allOff;
    for (uint32_t i = 0; i < 16; ++i) allOff.push_back({200 + i, 0.0});
    const Case cases[] = {
        {"no own pairs", {}, true},
        {"no step pairs", {{kKickTune, 0.3}, {kVolume, 0.7}}, true},
        {"all sixteen steps off", allOff, true},
        {"a half step", {{203, 0.5}}, false},
        {"the last step full", {{215, 1.0}}, false},
        {"the first step full among others", {{kKickTune, 0.3}, {200, 1.0}}, false},
        {"id below the steps", {{199, 1.0}}, true},
        {"id above the steps", {{216, 1.0}}, true},
        {"a tail step", {{300, 1.0}}, true},
        {"a sub step", {{420, 1.0}}, true},
    };
    const auto defaults = factoryPresetDefaults();
    for (const Case& c : cases) {
        const FactoryPreset p = makeFactoryPreset("Case", c.own.data(), c.own.size());
        EXPECT_STREQ(p.name, "Case");
        ASSERT_EQ(p.pairs.size(), defaults.size() + c.own.size() + (c.appended ? 16 : 0)) << c.what;
        for (std::size_t i = 0; i < defaults.size(); ++i) {
            EXPECT_EQ(p.pairs[i].id, defaults[i].id) << c.what;
            EXPECT_EQ(p.pairs[i].value, defaults[i].value) << c.what;
        }
        for (std::size_t i = 0; i < c.own.size(); ++i) {
            EXPECT_EQ(p.pairs[defaults.size() + i].id, c.own[i].id) << c.what;
            EXPECT_EQ(p.pairs[defaults.size() + i].value, c.own[i].value) << c.what;
        }
        if (c.appended)
            for (uint32_t i = 0; i < 16; ++i) {
                const auto& pair = p.pairs[defaults.size() + c.own.size() + i];
                EXPECT_EQ(pair.id, 200 + i) << c.what;
                EXPECT_EQ(pair.value, i % 4 == 0 ? 1.0 : 0.0) << c.what;
            }
    }
}

TEST(MakeBlockFactoryPreset, PairsValuesWithTheBlockIdsAndAddsNothing) {
    std::vector<double> values(200);
    for (std::size_t i = 0; i < values.size(); ++i) values[i] = static_cast<double>(i) / 256.0;
    const auto ids = factoryPresetBlockIds();
    struct Case { std::size_t count; std::size_t pairs; };
    for (const Case c : {Case{157, 157}, Case{10, 10}, Case{0, 0}, Case{200, 157}}) {
        const FactoryPreset p = makeBlockFactoryPreset("Block", values.data(), c.count);
        EXPECT_STREQ(p.name, "Block");
        ASSERT_EQ(p.pairs.size(), c.pairs) << c.count;
        for (std::size_t i = 0; i < p.pairs.size(); ++i) {
            EXPECT_EQ(p.pairs[i].id, ids[i]);
            EXPECT_EQ(p.pairs[i].value, values[i]);
        }
    }
}

TEST(FactoryPresetTable, NamesAreStaticStringsThatOutliveCopies) {
    const FactoryPreset copy = factoryPresetTable()[5];
    EXPECT_EQ(copy.name, factoryPresetTable()[5].name); // the same literal, not a copy
    EXPECT_STREQ(copy.name, "Razor Bedrock");
}
