// The test host driving the test instrument bundle end to end.
#include "TestInstrument.h"
#include "TestSupport.h"

#include "grundmoor/testhost/AllocationCounter.h"
#include "grundmoor/testhost/TestHost.h"

#include "pluginterfaces/vst/ivstaudioprocessor.h"

#include <gtest/gtest.h>

#include <cstring>
#include <cmath>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>

using namespace grundmoor::testhost;
using namespace testsupport;
using namespace Steinberg;
using namespace Steinberg::Vst;
namespace ti = GrundmoorTestInstrument;

namespace {

double readOnlyCount (TestHost& host, ParamID id)
{
	return host.controller ()->normalizedParamToPlain (id, host.controller ()->getParamNormalized (id));
}

float stateGain (const std::vector<char>& state)
{
	float gain = -1;
	if (state.size () == 4)
		std::memcpy (&gain, state.data (), 4); // little-endian, as the instrument writes it
	return gain;
}

} // namespace

TEST (TestHostLoading, FindsTheModuleAndListsTheFactoryClasses)
{
	TestHost host (instrumentBundle ());
	EXPECT_EQ (host.modulePath (), std::filesystem::path (instrumentBundle ()) / "Contents" / "x86_64-linux" /
	                                   "GrundmoorTestInstrument.so");
	EXPECT_STREQ (host.factoryInfo ().vendor, "Grundmoor Tests");
	EXPECT_EQ (host.factoryInfo ().flags & PFactoryInfo::kUnicode, PFactoryInfo::kUnicode);

	struct Expected
	{
		const FUID& cid;
		const char* category;
		const char* name;
		uint32 flags;
		const char* subCategories;
	};
	const Expected expected[] = {
	    {ti::kProcessorUID, "Audio Module Class", "Grundmoor Test Instrument", kDistributable, "Instrument"},
	    {ti::kControllerUID, "Component Controller Class", "Grundmoor Test InstrumentController", 0, ""},
	};
	ASSERT_EQ (host.classes ().size (), 2u);
	for (size_t i = 0; i < 2; ++i)
	{
		const auto& c = host.classes ()[i];
		SCOPED_TRACE (c.name);
		EXPECT_EQ (c.cid, expected[i].cid);
		EXPECT_EQ (c.category, expected[i].category);
		EXPECT_EQ (c.name, expected[i].name);
		EXPECT_EQ (c.classFlags, expected[i].flags);
		EXPECT_EQ (c.subCategories, expected[i].subCategories);
		EXPECT_EQ (c.cardinality, PClassInfo::kManyInstances);
		EXPECT_EQ (c.version, "0.1.0");
		EXPECT_EQ (c.sdkVersion, kVstVersionString);
	}
}

TEST (TestHostLoading, RefusesWhatIsNoLoadableBundle)
{
	const auto scratch = std::filesystem::path (GRUNDMOOR_TEST_OUTPUT_DIR) / "NotABundle.vst3";
	std::filesystem::create_directories (scratch / "Contents" / "x86_64-linux");
	const std::filesystem::path cases[] = {
	    "/nonexistent/Nothing.vst3", // no folder
	    scratch,                     // folder without a module
	};
	for (const auto& bundle : cases)
	{
		SCOPED_TRACE (bundle);
		EXPECT_THROW (TestHost host (bundle), HostError);
	}
}

TEST (TestHostLoading, ABundleWithoutAnAudioModuleClassCannotBeSetUp)
{
	TestHost host (GRUNDMOOR_SDK_PROBE_BUNDLE);
	EXPECT_EQ (host.classes ().size (), 1u);
	EXPECT_THROW (host.setup (48000, 256), HostError);
	EXPECT_FALSE (host.isSetUp ());
}

TEST (TestHostLoading, LoadsAgainAfterUnloading)
{
	for (int round = 0; round < 3; ++round)
	{
		SCOPED_TRACE (round);
		TestHost host (instrumentBundle ());
		host.setup (44100, 128);
		host.addNoteOn (0, 60, 1.0f);
		const auto& out = host.process (512);
		EXPECT_GT (peak (out.channels[0], 0, 512), 0.1f);
	}
}

TEST (TestHostLoading, TwoHostsOnOneBundleShareItsModuleAndFactory)
{
	for (bool firstGoesFirst : {true, false})
	{
		SCOPED_TRACE (firstGoesFirst);
		auto first = std::make_unique<TestHost> (instrumentBundle ());
		auto second = std::make_unique<TestHost> (instrumentBundle ());
		EXPECT_EQ (first->pluginFactory (), second->pluginFactory ()) << "one factory per process";
		first->setup (48000, 256);
		second->setup (44100, 128);
		(firstGoesFirst ? first : second).reset ();
		auto& remaining = firstGoesFirst ? *second : *first;
		remaining.addNoteOn (0, 36, 1.0f);
		EXPECT_GT (peak (remaining.process (1024).channels[0], 0, 1024), 0.1f);
	}
}

TEST (TestHostSetup, ConnectsComponentAndControllerBothWays)
{
	TestHost host (instrumentBundle ());
	host.setup (48000, 256);
	ASSERT_TRUE (host.isSetUp ());
	ASSERT_NE (host.controller (), nullptr);
	ASSERT_NE (host.processor (), nullptr);
	// The controller got the component state (the default gain) and pinged the component.
	EXPECT_DOUBLE_EQ (host.controller ()->getParamNormalized (ti::kGainId), static_cast<float> (ti::kDefaultGain));
	EXPECT_EQ (host.messagesToComponent (), 1u);
	EXPECT_EQ (host.messagesToController (), 0u);

	host.process (256 * ti::kBlocksPerTick * 3);
	EXPECT_EQ (host.messagesToController (), 3u);
	EXPECT_EQ (readOnlyCount (host, ti::kTicksId), 3.0);
	EXPECT_EQ (readOnlyCount (host, ti::kPingsId), 1.0) << "the ping reached the processor";
	EXPECT_EQ (host.hostApplication ().messagesCreated (), 4u);
}

TEST (TestHostSetup, UnconnectedOrWithoutMessagesTheProcessorStillPlays)
{
	struct Case
	{
		const char* what;
		bool connect;
		bool messages;
		std::uint64_t created; // messages the host application made: the ping, 8 ticks
	};
	const Case cases[] = {{"not connected", false, true, 1 + 8}, {"host gives no messages", true, false, 0}};
	for (const auto& c : cases)
	{
		SCOPED_TRACE (c.what);
		TestHost host (instrumentBundle ());
		host.setConnectsComponents (c.connect);
		host.hostApplication ().setProvidesMessages (c.messages);
		host.setup (48000, 128);
		host.addNoteOn (0, 36, 1.0f);
		const auto& out = host.process (128 * 64);
		EXPECT_EQ (host.failedBlocks (), 0u);
		EXPECT_EQ (triggerAt (out.channels[0]), 0);
		EXPECT_EQ (host.messagesToController (), 0u);
		EXPECT_EQ (host.hostApplication ().messagesCreated (), c.created);
	}
}

TEST (TestHostSetup, APrefilledOutputShowsThatEverySampleWasWritten)
{
	TestHost host (instrumentBundle ());
	host.setOutputPrefill (std::numeric_limits<float>::quiet_NaN ());
	host.setup (48000, 100);
	host.addNoteOn (50, 36, 1.0f);
	const auto& out = host.process (1000);
	for (const auto& channel : out.channels)
		for (float sample : channel)
			ASSERT_FALSE (std::isnan (sample));
}

TEST (TestHostSetup, TheProcessorSeesTheSetupAndItsBuses)
{
	TestHost host (instrumentBundle ());
	host.setup (96000, 100, kOffline);
	EXPECT_DOUBLE_EQ (host.sampleRate (), 96000);
	EXPECT_EQ (host.maxBlockSize (), 100);
	EXPECT_EQ (host.outputBusCount (), 1);
	EXPECT_EQ (host.outputChannelCount (0), 2);
	auto* requirements = FUnknownPtr<IProcessContextRequirements> (host.processor ()).getInterface ();
	ASSERT_NE (requirements, nullptr);
	EXPECT_EQ (requirements->getProcessContextRequirements (), 0x444u);
	// Blocks are never longer than the set-up maximum.
	host.process (1050);
	EXPECT_EQ (host.blocksProcessed (), 11u);
	EXPECT_EQ (host.samplesProcessed (), 1050);
}

TEST (TestHostSetup, TeardownIsRepeatableAndSetupAgainWorks)
{
	TestHost host (instrumentBundle ());
	host.setup (48000, 64);
	host.teardown ();
	host.teardown ();
	EXPECT_FALSE (host.isSetUp ());
	EXPECT_THROW (host.process (64), HostError);
	host.setup (48000, 64);
	host.addNoteOn (10, 60, 1.0f);
	EXPECT_EQ (triggerAt (host.process (64).channels[0]), 10);
}

TEST (TestHostEvents, NotesSoundAtTheirSampleOffsetsAcrossBlocks)
{
	struct Case
	{
		int32 blockSize;
		int64_t offset;
	};
	const Case cases[] = {{64, 0}, {64, 63}, {64, 64}, {64, 100}, {256, 1000}, {512, 511}, {1, 7}, {4096, 3000}};
	for (const auto& c : cases)
	{
		SCOPED_TRACE (testing::Message () << "block " << c.blockSize << " offset " << c.offset);
		TestHost host (instrumentBundle ());
		host.setup (48000, c.blockSize);
		host.addNoteOn (c.offset, 36, 1.0f);
		host.addNoteOff (c.offset + 200, 36);
		const auto& out = host.process (c.offset + 1000);
		EXPECT_EQ (triggerAt (out.channels[0]), c.offset);
		EXPECT_EQ (out.channels[0], out.channels[1]);
	}
}

TEST (TestHostEvents, NotesBeyondOneProcessCallWaitForTheirBlock)
{
	TestHost host (instrumentBundle ());
	host.setup (48000, 128);
	host.addNoteOn (5000, 36, 1.0f);
	EXPECT_EQ (triggerAt (host.process (4000).channels[0]), -1);
	EXPECT_EQ (triggerAt (host.process (4000).channels[0]), 1000);
}

TEST (TestHostEvents, VelocityScalesAndZeroVelocityIsNoTrigger)
{
	struct Case
	{
		float velocity;
		float expectedPeak; // gain 0.5 times velocity, decaying sine peaks near its start
	};
	const Case cases[] = {{1.0f, 0.5f}, {0.5f, 0.25f}, {0.0f, 0.0f}};
	for (const auto& c : cases)
	{
		SCOPED_TRACE (c.velocity);
		TestHost host (instrumentBundle ());
		host.setup (48000, 256);
		host.addNoteOn (0, 36, c.velocity);
		EXPECT_NEAR (peak (host.process (2400).channels[0], 0, 2400), c.expectedPeak, 0.01f);
	}
}

TEST (TestHostTransport, PlayingTransportTriggersEveryQuarterAtTheRightSample)
{
	struct Case
	{
		double tempo;
		double sampleRate;
		int32 blockSize;
		double start; // quarter notes
	};
	const Case cases[] = {{120, 48000, 512, 0}, {90, 44100, 100, 0}, {174, 96000, 333, 0}, {120, 48000, 64, 2.5}};
	for (const auto& c : cases)
	{
		SCOPED_TRACE (testing::Message () << c.tempo << " BPM, " << c.sampleRate << " Hz, block " << c.blockSize);
		TestHost host (instrumentBundle ());
		host.setup (c.sampleRate, c.blockSize);
		host.transport ().tempo = c.tempo;
		host.transport ().playing = true;
		host.transport ().projectTimeMusic = c.start;
		const double spq = 60.0 / c.tempo * c.sampleRate;
		const auto& out = host.process (static_cast<int64_t> (spq * 4 + 10));
		std::vector<int64_t> expected;
		for (double q = std::ceil (c.start); (q - c.start) * spq < out.numSamples; q += 1)
			expected.push_back (static_cast<int64_t> (std::ceil ((q - c.start) * spq - 1e-6)));
		EXPECT_EQ (triggers (out.channels[0]), expected);

		const auto& ctx = host.lastContext ();
		const uint32 flags = ProcessContext::kPlaying | ProcessContext::kTempoValid | ProcessContext::kProjectTimeMusicValid;
		EXPECT_EQ (ctx.state & flags, flags);
		EXPECT_DOUBLE_EQ (ctx.tempo, c.tempo);
		// The last block started one block before the end.
		const double lastStart = c.start + (out.numSamples - ((out.numSamples - 1) % c.blockSize + 1)) / spq;
		EXPECT_NEAR (ctx.projectTimeMusic, lastStart, 1e-9);
		EXPECT_NEAR (host.transport ().projectTimeMusic, c.start + out.numSamples / spq, 1e-9);
	}
}

TEST (TestHostTransport, StoppedTransportStaysPutAndTriggersNothing)
{
	TestHost host (instrumentBundle ());
	host.setup (48000, 512);
	host.transport ().playing = false;
	const auto& out = host.process (512 * 188);
	EXPECT_TRUE (triggers (out.channels[0]).empty ());
	EXPECT_EQ (host.lastContext ().state & ProcessContext::kPlaying, 0u);
	EXPECT_DOUBLE_EQ (host.transport ().projectTimeMusic, 0.0);
	EXPECT_DOUBLE_EQ (host.lastContext ().projectTimeMusic, 0.0);
	// Continuous time runs on while the transport stands.
	EXPECT_EQ (host.lastContext ().continousTimeSamples, 512 * 187);
}

TEST (TestHostTransport, WithoutAContextOnlyNotesTrigger)
{
	TestHost host (instrumentBundle ());
	host.setup (48000, 512);
	host.setProvidesContext (false);
	host.transport ().playing = true;
	host.addNoteOn (700, 36, 1.0f);
	EXPECT_EQ (triggers (host.process (48000).channels[0]), (std::vector<int64_t> {700}));
}

TEST (TestHostParameters, PointsTakeEffectAtTheirOffsets)
{
	struct Case
	{
		int32 blockSize;
		int64_t offset;
	};
	const Case cases[] = {{256, 300}, {256, 256}, {64, 10}, {1024, 1000}, {100, 99}};
	for (const auto& c : cases)
	{
		SCOPED_TRACE (testing::Message () << "block " << c.blockSize << " offset " << c.offset);
		TestHost reference (instrumentBundle ());
		reference.setup (48000, c.blockSize);
		reference.addNoteOn (0, 36, 1.0f);
		const auto expected = reference.process (2000).channels[0];

		TestHost host (instrumentBundle ());
		host.setup (48000, c.blockSize);
		host.addNoteOn (0, 36, 1.0f);
		host.queueParameter (ti::kGainId, c.offset, 0.25); // half the default gain
		const auto& out = host.process (2000).channels[0];
		for (int64_t i = 1; i < 2000; ++i)
		{
			const float want = i < c.offset ? expected[static_cast<size_t> (i)] : expected[static_cast<size_t> (i)] * 0.5f;
			ASSERT_NEAR (out[static_cast<size_t> (i)], want, 1e-6f) << "sample " << i;
		}
	}
}

TEST (TestHostParameters, ControllerEditsReachTheProcessorAtTheNextBlock)
{
	TestHost host (instrumentBundle ());
	host.setup (48000, 256);
	host.process (256);
	// What an editor does: the controller reports the edit to its handler; the host forwards it.
	host.componentHandler ().beginEdit (ti::kGainId);
	host.componentHandler ().performEdit (ti::kGainId, 1.0);
	host.componentHandler ().endEdit (ti::kGainId);
	ASSERT_EQ (host.componentHandler ().edits ().size (), 3u);
	host.addNoteOn (0, 36, 1.0f);
	EXPECT_NEAR (peak (host.process (2400).channels[0], 0, 2400), 1.0f, 0.02f);
	EXPECT_NEAR (stateGain (host.getState ()), 1.0f, 1e-6f);
}

TEST (TestHostState, SavedStateRestoresProcessorAndController)
{
	std::vector<char> saved;
	{
		TestHost host (instrumentBundle ());
		host.setup (48000, 256);
		EXPECT_FLOAT_EQ (stateGain (host.getState ()), 0.5f);
		host.setParameter (ti::kGainId, 0.8);
		host.process (256);
		saved = host.getState ();
		EXPECT_FLOAT_EQ (stateGain (saved), 0.8f);
	}
	TestHost restored (instrumentBundle ());
	restored.setup (48000, 256);
	ASSERT_EQ (restored.setState (saved), kResultOk);
	EXPECT_FLOAT_EQ (static_cast<float> (restored.controller ()->getParamNormalized (ti::kGainId)), 0.8f);
	EXPECT_EQ (restored.getState (), saved);
	restored.addNoteOn (0, 36, 1.0f);
	EXPECT_NEAR (peak (restored.process (2400).channels[0], 0, 2400), 0.8f, 0.02f);
	// The controller pinged the processor again when it took the restored state.
	EXPECT_EQ (restored.messagesToComponent (), 2u);
}

TEST (TestHostState, ATruncatedStateIsRefused)
{
	TestHost host (instrumentBundle ());
	host.setup (48000, 256);
	EXPECT_NE (host.setState ({}), kResultOk);
	EXPECT_NE (host.setState ({'\x01', '\x02'}), kResultOk);
	EXPECT_FLOAT_EQ (stateGain (host.getState ()), 0.5f);
}

TEST (TestHostAllocations, ProcessingWithMessagesDoesNotAllocateAfterWarmUp)
{
	ASSERT_TRUE (AllocationCounter::hooksInstalled ());
	struct Case
	{
		ProcessModes mode;
		int32 blockSize;
	};
	const Case cases[] = {{kRealtime, 64}, {kRealtime, 512}, {kOffline, 1024}};
	for (const auto& c : cases)
	{
		SCOPED_TRACE (c.blockSize);
		TestHost host (instrumentBundle ());
		host.setup (48000, c.blockSize, c.mode);
		host.transport ().playing = true;
		host.process (c.blockSize * 16); // warm-up
		host.resetProcessAllocations ();
		for (int i = 0; i < 20; ++i)
		{
			host.addNoteOn (i * 37, 36, 0.9f);
			host.queueParameter (ti::kGainId, i * 11, 0.3 + 0.01 * i);
		}
		host.process (c.blockSize * 64);
		EXPECT_GT (host.messagesToController (), 0u) << "messages were created on the audio thread";
		EXPECT_EQ (host.processAllocations (), 0u);
	}
}

TEST (TestHostAllocations, AnAllocatingProcessIsCaught)
{
	ASSERT_TRUE (AllocationCounter::hooksInstalled ());
	TestHost host (instrumentBundle ());
	host.setup (48000, 256);
	host.process (256 * 4);
	host.resetProcessAllocations ();
	host.setParameter (ti::kAllocateId, 1.0);
	host.process (256 * 10);
	EXPECT_GE (host.processAllocations (), 10u);
}
