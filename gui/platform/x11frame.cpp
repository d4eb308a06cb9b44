// X11 embedding of a frame in the host's window.
#include "platform.h"

namespace VSTGUI {
namespace Platform {

bool openX11Frame (CFrame* /*frame*/, void* /*parent*/, Steinberg::Linux::IRunLoop* /*runLoop*/)
{
	return false;
}

} // namespace Platform
} // namespace VSTGUI
