#pragma once

// Watches the parameters that the editor's own unbound controls show (the tempo-sync button and
// mode, the LFO shape buttons). A change may arrive on any thread the host calls the controller
// from; it only raises a flag here, and the editor applies the flags on its UI timer.

#include "base/source/fobject.h"
#include "public.sdk/source/vst/vsteditcontroller.h"

#include <atomic>
#include <cstdint>
#include <utility>
#include <vector>

namespace TarnwellPlugin {

class ParameterFollower : public Steinberg::FObject {
public:
    // Each watched parameter raises the bits given with it.
    ParameterFollower(Steinberg::Vst::EditController* controller,
                      const std::vector<std::pair<Steinberg::Vst::ParamID, uint32_t>>& watched);
    ~ParameterFollower() override;

    void PLUGIN_API update(Steinberg::FUnknown* changedUnknown, Steinberg::int32 message) override;

    // The bits raised since the last call.
    uint32_t takeChanges() { return pending.exchange(0, std::memory_order_acq_rel); }

    // Stops watching (before the controller's parameters go).
    void detach();

private:
    struct Watch {
        Steinberg::Vst::Parameter* parameter;
        uint32_t bits;
    };
    std::vector<Watch> watches;
    std::atomic<uint32_t> pending{0};
};

} // namespace TarnwellPlugin
