// The host-side objects a plug-in talks to: event list, parameter changes and their queues,
// the connection proxy between component and controller, the component handler and the host
// application. Capacities are fixed at construction so filling them per block does not allocate.
#pragma once

#include "public.sdk/source/vst/hosting/hostclasses.h"
#include "pluginterfaces/base/funknown.h"
#include "pluginterfaces/vst/ivstevents.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivstmessage.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace grundmoor::testhost {

using Steinberg::int32;
using Steinberg::tresult;
using Steinberg::uint32;
using Steinberg::Vst::ParamID;
using Steinberg::Vst::ParamValue;

// Stack objects of the host: reference counting is a no-op, the host owns them.
#define GRUNDMOOR_HOST_OWNED_REFCOUNT                                                            \
	uint32 PLUGIN_API addRef () override { return 1; }                                          \
	uint32 PLUGIN_API release () override { return 1; }

class EventList final : public Steinberg::Vst::IEventList
{
public:
	explicit EventList (int32 capacity = 1024);

	int32 PLUGIN_API getEventCount () override;
	tresult PLUGIN_API getEvent (int32 index, Steinberg::Vst::Event& e) override;
	tresult PLUGIN_API addEvent (Steinberg::Vst::Event& e) override;

	void clear () { count = 0; }
	int32 capacity () const { return static_cast<int32> (events.size ()); }

	tresult PLUGIN_API queryInterface (const Steinberg::TUID iid, void** obj) override;
	GRUNDMOOR_HOST_OWNED_REFCOUNT

private:
	std::vector<Steinberg::Vst::Event> events;
	int32 count = 0;
};

class ParamValueQueue final : public Steinberg::Vst::IParamValueQueue
{
public:
	explicit ParamValueQueue (int32 capacity = 64);

	ParamID PLUGIN_API getParameterId () override { return id; }
	int32 PLUGIN_API getPointCount () override { return count; }
	tresult PLUGIN_API getPoint (int32 index, int32& sampleOffset, ParamValue& value) override;
	/** Points are kept sorted by offset; a point at an offset already present replaces its value
	 * (what a plug-in reading the queue expects of a host). */
	tresult PLUGIN_API addPoint (int32 sampleOffset, ParamValue value, int32& index) override;

	void reset (ParamID newId)
	{
		id = newId;
		count = 0;
	}

	tresult PLUGIN_API queryInterface (const Steinberg::TUID iid, void** obj) override;
	GRUNDMOOR_HOST_OWNED_REFCOUNT

private:
	struct Point
	{
		int32 offset;
		ParamValue value;
	};
	ParamID id = 0;
	std::vector<Point> points;
	int32 count = 0;
};

class ParameterChanges final : public Steinberg::Vst::IParameterChanges
{
public:
	explicit ParameterChanges (int32 maxParameters = 256, int32 pointsPerParameter = 64);

	int32 PLUGIN_API getParameterCount () override { return count; }
	Steinberg::Vst::IParamValueQueue* PLUGIN_API getParameterData (int32 index) override;
	/** The queue of id (one per id), created when missing; null when all queues are in use. */
	Steinberg::Vst::IParamValueQueue* PLUGIN_API addParameterData (const ParamID& id, int32& index) override;

	void clear () { count = 0; }

	tresult PLUGIN_API queryInterface (const Steinberg::TUID iid, void** obj) override;
	GRUNDMOOR_HOST_OWNED_REFCOUNT

private:
	std::vector<ParamValueQueue> queues;
	int32 count = 0;
};

/** Sits between two connection points as hosts do: the source connects to the proxy, which
 * forwards every notify to the destination (counted; the forwarding is the host's work, not
 * counted as the caller's allocations). */
class ConnectionProxy final : public Steinberg::Vst::IConnectionPoint
{
public:
	using Observer = std::function<void (Steinberg::Vst::IMessage*)>;

	explicit ConnectionProxy (Steinberg::Vst::IConnectionPoint* source);
	~ConnectionProxy ();

	/** Connects the source to this proxy and this proxy to destination. */
	tresult PLUGIN_API connect (Steinberg::Vst::IConnectionPoint* destination) override;
	tresult PLUGIN_API disconnect (Steinberg::Vst::IConnectionPoint* destination) override;
	tresult PLUGIN_API notify (Steinberg::Vst::IMessage* message) override;

	void setObserver (Observer o) { observer = std::move (o); }
	std::uint64_t messagesForwarded () const { return forwarded.load (); }
	bool connected () const { return destination != nullptr; }

	tresult PLUGIN_API queryInterface (const Steinberg::TUID iid, void** obj) override;
	GRUNDMOOR_HOST_OWNED_REFCOUNT

private:
	Steinberg::Vst::IConnectionPoint* source;
	Steinberg::Vst::IConnectionPoint* destination = nullptr;
	Observer observer;
	std::atomic<std::uint64_t> forwarded {0};
};

/** The controller's host side: records edits and restart requests; performed edits are handed
 * to the owner (the test host passes them to the processor's next block, as hosts do). */
class ComponentHandler final : public Steinberg::Vst::IComponentHandler
{
public:
	struct Edit
	{
		enum Kind
		{
			kBegin,
			kPerform,
			kEnd
		} kind;
		ParamID id;
		ParamValue value;
	};
	using PerformCallback = std::function<void (ParamID, ParamValue)>;

	tresult PLUGIN_API beginEdit (ParamID id) override;
	tresult PLUGIN_API performEdit (ParamID id, ParamValue valueNormalized) override;
	tresult PLUGIN_API endEdit (ParamID id) override;
	tresult PLUGIN_API restartComponent (int32 flags) override;

	void setPerformCallback (PerformCallback cb) { onPerform = std::move (cb); }
	const std::vector<Edit>& edits () const { return editLog; }
	const std::vector<int32>& restarts () const { return restartLog; }
	void clearLog ()
	{
		editLog.clear ();
		restartLog.clear ();
	}

	tresult PLUGIN_API queryInterface (const Steinberg::TUID iid, void** obj) override;
	GRUNDMOOR_HOST_OWNED_REFCOUNT

private:
	std::vector<Edit> editLog;
	std::vector<int32> restartLog;
	PerformCallback onPerform;
};

/** The SDK's host application (messages and attribute lists of its hosting classes) under this
 * host's name; what it creates, and every call on what it created, is the host's own work and
 * not counted by the AllocationCounter. */
class HostApplication final : public Steinberg::Vst::HostApplication
{
public:
	explicit HostApplication (std::string name = "Grundmoor Test Host");

	tresult PLUGIN_API getName (Steinberg::Vst::String128 name) override;
	tresult PLUGIN_API createInstance (Steinberg::TUID cid, Steinberg::TUID iid, void** obj) override;

	/** When false, createInstance gives no messages (a host that cannot allocate them). */
	void setProvidesMessages (bool provide) { providesMessages = provide; }
	std::uint64_t messagesCreated () const { return created.load (); }

private:
	std::string hostName;
	bool providesMessages = true;
	std::atomic<std::uint64_t> created {0};
};

} // namespace grundmoor::testhost
