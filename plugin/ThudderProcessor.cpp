#include "ThudderProcessor.h"

#include "NumberText.h"
#include "PluginIds.h"
#include "SoundEngine.h"

#include "pluginterfaces/vst/ivstmessage.h"
#include "pluginterfaces/vst/vstspeaker.h"

namespace TarnwellPlugin {

using namespace Steinberg;
using namespace Steinberg::Vst;

ThudderProcessor::ThudderProcessor() : engine(std::make_unique<SoundEngine>()) {
    setControllerClass(ThudderControllerUID);
    processContextRequirements.needProjectTimeMusic().needTempo().needTransportState();
}

ThudderProcessor::~ThudderProcessor() = default;

FUnknown* ThudderProcessor::createInstance(void*) {
    try {
        return static_cast<IAudioProcessor*>(new ThudderProcessor);
    } catch (...) {
        return nullptr;
    }
}

tresult PLUGIN_API ThudderProcessor::initialize(FUnknown* context) {
    const tresult result = AudioEffect::initialize(context);
    if (result != kResultOk) return result;
    try {
        addAudioOutput(toUtf16("Stereo Out").c_str(), SpeakerArr::kStereo, kMain, BusInfo::kDefaultActive);
        addEventInput(toUtf16("Event In").c_str(), 1, kMain, BusInfo::kDefaultActive);
    } catch (...) {
        removeAllBusses();
        return kOutOfMemory;
    }
    return kResultOk;
}

tresult PLUGIN_API ThudderProcessor::terminate() { return AudioEffect::terminate(); }

tresult PLUGIN_API ThudderProcessor::setActive(TBool state) {
    try {
        if (state) engine->reset();
        return AudioEffect::setActive(state);
    } catch (...) {
        return kInternalError;
    }
}

tresult PLUGIN_API ThudderProcessor::setState(IBStream* stream) {
    try {
        return engine->readState(stream);
    } catch (...) {
        return kInternalError;
    }
}

tresult PLUGIN_API ThudderProcessor::getState(IBStream* stream) {
    try {
        return engine->writeState(stream);
    } catch (...) {
        return kInternalError;
    }
}

tresult PLUGIN_API ThudderProcessor::canProcessSampleSize(int32 symbolicSampleSize) {
    return symbolicSampleSize == kSample32 ? kResultTrue : kResultFalse;
}

// The engine follows the host's rate even for a set-up the base then refuses (a 64-bit one).
// Preparing sizes the delay and reverb lines, which may fail for want of memory.
tresult PLUGIN_API ThudderProcessor::setupProcessing(ProcessSetup& setup) {
    try {
        engine->prepare(setup.sampleRate);
        return AudioEffect::setupProcessing(setup);
    } catch (...) {
        return kOutOfMemory;
    }
}

tresult PLUGIN_API ThudderProcessor::process(ProcessData& data) {
    try {
        const tresult result = engine->process(data);
        if (result != kResultOk) return result;
        visualization = VisualizationValues{};
        if (engine->takeVisualizationSnapshot(visualization.peakLeft, visualization.peakRight,
                                              visualization.waveform, visualization.tempo,
                                              visualization.compressionReductionDb, visualization.triggerCount))
            sendVisualization();
        return result;
    } catch (...) { // nothing in the render throws; a host's own objects might
        return kInternalError;
    }
}

void ThudderProcessor::sendVisualization() {
    IMessage* message = allocateMessage();
    if (!message) return;
    if (fillVisualizationMessage(*message, visualization)) sendMessage(message);
    message->release();
}

} // namespace TarnwellPlugin
