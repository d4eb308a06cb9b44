#pragma once

// The audio component: owns the sound engine, renders every host block with it, and sends the
// controller the visualization values about 30 times per second of audio.

#include "VisualizationMessage.h"

#include "public.sdk/source/vst/vstaudioeffect.h"

#include <memory>

namespace TarnwellPlugin {

class SoundEngine;

class ThudderProcessor : public Steinberg::Vst::AudioEffect {
public:
    ThudderProcessor();
    ~ThudderProcessor() override;

    // A new processor with one reference, or nothing when it cannot be built (e.g. no memory
    // for the wave tables): no exception reaches the host.
    static Steinberg::FUnknown* createInstance(void* context);

    Steinberg::tresult PLUGIN_API initialize(Steinberg::FUnknown* context) override;
    Steinberg::tresult PLUGIN_API terminate() override;
    Steinberg::tresult PLUGIN_API setActive(Steinberg::TBool state) override;
    Steinberg::tresult PLUGIN_API setState(Steinberg::IBStream* stream) override;
    Steinberg::tresult PLUGIN_API getState(Steinberg::IBStream* stream) override;
    Steinberg::tresult PLUGIN_API canProcessSampleSize(Steinberg::int32 symbolicSampleSize) override;
    Steinberg::tresult PLUGIN_API setupProcessing(Steinberg::Vst::ProcessSetup& setup) override;
    Steinberg::tresult PLUGIN_API process(Steinberg::Vst::ProcessData& data) override;

    SoundEngine& soundEngine() { return *engine; }

private:
    void sendVisualization();

    std::unique_ptr<SoundEngine> engine;
    VisualizationValues visualization; // filled on the audio thread; a member so nothing is allocated there
};

} // namespace TarnwellPlugin
