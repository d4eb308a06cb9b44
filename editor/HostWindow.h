#pragma once

// The host window that holds the editor, for remembering and restoring its screen position. Only
// an NSView parent (macOS) has such a window; on every other platform these functions make no
// handle and move nothing, and the editor calls them only for an NSView parent.

namespace TarnwellPlugin {

struct HostWindowHandle;

// Null for a null view, off the main thread, or on a platform without NSView parents.
HostWindowHandle* createHostWindowHandle(void* nsView);
void releaseHostWindowHandle(HostWindowHandle* handle);

// The window frame's origin when the window qualifies; false (outputs untouched) otherwise.
bool readHostWindowOrigin(HostWindowHandle* handle, double* x, double* y);

// Places the window at the saved origin (or keeps it), pulled into the visible screen frame with
// the left margin; true when the window was moved.
bool moveHostWindow(HostWindowHandle* handle, bool useSaved, double x, double y, double margin);

} // namespace TarnwellPlugin
