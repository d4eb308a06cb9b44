#include "FactoryPresetSources.h"

#include <algorithm>
#include <string_view>

namespace TarnwellPlugin {
namespace {

// Shapes of the transcribed data.
struct ShortOverrideList {
    const char* name;
    std::size_t first; // into kShortOverridePairs
    std::size_t count;
};

// Patterns are 16 (steps: F full, H half, - off) or 8 (tail steps: X on, - off) characters.
struct LongOverrideList {
    const char* name;
    std::size_t pairCount; // 103 or 107
    const char* steps;
    const char* tailSteps;
    double manualTempo;
};

struct FactoryPresetBlockPatterns {
    const char* name;
    const char* steps;
    const char* tailSteps;
    const char* subSteps;
    double manualTempo;
};

#include "FactoryPresetData.generated.inc"

// Shapes of the design data: one row per parameter, one column per preset, each value in the
// parameter's own unit (Hz, s, ms, %, dB, BPM), list entries as their index, toggles as 0 or 1.
inline constexpr std::size_t kDesignedBlockCount = 14;    // blocks 3-16
inline constexpr std::size_t kDesignedLongListCount = 22; // override lists 21-42
inline constexpr std::size_t kGatedLongListCount = 2;     // lists 41 and 42 also set the output gate

template <std::size_t Columns>
struct DesignRow {
    ParamId id;
    double plain[Columns];
};

#include "FactoryPresetDesign.inc"

constexpr bool isStepId(uint32_t id) { return id - kStep1 < 16u; }
constexpr bool isTailStepId(uint32_t id) { return id - kTailStep1 < 8u; }
constexpr bool isSubStepId(uint32_t id) { return id - kSubStep1 < 16u; }
// Values that come from the transcribed patterns rather than from the design rows.
constexpr bool isPatternId(uint32_t id) {
    return isStepId(id) || isTailStepId(id) || isSubStepId(id) || id == kManualTempo;
}

constexpr double stepValue(char c) { return c == 'F' ? 1.0 : c == 'H' ? 0.5 : 0.0; }
constexpr double switchValue(char c) { return c == 'X' ? 1.0 : 0.0; }

constexpr bool sameName(const char* a, const char* b) { return std::string_view(a) == std::string_view(b); }

template <std::size_t Columns, std::size_t Rows>
constexpr const DesignRow<Columns>* findRow(const DesignRow<Columns> (&rows)[Rows], uint32_t id) {
    for (const auto& row : rows)
        if (row.id == id) return &row;
    return nullptr;
}

// A design value is usable when it lies in its parameter's range and, for discrete kinds, on an
// entry: lists take a whole entry index, toggles and steps 0 or 1.
constexpr bool validPlain(uint32_t id, double plain) {
    const int32_t index = parameterIndex(id);
    if (index < 0) return false;
    const ParameterSpec& p = kParameterTable[index];
    switch (p.kind) {
    case ParamKind::Range:
    case ParamKind::LogRange: return plain >= p.minPlain && plain <= p.maxPlain;
    case ParamKind::List:
        return plain >= 0.0 && plain <= p.entryCount - 1 && plain == static_cast<double>(static_cast<int32_t>(plain));
    case ParamKind::Toggle: return plain == 0.0 || plain == 1.0;
    default: return false; // steps and actions are never designed
    }
}

// Rows hold exactly the ids of `order` that are not pattern ids, once each, with valid values.
template <std::size_t Columns, std::size_t Rows, std::size_t N>
constexpr bool rowsCoverOrder(const DesignRow<Columns> (&rows)[Rows], const uint32_t (&order)[N]) {
    std::size_t designed = 0;
    for (const uint32_t id : order) {
        if (isPatternId(id)) continue;
        ++designed;
        std::size_t found = 0;
        for (const auto& row : rows)
            if (row.id == id) ++found;
        if (found != 1) return false;
    }
    if (designed != Rows) return false; // no row for an id outside the order
    for (const auto& row : rows)
        for (const double v : row.plain)
            if (!validPlain(row.id, v)) return false;
    return true;
}

template <std::size_t Columns, std::size_t Rows>
constexpr bool rowsAreValid(const DesignRow<Columns> (&rows)[Rows]) {
    for (std::size_t i = 0; i < Rows; ++i) {
        for (std::size_t j = 0; j < i; ++j)
            if (rows[i].id == rows[j].id) return false;
        for (const double v : rows[i].plain)
            if (!validPlain(rows[i].id, v)) return false;
    }
    return true;
}

constexpr bool designedNamesMatch() {
    for (std::size_t i = 0; i < kDesignedBlockCount; ++i)
        if (!sameName(kDesignedBlockNames[i], kFactoryPresetBlockPatterns[2 + i].name)) return false;
    for (std::size_t i = 0; i < kDesignedLongListCount; ++i)
        if (!sameName(kDesignedLongListNames[i], kLongOverrideLists[i].name)) return false;
    for (std::size_t i = 0; i < kGatedLongListCount; ++i)
        if (!sameName(kGatedLongListNames[i], kLongOverrideLists[kDesignedLongListCount - kGatedLongListCount + i].name))
            return false;
    return true;
}

constexpr bool longListShapesMatch() {
    for (std::size_t i = 0; i < kDesignedLongListCount; ++i) {
        const bool gated = i >= kDesignedLongListCount - kGatedLongListCount;
        if (kLongOverrideLists[i].pairCount != (gated ? std::size(kLongListIds107) : std::size(kLongListIds103)))
            return false;
    }
    // The longer order only adds the output gate ids.
    if (std::size(kGatedLongListRows) != std::size(kLongListIds107) - std::size(kLongListIds103)) return false;
    for (const uint32_t id : kLongListIds107) {
        const bool inShort = std::find(std::begin(kLongListIds103), std::end(kLongListIds103), id) != std::end(kLongListIds103);
        const bool gateId = findRow(kGatedLongListRows, id) != nullptr;
        if (inShort == gateId) return false;
    }
    return true;
}

static_assert(std::size(kFactoryPresetDefaults) == 85);
static_assert(std::size(kShortOverrideLists) == kShortOverrideListCount);
static_assert(std::size(kLongOverrideLists) + kShortOverrideListCount == kOverrideListCount);
static_assert(std::size(kFactoryPresetBlockPatterns) == kFactoryPresetBlockCount);
static_assert(std::size(kFactoryPresetBlockIds) == kFactoryPresetBlockSize);
static_assert(std::size(kTranscribedFactoryPresetBlocks) + kDesignedBlockCount == kFactoryPresetBlockCount);
static_assert(designedNamesMatch(), "design columns must follow the preset order");
static_assert(rowsCoverOrder(kBlockDesignRows, kFactoryPresetBlockIds), "block design rows must cover the block ids");
static_assert(rowsCoverOrder(kLongListDesignRows, kLongListIds103), "long-list design rows must cover the list ids");
static_assert(rowsAreValid(kGatedLongListRows));
static_assert(longListShapesMatch());

// Normalized value of a design value (validated above); the clamp only absorbs rounding at the ends.
double designToNormalized(uint32_t id, double plain) {
    const ParameterSpec& p = kParameterTable[parameterIndex(id)];
    double v = plain;
    switch (p.kind) {
    case ParamKind::Range: v = (plain - p.minPlain) / (p.maxPlain - p.minPlain); break;
    case ParamKind::LogRange: v = logCutoffToNormalized(plain); break;
    case ParamKind::List: v = plain / (p.entryCount - 1); break;
    default: break;
    }
    return std::clamp(v, 0.0, 1.0);
}

// The value of a pattern id in a preset made with these patterns; subSteps may be null.
double patternValue(uint32_t id, const char* steps, const char* tailSteps, const char* subSteps, double manualTempo) {
    if (isStepId(id)) return stepValue(steps[id - kStep1]);
    if (isTailStepId(id)) return switchValue(tailSteps[id - kTailStep1]);
    if (isSubStepId(id) && subSteps) return switchValue(subSteps[id - kSubStep1]);
    return manualTempo;
}

} // namespace

std::span<const PresetParameterValue> factoryPresetDefaults() noexcept { return kFactoryPresetDefaults; }

std::span<const uint32_t> factoryPresetBlockIds() noexcept { return kFactoryPresetBlockIds; }

OverrideListSource overrideListSource(std::size_t position) {
    OverrideListSource source{"", {}};
    if (position < kShortOverrideListCount) {
        const ShortOverrideList& list = kShortOverrideLists[position];
        source.name = list.name;
        source.pairs.assign(kShortOverridePairs + list.first, kShortOverridePairs + list.first + list.count);
        return source;
    }
    const std::size_t column = position - kShortOverrideListCount;
    if (column >= kDesignedLongListCount) return source;
    const LongOverrideList& list = kLongOverrideLists[column];
    const bool gated = list.pairCount == std::size(kLongListIds107);
    const std::span<const uint32_t> order = gated ? std::span<const uint32_t>(kLongListIds107)
                                                  : std::span<const uint32_t>(kLongListIds103);
    source.name = list.name;
    source.pairs.reserve(order.size());
    for (const uint32_t id : order) {
        double value = 0.0;
        if (isPatternId(id))
            value = patternValue(id, list.steps, list.tailSteps, nullptr, list.manualTempo);
        else if (const auto* row = findRow(kLongListDesignRows, id))
            value = designToNormalized(id, row->plain[column]);
        else if (const auto* gate = findRow(kGatedLongListRows, id))
            value = designToNormalized(id, gate->plain[column - (kDesignedLongListCount - kGatedLongListCount)]);
        source.pairs.push_back({id, value});
    }
    return source;
}

FactoryPresetBlockSource factoryPresetBlockSource(std::size_t index) noexcept {
    FactoryPresetBlockSource source{"", {}};
    if (index >= kFactoryPresetBlockCount) return source;
    const FactoryPresetBlockPatterns& block = kFactoryPresetBlockPatterns[index];
    source.name = block.name;
    if (index < std::size(kTranscribedFactoryPresetBlocks)) {
        std::copy(std::begin(kTranscribedFactoryPresetBlocks[index]), std::end(kTranscribedFactoryPresetBlocks[index]),
                  source.values.begin());
        return source;
    }
    const std::size_t column = index - std::size(kTranscribedFactoryPresetBlocks);
    for (std::size_t i = 0; i < kFactoryPresetBlockSize; ++i) {
        const uint32_t id = kFactoryPresetBlockIds[i];
        if (isPatternId(id))
            source.values[i] = patternValue(id, block.steps, block.tailSteps, block.subSteps, block.manualTempo);
        else
            source.values[i] = designToNormalized(id, findRow(kBlockDesignRows, id)->plain[column]);
    }
    return source;
}

} // namespace TarnwellPlugin
