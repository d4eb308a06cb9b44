#pragma once

// The product's identity as hosts store it in their projects: these class ids never change.

#include "pluginterfaces/base/funknown.h"

namespace TarnwellPlugin {

inline constexpr Steinberg::uint32 kProcessorUidWords[4] = {0x95F0FC49, 0x4EEA41AC, 0xB2981AC6, 0xA99D8971};
inline constexpr Steinberg::uint32 kControllerUidWords[4] = {0x76B96D9C, 0xEB1F45C0, 0x92103079, 0x885D58EB};

inline const Steinberg::FUID ThudderProcessorUID(kProcessorUidWords[0], kProcessorUidWords[1], kProcessorUidWords[2],
                                                 kProcessorUidWords[3]);
inline const Steinberg::FUID ThudderControllerUID(kControllerUidWords[0], kControllerUidWords[1],
                                                  kControllerUidWords[2], kControllerUidWords[3]);

inline constexpr const char* kVendor = "Tarnwell";
inline constexpr const char* kVendorUrl = "https://www.tarnwell-audio.com";
inline constexpr const char* kVendorEmail = "mailto:support@tarnwell-audio.com";
inline constexpr const char* kProcessorName = "Grundmoor Rumble Kick";
inline constexpr const char* kControllerName = "Grundmoor Rumble KickController";
inline constexpr const char* kPluginVersion = "1.0.3";
inline constexpr const char* kPluginSdkVersion = "VST 3.8.0";

} // namespace TarnwellPlugin
