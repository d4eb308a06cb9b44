#pragma once

// The edit controller: the 161 parameters, the processor's stored state, the visualization
// record its editor reads, and the editor view.

#include "SharedVisualizationSnapshot.h"

#include "public.sdk/source/vst/vsteditcontroller.h"

namespace TarnwellPlugin {

class ThudderController : public Steinberg::Vst::EditControllerEx1 {
public:
    ThudderController() = default;
    ~ThudderController() override = default;

    static Steinberg::FUnknown* createInstance(void* context);

    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;

    Steinberg::tresult PLUGIN_API initialize(Steinberg::FUnknown* context) override;
    Steinberg::tresult PLUGIN_API terminate() override;
    Steinberg::tresult PLUGIN_API notify(Steinberg::Vst::IMessage* message) override;
    Steinberg::tresult PLUGIN_API getParameterInfo(Steinberg::int32 paramIndex,
                                                   Steinberg::Vst::ParameterInfo& info) override;
    Steinberg::tresult PLUGIN_API setComponentState(Steinberg::IBStream* stream) override;
    Steinberg::tresult PLUGIN_API setState(Steinberg::IBStream* stream) override;
    Steinberg::tresult PLUGIN_API getState(Steinberg::IBStream* stream) override;
    Steinberg::IPlugView* PLUGIN_API createView(Steinberg::FIDString name) override;

    // kResultOk when `message` was a visualization message and its values were published.
    Steinberg::tresult receiveVisualizationMessage(Steinberg::Vst::IMessage* message);

    // This instance's visualization record (the editor polls it on its timers).
    SharedVisualizationSnapshot& visualizationSnapshot() { return snapshot_; }
    const SharedVisualizationSnapshot& visualizationSnapshot() const { return snapshot_; }

private:
    SharedVisualizationSnapshot snapshot_;
};

// The processor's state stream read into the controller's parameters (no edits reported).
Steinberg::tresult readComponentState(ThudderController& controller, Steinberg::IBStream* stream);

// Makes the editor view for a controller. The editor is built apart from the plug-in core: the bundle
// installs its maker when the module is loaded.
using EditorViewMaker = Steinberg::IPlugView* (*)(ThudderController& controller);
void setEditorViewMaker(EditorViewMaker maker);

// The editor for the view name "editor" (made by the installed maker); null for any other name, and
// while no maker is installed.
Steinberg::IPlugView* createEditorView(ThudderController& controller, Steinberg::FIDString name);

} // namespace TarnwellPlugin
