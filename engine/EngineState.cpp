#include "SoundEngine.h"

#include "ProcessorState.h"

// The processor state stream: the normalized block in the stream's own order.

namespace TarnwellPlugin {

Steinberg::tresult SoundEngine::writeState(Steinberg::IBStream* stream) const {
    const ParameterBlock& block = parameters();
    return encodeProcessorState(stream, [&block](uint32_t id) { return block.raw(id); });
}

// Runs on the host's state thread while the audio thread may be rendering: the values only go
// into the block's atomic slots, and the next render block applies them (its intake runs the
// module update anyway). A refused stream leaves the block untouched.
Steinberg::tresult SoundEngine::readState(Steinberg::IBStream* stream) {
    DecodedState decoded;
    if (decodeProcessorState(stream, decoded) != Steinberg::kResultOk) return Steinberg::kResultFalse;
    ParameterBlock& block = parameters();
    for (int32_t i = 0; i < decoded.count; ++i) block.store(decoded.values[i].id, decoded.values[i].normalized);
    block.store(kRenderWAV, 0.0);
    return Steinberg::kResultOk;
}

} // namespace TarnwellPlugin
