#include "HostWindow.h"

namespace TarnwellPlugin {

// This build has no NSView parents, so there is never a host window to read or move.
struct HostWindowHandle {};

HostWindowHandle* createHostWindowHandle(void*) { return nullptr; }

void releaseHostWindowHandle(HostWindowHandle* handle) { delete handle; }

bool readHostWindowOrigin(HostWindowHandle*, double*, double*) { return false; }

bool moveHostWindow(HostWindowHandle*, bool, double, double, double) { return false; }

} // namespace TarnwellPlugin
