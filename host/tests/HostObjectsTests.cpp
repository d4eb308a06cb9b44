#include "grundmoor/testhost/AllocationCounter.h"
#include "grundmoor/testhost/HostObjects.h"

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

using namespace grundmoor::testhost;
using namespace Steinberg;
using namespace Steinberg::Vst;

TEST (ParamValueQueue, KeepsPointsSortedAndReplacesSameOffset)
{
	struct Case
	{
		const char* what;
		std::vector<std::pair<int32, double>> added;
		std::vector<std::pair<int32, double>> expected;
	};
	const Case cases[] = {
	    {"in order", {{0, 0.1}, {10, 0.2}, {20, 0.3}}, {{0, 0.1}, {10, 0.2}, {20, 0.3}}},
	    {"reversed", {{20, 0.3}, {10, 0.2}, {0, 0.1}}, {{0, 0.1}, {10, 0.2}, {20, 0.3}}},
	    {"same offset twice", {{5, 0.1}, {5, 0.9}}, {{5, 0.9}}},
	    {"between", {{0, 0.1}, {20, 0.3}, {10, 0.2}}, {{0, 0.1}, {10, 0.2}, {20, 0.3}}},
	};
	for (const auto& c : cases)
	{
		SCOPED_TRACE (c.what);
		ParamValueQueue queue (8);
		queue.reset (42);
		for (auto [offset, value] : c.added)
		{
			int32 index = -1;
			ASSERT_EQ (queue.addPoint (offset, value, index), kResultOk);
			EXPECT_GE (index, 0);
		}
		EXPECT_EQ (queue.getParameterId (), 42u);
		ASSERT_EQ (queue.getPointCount (), static_cast<int32> (c.expected.size ()));
		for (int32 i = 0; i < queue.getPointCount (); ++i)
		{
			int32 offset = -1;
			ParamValue value = -1;
			ASSERT_EQ (queue.getPoint (i, offset, value), kResultOk);
			EXPECT_EQ (offset, c.expected[static_cast<size_t> (i)].first);
			EXPECT_DOUBLE_EQ (value, c.expected[static_cast<size_t> (i)].second);
		}
	}
}

TEST (ParamValueQueue, RefusesPointsBeyondItsCapacityAndBadIndices)
{
	ParamValueQueue queue (2);
	int32 index = 0;
	EXPECT_EQ (queue.addPoint (0, 0.0, index), kResultOk);
	EXPECT_EQ (queue.addPoint (1, 0.0, index), kResultOk);
	EXPECT_NE (queue.addPoint (2, 0.0, index), kResultOk);
	EXPECT_EQ (queue.addPoint (1, 0.5, index), kResultOk) << "replacing needs no room";
	int32 offset;
	ParamValue value;
	EXPECT_NE (queue.getPoint (2, offset, value), kResultOk);
	EXPECT_NE (queue.getPoint (-1, offset, value), kResultOk);
}

TEST (ParameterChanges, OneQueuePerIdInFirstUseOrder)
{
	ParameterChanges changes (3, 4);
	int32 index = -1;
	auto* a = changes.addParameterData (7, index);
	EXPECT_EQ (index, 0);
	auto* b = changes.addParameterData (3, index);
	EXPECT_EQ (index, 1);
	EXPECT_EQ (changes.addParameterData (7, index), a);
	EXPECT_EQ (index, 0);
	EXPECT_NE (a, b);
	EXPECT_EQ (changes.getParameterCount (), 2);
	EXPECT_EQ (changes.getParameterData (1)->getParameterId (), 3u);
	EXPECT_EQ (changes.getParameterData (2), nullptr);
	changes.addParameterData (9, index);
	EXPECT_EQ (changes.addParameterData (10, index), nullptr) << "all queues used";
	changes.clear ();
	EXPECT_EQ (changes.getParameterCount (), 0);
	auto* fresh = changes.addParameterData (10, index);
	ASSERT_NE (fresh, nullptr);
	EXPECT_EQ (fresh->getPointCount (), 0) << "a reused queue starts empty";
}

TEST (EventList, HoldsEventsUpToItsCapacity)
{
	EventList list (2);
	Event e {};
	e.type = Event::kNoteOnEvent;
	e.sampleOffset = 5;
	EXPECT_EQ (list.addEvent (e), kResultOk);
	e.sampleOffset = 9;
	EXPECT_EQ (list.addEvent (e), kResultOk);
	EXPECT_NE (list.addEvent (e), kResultOk);
	EXPECT_EQ (list.getEventCount (), 2);
	Event out {};
	ASSERT_EQ (list.getEvent (1, out), kResultOk);
	EXPECT_EQ (out.sampleOffset, 9);
	EXPECT_NE (list.getEvent (2, out), kResultOk);
	list.clear ();
	EXPECT_EQ (list.getEventCount (), 0);
}

TEST (HostApplication, CreatesMessagesWithAttributeListsAndNothingElse)
{
	grundmoor::testhost::HostApplication app;
	String128 name {};
	ASSERT_EQ (app.getName (name), kResultOk);
	EXPECT_EQ (name[0], 'G');

	TUID messageId, listId, otherId;
	IMessage::iid.toTUID (messageId);
	IAttributeList::iid.toTUID (listId);
	IEditController::iid.toTUID (otherId);
	void* obj = nullptr;
	ASSERT_EQ (app.createInstance (messageId, messageId, &obj), kResultOk);
	auto* message = static_cast<IMessage*> (obj);
	message->setMessageID ("Hello");
	EXPECT_STREQ (message->getMessageID (), "Hello");
	IAttributeList* attributes = message->getAttributes ();
	ASSERT_NE (attributes, nullptr);
	EXPECT_EQ (attributes, message->getAttributes ());
	ASSERT_EQ (attributes->setFloat ("X", 1.5), kResultOk);
	double x = 0;
	ASSERT_EQ (attributes->getFloat ("X", x), kResultOk);
	EXPECT_DOUBLE_EQ (x, 1.5);
	const float samples[3] = {1, 2, 3};
	ASSERT_EQ (attributes->setBinary ("W", samples, sizeof (samples)), kResultOk);
	const void* data = nullptr;
	uint32 size = 0;
	ASSERT_EQ (attributes->getBinary ("W", data, size), kResultOk);
	EXPECT_EQ (size, sizeof (samples));
	EXPECT_EQ (message->release (), 0u);
	EXPECT_EQ (app.messagesCreated (), 1u);

	obj = nullptr;
	EXPECT_EQ (app.createInstance (listId, listId, &obj), kResultTrue);
	ASSERT_NE (obj, nullptr);
	static_cast<IAttributeList*> (obj)->release ();

	obj = reinterpret_cast<void*> (1);
	EXPECT_NE (app.createInstance (otherId, otherId, &obj), kResultOk);
	EXPECT_EQ (obj, nullptr);

	app.setProvidesMessages (false);
	obj = reinterpret_cast<void*> (1);
	EXPECT_NE (app.createInstance (messageId, messageId, &obj), kResultOk);
	EXPECT_EQ (obj, nullptr);
}

TEST (AllocationCounter, CountsOnlyInsideCountedAndOutsidePausedRegions)
{
	ASSERT_TRUE (AllocationCounter::hooksInstalled ());
	AllocationCounter::reset ();
	auto allocate = [] { return std::make_unique<int> (7); };

	auto a = allocate ();
	EXPECT_EQ (AllocationCounter::count (), 0u) << "outside any region";
	{
		AllocationCounter::CountedRegion counted;
		auto b = allocate ();
		EXPECT_EQ (AllocationCounter::count (), 1u);
		EXPECT_GE (AllocationCounter::bytes (), sizeof (int));
		{
			AllocationCounter::PausedRegion paused;
			auto c = allocate ();
			auto v = std::make_unique<std::vector<double>> (100);
			EXPECT_EQ (AllocationCounter::count (), 1u) << "paused: the host's own work";
		}
		auto d = std::make_unique<int[]> (3);
		EXPECT_EQ (AllocationCounter::count (), 2u);
	}
	auto e = allocate ();
	EXPECT_EQ (AllocationCounter::count (), 2u);
	AllocationCounter::reset ();
	EXPECT_EQ (AllocationCounter::count (), 0u);
}

namespace {

class Recorder final : public IConnectionPoint
{
public:
	tresult PLUGIN_API connect (IConnectionPoint* other) override
	{
		peer = other;
		return kResultOk;
	}
	tresult PLUGIN_API disconnect (IConnectionPoint* other) override
	{
		if (other != peer)
			return kResultFalse;
		peer = nullptr;
		return kResultOk;
	}
	tresult PLUGIN_API notify (IMessage*) override
	{
		++received;
		return kResultOk;
	}
	tresult PLUGIN_API queryInterface (const TUID, void** obj) override
	{
		*obj = nullptr;
		return kNoInterface;
	}
	uint32 PLUGIN_API addRef () override { return 1; }
	uint32 PLUGIN_API release () override { return 1; }

	IConnectionPoint* peer = nullptr;
	int received = 0;
};

} // namespace

TEST (ConnectionProxy, ConnectsTheSourceToItselfAndForwardsToTheDestination)
{
	Recorder source, destination;
	{
		ConnectionProxy proxy (&source);
		ASSERT_EQ (proxy.connect (&destination), kResultOk);
		EXPECT_EQ (source.peer, &proxy) << "the source talks to the proxy, not the destination";
		EXPECT_EQ (destination.peer, nullptr);
		int observed = 0;
		proxy.setObserver ([&] (IMessage*) { ++observed; });
		EXPECT_EQ (source.peer->notify (nullptr), kResultOk);
		EXPECT_EQ (source.peer->notify (nullptr), kResultOk);
		EXPECT_EQ (destination.received, 2);
		EXPECT_EQ (observed, 2);
		EXPECT_EQ (proxy.messagesForwarded (), 2u);
		EXPECT_NE (proxy.connect (&destination), kResultOk) << "one destination";
	}
	EXPECT_EQ (source.peer, nullptr) << "the proxy disconnects the source when it goes";
}
