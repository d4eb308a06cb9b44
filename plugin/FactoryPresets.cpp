#include "FactoryPresets.h"

#include "FactoryPresetSources.h"

#include <algorithm>
#include <cstring>

namespace TarnwellPlugin {

static_assert(kOverrideListCount + kFactoryPresetBlockCount == static_cast<std::size_t>(kFactoryPresetCount));

int32_t factoryPresetCount = 0;

FactoryPreset makeFactoryPreset(const char* name, const PresetParameterValue* pairs, std::size_t count) {
    const std::span<const PresetParameterValue> defaults = factoryPresetDefaults();
    FactoryPreset preset{name, {}};
    preset.pairs.reserve(defaults.size() + count + 16);
    preset.pairs.assign(defaults.begin(), defaults.end());
    preset.pairs.insert(preset.pairs.end(), pairs, pairs + count);
    // Only the own pairs can hold steps; a half step counts as set, an all-off list does not.
    const bool setsSteps = std::any_of(pairs, pairs + count, [](const PresetParameterValue& p) {
        return p.id - static_cast<uint32_t>(kStep1) < 16u && p.value > 0.0;
    });
    if (!setsSteps)
        for (uint32_t i = 0; i < 16; ++i)
            preset.pairs.push_back({kStep1 + i, i % 4 == 0 ? 1.0 : 0.0});
    return preset;
}

FactoryPreset makeBlockFactoryPreset(const char* name, const double* values, std::size_t count) {
    const std::span<const uint32_t> ids = factoryPresetBlockIds();
    const std::size_t n = std::min(count, ids.size());
    FactoryPreset preset{name, {}};
    preset.pairs.reserve(n);
    for (std::size_t i = 0; i < n; ++i)
        preset.pairs.push_back({ids[i], values[i]});
    return preset;
}

namespace {

std::vector<FactoryPreset> buildOverrideFactoryPresets() {
    std::vector<FactoryPreset> presets;
    presets.reserve(kOverrideListCount);
    for (std::size_t position = 0; position < kOverrideListCount; ++position) {
        const OverrideListSource source = overrideListSource(position);
        presets.push_back(makeFactoryPreset(source.name, source.pairs.data(), source.pairs.size()));
    }
    return presets;
}

// Only the source of the table; released after it at exit (statics die in reverse order).
const std::vector<FactoryPreset>& overrideFactoryPresets() {
    static const std::vector<FactoryPreset> presets = buildOverrideFactoryPresets();
    return presets;
}

// Menu order: "Init", the 16 blocks, lists 21-42, lists 2-20, with "Prismatic Depth" moved last.
FactoryPresetTable buildFactoryPresetTable(const std::vector<FactoryPreset>& overrides) {
    FactoryPresetTable table;
    table.reserve(overrides.size() + kFactoryPresetBlockCount);
    table.push_back(overrides[0]);
    for (std::size_t b = 0; b < kFactoryPresetBlockCount; ++b) {
        const FactoryPresetBlockSource block = factoryPresetBlockSource(b);
        table.push_back(makeBlockFactoryPreset(block.name, block.values.data(), block.values.size()));
    }
    for (std::size_t i = kShortOverrideListCount; i < overrides.size(); ++i)
        table.push_back(overrides[i]);
    for (std::size_t i = 1; i < kShortOverrideListCount; ++i)
        table.push_back(overrides[i]);

    const auto prismatic = std::find_if(table.begin(), table.end(), [](const FactoryPreset& p) {
        return std::strcmp(p.name, "Prismatic Depth") == 0;
    });
    if (prismatic != table.end()) std::rotate(prismatic, prismatic + 1, table.end());

    // The tempo mode belongs to the session, not to a sound.
    for (FactoryPreset& preset : table)
        std::erase_if(preset.pairs, [](const PresetParameterValue& p) { return p.id == kManualTempo; });
    return table;
}

// A throw leaves the static unbuilt, so a later call builds it again.
const FactoryPresetTable& builtFactoryPresetTable() {
    static const FactoryPresetTable table = [] {
        FactoryPresetTable t = buildFactoryPresetTable(overrideFactoryPresets());
        factoryPresetCount = static_cast<int32_t>(t.size());
        return t;
    }();
    return table;
}

const FactoryPresetTable* tryFactoryPresetTable() noexcept {
    try {
        return &builtFactoryPresetTable();
    } catch (...) {
        return nullptr;
    }
}

constexpr uint32_t kLowestId = kFrequency;
constexpr uint32_t kHighestId = kSequencerEnabled;

constexpr auto kAppliedIndexById = [] {
    std::array<int16_t, kHighestId - kLowestId + 1> t{};
    for (auto& v : t) v = -1;
    for (std::size_t i = 0; i < kPresetAppliedIds.size(); ++i)
        t[kPresetAppliedIds[i] - kLowestId] = static_cast<int16_t>(i);
    return t;
}();

// Built while the module loads, so that the first menu does not wait; ensureFactoryPresetTable()
// cannot throw, so the host survives even a failed build (the first use then retries).
[[maybe_unused]] const bool initFactoryPresetTable = ensureFactoryPresetTable();

} // namespace

bool ensureFactoryPresetTable() noexcept { return tryFactoryPresetTable() != nullptr; }

const FactoryPresetTable& factoryPresetTable() noexcept {
    static const FactoryPresetTable empty;
    const FactoryPresetTable* table = tryFactoryPresetTable();
    return table ? *table : empty;
}

const FactoryPreset* findFactoryPreset(int32_t index) noexcept {
    const FactoryPresetTable& table = factoryPresetTable();
    if (index < 0 || static_cast<std::size_t>(index) >= table.size()) return nullptr;
    return &table[static_cast<std::size_t>(index)];
}

int32_t factoryPresetIndex(std::string_view name) noexcept {
    const FactoryPresetTable& table = factoryPresetTable();
    for (std::size_t i = 0; i < table.size(); ++i)
        if (name == table[i].name) return static_cast<int32_t>(i);
    return -1;
}

int32_t presetAppliedIndex(uint32_t id) noexcept {
    if (id < kLowestId || id > kHighestId) return -1;
    return kAppliedIndexById[id - kLowestId];
}

PresetValues effectivePresetValues(const FactoryPreset& preset) noexcept {
    PresetValues values{};
    for (std::size_t i = 0; i < kPresetAppliedIds.size(); ++i)
        values[i] = {kPresetAppliedIds[i], defaultNormalized(*findParameter(kPresetAppliedIds[i]))};
    for (const PresetParameterValue& pair : preset.pairs) {
        const int32_t i = presetAppliedIndex(pair.id);
        if (i >= 0) values[static_cast<std::size_t>(i)].value = pair.value;
    }
    return values;
}

} // namespace TarnwellPlugin
