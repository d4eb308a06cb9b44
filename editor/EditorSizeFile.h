#pragma once

// "editor-size.conf" in the user data folder: one line with the editor's zoom and, when a host
// window position is known, its x and y, numbers with 17 significant digits separated by blanks.
// Written at every close of an editor, read when the next one is made. Numbers are written and read
// in the classic "C" notation whatever the process's locale.

#include <string>

namespace TarnwellPlugin {

inline constexpr double kDefaultEditorZoom = 0.65;
inline constexpr double kMinEditorZoom = 0.3;
inline constexpr double kMaxEditorZoom = 2.0;

// Empty when the user has no data folder.
std::string editorSizeFilePath();

// True only when the file holds three numbers (zoom, x, y); then x and y are the last two.
bool readEditorSizeFile(double* x, double* y);

// The zoom for a new editor: the file's first number clamped to [0.3, 2.0], or 0.65 when there is no
// file or no number.
double readEditorZoom();

// Writes the zoom (clamped to [0.3, 2.0]) and, when hasWindow, the given position; without one, the
// position of the old file is kept when it had one. Nothing is written without a data folder.
void writeEditorSizeFile(double zoom, bool hasWindow, double x, double y);

} // namespace TarnwellPlugin
