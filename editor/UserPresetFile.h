#pragma once

// The user's preset files: "<name>.thd" in the user data folder, one line per parameter:
// "<id> <normalized value>\n", the value with 17 significant digits in the C notation whatever the
// process locale.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace TarnwellPlugin {

inline constexpr const char* kUserPresetExtension = ".thd";

// "GRUNDMOOR-" and the local time as %Y-%m-%d_%H-%M-%S: the name the save dialog offers.
std::string defaultPresetName();

// The folder of the user presets (created with its parents when missing); empty when the user has
// no home at all, and then there are no user presets.
std::string userPresetFolder();

// The name a preset path shows in the menu and the delete dialog: the file name without its
// folder and, when it is at least five characters long, without its last four (".thd").
std::string presetLabel(const std::string& path);

// The file name (without folder and extension) for a typed name: every byte that is not an ASCII
// letter, digit, "-" or "_" becomes "-". An empty result, or "-" (which a menu takes for a
// separator line), becomes defaultPresetName().
std::string sanitizePresetName(const std::string& name);

// One line of a preset file.
struct PresetFileEntry {
    uint32_t id;
    double value;
};

// 17 significant digits, general notation, C locale: 1 -> "1", 0.8 -> "0.80000000000000004".
std::string formatPresetValue(double value);

// The whole file text, one "<id> <value>\n" line per entry, in the given order.
std::string presetFileText(const std::vector<PresetFileEntry>& entries);

// The (id, value) pairs of a file text, tokens separated by any white space, up to the first token
// that is not a number of its kind (or a missing value). Values are as written: not clamped.
std::vector<PresetFileEntry> parsePresetFileText(std::string_view text);

// Full paths of the regular files "<name>.thd" in the folder, sorted byte-wise. Names that a menu
// would show as a separator ("-.thd") are left out, as they could not be chosen.
std::vector<std::string> listUserPresetFiles(const std::string& folder);

// The path "<folder>/<name>.thd", or "<folder>/<name>_<n>.thd" with the smallest n >= 2, for which no
// directory entry exists (a dangling link counts as taken).
std::string freePresetPath(const std::string& folder, const std::string& name);

// Renames `from` to `to` unless an entry named `to` exists (errno is then EEXIST); never replaces
// anything, even when another process creates `to` at the same moment.
bool moveWithoutReplacing(const std::string& from, const std::string& to);

// Writes the text as a new file: into a temporary file of the folder, flushed to disk, then moved
// to a free name without ever replacing an existing entry (a name taken meanwhile moves on to the
// next free one). False on any failure, and then nothing is left behind. `path` is the name tried
// last (the written file on success).
bool writeNewPresetFile(const std::string& folder, const std::string& name, const std::string& text,
                        std::string& path);

// The whole content of a regular file; false when it cannot be opened or read (nothing is returned).
bool readPresetFile(const std::string& path, std::string& text);

// Removes a regular file; false for anything else (a folder, a missing file) or when removal fails.
bool removePresetFile(const std::string& path);

} // namespace TarnwellPlugin
