#include "ThudderController.h"

#include "ParameterRegistration.h"
#include "ParameterTable.h"
#include "ProcessorState.h"
#include "VisualizationMessage.h"

#include "pluginterfaces/vst/ivstunits.h"

#include <atomic>
#include <cstring>

namespace TarnwellPlugin {

using namespace Steinberg;

// A failed allocation answers the host with no object instead of an exception.
FUnknown* ThudderController::createInstance(void*) {
    try {
        return static_cast<Vst::IEditController*>(new ThudderController);
    } catch (...) {
        return nullptr;
    }
}

tresult PLUGIN_API ThudderController::queryInterface(const TUID iid, void** obj) {
    // Every parameter sits in the root unit, so hosts are shown no unit information.
    if (FUnknownPrivate::iidEqual(iid, Vst::IUnitInfo::iid)) {
        if (obj) *obj = nullptr;
        return kNoInterface;
    }
    return EditController::queryInterface(iid, obj);
}

tresult PLUGIN_API ThudderController::initialize(FUnknown* context) {
    if (parameters.getParameterCount() > 0) return kResultFalse; // already initialized
    const tresult result = EditControllerEx1::initialize(context);
    if (result != kResultOk) return result;
    try {
        registerParameters(parameters);
        // Show from the start what a fresh processor plays (and stores); the parameters' defaults,
        // for a host's reset to default, stay the table's.
        for (const StartValue& v : kEngineStartValues) setParamNormalized(v.id, v.normalized);
    } catch (...) {
        parameters.removeAll();
        return kOutOfMemory;
    }
    return kResultOk;
}

tresult PLUGIN_API ThudderController::terminate() { return EditControllerEx1::terminate(); }

tresult PLUGIN_API ThudderController::notify(Vst::IMessage* message) {
    if (receiveVisualizationMessage(message) == kResultOk) return kResultOk;
    return EditControllerEx1::notify(message);
}

// The SDK's container indexes with at(), which throws for an index out of range; a host asking
// past the end gets kResultFalse instead.
tresult PLUGIN_API ThudderController::getParameterInfo(int32 paramIndex, Vst::ParameterInfo& info) {
    if (paramIndex < 0 || paramIndex >= parameters.getParameterCount()) return kResultFalse;
    return EditControllerEx1::getParameterInfo(paramIndex, info);
}

tresult PLUGIN_API ThudderController::setComponentState(IBStream* stream) {
    try {
        return readComponentState(*this, stream);
    } catch (...) {
        return kInternalError;
    }
}

// The controller keeps nothing beyond its parameters, which the component state restores.
tresult PLUGIN_API ThudderController::setState(IBStream*) { return kResultOk; }
tresult PLUGIN_API ThudderController::getState(IBStream*) { return kResultOk; }

IPlugView* PLUGIN_API ThudderController::createView(FIDString name) { return createEditorView(*this, name); }

tresult ThudderController::receiveVisualizationMessage(Vst::IMessage* message) {
    if (!isVisualizationMessage(message)) return kResultFalse;
    Vst::IAttributeList* attributes = message->getAttributes();
    if (!attributes) return kResultFalse;

    double peakLeft = 0.0, peakRight = 0.0, tempo = kDefaultVisualizationTempo, reduction = 0.0;
    int64 triggerCount = 0;
    attributes->getFloat(kAttrPeakLeft, peakLeft);
    attributes->getFloat(kAttrPeakRight, peakRight);
    attributes->getFloat(kAttrTempo, tempo);
    attributes->getFloat(kAttrCompressionReductionDb, reduction);
    attributes->getInt(kAttrTriggerCount, triggerCount);

    const void* data = nullptr;
    uint32 size = 0;
    if (attributes->getBinary(kAttrWaveform, data, size) != kResultOk || !data) return kResultFalse;

    // The binary data need not be aligned for floats: copy it out first.
    float points[kSnapshotWaveformPoints];
    uint32 count = size / 4;
    if (count > kSnapshotWaveformPoints) count = kSnapshotWaveformPoints;
    std::memcpy(points, data, count * sizeof(float));

    snapshot_.publish(static_cast<float>(peakLeft), static_cast<float>(peakRight), static_cast<float>(tempo),
                      static_cast<float>(reduction), triggerCount < 0 ? 0u : static_cast<uint64_t>(triggerCount),
                      points, count);
    return kResultOk;
}

tresult readComponentState(ThudderController& controller, IBStream* stream) {
    DecodedState decoded;
    if (decodeProcessorState(stream, decoded) != kResultOk) return kResultFalse;
    for (int32_t i = 0; i < decoded.count; ++i)
        controller.setParamNormalized(decoded.values[i].id, decoded.values[i].normalized);
    return kResultOk;
}

namespace {
std::atomic<EditorViewMaker> editorViewMaker{nullptr};
} // namespace

void setEditorViewMaker(EditorViewMaker maker) { editorViewMaker.store(maker); }

IPlugView* createEditorView(ThudderController& controller, FIDString name) {
    if (!name || std::strcmp(name, "editor") != 0) return nullptr;
    const EditorViewMaker maker = editorViewMaker.load();
    return maker ? maker(controller) : nullptr;
}

} // namespace TarnwellPlugin
