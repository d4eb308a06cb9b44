#include "grundmoor/testhost/TestHost.h"

#include "grundmoor/testhost/AllocationCounter.h"

#include "base/source/fstring.h"
#include "public.sdk/source/common/memorystream.h"
#include "pluginterfaces/base/ipluginbase.h"
#include "pluginterfaces/vst/ivstmessage.h"

#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace grundmoor::testhost {

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

std::string utf8 (const char16* s)
{
	if (!s || !*s)
		return {};
	String str (s);
	str.toMultiByte (kCP_Utf8);
	return str.text8 () ? std::string (str.text8 ()) : std::string ();
}

const char* archFolder ()
{
#if defined(__x86_64__)
	return "x86_64-linux";
#elif defined(__aarch64__)
	return "aarch64-linux";
#elif defined(__i386__)
	return "i386-linux";
#else
	return "unknown-linux";
#endif
}

template <typename Interface>
Interface* queryOf (FUnknown* object)
{
	void* obj = nullptr;
	if (!object || object->queryInterface (Interface::iid, &obj) != kResultOk)
		return nullptr;
	return static_cast<Interface*> (obj);
}

std::string describe (const char* step, tresult result)
{
	return std::string (step) + " failed (result " + std::to_string (result) + ")";
}

} // namespace

std::filesystem::path moduleFileOfBundle (const std::filesystem::path& bundle)
{
	auto name = bundle.filename ();
	if (name.empty ()) // "Name.vst3/"
		name = bundle.parent_path ().filename ();
	return bundle / "Contents" / archFolder () / name.replace_extension (".so");
}

//--- Loading ------------------------------------------------------------------------------------

TestHost::TestHost (const std::filesystem::path& bundle) : module (moduleFileOfBundle (bundle))
{
	if (!std::filesystem::is_directory (bundle))
		throw HostError ("no bundle folder " + bundle.string ());
	if (!std::filesystem::is_regular_file (module))
		throw HostError ("no module " + module.string () + " in the bundle");

	library = dlopen (module.c_str (), RTLD_NOW | RTLD_LOCAL);
	if (!library)
		throw HostError (std::string ("dlopen failed: ") + dlerror ());

	try
	{
		using EntryProc = bool (*) (void*);
		auto moduleEntry = reinterpret_cast<EntryProc> (dlsym (library, "ModuleEntry"));
		if (!moduleEntry)
			throw HostError ("the module exports no ModuleEntry");
		if (!moduleEntry (library))
			throw HostError ("ModuleEntry returned false");
		entered = true;

		auto getFactory = reinterpret_cast<GetFactoryProc> (dlsym (library, "GetPluginFactory"));
		if (!getFactory)
			throw HostError ("the module exports no GetPluginFactory");
		pluginFactoryPtr = getFactory ();
		if (!pluginFactoryPtr)
			throw HostError ("GetPluginFactory returned no factory");

		if (pluginFactoryPtr->getFactoryInfo (&factory) != kResultOk)
			factory = PFactoryInfo ();

		auto* factory2 = queryOf<IPluginFactory2> (pluginFactoryPtr);
		auto* factory3 = queryOf<IPluginFactory3> (pluginFactoryPtr);
		if (factory3)
			factory3->setHostContext (static_cast<IHostApplication*> (&hostApp));

		const int32 count = pluginFactoryPtr->countClasses ();
		for (int32 i = 0; i < count; ++i)
		{
			ClassDescription d;
			PClassInfoW w;
			PClassInfo2 a;
			PClassInfo p;
			if (factory3 && factory3->getClassInfoUnicode (i, &w) == kResultOk)
			{
				d = {FUID::fromTUID (w.cid), w.cardinality, w.category, utf8 (w.name), w.classFlags,
				     w.subCategories, utf8 (w.vendor), utf8 (w.version), utf8 (w.sdkVersion)};
			}
			else if (factory2 && factory2->getClassInfo2 (i, &a) == kResultOk)
			{
				d = {FUID::fromTUID (a.cid), a.cardinality, a.category, a.name, a.classFlags,
				     a.subCategories, a.vendor, a.version, a.sdkVersion};
			}
			else if (pluginFactoryPtr->getClassInfo (i, &p) == kResultOk)
			{
				d.cid = FUID::fromTUID (p.cid);
				d.cardinality = p.cardinality;
				d.category = p.category;
				d.name = p.name;
			}
			else
				continue;
			classList.push_back (std::move (d));
		}
		if (factory2)
			factory2->release ();
		if (factory3)
			factory3->release ();
	}
	catch (...)
	{
		if (pluginFactoryPtr)
			pluginFactoryPtr->release ();
		if (entered)
			if (auto moduleExit = reinterpret_cast<bool (*) ()> (dlsym (library, "ModuleExit")))
				moduleExit ();
		dlclose (library);
		throw;
	}
}

TestHost::~TestHost ()
{
	teardown ();
	if (pluginFactoryPtr)
	{
		// The module's factory is process-wide and may outlive this host (another TestHost on
		// the same bundle holds it too): it must not keep a context that dies with us.
		if (auto* factory3 = queryOf<IPluginFactory3> (pluginFactoryPtr))
		{
			factory3->setHostContext (nullptr);
			factory3->release ();
		}
		pluginFactoryPtr->release ();
	}
	pluginFactoryPtr = nullptr;
	if (entered)
		if (auto moduleExit = reinterpret_cast<bool (*) ()> (dlsym (library, "ModuleExit")))
			moduleExit ();
	if (library)
		dlclose (library);
}

//--- Set-up -------------------------------------------------------------------------------------

void TestHost::createAndConnect ()
{
	const auto processorClass =
	    std::find_if (classList.begin (), classList.end (),
	                  [] (const ClassDescription& c) { return c.category == kVstAudioEffectClass; });
	if (processorClass == classList.end ())
		throw HostError ("the factory has no \"Audio Module Class\"");

	TUID cid;
	processorClass->cid.toTUID (cid);
	void* obj = nullptr;
	tresult r = pluginFactoryPtr->createInstance (cid, IComponent::iid, &obj);
	if (r != kResultOk || !obj)
		throw HostError (describe ("creating the component", r));
	component = static_cast<IComponent*> (obj);

	FUnknown* hostContext = static_cast<IHostApplication*> (&hostApp);
	r = component->initialize (hostContext);
	if (r != kResultOk)
		throw HostError (describe ("component initialize", r));

	TUID controllerCid;
	if (component->getControllerClassId (controllerCid) == kResultTrue)
	{
		obj = nullptr;
		r = pluginFactoryPtr->createInstance (controllerCid, IEditController::iid, &obj);
		if (r != kResultOk || !obj)
			throw HostError (describe ("creating the controller", r));
		editController = static_cast<IEditController*> (obj);
		r = editController->initialize (hostContext);
		if (r != kResultOk)
			throw HostError (describe ("controller initialize", r));
	}
	else if ((editController = queryOf<IEditController> (component)))
		controllerIsComponent = true; // a single-component plug-in
	else
		throw HostError ("the component names no controller class");

	handler.setPerformCallback ([this] (ParamID id, ParamValue value) {
		pendingPoints.push_back ({samplePosition, id, value});
	});
	editController->setComponentHandler (&handler);

	if (!controllerIsComponent)
	{
		auto* componentPoint = queryOf<IConnectionPoint> (component);
		auto* controllerPoint = queryOf<IConnectionPoint> (editController);
		if (connectsComponents && componentPoint && controllerPoint)
		{
			toController = std::make_unique<ConnectionProxy> (componentPoint);
			toComponent = std::make_unique<ConnectionProxy> (controllerPoint);
			toController->setObserver (controllerObserver);
			toController->connect (controllerPoint);
			toComponent->connect (componentPoint);
		}
		// The proxies keep plain pointers: the objects live while component and controller do.
		if (componentPoint)
			componentPoint->release ();
		if (controllerPoint)
			controllerPoint->release ();

		auto stream = owned (new MemoryStream);
		if (component->getState (stream) == kResultOk)
		{
			stream->seek (0, IBStream::kIBSeekSet, nullptr);
			editController->setComponentState (stream);
		}
	}
}

void TestHost::setup (double sampleRate, int32 maxBlockSize, ProcessModes mode)
{
	teardown ();
	if (sampleRate <= 0 || maxBlockSize <= 0)
		throw HostError ("sample rate and block size must be positive");
	try
	{
		createAndConnect ();

		audioProcessor = queryOf<IAudioProcessor> (component);
		if (!audioProcessor)
			throw HostError ("the component is no IAudioProcessor");
		if (audioProcessor->canProcessSampleSize (kSample32) != kResultTrue)
			throw HostError ("the processor cannot process 32-bit samples");

		// Ask for the arrangements the plug-in proposes, as a host without other wishes does.
		std::vector<SpeakerArrangement> ins (static_cast<size_t> (component->getBusCount (kAudio, kInput)));
		std::vector<SpeakerArrangement> outs (static_cast<size_t> (component->getBusCount (kAudio, kOutput)));
		for (size_t i = 0; i < ins.size (); ++i)
			audioProcessor->getBusArrangement (kInput, static_cast<int32> (i), ins[i]);
		for (size_t i = 0; i < outs.size (); ++i)
			audioProcessor->getBusArrangement (kOutput, static_cast<int32> (i), outs[i]);
		audioProcessor->setBusArrangements (ins.data (), static_cast<int32> (ins.size ()), outs.data (),
		                                    static_cast<int32> (outs.size ()));

		setupData = {mode, kSample32, maxBlockSize, sampleRate};
		const tresult r = audioProcessor->setupProcessing (setupData);
		if (r != kResultOk)
			throw HostError (describe ("setupProcessing", r));

		for (MediaType type : {kAudio, kEvent})
			for (BusDirection dir : {kInput, kOutput})
				for (int32 i = 0; i < component->getBusCount (type, dir); ++i)
				{
					BusInfo info {};
					if (component->getBusInfo (type, dir, i, info) != kResultTrue)
						continue;
					if (info.busType == kMain || (info.flags & BusInfo::kDefaultActive))
						component->activateBus (type, dir, i, true);
				}
		prepareBuffers ();

		const tresult activeResult = component->setActive (true);
		if (activeResult != kResultOk)
			throw HostError (describe ("setActive", activeResult));
		active = true;
		const tresult processingResult = audioProcessor->setProcessing (true);
		if (processingResult != kResultOk && processingResult != kNotImplemented)
			throw HostError (describe ("setProcessing", processingResult));
		processing = true;
	}
	catch (...)
	{
		teardown ();
		throw;
	}
}

void TestHost::prepareBuffers ()
{
	auto make = [&] (BusDirection dir, std::vector<std::vector<float>>& channels,
	                 std::vector<std::vector<float*>>& pointers, std::vector<AudioBusBuffers>& buses) {
		channels.clear ();
		pointers.clear ();
		buses.clear ();
		const int32 count = component->getBusCount (kAudio, dir);
		std::vector<int32> channelCounts;
		for (int32 i = 0; i < count; ++i)
		{
			BusInfo info {};
			component->getBusInfo (kAudio, dir, i, info);
			channelCounts.push_back (std::max (info.channelCount, 0));
		}
		for (int32 n : channelCounts)
			for (int32 c = 0; c < n; ++c)
				channels.emplace_back (static_cast<size_t> (setupData.maxSamplesPerBlock), 0.0f);
		size_t next = 0;
		for (int32 n : channelCounts)
		{
			std::vector<float*> p;
			for (int32 c = 0; c < n; ++c)
				p.push_back (channels[next++].data ());
			pointers.push_back (std::move (p));
		}
		for (auto& p : pointers)
		{
			AudioBusBuffers b {};
			b.numChannels = static_cast<int32> (p.size ());
			b.silenceFlags = 0;
			b.channelBuffers32 = p.empty () ? nullptr : p.data ();
			buses.push_back (b);
		}
	};
	make (kInput, inputChannels, inputPointers, inputBuses);
	make (kOutput, outputChannels, outputPointers, outputBuses);
	pendingEvents.reserve (4096);
	pendingPoints.reserve (4096);
}

void TestHost::teardown ()
{
	if (audioProcessor && processing)
		audioProcessor->setProcessing (false);
	processing = false;
	if (component && active)
		component->setActive (false);
	active = false;
	earlierToController = messagesToController ();
	earlierToComponent = messagesToComponent ();
	toController.reset (); // disconnects
	toComponent.reset ();
	if (editController)
	{
		editController->setComponentHandler (nullptr);
		if (!controllerIsComponent)
		{
			editController->terminate ();
			editController->release ();
		}
		else
			editController->release ();
	}
	editController = nullptr;
	controllerIsComponent = false;
	if (audioProcessor)
		audioProcessor->release ();
	audioProcessor = nullptr;
	if (component)
	{
		component->terminate ();
		component->release ();
	}
	component = nullptr;
	handler.setPerformCallback (nullptr);
}

//--- Input --------------------------------------------------------------------------------------

void TestHost::addEvent (int64_t offset, const Event& e)
{
	pendingEvents.push_back ({samplePosition + std::max<int64_t> (offset, 0), e});
}

void TestHost::addNoteOn (int64_t offset, int16_t pitch, float velocity, int16_t channel, int32 noteId)
{
	Event e {};
	e.busIndex = 0;
	e.type = Event::kNoteOnEvent;
	e.noteOn.channel = channel;
	e.noteOn.pitch = pitch;
	e.noteOn.velocity = velocity;
	e.noteOn.noteId = noteId;
	addEvent (offset, e);
}

void TestHost::addNoteOff (int64_t offset, int16_t pitch, float velocity, int16_t channel, int32 noteId)
{
	Event e {};
	e.busIndex = 0;
	e.type = Event::kNoteOffEvent;
	e.noteOff.channel = channel;
	e.noteOff.pitch = pitch;
	e.noteOff.velocity = velocity;
	e.noteOff.noteId = noteId;
	addEvent (offset, e);
}

void TestHost::queueParameter (ParamID id, int64_t offset, ParamValue value)
{
	pendingPoints.push_back ({samplePosition + std::max<int64_t> (offset, 0), id, value});
}

void TestHost::setParameter (ParamID id, ParamValue value)
{
	if (editController)
		editController->setParamNormalized (id, value);
	queueParameter (id, 0, value);
}

//--- Processing ---------------------------------------------------------------------------------

void TestHost::fillBlockInput (int32 numSamples)
{
	inputEvents.clear ();
	outputEvents.clear ();
	inputChanges.clear ();
	outputChanges.clear ();
	const int64_t end = samplePosition + numSamples;

	// Events in time order (stable: same-time events keep the order they were added in).
	std::stable_sort (pendingEvents.begin (), pendingEvents.end (),
	                  [] (const Pending& a, const Pending& b) { return a.time < b.time; });
	size_t used = 0;
	for (; used < pendingEvents.size () && pendingEvents[used].time < end; ++used)
	{
		Event e = pendingEvents[used].event;
		e.sampleOffset = static_cast<int32> (std::max<int64_t> (pendingEvents[used].time - samplePosition, 0));
		inputEvents.addEvent (e);
	}
	pendingEvents.erase (pendingEvents.begin (), pendingEvents.begin () + static_cast<std::ptrdiff_t> (used));

	auto keep = pendingPoints.begin ();
	for (auto it = pendingPoints.begin (); it != pendingPoints.end (); ++it)
	{
		if (it->time < end)
		{
			int32 index = 0;
			if (auto* queue = inputChanges.addParameterData (it->id, index))
				queue->addPoint (static_cast<int32> (std::max<int64_t> (it->time - samplePosition, 0)),
				                 it->value, index);
		}
		else
			*keep++ = *it;
	}
	pendingPoints.erase (keep, pendingPoints.end ());
}

tresult TestHost::processBlock (int32 numSamples)
{
	if (!audioProcessor || !processing)
		throw HostError ("process before setup");
	numSamples = std::clamp (numSamples, 0, setupData.maxSamplesPerBlock);
	fillBlockInput (numSamples);

	const auto& t = transportState;
	context = {};
	context.state = ProcessContext::kTempoValid | ProcessContext::kProjectTimeMusicValid |
	                ProcessContext::kTimeSigValid | ProcessContext::kBarPositionValid |
	                ProcessContext::kContTimeValid;
	if (t.playing)
		context.state |= ProcessContext::kPlaying;
	context.sampleRate = setupData.sampleRate;
	context.tempo = t.tempo;
	context.projectTimeMusic = t.projectTimeMusic;
	context.projectTimeSamples =
	    static_cast<TSamples> (std::llround (t.projectTimeMusic * 60.0 / t.tempo * setupData.sampleRate));
	context.continousTimeSamples = samplePosition;
	context.timeSigNumerator = t.timeSigNumerator;
	context.timeSigDenominator = t.timeSigDenominator;
	const double barLength = t.timeSigNumerator * 4.0 / std::max (t.timeSigDenominator, 1);
	context.barPositionMusic = std::floor (t.projectTimeMusic / barLength) * barLength;

	for (auto& channel : outputChannels)
		std::fill (channel.begin (), channel.end (), outputPrefill);
	for (auto& bus : outputBuses)
		bus.silenceFlags = 0;

	ProcessData data;
	data.processMode = setupData.processMode;
	data.symbolicSampleSize = kSample32;
	data.numSamples = numSamples;
	data.numInputs = static_cast<int32> (inputBuses.size ());
	data.numOutputs = static_cast<int32> (outputBuses.size ());
	data.inputs = inputBuses.empty () ? nullptr : inputBuses.data ();
	data.outputs = outputBuses.empty () ? nullptr : outputBuses.data ();
	data.inputParameterChanges = &inputChanges;
	data.outputParameterChanges = &outputChanges;
	data.inputEvents = &inputEvents;
	data.outputEvents = &outputEvents;
	data.processContext = providesContext ? &context : nullptr;

	const auto before = AllocationCounter::count ();
	{
		AllocationCounter::CountedRegion audioThread;
		lastResult = audioProcessor->process (data);
	}
	allocationsInProcess += AllocationCounter::count () - before;

	++blockCount;
	if (lastResult != kResultOk)
		++failedBlockCount;
	advanceTransport (numSamples);
	return lastResult;
}

void TestHost::advanceTransport (int32 numSamples)
{
	samplePosition += numSamples;
	if (transportState.playing)
		transportState.projectTimeMusic += numSamples / setupData.sampleRate * transportState.tempo / 60.0;
}

const TestHost::Output& TestHost::process (int64_t numSamples)
{
	if (!audioProcessor || !processing)
		throw HostError ("process before setup");
	numSamples = std::max<int64_t> (numSamples, 0);
	const size_t channels = outputBuses.empty () ? 0 : static_cast<size_t> (outputBuses[0].numChannels);
	lastOutput.channels.assign (channels, std::vector<float> (static_cast<size_t> (numSamples), 0.0f));
	lastOutput.numSamples = static_cast<int32> (numSamples);

	int64_t done = 0;
	while (done < numSamples)
	{
		const auto n = static_cast<int32> (std::min<int64_t> (setupData.maxSamplesPerBlock, numSamples - done));
		processBlock (n);
		for (size_t c = 0; c < channels; ++c)
			std::copy_n (outputBuses[0].channelBuffers32[c], n, lastOutput.channels[c].begin () + done);
		done += n;
	}
	return lastOutput;
}

const float* TestHost::blockOutput (int32 bus, int32 channel) const
{
	if (bus < 0 || bus >= outputBusCount () || channel < 0 || channel >= outputChannelCount (bus))
		return nullptr;
	return outputBuses[static_cast<size_t> (bus)].channelBuffers32[channel];
}

int32 TestHost::outputChannelCount (int32 bus) const
{
	if (bus < 0 || bus >= outputBusCount ())
		return 0;
	return outputBuses[static_cast<size_t> (bus)].numChannels;
}

//--- State --------------------------------------------------------------------------------------

namespace {

std::vector<char> bytesOf (MemoryStream& stream)
{
	int64 end = 0;
	stream.seek (0, IBStream::kIBSeekEnd, &end);
	const char* data = stream.getData ();
	return data ? std::vector<char> (data, data + end) : std::vector<char> ();
}

} // namespace

std::vector<char> TestHost::getState () const
{
	if (!component)
		throw HostError ("getState before setup");
	auto stream = owned (new MemoryStream);
	if (component->getState (stream) != kResultOk)
		throw HostError ("component getState failed");
	return bytesOf (*stream);
}

tresult TestHost::setState (const std::vector<char>& state)
{
	if (!component)
		throw HostError ("setState before setup");
	auto stream = owned (new MemoryStream);
	int32 written = 0;
	stream->write (const_cast<char*> (state.data ()), static_cast<int32> (state.size ()), &written);
	stream->seek (0, IBStream::kIBSeekSet, nullptr);
	tresult r = component->setState (stream);
	if (r != kResultOk)
		return r;
	if (editController && !controllerIsComponent)
	{
		stream->seek (0, IBStream::kIBSeekSet, nullptr);
		r = editController->setComponentState (stream);
	}
	return r;
}

std::vector<char> TestHost::getControllerState () const
{
	if (!editController)
		throw HostError ("getControllerState before setup");
	auto stream = owned (new MemoryStream);
	if (editController->getState (stream) != kResultOk)
		throw HostError ("controller getState failed");
	return bytesOf (*stream);
}

tresult TestHost::setControllerState (const std::vector<char>& state)
{
	if (!editController)
		throw HostError ("setControllerState before setup");
	auto stream = owned (new MemoryStream);
	int32 written = 0;
	stream->write (const_cast<char*> (state.data ()), static_cast<int32> (state.size ()), &written);
	stream->seek (0, IBStream::kIBSeekSet, nullptr);
	return editController->setState (stream);
}

//--- Messages -----------------------------------------------------------------------------------

std::uint64_t TestHost::messagesToController () const
{
	return earlierToController + (toController ? toController->messagesForwarded () : 0);
}

std::uint64_t TestHost::messagesToComponent () const
{
	return earlierToComponent + (toComponent ? toComponent->messagesForwarded () : 0);
}

void TestHost::setControllerMessageObserver (ConnectionProxy::Observer observer)
{
	controllerObserver = std::move (observer);
	if (toController)
		toController->setObserver (controllerObserver);
}

} // namespace grundmoor::testhost
