#pragma once

// The preset side of the preset renderer: every factory preset with the values that applying it
// sets, so that a renderer can load each one into an engine or a host and render it.

#include "FactoryPresets.h"

#include <vector>

namespace TarnwellPlugin {

struct FactoryPresetRenderEntry {
    int32_t index;      // table (menu) index
    const char* name;   // the preset's name
    PresetValues values; // effectivePresetValues of the preset
};

// One entry per factory preset, in menu order; empty when the table cannot be built.
std::vector<FactoryPresetRenderEntry> factoryPresetRenderList();

} // namespace TarnwellPlugin
