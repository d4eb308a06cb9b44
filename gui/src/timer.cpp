// Timers and the process-wide run loop they are registered with.
#include "vstgui/lib/cvstguitimer.h"

#include <algorithm>

namespace VSTGUI {

namespace {
IRunLoop* currentRunLoop = nullptr;
// Every living timer, so that a new run loop can pick up the running ones.
std::vector<CVSTGUITimer*>& allTimers ()
{
	static std::vector<CVSTGUITimer*> timers;
	return timers;
}
} // namespace

void RunLoop::set (IRunLoop* runLoop)
{
	if (runLoop == currentRunLoop)
		return;
	currentRunLoop = runLoop;
	auto timers = allTimers ();
	for (auto* t : timers)
		t->runLoopChanged (runLoop);
}

IRunLoop* RunLoop::get () { return currentRunLoop; }

void RunLoop::clear (IRunLoop* runLoop)
{
	if (runLoop && runLoop == currentRunLoop)
		set (nullptr);
}

//------------------------------------------------------------------------
CVSTGUITimer::CVSTGUITimer (const CallbackFunc& cb, uint32_t ft, bool doStart) : callback (cb), fireTime (ft)
{
	allTimers ().push_back (this);
	if (doStart)
		start ();
}

CVSTGUITimer::CVSTGUITimer (CallbackFunc&& cb, uint32_t ft, bool doStart) : callback (std::move (cb)), fireTime (ft)
{
	allTimers ().push_back (this);
	if (doStart)
		start ();
}

CVSTGUITimer::~CVSTGUITimer () noexcept
{
	stop ();
	auto& timers = allTimers ();
	timers.erase (std::remove (timers.begin (), timers.end (), this), timers.end ());
}

bool CVSTGUITimer::start ()
{
	if (running)
		return false;
	running = true;
	if (currentRunLoop && currentRunLoop->registerTimer (this, std::max<uint32_t> (1, fireTime)))
		registeredWith = currentRunLoop;
	return true;
}

bool CVSTGUITimer::stop ()
{
	if (!running)
		return false;
	running = false;
	if (registeredWith)
	{
		registeredWith->unregisterTimer (this);
		registeredWith = nullptr;
	}
	return true;
}

bool CVSTGUITimer::setFireTime (uint32_t ft)
{
	if (ft == fireTime)
		return true;
	fireTime = ft;
	if (running)
	{
		stop ();
		start ();
	}
	return true;
}

void CVSTGUITimer::fire ()
{
	if (!running || !callback)
		return;
	SharedPointer<CVSTGUITimer> keep (this);
	auto cb = callback; // the callback may replace or destroy things it owns
	cb (this);
}

void CVSTGUITimer::runLoopChanged (IRunLoop* newLoop)
{
	if (registeredWith)
	{
		registeredWith->unregisterTimer (this);
		registeredWith = nullptr;
	}
	if (running && newLoop && newLoop->registerTimer (this, std::max<uint32_t> (1, fireTime)))
		registeredWith = newLoop;
}

//------------------------------------------------------------------------
ManualRunLoop::~ManualRunLoop () noexcept
{
	if (RunLoop::get () == this)
		RunLoop::clear (this);
}

bool ManualRunLoop::registerTimer (CVSTGUITimer* timer, uint32_t interval)
{
	unregisterTimer (timer);
	entries.push_back ({timer, std::max<uint64_t> (1, interval), currentTime + std::max<uint64_t> (1, interval),
	                    nextOrder++});
	return true;
}

void ManualRunLoop::unregisterTimer (CVSTGUITimer* timer)
{
	entries.erase (std::remove_if (entries.begin (), entries.end (), [&] (const Entry& e) { return e.timer == timer; }),
	               entries.end ());
}

int ManualRunLoop::advance (uint64_t milliseconds)
{
	const uint64_t target = currentTime + milliseconds;
	int calls = 0;
	while (true)
	{
		// The earliest due timer; ties go to the one registered first.
		auto next = entries.end ();
		for (auto it = entries.begin (); it != entries.end (); ++it)
			if (it->due <= target && (next == entries.end () || it->due < next->due ||
			                          (it->due == next->due && it->order < next->order)))
				next = it;
		if (next == entries.end ())
			break;
		currentTime = next->due;
		next->due += next->interval;
		CVSTGUITimer* timer = next->timer;
		timer->fire (); // may stop, start or destroy timers
		++calls;
	}
	currentTime = target;
	return calls;
}

} // namespace VSTGUI
