// The window-system side of the view library on Linux: the host's run loop and X11 windows.
#pragma once

#include "vstgui/lib/cview.h"

namespace Steinberg { namespace Linux { class IRunLoop; } }

namespace VSTGUI {
namespace Platform {

// Makes the host's run loop drive the timers. Editors may hand in the same loop or different
// ones; the timers run on one of them, and move to another attached one when the last editor
// of theirs detaches.
void attachHostRunLoop (Steinberg::Linux::IRunLoop* runLoop);
void detachHostRunLoop (Steinberg::Linux::IRunLoop* runLoop);

// Embeds the frame in the host's X11 window (parent is the window id). False when there is no
// display, no run loop to deliver its events, or the window cannot be made.
bool openX11Frame (CFrame* frame, void* parent, Steinberg::Linux::IRunLoop* runLoop);

} // namespace Platform
} // namespace VSTGUI
