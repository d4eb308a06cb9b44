#include "grundmoor/testhost/PlugFrameRunLoop.h"

#include <algorithm>
#include <cerrno>
#include <poll.h>

namespace grundmoor::testhost {

using namespace Steinberg;
using Linux::FileDescriptor;
using Linux::IEventHandler;
using Linux::ITimerHandler;
using Linux::TimerInterval;

PlugFrameRunLoop::PlugFrameRunLoop (ClockKind clock) : manualClock (clock == kManualClock) {}

PlugFrameRunLoop::~PlugFrameRunLoop () = default;

tresult PLUGIN_API PlugFrameRunLoop::resizeView (IPlugView* view, ViewRect* newSize)
{
	if (!view || !newSize)
		return kInvalidArgument;
	resizes.push_back ({newSize->getWidth (), newSize->getHeight ()});
	if (onResize && !onResize (newSize->getWidth (), newSize->getHeight ()))
		return kResultFalse;
	view->onSize (newSize);
	return kResultTrue;
}

tresult PLUGIN_API PlugFrameRunLoop::registerEventHandler (IEventHandler* handler, FileDescriptor fd)
{
	if (!handler || fd < 0)
		return kInvalidArgument;
	eventHandlers.push_back ({nextSerial++, IPtr<IEventHandler> (handler), fd});
	++counts.eventHandlersRegistered;
	return kResultTrue;
}

tresult PLUGIN_API PlugFrameRunLoop::unregisterEventHandler (IEventHandler* handler)
{
	const auto before = eventHandlers.size ();
	// Released after the entries are gone: a handler's release may call back into the loop.
	std::vector<IPtr<IEventHandler>> gone;
	for (auto& e : eventHandlers)
		if (e.handler.get () == handler)
			gone.push_back (e.handler);
	std::erase_if (eventHandlers, [&] (const EventEntry& e) { return e.handler.get () == handler; });
	if (eventHandlers.size () == before)
		return kInvalidArgument;
	counts.eventHandlersUnregistered += before - eventHandlers.size ();
	return kResultTrue;
}

tresult PLUGIN_API PlugFrameRunLoop::registerTimer (ITimerHandler* handler, TimerInterval milliseconds)
{
	if (!handler)
		return kInvalidArgument;
	const TimerInterval interval = std::max<TimerInterval> (milliseconds, 1);
	timers.push_back ({nextSerial++, IPtr<ITimerHandler> (handler), interval,
	                   now () + std::chrono::milliseconds (interval)});
	++counts.timersRegistered;
	return kResultTrue;
}

tresult PLUGIN_API PlugFrameRunLoop::unregisterTimer (ITimerHandler* handler)
{
	const auto before = timers.size ();
	std::vector<IPtr<ITimerHandler>> gone;
	for (auto& t : timers)
		if (t.handler.get () == handler)
			gone.push_back (t.handler);
	std::erase_if (timers, [&] (const TimerEntry& t) { return t.handler.get () == handler; });
	if (timers.size () == before)
		return kInvalidArgument;
	counts.timersUnregistered += before - timers.size ();
	return kResultTrue;
}

tresult PLUGIN_API PlugFrameRunLoop::queryInterface (const TUID iid, void** obj)
{
	if (!obj)
		return kInvalidArgument;
	if (FUnknownPrivate::iidEqual (iid, IPlugFrame::iid) || FUnknownPrivate::iidEqual (iid, FUnknown::iid))
		*obj = static_cast<IPlugFrame*> (this);
	else if (FUnknownPrivate::iidEqual (iid, Linux::IRunLoop::iid))
		*obj = static_cast<Linux::IRunLoop*> (this);
	else
	{
		*obj = nullptr;
		return kNoInterface;
	}
	addRef ();
	return kResultOk;
}

uint32 PLUGIN_API PlugFrameRunLoop::addRef () { return ++refCount; }

uint32 PLUGIN_API PlugFrameRunLoop::release ()
{
	const uint32 left = --refCount;
	if (left == 0)
		delete this;
	return left;
}

std::vector<int> PlugFrameRunLoop::eventHandlerFds () const
{
	std::vector<int> fds;
	for (const auto& e : eventHandlers)
		fds.push_back (e.fd);
	return fds;
}

std::vector<TimerInterval> PlugFrameRunLoop::timerIntervals () const
{
	std::vector<TimerInterval> intervals;
	for (const auto& t : timers)
		intervals.push_back (t.interval);
	return intervals;
}

PlugFrameRunLoop::TimerEntry* PlugFrameRunLoop::findTimer (std::uint64_t serial)
{
	for (auto& t : timers)
		if (t.serial == serial)
			return &t;
	return nullptr;
}

bool PlugFrameRunLoop::hasEventEntry (std::uint64_t serial) const
{
	return std::any_of (eventHandlers.begin (), eventHandlers.end (),
	                    [&] (const EventEntry& e) { return e.serial == serial; });
}

void PlugFrameRunLoop::dispatchFds (int timeoutMilliseconds)
{
	if (eventHandlers.empty ())
		return;
	// The handlers may (un)register others while they run: work on a copy that keeps them alive.
	const std::vector<EventEntry> entries = eventHandlers;
	std::vector<pollfd> fds;
	for (const auto& e : entries)
		fds.push_back ({e.fd, POLLIN, 0});
	const int ready = poll (fds.data (), fds.size (), timeoutMilliseconds);
	if (ready <= 0)
		return;
	for (size_t i = 0; i < entries.size (); ++i)
	{
		if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR)) || !hasEventEntry (entries[i].serial))
			continue;
		++counts.fdCallbacks;
		entries[i].handler->onFDIsSet (entries[i].fd);
	}
}

int PlugFrameRunLoop::fireDueTimers (Clock::time_point limit, bool exactSchedule)
{
	struct Due
	{
		Clock::time_point at;
		std::uint64_t serial;
		IPtr<ITimerHandler> handler;
	};
	std::vector<Due> due;
	for (const auto& t : timers)
		if (t.due <= limit)
			due.push_back ({t.due, t.serial, t.handler});
	std::sort (due.begin (), due.end (), [] (const Due& a, const Due& b) {
		return a.at != b.at ? a.at < b.at : a.serial < b.serial;
	});
	int fired = 0;
	for (const auto& d : due)
	{
		TimerEntry* entry = findTimer (d.serial);
		if (!entry) // unregistered by a timer that fired before it
			continue;
		if (exactSchedule && d.at > now ())
			virtualOffset += d.at - now (); // virtual time moves to the timer's moment
		const auto interval = std::chrono::milliseconds (entry->interval);
		entry->due = d.at + interval;
		// A loop that fell behind fires a late timer once, not once per missed interval.
		if (!exactSchedule && entry->due <= now ())
			entry->due = now () + interval;
		++counts.timerCallbacks;
		++fired;
		d.handler->onTimer ();
	}
	return fired;
}

void PlugFrameRunLoop::pump (int milliseconds) { pumpFor (std::chrono::milliseconds (std::max (milliseconds, 0))); }

void PlugFrameRunLoop::pumpFor (Clock::duration duration)
{
	if (manualClock)
	{
		advanceBy (duration); // no time would pass while waiting
		return;
	}
	const auto end = now () + duration;
	do
	{
		auto next = end;
		for (const auto& t : timers)
			next = std::min (next, t.due);
		const auto wait = std::chrono::ceil<std::chrono::milliseconds> (next - now ()).count ();
		const int timeout = static_cast<int> (std::clamp<long long> (wait, 0, 1000));
		if (eventHandlers.empty ())
		{
			if (timeout > 0)
				poll (nullptr, 0, timeout);
		}
		else
			dispatchFds (timeout);
		fireDueTimers (now (), false);
	} while (now () < end);
}

bool PlugFrameRunLoop::pumpUntil (const std::function<bool ()>& done, int timeoutMilliseconds)
{
	const auto end = now () + std::chrono::milliseconds (std::max (timeoutMilliseconds, 0));
	if (done ())
		return true;
	while (now () < end)
	{
		pumpFor (std::min<Clock::duration> (std::chrono::milliseconds (10), end - now ()));
		if (done ())
			return true;
	}
	return done ();
}

void PlugFrameRunLoop::advance (int milliseconds) { advanceBy (std::chrono::milliseconds (std::max (milliseconds, 0))); }

void PlugFrameRunLoop::advanceBy (Clock::duration duration)
{
	const auto end = now () + std::max (duration, Clock::duration::zero ());
	for (;;)
	{
		dispatchFds (0);
		// One timer at a time, so each sees the moment it is due and later ones follow in order.
		auto next = Clock::time_point::max ();
		for (const auto& t : timers)
			next = std::min (next, t.due);
		if (next > end)
			break;
		fireDueTimers (next, true);
	}
	if (end > now ())
		virtualOffset += end - now ();
}

} // namespace grundmoor::testhost
