// Timers on the manual run loop.
#include "helpers.h"

using namespace VSTGUI;

namespace {

class Timers : public ::testing::Test
{
protected:
	void SetUp () override { RunLoop::set (&loop); }
	void TearDown () override { RunLoop::clear (&loop); }
	ManualRunLoop loop;
	std::vector<std::string> log;
	CVSTGUITimer::CallbackFunc logAs (std::string name)
	{
		return [this, name] (CVSTGUITimer*) { log.push_back (name + "@" + std::to_string (loop.now ())); };
	}
	std::string str () const
	{
		std::string s;
		for (const auto& e : log)
			s += (s.empty () ? "" : " ") + e;
		return s;
	}
};

TEST_F (Timers, FireInTimeOrder)
{
	auto fast = makeOwned<CVSTGUITimer> (logAs ("a"), 33, true);
	auto slow = makeOwned<CVSTGUITimer> (logAs ("b"), 100, true);
	EXPECT_EQ (loop.advance (32), 0);
	EXPECT_EQ (loop.advance (168), 8);
	EXPECT_EQ (str (), "a@33 a@66 a@99 b@100 a@132 a@165 a@198 b@200");
}

TEST_F (Timers, EqualDueTimesFireInRegistrationOrder)
{
	auto first = makeOwned<CVSTGUITimer> (logAs ("first"), 50, true);
	auto second = makeOwned<CVSTGUITimer> (logAs ("second"), 25, true);
	loop.advance (50);
	EXPECT_EQ (str (), "second@25 first@50 second@50");
}

TEST_F (Timers, StoppedAndNotStartedTimersStayQuiet)
{
	auto t = makeOwned<CVSTGUITimer> (logAs ("t"), 10, false);
	loop.advance (50);
	EXPECT_EQ (str (), "");
	t->start ();
	EXPECT_TRUE (t->isRunning ());
	loop.advance (20);
	t->stop ();
	loop.advance (50);
	EXPECT_EQ (str (), "t@60 t@70");
}

TEST_F (Timers, ACallbackMayStopItselfOrDestroyAnother)
{
	SharedPointer<CVSTGUITimer> victim = makeOwned<CVSTGUITimer> (logAs ("victim"), 30, true);
	int ticks = 0;
	auto self = makeOwned<CVSTGUITimer> (
	    [&] (CVSTGUITimer* t) {
		    ++ticks;
		    log.push_back ("self@" + std::to_string (loop.now ()));
		    if (ticks == 2)
		    {
			    t->stop ();
			    victim = nullptr; // the last reference goes
		    }
	    },
	    20, true);
	loop.advance (200);
	EXPECT_EQ (str (), "self@20 victim@30 self@40");
	EXPECT_EQ (loop.getNbTimers (), 0u);
}

TEST_F (Timers, ATimerStartedWithoutRunLoopStartsWhenOneArrives)
{
	RunLoop::clear (&loop);
	auto t = makeOwned<CVSTGUITimer> (logAs ("t"), 33, true);
	EXPECT_TRUE (t->isRunning ());
	loop.advance (100);
	EXPECT_EQ (str (), "");
	RunLoop::set (&loop);
	loop.advance (66);
	EXPECT_EQ (str (), "t@133 t@166");
	RunLoop::clear (&loop);
	loop.advance (100);
	EXPECT_EQ (str (), "t@133 t@166") << "taken away with the run loop";
}

TEST_F (Timers, ChangingTheFireTimeRestarts)
{
	auto t = makeOwned<CVSTGUITimer> (logAs ("t"), 100, true);
	loop.advance (50);
	t->setFireTime (10);
	EXPECT_EQ (t->getFireTime (), 10u);
	loop.advance (25);
	EXPECT_EQ (str (), "t@60 t@70");
}

} // namespace
