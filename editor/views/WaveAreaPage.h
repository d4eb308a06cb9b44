#pragma once

// The page of the effects workspace that the wave area shows in menu mode.

#include <cstdint>

namespace TarnwellPlugin {

enum WaveAreaPage : int32_t {
    kWaveAreaSubGenerator = 0, // "SUB GENERATOR"
    kWaveAreaExtendedMix = 1,  // "EXTENDED MIX"
    kWaveAreaExtendedFx = 2,   // "EXTENDED FX"
};

} // namespace TarnwellPlugin
