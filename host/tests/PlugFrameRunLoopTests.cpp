// The host's frame and run loop: timers in time order, fds, registrations, references, resizes.
#include "grundmoor/testhost/PlugFrameRunLoop.h"

#include <gtest/gtest.h>

#include <string>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

using namespace grundmoor::testhost;
using namespace Steinberg;

namespace {

// A counted handler, as a plug-in makes them.
template <typename Interface>
class Counted : public Interface
{
public:
	tresult PLUGIN_API queryInterface (const TUID iid, void** obj) override
	{
		if (FUnknownPrivate::iidEqual (iid, Interface::iid) || FUnknownPrivate::iidEqual (iid, FUnknown::iid))
		{
			addRef ();
			*obj = this;
			return kResultOk;
		}
		*obj = nullptr;
		return kNoInterface;
	}
	uint32 PLUGIN_API addRef () override { return ++refs; }
	uint32 PLUGIN_API release () override { return --refs; } // on the test's stack: never deleted
	uint32 refs = 1;
};

class Timer : public Counted<Linux::ITimerHandler>
{
public:
	Timer (std::string n, std::vector<std::string>& l) : name (std::move (n)), log (l) {}
	void PLUGIN_API onTimer () override
	{
		log.push_back (name);
		if (onFire)
			onFire ();
	}
	std::string name;
	std::vector<std::string>& log;
	std::function<void ()> onFire;
};

class Reader : public Counted<Linux::IEventHandler>
{
public:
	void PLUGIN_API onFDIsSet (Linux::FileDescriptor fd) override
	{
		char c;
		while (read (fd, &c, 1) == 1)
			++bytes;
		calls.push_back (fd);
	}
	std::vector<int> calls;
	int bytes = 0;
};

// Just enough of a view for resizeView.
class SizedView : public Counted<IPlugView>
{
public:
	explicit SizedView (std::vector<std::string>& l) : log (l) {}
	tresult PLUGIN_API isPlatformTypeSupported (FIDString) override { return kResultFalse; }
	tresult PLUGIN_API attached (void*, FIDString) override { return kResultFalse; }
	tresult PLUGIN_API removed () override { return kResultOk; }
	tresult PLUGIN_API onWheel (float) override { return kResultFalse; }
	tresult PLUGIN_API onKeyDown (char16, int16, int16) override { return kResultFalse; }
	tresult PLUGIN_API onKeyUp (char16, int16, int16) override { return kResultFalse; }
	tresult PLUGIN_API getSize (ViewRect*) override { return kResultFalse; }
	tresult PLUGIN_API onSize (ViewRect* r) override
	{
		log.push_back ("onSize " + std::to_string (r->getWidth ()) + "x" + std::to_string (r->getHeight ()));
		return kResultTrue;
	}
	tresult PLUGIN_API onFocus (TBool) override { return kResultOk; }
	tresult PLUGIN_API setFrame (IPlugFrame*) override { return kResultOk; }
	tresult PLUGIN_API canResize () override { return kResultTrue; }
	tresult PLUGIN_API checkSizeConstraint (ViewRect*) override { return kResultTrue; }
	std::vector<std::string>& log;
};

} // namespace

TEST (PlugFrameRunLoop, TimersFireInTimeOrderAsOftenAsTheirIntervalFits)
{
	auto loop = owned (new PlugFrameRunLoop (PlugFrameRunLoop::kManualClock));
	std::vector<std::string> log;
	Timer a ("a", log), b ("b", log), c ("c", log);
	ASSERT_EQ (loop->registerTimer (&a, 10), kResultTrue);
	ASSERT_EQ (loop->registerTimer (&b, 25), kResultTrue);
	ASSERT_EQ (loop->registerTimer (&c, 40), kResultTrue);
	loop->advance (50);
	// 10 a, 20 a, 25 b, 30 a, 40 a c, 50 a b: timers due together fire in registration order.
	const std::vector<std::string> expected = {"a", "a", "b", "a", "a", "c", "a", "b"};
	EXPECT_EQ (log, expected);
	EXPECT_EQ (loop->totals ().timerCallbacks, expected.size ());
	log.clear ();
	loop->advance (9);
	EXPECT_TRUE (log.empty ()) << "the next is due at 60";
	loop->advance (1);
	EXPECT_EQ (log, std::vector<std::string> {"a"});
	loop->unregisterTimer (&a);
	loop->unregisterTimer (&b);
	loop->unregisterTimer (&c);
}

TEST (PlugFrameRunLoop, ATimerUnregisteredByAnotherDoesNotFireAfterIt)
{
	auto loop = owned (new PlugFrameRunLoop (PlugFrameRunLoop::kManualClock));
	std::vector<std::string> log;
	Timer first ("first", log), second ("second", log), third ("third", log);
	first.onFire = [&] {
		loop->unregisterTimer (&second);
		loop->registerTimer (&third, 5); // registered while firing: due 5 ms later, not at once
	};
	loop->registerTimer (&first, 10);
	loop->registerTimer (&second, 10);
	loop->advance (10);
	EXPECT_EQ (log, std::vector<std::string> {"first"});
	EXPECT_EQ (second.refs, 1u) << "its reference was given back";
	loop->unregisterTimer (&first);
	loop->advance (5);
	EXPECT_EQ (log, (std::vector<std::string> {"first", "third"}));
	loop->unregisterTimer (&third);
	EXPECT_EQ (loop->timerCount (), 0u);
}

TEST (PlugFrameRunLoop, RegistrationsAreCountedAndHoldAReference)
{
	auto loop = owned (new PlugFrameRunLoop);
	std::vector<std::string> log;
	Timer t ("t", log);
	Reader r;
	int fds[2];
	ASSERT_EQ (pipe2 (fds, O_NONBLOCK), 0);

	struct Case
	{
		const char* what;
		tresult result;
		tresult expected;
	};
	const Case refused[] = {
	    {"a null timer", loop->registerTimer (nullptr, 10), kInvalidArgument},
	    {"a null event handler", loop->registerEventHandler (nullptr, fds[0]), kInvalidArgument},
	    {"a negative fd", loop->registerEventHandler (&r, -1), kInvalidArgument},
	    {"an unknown timer", loop->unregisterTimer (&t), kInvalidArgument},
	    {"an unknown event handler", loop->unregisterEventHandler (&r), kInvalidArgument},
	};
	for (const auto& c : refused)
		EXPECT_EQ (c.result, c.expected) << c.what;

	ASSERT_EQ (loop->registerTimer (&t, 33), kResultTrue);
	ASSERT_EQ (loop->registerEventHandler (&r, fds[0]), kResultTrue);
	EXPECT_EQ (t.refs, 2u);
	EXPECT_EQ (r.refs, 2u);
	EXPECT_EQ (loop->timerCount (), 1u);
	EXPECT_EQ (loop->eventHandlerCount (), 1u);
	EXPECT_EQ (loop->timerIntervals (), std::vector<Linux::TimerInterval> {33});
	EXPECT_EQ (loop->eventHandlerFds (), std::vector<int> {fds[0]});

	EXPECT_EQ (loop->unregisterTimer (&t), kResultTrue);
	EXPECT_EQ (loop->unregisterEventHandler (&r), kResultTrue);
	EXPECT_EQ (t.refs, 1u);
	EXPECT_EQ (r.refs, 1u);
	EXPECT_EQ (loop->timerCount (), 0u);
	EXPECT_EQ (loop->eventHandlerCount (), 0u);
	const auto& totals = loop->totals ();
	EXPECT_EQ (totals.timersRegistered, 1u);
	EXPECT_EQ (totals.timersUnregistered, 1u);
	EXPECT_EQ (totals.eventHandlersRegistered, 1u);
	EXPECT_EQ (totals.eventHandlersUnregistered, 1u);
	close (fds[0]);
	close (fds[1]);
}

TEST (PlugFrameRunLoop, OffersFrameAndRunLoopAndLivesUntilTheLastRelease)
{
	bool gone = false;
	struct Watched : PlugFrameRunLoop
	{
		explicit Watched (bool& g) : flag (g) {}
		~Watched () override { flag = true; }
		bool& flag;
	};
	auto* loop = new Watched (gone);
	EXPECT_EQ (loop->referenceCount (), 1u);

	const FUID* offered[] = {&IPlugFrame::iid, &Linux::IRunLoop::iid, &FUnknown::iid};
	for (const FUID* iid : offered)
	{
		void* obj = nullptr;
		ASSERT_EQ (loop->queryInterface (iid->toTUID (), &obj), kResultOk);
		ASSERT_NE (obj, nullptr);
		EXPECT_EQ (loop->referenceCount (), 2u);
		static_cast<FUnknown*> (obj)->release ();
	}
	void* run = nullptr;
	loop->queryInterface (Linux::IRunLoop::iid, &run);
	EXPECT_EQ (run, static_cast<Linux::IRunLoop*> (loop));
	static_cast<Linux::IRunLoop*> (run)->release ();

	void* none = &gone;
	EXPECT_EQ (loop->queryInterface (IPlugView::iid, &none), kNoInterface);
	EXPECT_EQ (none, nullptr);
	EXPECT_EQ (loop->referenceCount (), 1u);

	loop->addRef ();
	loop->release ();
	EXPECT_FALSE (gone);
	loop->release ();
	EXPECT_TRUE (gone);
}

TEST (PlugFrameRunLoop, CallsTheEventHandlerWhenItsFdHasData)
{
	auto loop = owned (new PlugFrameRunLoop);
	Reader r;
	int fds[2];
	ASSERT_EQ (pipe2 (fds, O_NONBLOCK), 0);
	loop->registerEventHandler (&r, fds[0]);
	loop->advance (0);
	EXPECT_TRUE (r.calls.empty ()) << "nothing to read yet";
	ASSERT_EQ (write (fds[1], "xy", 2), 2);
	EXPECT_TRUE (loop->pumpUntil ([&] { return r.bytes == 2; }, 5000));
	ASSERT_FALSE (r.calls.empty ());
	EXPECT_EQ (r.calls.front (), fds[0]);
	EXPECT_EQ (loop->totals ().fdCallbacks, r.calls.size ());
	loop->unregisterEventHandler (&r);
	close (fds[0]);
	close (fds[1]);
}

TEST (PlugFrameRunLoop, PumpRunsTimersInRealTime)
{
	auto loop = owned (new PlugFrameRunLoop);
	std::vector<std::string> log;
	Timer t ("t", log);
	loop->registerTimer (&t, 5);
	EXPECT_TRUE (loop->pumpUntil ([&] { return log.size () >= 3; }, 10000));
	loop->unregisterTimer (&t);
	const auto fired = log.size ();
	loop->pump (20);
	EXPECT_EQ (log.size (), fired) << "an unregistered timer stays quiet";
}

TEST (PlugFrameRunLoop, ResizeViewResizesTheWindowThenTellsTheView)
{
	auto loop = owned (new PlugFrameRunLoop);
	std::vector<std::string> log;
	SizedView view (log);
	bool accept = true;
	loop->setResizeHandler ([&] (int32 w, int32 h) {
		log.push_back ("window " + std::to_string (w) + "x" + std::to_string (h));
		return accept;
	});
	ViewRect r (0, 0, 300, 200);
	EXPECT_EQ (loop->resizeView (&view, &r), kResultTrue);
	EXPECT_EQ (log, (std::vector<std::string> {"window 300x200", "onSize 300x200"}));

	log.clear ();
	accept = false;
	EXPECT_EQ (loop->resizeView (&view, &r), kResultFalse);
	EXPECT_EQ (log, std::vector<std::string> {"window 300x200"}) << "a refused size is not passed on";
	EXPECT_EQ (loop->resizeView (&view, nullptr), kInvalidArgument);
	EXPECT_EQ (loop->resizeRequests ().size (), 2u);
}
