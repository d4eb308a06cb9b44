#include "SoundEngine.h"

// Placeholder until the render road lands: silence, no state.

namespace TarnwellPlugin {

struct SoundEngine::Impl {
    ParameterBlock parameters;
};

SoundEngine::SoundEngine() : impl_(new Impl) {}
SoundEngine::~SoundEngine() { delete impl_; }
void SoundEngine::prepare(double) {}
void SoundEngine::reset() {}
Steinberg::tresult SoundEngine::process(Steinberg::Vst::ProcessData&) { return Steinberg::kResultOk; }
bool SoundEngine::takeVisualizationSnapshot(float&, float&, float (&)[kWaveformPoints], double&, float&, uint64_t&) {
    return false;
}
ParameterBlock& SoundEngine::parameters() { return impl_->parameters; }
const ParameterBlock& SoundEngine::parameters() const { return impl_->parameters; }

} // namespace TarnwellPlugin
