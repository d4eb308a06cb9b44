// Loads a VST 3 bundle the way a Linux host does and plays its instrument, block by block.
//
//   TestHost host (bundlePath);          // dlopen, ModuleEntry, GetPluginFactory, class list
//   host.setup (48000.0, 256);           // component + controller, connected, set up, active
//   host.addNoteOn (0, 36, 1.0f);        // offsets count from the next process() call
//   host.queueParameter (id, 100, 0.7);
//   const auto& out = host.process (48000); // as many blocks as needed; main output bus
//   auto state = host.getState (); host.setState (state);
//
// Everything runs on the calling thread, which plays the audio thread during process().
#pragma once

#include "grundmoor/testhost/HostObjects.h"

#include "pluginterfaces/base/ipluginbase.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivstprocesscontext.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace grundmoor::testhost {

/** Loading or setting up failed; the message says which step. */
class HostError : public std::runtime_error
{
public:
	using std::runtime_error::runtime_error;
};

/** One class of the module's factory, in its richest description. */
struct ClassDescription
{
	Steinberg::FUID cid;
	int32 cardinality = 0;
	std::string category;
	std::string name;
	uint32 classFlags = 0;
	std::string subCategories;
	std::string vendor;
	std::string version;
	std::string sdkVersion;
};

/** The module file inside a bundle folder: <bundle>/Contents/x86_64-linux/<Name>.so. */
std::filesystem::path moduleFileOfBundle (const std::filesystem::path& bundle);

class TestHost
{
public:
	struct Transport
	{
		double tempo = 120.0;
		bool playing = false;
		double projectTimeMusic = 0.0; // quarter notes at the start of the next block
		int32 timeSigNumerator = 4;
		int32 timeSigDenominator = 4;
	};

	/** The main output bus of the blocks of the last process() call, one vector per channel. */
	struct Output
	{
		std::vector<std::vector<float>> channels;
		int32 numSamples = 0;
	};

	/** Loads the module and its factory; throws HostError when the bundle cannot be loaded. */
	explicit TestHost (const std::filesystem::path& bundle);
	/** Tears down what was set up, releases the factory, ModuleExit, dlclose. */
	~TestHost ();
	TestHost (const TestHost&) = delete;
	TestHost& operator= (const TestHost&) = delete;

	//--- The module ------------------------------------------------------------------------
	const std::filesystem::path& modulePath () const { return module; }
	const Steinberg::PFactoryInfo& factoryInfo () const { return factory; }
	const std::vector<ClassDescription>& classes () const { return classList; }
	Steinberg::IPluginFactory* pluginFactory () const { return pluginFactoryPtr; }
	HostApplication& hostApplication () { return hostApp; }

	//--- Set-up and tear-down --------------------------------------------------------------
	/** Creates the first "Audio Module Class" component and its controller, initializes both
	 * with the host context, connects them through proxies, hands the component state to the
	 * controller, sets up processing (32-bit samples), activates the main and default-active
	 * buses, then setActive and setProcessing. Throws HostError on a refusal. */
	void setup (double sampleRate, int32 maxBlockSize,
	            Steinberg::Vst::ProcessModes mode = Steinberg::Vst::kRealtime);
	/** setProcessing(false), setActive(false), disconnect, terminate controller and component,
	 * release both. Safe to call twice; the destructor calls it. */
	void teardown ();
	bool isSetUp () const { return component != nullptr; }
	/** Whether setup connects component and controller (default true); without, the
	 * plug-in's sendMessage finds no peer. Takes effect at the next setup. */
	void setConnectsComponents (bool connect) { connectsComponents = connect; }

	double sampleRate () const { return setupData.sampleRate; }
	int32 maxBlockSize () const { return setupData.maxSamplesPerBlock; }

	//--- Input for the next blocks ---------------------------------------------------------
	/** Offsets are samples from the start of the next process() call; they may lie beyond it. */
	void addNoteOn (int64_t offset, int16_t pitch, float velocity, int16_t channel = 0, int32 noteId = -1);
	void addNoteOff (int64_t offset, int16_t pitch, float velocity = 0.0f, int16_t channel = 0, int32 noteId = -1);
	void addEvent (int64_t offset, const Steinberg::Vst::Event& e);
	/** A point of the parameter's queue in the block that contains offset. */
	void queueParameter (ParamID id, int64_t offset, ParamValue value);
	/** Sets the parameter on the controller and queues it for the processor at the next block,
	 * as a host does with an automation or generic-editor change. */
	void setParameter (ParamID id, ParamValue value);

	Transport& transport () { return transportState; }
	/** The context of the last processed block. */
	const Steinberg::Vst::ProcessContext& lastContext () const { return context; }
	/** The value every output sample holds before each process call (default 0): a NaN
	 * shows samples the plug-in left unwritten. */
	void setOutputPrefill (float value) { outputPrefill = value; }
	/** Whether to hand the processor a ProcessContext at all. */
	void setProvidesContext (bool provide) { providesContext = provide; }

	//--- Processing ------------------------------------------------------------------------
	/** Processes numSamples in blocks of at most maxBlockSize; the output of all of them. */
	const Output& process (int64_t numSamples);
	/** Processes one block of numSamples (<= maxBlockSize); the plug-in's result. */
	tresult processBlock (int32 numSamples);
	const Output& output () const { return lastOutput; }
	/** The last block's buffer of one output channel (maxBlockSize samples), or null. */
	const float* blockOutput (int32 bus, int32 channel) const;
	int32 outputBusCount () const { return static_cast<int32> (outputBuses.size ()); }
	int32 outputChannelCount (int32 bus) const;
	/** Blocks whose process call did not answer kResultOk. */
	uint64_t failedBlocks () const { return failedBlockCount; }
	tresult lastProcessResult () const { return lastResult; }
	int64_t samplesProcessed () const { return samplePosition; }
	uint64_t blocksProcessed () const { return blockCount; }

	//--- State -----------------------------------------------------------------------------
	std::vector<char> getState () const;
	/** Component setState, then the controller's setComponentState with the same bytes. */
	tresult setState (const std::vector<char>& state);
	std::vector<char> getControllerState () const;
	tresult setControllerState (const std::vector<char>& state);

	//--- The plug-in's objects -------------------------------------------------------------
	Steinberg::Vst::IComponent* componentPtr () const { return component; }
	Steinberg::Vst::IAudioProcessor* processor () const { return audioProcessor; }
	Steinberg::Vst::IEditController* controller () const { return editController; }
	ComponentHandler& componentHandler () { return handler; }

	/** Messages the proxies forwarded to the controller / to the component (all set-ups). */
	std::uint64_t messagesToController () const;
	std::uint64_t messagesToComponent () const;
	/** Observes each message on its way to the controller (called inside the forwarding);
	 * applies to the current and later set-ups. */
	void setControllerMessageObserver (ConnectionProxy::Observer observer);

	//--- Allocations on the audio thread ---------------------------------------------------
	/** Heap allocations counted inside the plug-in's process calls since the last reset
	 * (requires the allocation hooks in the executable: AllocationCounter::hooksInstalled). */
	std::uint64_t processAllocations () const { return allocationsInProcess; }
	void resetProcessAllocations () { allocationsInProcess = 0; }

private:
	struct Pending
	{
		int64_t time; // absolute sample position
		Steinberg::Vst::Event event;
	};
	struct PendingPoint
	{
		int64_t time;
		ParamID id;
		ParamValue value;
	};

	void createAndConnect ();
	void prepareBuffers ();
	void fillBlockInput (int32 numSamples);
	void advanceTransport (int32 numSamples);

	std::filesystem::path module;
	void* library = nullptr;
	bool entered = false;
	Steinberg::IPluginFactory* pluginFactoryPtr = nullptr;
	Steinberg::PFactoryInfo factory;
	std::vector<ClassDescription> classList;

	HostApplication hostApp;
	ComponentHandler handler;
	Steinberg::Vst::IComponent* component = nullptr;
	Steinberg::Vst::IAudioProcessor* audioProcessor = nullptr;
	Steinberg::Vst::IEditController* editController = nullptr;
	bool controllerIsComponent = false;
	bool active = false;
	bool processing = false;
	std::unique_ptr<ConnectionProxy> toController;
	std::unique_ptr<ConnectionProxy> toComponent;
	ConnectionProxy::Observer controllerObserver;
	std::uint64_t earlierToController = 0;
	std::uint64_t earlierToComponent = 0;

	Steinberg::Vst::ProcessSetup setupData {};
	std::vector<std::vector<float>> inputChannels, outputChannels; // per channel, maxBlockSize
	std::vector<std::vector<float*>> inputPointers, outputPointers; // per bus
	std::vector<Steinberg::Vst::AudioBusBuffers> inputBuses, outputBuses;
	EventList inputEvents {4096};
	EventList outputEvents {4096};
	ParameterChanges inputChanges {512, 128};
	ParameterChanges outputChanges {512, 128};
	Steinberg::Vst::ProcessContext context {};
	Transport transportState;
	bool providesContext = true;
	bool connectsComponents = true;
	float outputPrefill = 0.0f;

	std::vector<Pending> pendingEvents;
	std::vector<PendingPoint> pendingPoints;
	int64_t samplePosition = 0;
	uint64_t blockCount = 0;
	uint64_t failedBlockCount = 0;
	tresult lastResult = Steinberg::kResultOk;
	Output lastOutput;
	std::uint64_t allocationsInProcess = 0;
};

} // namespace grundmoor::testhost
