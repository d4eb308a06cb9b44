#include "grundmoor/testhost/HostObjects.h"

#include "grundmoor/testhost/AllocationCounter.h"

#include "pluginterfaces/base/ustring.h"

#include <algorithm>
#include <cstring>

namespace grundmoor::testhost {

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

template <typename Interface>
tresult answer (Interface* self, const TUID iid, void** obj)
{
	if (!obj)
		return kInvalidArgument;
	if (FUnknownPrivate::iidEqual (iid, FUnknown::iid) || FUnknownPrivate::iidEqual (iid, Interface::iid))
	{
		*obj = self;
		return kResultOk;
	}
	*obj = nullptr;
	return kNoInterface;
}

// A message of the SDK's hosting classes behind the host's own front: the plug-in's calls on it
// (id, attribute list, attribute setters) allocate inside the SDK class, which is host work.
class HostAttributeListFront final : public IAttributeList
{
public:
	explicit HostAttributeListFront (IAttributeList* inner) : inner (inner) {}

	tresult PLUGIN_API setInt (AttrID id, int64 value) override
	{
		AllocationCounter::PausedRegion paused;
		return inner->setInt (id, value);
	}
	tresult PLUGIN_API getInt (AttrID id, int64& value) override
	{
		AllocationCounter::PausedRegion paused;
		return inner->getInt (id, value);
	}
	tresult PLUGIN_API setFloat (AttrID id, double value) override
	{
		AllocationCounter::PausedRegion paused;
		return inner->setFloat (id, value);
	}
	tresult PLUGIN_API getFloat (AttrID id, double& value) override
	{
		AllocationCounter::PausedRegion paused;
		return inner->getFloat (id, value);
	}
	tresult PLUGIN_API setString (AttrID id, const TChar* string) override
	{
		AllocationCounter::PausedRegion paused;
		return inner->setString (id, string);
	}
	tresult PLUGIN_API getString (AttrID id, TChar* string, uint32 sizeInBytes) override
	{
		AllocationCounter::PausedRegion paused;
		return inner->getString (id, string, sizeInBytes);
	}
	tresult PLUGIN_API setBinary (AttrID id, const void* data, uint32 sizeInBytes) override
	{
		AllocationCounter::PausedRegion paused;
		return inner->setBinary (id, data, sizeInBytes);
	}
	tresult PLUGIN_API getBinary (AttrID id, const void*& data, uint32& sizeInBytes) override
	{
		AllocationCounter::PausedRegion paused;
		return inner->getBinary (id, data, sizeInBytes);
	}

	// Lives as long as the message that owns it.
	tresult PLUGIN_API queryInterface (const TUID iid, void** obj) override { return answer<IAttributeList> (this, iid, obj); }
	uint32 PLUGIN_API addRef () override { return 1; }
	uint32 PLUGIN_API release () override { return 1; }

private:
	IAttributeList* inner;
};

class HostMessageFront final : public IMessage
{
public:
	HostMessageFront () : inner (new HostMessage) {}
	~HostMessageFront ()
	{
		delete attributes;
		inner->release ();
	}

	const char* PLUGIN_API getMessageID () override { return inner->getMessageID (); }
	void PLUGIN_API setMessageID (const char* id) override
	{
		AllocationCounter::PausedRegion paused;
		inner->setMessageID (id);
	}
	IAttributeList* PLUGIN_API getAttributes () override
	{
		AllocationCounter::PausedRegion paused;
		if (!attributes)
			if (IAttributeList* list = inner->getAttributes ())
				attributes = new HostAttributeListFront (list);
		return attributes;
	}

	tresult PLUGIN_API queryInterface (const TUID iid, void** obj) override { return answer<IMessage> (this, iid, obj); }
	uint32 PLUGIN_API addRef () override { return static_cast<uint32> (++refs); }
	uint32 PLUGIN_API release () override
	{
		const int32 left = --refs;
		if (left == 0)
		{
			AllocationCounter::PausedRegion paused;
			delete this;
		}
		return static_cast<uint32> (left);
	}

private:
	std::atomic<int32> refs {1};
	HostMessage* inner;
	HostAttributeListFront* attributes = nullptr;
};

} // namespace

//--- EventList ----------------------------------------------------------------------------------

EventList::EventList (int32 capacity) : events (static_cast<size_t> (std::max (capacity, 1))) {}

int32 PLUGIN_API EventList::getEventCount () { return count; }

tresult PLUGIN_API EventList::getEvent (int32 index, Event& e)
{
	if (index < 0 || index >= count)
		return kInvalidArgument;
	e = events[static_cast<size_t> (index)];
	return kResultOk;
}

tresult PLUGIN_API EventList::addEvent (Event& e)
{
	if (count >= capacity ())
		return kOutOfMemory;
	events[static_cast<size_t> (count++)] = e;
	return kResultOk;
}

tresult PLUGIN_API EventList::queryInterface (const TUID iid, void** obj) { return answer<IEventList> (this, iid, obj); }

//--- ParamValueQueue ----------------------------------------------------------------------------

ParamValueQueue::ParamValueQueue (int32 capacity) : points (static_cast<size_t> (std::max (capacity, 1))) {}

tresult PLUGIN_API ParamValueQueue::getPoint (int32 index, int32& sampleOffset, ParamValue& value)
{
	if (index < 0 || index >= count)
		return kInvalidArgument;
	sampleOffset = points[static_cast<size_t> (index)].offset;
	value = points[static_cast<size_t> (index)].value;
	return kResultOk;
}

tresult PLUGIN_API ParamValueQueue::addPoint (int32 sampleOffset, ParamValue value, int32& index)
{
	int32 pos = 0;
	while (pos < count && points[static_cast<size_t> (pos)].offset < sampleOffset)
		++pos;
	if (pos < count && points[static_cast<size_t> (pos)].offset == sampleOffset)
	{
		points[static_cast<size_t> (pos)].value = value;
		index = pos;
		return kResultOk;
	}
	if (count >= static_cast<int32> (points.size ()))
		return kOutOfMemory;
	for (int32 i = count; i > pos; --i)
		points[static_cast<size_t> (i)] = points[static_cast<size_t> (i - 1)];
	points[static_cast<size_t> (pos)] = {sampleOffset, value};
	++count;
	index = pos;
	return kResultOk;
}

tresult PLUGIN_API ParamValueQueue::queryInterface (const TUID iid, void** obj) { return answer<IParamValueQueue> (this, iid, obj); }

//--- ParameterChanges ---------------------------------------------------------------------------

ParameterChanges::ParameterChanges (int32 maxParameters, int32 pointsPerParameter)
{
	queues.reserve (static_cast<size_t> (std::max (maxParameters, 1)));
	for (int32 i = 0; i < std::max (maxParameters, 1); ++i)
		queues.emplace_back (pointsPerParameter);
}

IParamValueQueue* PLUGIN_API ParameterChanges::getParameterData (int32 index)
{
	if (index < 0 || index >= count)
		return nullptr;
	return &queues[static_cast<size_t> (index)];
}

IParamValueQueue* PLUGIN_API ParameterChanges::addParameterData (const ParamID& id, int32& index)
{
	for (int32 i = 0; i < count; ++i)
		if (queues[static_cast<size_t> (i)].getParameterId () == id)
		{
			index = i;
			return &queues[static_cast<size_t> (i)];
		}
	if (count >= static_cast<int32> (queues.size ()))
		return nullptr;
	index = count;
	auto& queue = queues[static_cast<size_t> (count++)];
	queue.reset (id);
	return &queue;
}

tresult PLUGIN_API ParameterChanges::queryInterface (const TUID iid, void** obj) { return answer<IParameterChanges> (this, iid, obj); }

//--- ConnectionProxy ----------------------------------------------------------------------------

ConnectionProxy::ConnectionProxy (IConnectionPoint* source) : source (source) {}

ConnectionProxy::~ConnectionProxy ()
{
	if (destination)
		disconnect (destination);
}

tresult PLUGIN_API ConnectionProxy::connect (IConnectionPoint* other)
{
	if (!other || !source)
		return kInvalidArgument;
	if (destination)
		return kResultFalse;
	destination = other;
	destination->addRef ();
	const tresult result = source->connect (this);
	if (result != kResultOk)
	{
		destination->release ();
		destination = nullptr;
	}
	return result;
}

tresult PLUGIN_API ConnectionProxy::disconnect (IConnectionPoint* other)
{
	if (!other || other != destination)
		return kInvalidArgument;
	if (source)
		source->disconnect (this);
	destination->release ();
	destination = nullptr;
	return kResultOk;
}

tresult PLUGIN_API ConnectionProxy::notify (IMessage* message)
{
	if (!destination)
		return kResultFalse;
	AllocationCounter::PausedRegion paused;
	forwarded.fetch_add (1);
	if (observer)
		observer (message);
	return destination->notify (message);
}

tresult PLUGIN_API ConnectionProxy::queryInterface (const TUID iid, void** obj) { return answer<IConnectionPoint> (this, iid, obj); }

//--- ComponentHandler ---------------------------------------------------------------------------

tresult PLUGIN_API ComponentHandler::beginEdit (ParamID id)
{
	editLog.push_back ({Edit::kBegin, id, 0.0});
	return kResultOk;
}

tresult PLUGIN_API ComponentHandler::performEdit (ParamID id, ParamValue valueNormalized)
{
	editLog.push_back ({Edit::kPerform, id, valueNormalized});
	if (onPerform)
		onPerform (id, valueNormalized);
	return kResultOk;
}

tresult PLUGIN_API ComponentHandler::endEdit (ParamID id)
{
	editLog.push_back ({Edit::kEnd, id, 0.0});
	return kResultOk;
}

tresult PLUGIN_API ComponentHandler::restartComponent (int32 flags)
{
	restartLog.push_back (flags);
	return kResultOk;
}

tresult PLUGIN_API ComponentHandler::queryInterface (const TUID iid, void** obj) { return answer<IComponentHandler> (this, iid, obj); }

//--- HostApplication ----------------------------------------------------------------------------

HostApplication::HostApplication (std::string name) : hostName (std::move (name)) {}

tresult PLUGIN_API HostApplication::getName (String128 name)
{
	UString (name, 128).fromAscii (hostName.c_str ());
	return kResultOk;
}

tresult PLUGIN_API HostApplication::createInstance (TUID cid, TUID iid, void** obj)
{
	if (!obj)
		return kInvalidArgument;
	AllocationCounter::PausedRegion paused;
	const FUID classId (FUID::fromTUID (cid));
	const FUID interfaceId (FUID::fromTUID (iid));
	if (classId == IMessage::iid && interfaceId == IMessage::iid)
	{
		if (!providesMessages)
		{
			*obj = nullptr;
			return kResultFalse;
		}
		created.fetch_add (1);
		*obj = static_cast<IMessage*> (new HostMessageFront);
		return kResultOk;
	}
	return Steinberg::Vst::HostApplication::createInstance (cid, iid, obj);
}

} // namespace grundmoor::testhost
