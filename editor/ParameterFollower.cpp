#include "ParameterFollower.h"

namespace TarnwellPlugin {

ParameterFollower::ParameterFollower(Steinberg::Vst::EditController* controller,
                                     const std::vector<std::pair<Steinberg::Vst::ParamID, uint32_t>>& watched) {
    if (!controller) return;
    for (const auto& [id, bits] : watched) {
        Steinberg::Vst::Parameter* parameter = controller->getParameterObject(id);
        if (!parameter) continue;
        parameter->addRef();
        parameter->addDependent(this);
        watches.push_back({parameter, bits});
    }
}

ParameterFollower::~ParameterFollower() { detach(); }

void ParameterFollower::detach() {
    for (const Watch& w : watches) {
        w.parameter->removeDependent(this);
        w.parameter->release();
    }
    watches.clear();
}

void PLUGIN_API ParameterFollower::update(Steinberg::FUnknown* changedUnknown, Steinberg::int32 message) {
    if (message != IDependent::kChanged) return;
    for (const Watch& w : watches)
        if (static_cast<Steinberg::FUnknown*>(w.parameter) == changedUnknown)
            pending.fetch_or(w.bits, std::memory_order_acq_rel);
}

} // namespace TarnwellPlugin
