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
    // The next block decides how the restored sound takes over: at once when nothing sounds;
    // otherwise like a preset (the tails cleared, the output faded over) when it changes as many
    // values, else as automation would.
    const uint32_t bits = kStateRestored | (changed >= kPresetChangeThreshold ? kStateReplacedSound : 0u);
    impl_->restoredState.fetch_or(bits, std::memory_order_release);
    return Steinberg::kResultOk;
}

} // namespace TarnwellPlugin
