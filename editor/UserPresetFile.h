#pragma once

// The user's preset files: "<name>.thd" in the user data folder, one line per parameter.

#include <string>

namespace TarnwellPlugin {

inline constexpr const char* kUserPresetExtension = ".thd";

// "GRUNDMOOR-" and the local time as %Y-%m-%d_%H-%M-%S: the name the save dialog offers.
std::string defaultPresetName();

} // namespace TarnwellPlugin
