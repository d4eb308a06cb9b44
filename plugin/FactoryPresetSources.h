#pragma once

// The constant sources of the factory presets: the default head of every override preset, the 42
// override lists and the 16 blocks with their shared id order. Transcribed values come from
// FactoryPresetData.generated.inc; the sound design of lists 21-42 and blocks 3-16 (everything but
// their step, tail step and sub step patterns) comes from FactoryPresetDesign.inc.

#include "FactoryPresets.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace TarnwellPlugin {

inline constexpr std::size_t kOverrideListCount = 42;
inline constexpr std::size_t kShortOverrideListCount = 20;
inline constexpr std::size_t kFactoryPresetBlockCount = 16;
inline constexpr std::size_t kFactoryPresetBlockSize = 157;

// The 85 pairs every override preset starts with.
std::span<const PresetParameterValue> factoryPresetDefaults() noexcept;

// Value i of every block belongs to id i of this order.
std::span<const uint32_t> factoryPresetBlockIds() noexcept;

struct OverrideListSource {
    const char* name;
    std::vector<PresetParameterValue> pairs; // the list's own pairs, in order
};

// Override list position (0-based, list order); position must be below kOverrideListCount.
// Allocates, so it may throw std::bad_alloc.
OverrideListSource overrideListSource(std::size_t position);

using FactoryPresetBlock = std::array<double, kFactoryPresetBlockSize>;

struct FactoryPresetBlockSource {
    const char* name;
    FactoryPresetBlock values;
};

// Block index (0-based, block order); index must be below kFactoryPresetBlockCount.
FactoryPresetBlockSource factoryPresetBlockSource(std::size_t index) noexcept;

} // namespace TarnwellPlugin
