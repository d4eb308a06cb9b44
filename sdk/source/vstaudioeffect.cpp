#include "public.sdk/source/vst/vstaudioeffect.h"

namespace Steinberg {
namespace Vst {

AudioEffect::AudioEffect ()
{
	processSetup.processMode = kRealtime;
	processSetup.symbolicSampleSize = kSample32;
	processSetup.maxSamplesPerBlock = 1024;
	processSetup.sampleRate = 44100.0;
}

AudioBus* AudioEffect::addAudioInput (const TChar* name, SpeakerArrangement arr, BusType busType,
                                      int32 flags)
{
	auto* bus = new AudioBus (name, busType, flags, arr);
	audioInputs.push_back (IPtr<Vst::Bus> (bus, false));
	return bus;
}

AudioBus* AudioEffect::addAudioOutput (const TChar* name, SpeakerArrangement arr, BusType busType,
                                       int32 flags)
{
	auto* bus = new AudioBus (name, busType, flags, arr);
	audioOutputs.push_back (IPtr<Vst::Bus> (bus, false));
	return bus;
}

EventBus* AudioEffect::addEventInput (const TChar* name, int32 channels, BusType busType,
                                      int32 flags)
{
	auto* bus = new EventBus (name, busType, flags, channels);
	eventInputs.push_back (IPtr<Vst::Bus> (bus, false));
	return bus;
}

EventBus* AudioEffect::addEventOutput (const TChar* name, int32 channels, BusType busType,
                                       int32 flags)
{
	auto* bus = new EventBus (name, busType, flags, channels);
	eventOutputs.push_back (IPtr<Vst::Bus> (bus, false));
	return bus;
}

namespace {

template <typename BusClass>
BusClass* busAt (BusList& list, int32 index)
{
	if (index < 0 || index >= static_cast<int32> (list.size ()))
		return nullptr;
	return FCast<BusClass> (list.at (static_cast<size_t> (index)).get ());
}

} // namespace

AudioBus* AudioEffect::getAudioInput (int32 index) { return busAt<AudioBus> (audioInputs, index); }
AudioBus* AudioEffect::getAudioOutput (int32 index) { return busAt<AudioBus> (audioOutputs, index); }
EventBus* AudioEffect::getEventInput (int32 index) { return busAt<EventBus> (eventInputs, index); }
EventBus* AudioEffect::getEventOutput (int32 index) { return busAt<EventBus> (eventOutputs, index); }

tresult PLUGIN_API AudioEffect::setBusArrangements (SpeakerArrangement* inputs, int32 numIns,
                                                    SpeakerArrangement* outputs, int32 numOuts)
{
	if (numIns < 0 || numOuts < 0)
		return kInvalidArgument;
	if ((numIns > 0 && !inputs) || (numOuts > 0 && !outputs))
		return kInvalidArgument;
	// More arrangements than buses cannot be honoured; fewer leave the remaining buses as they are.
	if (numIns > static_cast<int32> (audioInputs.size ()) ||
	    numOuts > static_cast<int32> (audioOutputs.size ()))
		return kResultFalse;

	for (int32 i = 0; i < numIns; ++i)
		if (auto* bus = busAt<AudioBus> (audioInputs, i))
			bus->setArrangement (inputs[i]);
	for (int32 i = 0; i < numOuts; ++i)
		if (auto* bus = busAt<AudioBus> (audioOutputs, i))
			bus->setArrangement (outputs[i]);
	return kResultTrue;
}

tresult PLUGIN_API AudioEffect::getBusArrangement (BusDirection dir, int32 index,
                                                   SpeakerArrangement& arr)
{
	// The component's bus lists take any direction other than input as output.
	if (dir != kInput && dir != kOutput)
		return kInvalidArgument;
	BusList* list = getBusList (kAudio, dir);
	if (!list || index < 0 || index >= static_cast<int32> (list->size ()))
		return kInvalidArgument;
	if (auto* bus = busAt<AudioBus> (*list, index))
	{
		arr = bus->getArrangement ();
		return kResultTrue;
	}
	return kResultFalse;
}

tresult PLUGIN_API AudioEffect::canProcessSampleSize (int32 symbolicSampleSize)
{
	return symbolicSampleSize == kSample32 ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API AudioEffect::setupProcessing (ProcessSetup& setup)
{
	// Asked through the virtual so a derived class that accepts 64-bit samples is honoured.
	if (canProcessSampleSize (setup.symbolicSampleSize) != kResultTrue)
		return kResultFalse;
	processSetup = setup;
	return kResultOk;
}

} // namespace Vst
} // namespace Steinberg
