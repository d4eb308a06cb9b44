#include "public.sdk/source/vst/vstaudioeffect.h"

#include "pluginterfaces/base/ustring.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/vstspeaker.h"

#include <gtest/gtest.h>

#include <vector>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

// An effect with buses as a plug-in's initialize would add them.
class TwoBusEffect : public AudioEffect
{
public:
	TwoBusEffect ()
	{
		addAudioInput (STR16 ("In"), SpeakerArr::kMono);
		addAudioOutput (STR16 ("Out"), SpeakerArr::kStereo);
		addAudioOutput (STR16 ("Aux"), SpeakerArr::kStereo, kAux, 0);
		addEventInput (STR16 ("Events"), 1);
	}
	ProcessSetup& setup () { return processSetup; }
	ProcessContextRequirements& requirements () { return processContextRequirements; }
};

// Accepts 64-bit samples too, to see that setupProcessing asks the overridden check.
class DoublePrecisionEffect : public AudioEffect
{
public:
	tresult PLUGIN_API canProcessSampleSize (int32 size) SMTG_OVERRIDE
	{
		return size == kSample32 || size == kSample64 ? kResultTrue : kResultFalse;
	}
	const ProcessSetup& setup () const { return processSetup; }
};

template <typename T>
IPtr<T> make ()
{
	return owned (new T);
}

} // namespace

TEST (AudioEffect, DefaultSetupBeforeTheHostsIs1024SamplesAt44100RealtimeFloat)
{
	auto effect = make<TwoBusEffect> ();
	EXPECT_EQ (effect->setup ().maxSamplesPerBlock, 1024);
	EXPECT_DOUBLE_EQ (effect->setup ().sampleRate, 44100.0);
	EXPECT_EQ (effect->setup ().processMode, kRealtime);
	EXPECT_EQ (effect->setup ().symbolicSampleSize, kSample32);
}

TEST (AudioEffect, AddedBusesAreReportedWithTheirInfo)
{
	auto effect = make<TwoBusEffect> ();
	EXPECT_EQ (effect->getBusCount (kAudio, kInput), 1);
	EXPECT_EQ (effect->getBusCount (kAudio, kOutput), 2);
	EXPECT_EQ (effect->getBusCount (kEvent, kInput), 1);
	EXPECT_EQ (effect->getBusCount (kEvent, kOutput), 0);

	struct Case
	{
		MediaType type;
		BusDirection dir;
		int32 index;
		int32 channels;
		BusType busType;
		uint32 flags;
		const char* name;
	};
	const Case cases[] = {
	    {kAudio, kInput, 0, 1, kMain, BusInfo::kDefaultActive, "In"},
	    {kAudio, kOutput, 0, 2, kMain, BusInfo::kDefaultActive, "Out"},
	    {kAudio, kOutput, 1, 2, kAux, 0, "Aux"},
	    {kEvent, kInput, 0, 1, kMain, BusInfo::kDefaultActive, "Events"},
	};
	for (const auto& c : cases)
	{
		SCOPED_TRACE (c.name);
		BusInfo info {};
		ASSERT_EQ (effect->getBusInfo (c.type, c.dir, c.index, info), kResultTrue);
		EXPECT_EQ (info.mediaType, c.type);
		EXPECT_EQ (info.direction, c.dir);
		EXPECT_EQ (info.channelCount, c.channels);
		EXPECT_EQ (info.busType, c.busType);
		EXPECT_EQ (info.flags, c.flags);
		char8 name[128] {};
		UString (info.name, 128).toAscii (name, 128);
		EXPECT_STREQ (name, c.name);
	}
	BusInfo info {};
	EXPECT_EQ (effect->getBusInfo (kAudio, kOutput, 2, info), kInvalidArgument);
	EXPECT_EQ (effect->getBusInfo (kAudio, kOutput, -1, info), kInvalidArgument);
}

TEST (AudioEffect, BusAccessorsFindBusesByIndex)
{
	auto effect = make<TwoBusEffect> ();
	EXPECT_NE (effect->getAudioInput (0), nullptr);
	EXPECT_EQ (effect->getAudioInput (1), nullptr);
	EXPECT_NE (effect->getAudioOutput (1), nullptr);
	EXPECT_EQ (effect->getAudioOutput (-1), nullptr);
	EXPECT_NE (effect->getEventInput (0), nullptr);
	EXPECT_EQ (effect->getEventOutput (0), nullptr);
	EXPECT_EQ (effect->getAudioOutput (0)->getArrangement (), SpeakerArr::kStereo);
}

TEST (AudioEffect, GetBusArrangementAnswersExistingAudioBusesOnly)
{
	auto effect = make<TwoBusEffect> ();
	struct Case
	{
		BusDirection dir;
		int32 index;
		tresult result;
		SpeakerArrangement arrangement;
	};
	const Case cases[] = {
	    {kInput, 0, kResultTrue, SpeakerArr::kMono},
	    {kOutput, 0, kResultTrue, SpeakerArr::kStereo},
	    {kOutput, 1, kResultTrue, SpeakerArr::kStereo},
	    {kInput, 1, kInvalidArgument, 12345},
	    {kOutput, 2, kInvalidArgument, 12345},
	    {kOutput, -1, kInvalidArgument, 12345},
	    {kInput, -1, kInvalidArgument, 12345},
	    {static_cast<BusDirection> (7), 0, kInvalidArgument, 12345},
	};
	for (const auto& c : cases)
	{
		SCOPED_TRACE (testing::Message () << "dir " << c.dir << " index " << c.index);
		SpeakerArrangement arr = 12345;
		EXPECT_EQ (effect->getBusArrangement (c.dir, c.index, arr), c.result);
		EXPECT_EQ (arr, c.arrangement);
	}
}

TEST (AudioEffect, SetBusArrangementsKeepsWhatTheHostAsksForWhenItFits)
{
	struct Case
	{
		const char* what;
		std::vector<SpeakerArrangement> ins;
		std::vector<SpeakerArrangement> outs;
		tresult result;
		SpeakerArrangement in0, out0, out1; // afterwards
	};
	const auto mono = SpeakerArr::kMono;
	const auto stereo = SpeakerArr::kStereo;
	const auto surround = SpeakerArr::k51;
	const Case cases[] = {
	    {"same as now", {mono}, {stereo, stereo}, kResultTrue, mono, stereo, stereo},
	    {"all changed", {stereo}, {mono, surround}, kResultTrue, stereo, mono, surround},
	    {"fewer outputs", {mono}, {surround}, kResultTrue, mono, surround, stereo},
	    {"nothing", {}, {}, kResultTrue, mono, stereo, stereo},
	    {"too many inputs", {mono, mono}, {stereo}, kResultFalse, mono, stereo, stereo},
	    {"too many outputs", {mono}, {stereo, stereo, stereo}, kResultFalse, mono, stereo, stereo},
	};
	for (const auto& c : cases)
	{
		SCOPED_TRACE (c.what);
		auto effect = make<TwoBusEffect> ();
		auto ins = c.ins;
		auto outs = c.outs;
		EXPECT_EQ (effect->setBusArrangements (ins.data (), static_cast<int32> (ins.size ()),
		                                       outs.data (), static_cast<int32> (outs.size ())),
		           c.result);
		SpeakerArrangement arr = 0;
		effect->getBusArrangement (kInput, 0, arr);
		EXPECT_EQ (arr, c.in0);
		effect->getBusArrangement (kOutput, 0, arr);
		EXPECT_EQ (arr, c.out0);
		effect->getBusArrangement (kOutput, 1, arr);
		EXPECT_EQ (arr, c.out1);
	}
}

TEST (AudioEffect, SetBusArrangementsRefusesNegativeCounts)
{
	auto effect = make<TwoBusEffect> ();
	SpeakerArrangement arr = SpeakerArr::kStereo;
	EXPECT_EQ (effect->setBusArrangements (&arr, -1, &arr, 1), kInvalidArgument);
	EXPECT_EQ (effect->setBusArrangements (&arr, 1, &arr, -1), kInvalidArgument);
}

TEST (AudioEffect, AcceptsOnly32BitSamplesByDefault)
{
	auto effect = make<TwoBusEffect> ();
	struct Case
	{
		int32 size;
		tresult result;
	};
	const Case cases[] = {{kSample32, kResultTrue}, {kSample64, kResultFalse}, {-1, kResultFalse}, {2, kResultFalse}};
	for (const auto& c : cases)
	{
		SCOPED_TRACE (c.size);
		EXPECT_EQ (effect->canProcessSampleSize (c.size), c.result);
	}
}

TEST (AudioEffect, SetupProcessingKeepsAnAcceptedSetupAndRefusesOthers)
{
	struct Case
	{
		int32 sampleSize;
		tresult result;
		double rateAfter;
	};
	const Case cases[] = {{kSample32, kResultOk, 96000.0}, {kSample64, kResultFalse, 44100.0}};
	for (const auto& c : cases)
	{
		SCOPED_TRACE (c.sampleSize);
		auto effect = make<TwoBusEffect> ();
		ProcessSetup setup {kOffline, c.sampleSize, 256, 96000.0};
		EXPECT_EQ (effect->setupProcessing (setup), c.result);
		EXPECT_DOUBLE_EQ (effect->setup ().sampleRate, c.rateAfter);
		if (c.result == kResultOk)
		{
			EXPECT_EQ (effect->setup ().maxSamplesPerBlock, 256);
			EXPECT_EQ (effect->setup ().processMode, kOffline);
		}
	}
}

TEST (AudioEffect, SetupProcessingAsksTheOverriddenSampleSizeCheck)
{
	auto effect = make<DoublePrecisionEffect> ();
	ProcessSetup setup {kRealtime, kSample64, 512, 48000.0};
	EXPECT_EQ (effect->setupProcessing (setup), kResultOk);
	EXPECT_EQ (effect->setup ().symbolicSampleSize, kSample64);
}

TEST (AudioEffect, NoLatencyNoTailAndProcessingNotImplemented)
{
	auto effect = make<TwoBusEffect> ();
	EXPECT_EQ (effect->getLatencySamples (), 0u);
	EXPECT_EQ (effect->getTailSamples (), kNoTail);
	EXPECT_EQ (effect->setProcessing (true), kNotImplemented);
	ProcessData data;
	EXPECT_EQ (effect->process (data), kNotImplemented);
}

TEST (AudioEffect, ProcessContextRequirementsAreTheFlagsAdded)
{
	auto effect = make<TwoBusEffect> ();
	EXPECT_EQ (effect->getProcessContextRequirements (), 0u);
	effect->requirements ().needProjectTimeMusic ().needTempo ().needTransportState ();
	EXPECT_EQ (effect->getProcessContextRequirements (), 0x444u);
	effect->requirements ().needTempo ();
	EXPECT_EQ (effect->getProcessContextRequirements (), 0x444u);
}

TEST (AudioEffect, AnswersItsInterfaces)
{
	auto effect = make<TwoBusEffect> ();
	struct Case
	{
		const char* name;
		const FUID& iid;
	};
	const Case cases[] = {
	    {"FUnknown", FUnknown::iid}, {"IPluginBase", IPluginBase::iid},
	    {"IComponent", IComponent::iid}, {"IConnectionPoint", IConnectionPoint::iid},
	    {"IAudioProcessor", IAudioProcessor::iid},
	    {"IProcessContextRequirements", IProcessContextRequirements::iid},
	};
	for (const auto& c : cases)
	{
		SCOPED_TRACE (c.name);
		void* obj = nullptr;
		ASSERT_EQ (effect->queryInterface (c.iid, &obj), kResultOk);
		ASSERT_NE (obj, nullptr);
		static_cast<FUnknown*> (obj)->release ();
	}
	void* obj = reinterpret_cast<void*> (1);
	EXPECT_NE (effect->queryInterface (IEditController::iid, &obj), kResultOk);
	EXPECT_EQ (obj, nullptr);
}

TEST (AudioEffect, TerminateRemovesTheBuses)
{
	auto effect = make<TwoBusEffect> ();
	ASSERT_EQ (effect->initialize (nullptr), kResultOk);
	EXPECT_EQ (effect->terminate (), kResultOk);
	EXPECT_EQ (effect->getBusCount (kAudio, kOutput), 0);
	EXPECT_EQ (effect->getBusCount (kEvent, kInput), 0);
}
