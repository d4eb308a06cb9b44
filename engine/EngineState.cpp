#include "SoundEngine.h"

// The processor state stream (not built yet).

namespace TarnwellPlugin {

Steinberg::tresult SoundEngine::writeState(Steinberg::IBStream*) const { return Steinberg::kResultFalse; }
Steinberg::tresult SoundEngine::readState(Steinberg::IBStream*) { return Steinberg::kResultFalse; }

} // namespace TarnwellPlugin
