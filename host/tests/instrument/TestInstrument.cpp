#include "TestInstrument.h"

#include "public.sdk/source/main/pluginfactory.h"
#include "public.sdk/source/vst/vstaudioeffect.h"
#include "public.sdk/source/vst/vsteditcontroller.h"

#include "base/source/fstreamer.h"
#include "pluginterfaces/base/ibstream.h"
#include "pluginterfaces/base/ustring.h"
#include "pluginterfaces/vst/ivstevents.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"
#include "pluginterfaces/vst/ivstprocesscontext.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace GrundmoorTestInstrument {
namespace {

constexpr double kTwoPi = 6.283185307179586;

class Processor : public AudioEffect
{
public:
	Processor ()
	{
		setControllerClass (kControllerUID);
		processContextRequirements.needTempo ().needTransportState ().needProjectTimeMusic ();
	}

	static FUnknown* createInstance (void*) { return static_cast<IAudioProcessor*> (new Processor); }

	tresult PLUGIN_API initialize (FUnknown* context) SMTG_OVERRIDE
	{
		const tresult r = AudioEffect::initialize (context);
		if (r != kResultOk)
			return r;
		addAudioOutput (STR16 ("Stereo Out"), SpeakerArr::kStereo);
		addEventInput (STR16 ("Event In"), 1);
		return kResultOk;
	}

	tresult PLUGIN_API setActive (TBool state) SMTG_OVERRIDE
	{
		if (state)
			remaining = 0;
		return AudioEffect::setActive (state);
	}

	tresult PLUGIN_API setState (IBStream* state) SMTG_OVERRIDE
	{
		IBStreamer s (state, kLittleEndian);
		float value = 0;
		if (!s.readFloat (value))
			return kResultFalse;
		gain = value;
		return kResultOk;
	}

	tresult PLUGIN_API getState (IBStream* state) SMTG_OVERRIDE
	{
		IBStreamer s (state, kLittleEndian);
		return s.writeFloat (static_cast<float> (gain)) ? kResultOk : kResultFalse;
	}

	tresult PLUGIN_API notify (IMessage* message) SMTG_OVERRIDE
	{
		if (message && message->getMessageID () && std::strcmp (message->getMessageID (), kPingMessage) == 0)
		{
			++pings;
			return kResultOk;
		}
		return AudioEffect::notify (message);
	}

	tresult PLUGIN_API process (ProcessData& data) SMTG_OVERRIDE
	{
		// Parameter points, applied at their offsets below.
		struct Point
		{
			int32 offset;
			double value;
		};
		Point gainPoints[64];
		int32 gainPointCount = 0;
		if (auto* changes = data.inputParameterChanges)
			for (int32 i = 0; i < changes->getParameterCount (); ++i)
			{
				auto* queue = changes->getParameterData (i);
				if (!queue)
					continue;
				int32 offset = 0;
				ParamValue value = 0;
				const int32 points = queue->getPointCount ();
				if (queue->getParameterId () == kGainId)
				{
					for (int32 p = 0; p < points && gainPointCount < 64; ++p)
						if (queue->getPoint (p, offset, value) == kResultOk)
							gainPoints[gainPointCount++] = {offset, value};
				}
				else if (queue->getParameterId () == kAllocateId && points > 0 &&
				         queue->getPoint (points - 1, offset, value) == kResultOk)
					allocate = value >= 0.5;
			}

		if (allocate)
			leak.push_back (std::make_unique<float[]> (16)); // the deliberate fault

		// Triggers: note-ons, and quarter notes of a playing transport.
		int32 triggerOffsets[128];
		float triggerLevels[128];
		int32 triggerCount = 0;
		auto addTrigger = [&] (int32 offset, float level) {
			if (triggerCount < 128)
			{
				triggerOffsets[triggerCount] = offset;
				triggerLevels[triggerCount++] = level;
			}
		};
		if (auto* events = data.inputEvents)
			for (int32 i = 0; i < events->getEventCount (); ++i)
			{
				Event e {};
				if (events->getEvent (i, e) == kResultOk && e.type == Event::kNoteOnEvent && e.noteOn.velocity > 0)
					addTrigger (e.sampleOffset, e.noteOn.velocity);
			}
		if (const ProcessContext* ctx = data.processContext)
		{
			const uint32 needed = ProcessContext::kPlaying | ProcessContext::kTempoValid |
			                      ProcessContext::kProjectTimeMusicValid;
			if ((ctx->state & needed) == needed && ctx->tempo > 0)
			{
				const double samplesPerQuarter = 60.0 / ctx->tempo * processSetup.sampleRate;
				const double start = ctx->projectTimeMusic;
				// A quarter sounds at the first sample at or after it; consistent across blocks.
				for (double q = std::ceil (start - 1e-9);; q += 1.0)
				{
					const double at = std::ceil ((q - start) * samplesPerQuarter - 1e-6);
					if (at >= data.numSamples)
						break;
					addTrigger (static_cast<int32> (std::max (at, 0.0)), 1.0f);
				}
			}
		}

		const int32 burstLength = static_cast<int32> (kBurstSeconds * processSetup.sampleRate);
		const bool haveOutput = data.numOutputs > 0 && data.outputs && data.outputs[0].numChannels >= 2 &&
		                        data.outputs[0].channelBuffers32;
		int32 nextPoint = 0;
		for (int32 i = 0; i < data.numSamples; ++i)
		{
			while (nextPoint < gainPointCount && gainPoints[nextPoint].offset <= i)
				gain = gainPoints[nextPoint++].value;
			for (int32 t = 0; t < triggerCount; ++t)
				if (triggerOffsets[t] == i)
				{
					remaining = burstLength;
					level = triggerLevels[t];
					phase = 0;
					++triggers;
				}
			float sample = 0.0f;
			if (remaining > 0)
			{
				sample = static_cast<float> (gain * level * std::sin (phase) * remaining / burstLength);
				phase += kTwoPi * kBurstHz / processSetup.sampleRate;
				--remaining;
			}
			if (haveOutput)
			{
				data.outputs[0].channelBuffers32[0][i] = sample;
				data.outputs[0].channelBuffers32[1][i] = sample;
			}
		}
		while (nextPoint < gainPointCount)
			gain = gainPoints[nextPoint++].value;
		if (haveOutput)
			data.outputs[0].silenceFlags = 0;

		if (++blocks % kBlocksPerTick == 0)
			sendTick ();
		return kResultOk;
	}

private:
	void sendTick ()
	{
		IMessage* message = allocateMessage ();
		if (!message)
			return;
		message->setMessageID (kTickMessage);
		if (IAttributeList* attributes = message->getAttributes ())
		{
			attributes->setInt ("Block", blocks);
			attributes->setInt ("Triggers", triggers);
			attributes->setInt ("Pings", pings.load ());
			attributes->setFloat ("Gain", gain);
			sendMessage (message);
		}
		message->release ();
	}

	double gain = kDefaultGain;
	bool allocate = false;
	std::vector<std::unique_ptr<float[]>> leak;
	int32 remaining = 0;
	double level = 0;
	double phase = 0;
	int64 blocks = 0;
	int64 triggers = 0;
	std::atomic<int64> pings {0};
};

class Controller : public EditController
{
public:
	static FUnknown* createInstance (void*) { return static_cast<IEditController*> (new Controller); }

	tresult PLUGIN_API initialize (FUnknown* context) SMTG_OVERRIDE
	{
		const tresult r = EditController::initialize (context);
		if (r != kResultOk)
			return r;
		parameters.addParameter (STR16 ("Gain"), nullptr, 0, kDefaultGain, ParameterInfo::kCanAutomate, kGainId);
		parameters.addParameter (STR16 ("Allocate"), nullptr, 1, 0, ParameterInfo::kCanAutomate, kAllocateId);
		for (auto [title, id] : {std::pair {STR16 ("Ticks"), kTicksId}, std::pair {STR16 ("Triggers"), kTriggersId},
		                         std::pair {STR16 ("Pings"), kPingsId}})
			parameters.addParameter (new RangeParameter (title, id, nullptr, 0, kCountRange, 0, 0,
			                                             ParameterInfo::kIsReadOnly));
		return kResultOk;
	}

	tresult PLUGIN_API setComponentState (IBStream* state) SMTG_OVERRIDE
	{
		IBStreamer s (state, kLittleEndian);
		float value = 0;
		if (!s.readFloat (value))
			return kResultFalse;
		setParamNormalized (kGainId, value);
		// Lets the tests see a message travel from controller to processor.
		sendMessageID (kPingMessage);
		return kResultOk;
	}

	tresult PLUGIN_API notify (IMessage* message) SMTG_OVERRIDE
	{
		if (!message || !message->getMessageID () || std::strcmp (message->getMessageID (), kTickMessage) != 0)
			return EditController::notify (message);
		IAttributeList* attributes = message->getAttributes ();
		if (!attributes)
			return kResultFalse;
		++ticks;
		int64 triggersSeen = 0, pingsSeen = 0;
		attributes->getInt ("Triggers", triggersSeen);
		attributes->getInt ("Pings", pingsSeen);
		setCount (kTicksId, static_cast<double> (ticks));
		setCount (kTriggersId, static_cast<double> (triggersSeen));
		setCount (kPingsId, static_cast<double> (pingsSeen));
		return kResultOk;
	}

private:
	void setCount (ParamID id, double plain) { setParamNormalized (id, plainParamToNormalized (id, plain)); }

	int64 ticks = 0;
};

} // namespace
} // namespace GrundmoorTestInstrument

using namespace GrundmoorTestInstrument;

BEGIN_FACTORY_DEF ("Grundmoor Tests", "https://example.invalid/grundmoor", "mailto:tests@example.invalid")
	DEF_CLASS2 (INLINE_UID_FROM_FUID (kProcessorUID), PClassInfo::kManyInstances, kVstAudioEffectClass,
	            "Grundmoor Test Instrument", Vst::kDistributable, "Instrument", "0.1.0", kVstVersionString,
	            Processor::createInstance)
	DEF_CLASS2 (INLINE_UID_FROM_FUID (kControllerUID), PClassInfo::kManyInstances,
	            kVstComponentControllerClass, "Grundmoor Test InstrumentController", 0, "", "0.1.0",
	            kVstVersionString, Controller::createInstance)
END_FACTORY
