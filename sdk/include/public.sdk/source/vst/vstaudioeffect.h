// Base class of an audio processor component: the VST 3 component (buses, controller class id,
// connection point) plus IAudioProcessor and IProcessContextRequirements with the usual defaults:
// 32-bit samples only, no latency, no tail, bus arrangements kept as the host sets them.
#pragma once

#include "public.sdk/source/vst/utility/processcontextrequirements.h"
#include "public.sdk/source/vst/vstbus.h"
#include "public.sdk/source/vst/vstcomponent.h"

#include "pluginterfaces/vst/ivstaudioprocessor.h"

namespace Steinberg {
namespace Vst {

class AudioEffect : public Component, public IAudioProcessor, public IProcessContextRequirements
{
public:
	/** Default setup until the host calls setupProcessing: real-time, 32-bit, 1024 samples at
	 * 44.1 kHz. */
	AudioEffect ();

	//--- Bus helpers (the component's bus lists) -------------------------------------------
	AudioBus* addAudioInput (const TChar* name, SpeakerArrangement arr, BusType busType = kMain,
	                         int32 flags = BusInfo::kDefaultActive);
	AudioBus* addAudioOutput (const TChar* name, SpeakerArrangement arr, BusType busType = kMain,
	                          int32 flags = BusInfo::kDefaultActive);
	AudioBus* getAudioInput (int32 index);
	AudioBus* getAudioOutput (int32 index);

	EventBus* addEventInput (const TChar* name, int32 channels = 16, BusType busType = kMain,
	                         int32 flags = BusInfo::kDefaultActive);
	EventBus* addEventOutput (const TChar* name, int32 channels = 16, BusType busType = kMain,
	                          int32 flags = BusInfo::kDefaultActive);
	EventBus* getEventInput (int32 index);
	EventBus* getEventOutput (int32 index);

	//--- IAudioProcessor -------------------------------------------------------------------
	tresult PLUGIN_API setBusArrangements (SpeakerArrangement* inputs, int32 numIns,
	                                       SpeakerArrangement* outputs, int32 numOuts) SMTG_OVERRIDE;
	tresult PLUGIN_API getBusArrangement (BusDirection dir, int32 index,
	                                      SpeakerArrangement& arr) SMTG_OVERRIDE;
	tresult PLUGIN_API canProcessSampleSize (int32 symbolicSampleSize) SMTG_OVERRIDE;
	uint32 PLUGIN_API getLatencySamples () SMTG_OVERRIDE { return 0; }
	tresult PLUGIN_API setupProcessing (ProcessSetup& setup) SMTG_OVERRIDE;
	tresult PLUGIN_API setProcessing (TBool /*state*/) SMTG_OVERRIDE { return kNotImplemented; }
	tresult PLUGIN_API process (ProcessData& /*data*/) SMTG_OVERRIDE { return kNotImplemented; }
	uint32 PLUGIN_API getTailSamples () SMTG_OVERRIDE { return kNoTail; }

	//--- IProcessContextRequirements -------------------------------------------------------
	uint32 PLUGIN_API getProcessContextRequirements () SMTG_OVERRIDE
	{
		return processContextRequirements.flags;
	}

	//--- Interfaces ------------------------------------------------------------------------
	OBJ_METHODS (AudioEffect, Component)
	DEFINE_INTERFACES
		DEF_INTERFACE (IAudioProcessor)
		DEF_INTERFACE (IProcessContextRequirements)
	END_DEFINE_INTERFACES (Component)
	REFCOUNT_METHODS (Component)

protected:
	ProcessSetup processSetup;
	ProcessContextRequirements processContextRequirements;
};

} // namespace Vst
} // namespace Steinberg
