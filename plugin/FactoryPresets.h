#pragma once

// The 58 factory presets: named lists of (parameter id, normalized value) pairs, built once per
// process (at module load, or on first use should that fail) and read-only afterwards. Every
// plug-in instance in the process shares the one table; no plug-in object owns it.

#include "ParameterTable.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace TarnwellPlugin {

// One setting of a preset.
struct PresetParameterValue {
    uint32_t id;  // a parameter id
    double value; // normalized, in [0, 1]
};

struct FactoryPreset {
    const char* name; // a string literal; never copied or freed
    // In the order they were added. An id may occur more than once: applying the preset walks the
    // pairs in order, so the later pair wins. A parameter without a pair takes its default.
    std::vector<PresetParameterValue> pairs;
};

// The presets in menu order.
using FactoryPresetTable = std::vector<FactoryPreset>;

inline constexpr int32_t kFactoryPresetCount = 58;

// Number of table entries: 58 once the table is built, 0 before (or while a build keeps failing).
// Written once, under the table's one-time guard.
extern int32_t factoryPresetCount;

// A preset from an override list: the 85 default pairs, then the count own pairs, then, when no own
// pair sets a step (200-215) above 0, the pattern full on steps 1, 5, 9 and 13 and off elsewhere.
FactoryPreset makeFactoryPreset(const char* name, const PresetParameterValue* pairs, std::size_t count);

// A preset from a block: value i belongs to factoryPresetBlockIds()[i]; at most 157 values are taken.
// No defaults and no step pattern are added.
FactoryPreset makeBlockFactoryPreset(const char* name, const double* values, std::size_t count);

// Builds the table on the first successful call; later calls return at once. Never throws: false
// when memory ran out, in which case nothing is kept and the next call tries again.
bool ensureFactoryPresetTable() noexcept;

// The table (built on demand); empty only when it cannot be built.
const FactoryPresetTable& factoryPresetTable() noexcept;

// Entry index of the table, or nullptr when index is out of range (or the table cannot be built).
const FactoryPreset* findFactoryPreset(int32_t index) noexcept;

// Table index of the first preset with this exact name, or -1.
int32_t factoryPresetIndex(std::string_view name) noexcept;

// Parameters a factory preset never changes: "Factory Sound", "Render WAV", "Save Current Preset",
// "Manual Tempo" and "Sequencer Enabled". Pairs for them are ignored when a preset is applied.
inline constexpr std::array<ParamId, 5> kPresetSkipIds = {kFactorySound, kRenderWAV, kSaveCurrentPreset,
                                                          kManualTempo, kSequencerEnabled};

constexpr bool isPresetSkipId(uint32_t id) {
    for (const ParamId skip : kPresetSkipIds)
        if (skip == id) return true;
    return false;
}

inline constexpr std::size_t kPresetAppliedIdCount = kParameterCount - kPresetSkipIds.size(); // 156

// The ids that applying a factory preset sets, in registration order (the controller's parameter
// index order, in which the editor applies them).
inline constexpr std::array<ParamId, kPresetAppliedIdCount> kPresetAppliedIds = [] {
    std::array<ParamId, kPresetAppliedIdCount> ids{};
    std::size_t n = 0;
    for (const ParameterSpec& p : kParameterTable)
        if (!isPresetSkipId(p.id)) ids[n++] = p.id; // a count mismatch fails to compile here
    return ids;
}();

// Position of an id in kPresetAppliedIds, or -1 for an id a preset does not set.
int32_t presetAppliedIndex(uint32_t id) noexcept;

// What applying a preset sets: one (id, value) per id of kPresetAppliedIds, in that order; each is
// the value of the preset's last pair for that id, or else the parameter's default normalized value.
// "Wave Layer Waveform" is given as stored (it may lie on the 8- or 16-entry grid of older lists);
// the engine reads all three grids, and the controller maps it with migrateWaveLayerWaveformValue.
using PresetValues = std::array<PresetParameterValue, kPresetAppliedIdCount>;
PresetValues effectivePresetValues(const FactoryPreset& preset) noexcept;

} // namespace TarnwellPlugin
