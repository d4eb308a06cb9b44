#include "SoundEngine.h"

#include "ProcessorState.h"
#include "SoundEngineImpl.h"

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
    int32_t changed = 0;
    for (int32_t i = 0; i < decoded.count; ++i) {
        // The stream holds 32-bit floats: compare at that precision.
        const auto before = static_cast<float>(block.raw(decoded.values[i].id));
        if (!(before == static_cast<float>(decoded.values[i].normalized))) ++changed;
        block.store(decoded.values[i].id, decoded.values[i].normalized);
    }
    block.store(kRenderWAV, 0.0);
    // A restored sound replaces the old one like a preset: the next block fades over and clears
    // the tails. A state that changes little is applied as automation would be.
    if (changed >= kPresetChangeThreshold) impl_->stateReplaced.store(true, std::memory_order_release);
    return Steinberg::kResultOk;
}

} // namespace TarnwellPlugin
