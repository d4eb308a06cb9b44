#pragma once

// The per-user folder of the editor-size file and the user presets:
// $XDG_DATA_HOME/TarnwellPlugin/Grundmoor, or $HOME/.local/share/TarnwellPlugin/Grundmoor when
// XDG_DATA_HOME is unset or empty. HOME falls back to the password database; a user without any
// home has no folder, and then nothing is read or written (never a shared folder such as /tmp).

#include <string>

namespace TarnwellPlugin {

// The folder's path, or empty when the user has none. Nothing is created.
std::string userDataFolderPath();

// The folder's path after creating it and its parent, each with mode 0755 (errors, such as an
// existing folder, are ignored); empty when the user has none.
std::string createUserDataFolder();

} // namespace TarnwellPlugin
