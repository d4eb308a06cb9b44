// The host side of an embedded editor: the IPlugFrame it asks for resizes and the Linux run loop
// it registers its file descriptors and timers with. pump() runs the loop in real time as a host's
// main thread would; advance() runs the timers as if time had passed, without waiting.
//
//   auto loop = Steinberg::owned (new PlugFrameRunLoop);
//   view->setFrame (loop);                  // the view finds the run loop through queryInterface
//   view->attached (parent, "X11EmbedWindowID");
//   loop->pump (100);                       // poll () on the registered fds, due timers in order
//   loop->pumpUntil ([&] { return ...; }, 5000);
#pragma once

#include "pluginterfaces/base/smartpointer.h"
#include "pluginterfaces/gui/iplugview.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

namespace grundmoor::testhost {

using Steinberg::int32;
using Steinberg::tresult;
using Steinberg::uint32;

class PlugFrameRunLoop : public Steinberg::IPlugFrame, public Steinberg::Linux::IRunLoop
{
public:
	using Clock = std::chrono::steady_clock;
	/** Resizes the host's window for resizeView; false refuses the size. */
	using ResizeHandler = std::function<bool (int32 width, int32 height)>;

	struct ResizeRequest
	{
		int32 width;
		int32 height;
	};

	/** Everything registered and called since construction. */
	struct Totals
	{
		std::uint64_t eventHandlersRegistered = 0;
		std::uint64_t eventHandlersUnregistered = 0;
		std::uint64_t timersRegistered = 0;
		std::uint64_t timersUnregistered = 0;
		std::uint64_t fdCallbacks = 0;
		std::uint64_t timerCallbacks = 0;
	};

	enum ClockKind
	{
		kRealClock,  // time passes as it does
		kManualClock // time passes only in advance () (and pump, which then advances)
	};

	/** Starts with one reference, the creator's (Steinberg::owned takes it). */
	explicit PlugFrameRunLoop (ClockKind clock = kRealClock);

	//--- IPlugFrame --------------------------------------------------------------------------
	/** As hosts do: resizes the window (the handler), then calls the view's onSize. */
	tresult PLUGIN_API resizeView (Steinberg::IPlugView* view, Steinberg::ViewRect* newSize) override;

	//--- Linux::IRunLoop ---------------------------------------------------------------------
	tresult PLUGIN_API registerEventHandler (Steinberg::Linux::IEventHandler* handler,
	                                         Steinberg::Linux::FileDescriptor fd) override;
	tresult PLUGIN_API unregisterEventHandler (Steinberg::Linux::IEventHandler* handler) override;
	tresult PLUGIN_API registerTimer (Steinberg::Linux::ITimerHandler* handler,
	                                  Steinberg::Linux::TimerInterval milliseconds) override;
	tresult PLUGIN_API unregisterTimer (Steinberg::Linux::ITimerHandler* handler) override;

	//--- FUnknown ----------------------------------------------------------------------------
	tresult PLUGIN_API queryInterface (const Steinberg::TUID iid, void** obj) override;
	uint32 PLUGIN_API addRef () override;
	uint32 PLUGIN_API release () override;
	uint32 referenceCount () const { return refCount.load (); }

	//--- What is registered --------------------------------------------------------------------
	size_t eventHandlerCount () const { return eventHandlers.size (); }
	size_t timerCount () const { return timers.size (); }
	/** The file descriptors and timer intervals registered now, in registration order. */
	std::vector<int> eventHandlerFds () const;
	std::vector<Steinberg::Linux::TimerInterval> timerIntervals () const;
	const Totals& totals () const { return counts; }

	void setResizeHandler (ResizeHandler handler) { onResize = std::move (handler); }
	const std::vector<ResizeRequest>& resizeRequests () const { return resizes; }

	//--- Running -----------------------------------------------------------------------------
	/** Runs the loop for this long in real time: poll () on the registered fds (their handlers
	 * called when readable), each due timer fired in time order. */
	void pump (int milliseconds);
	void pumpFor (Clock::duration duration);
	/** Pumps until done () is true (checked after every round) or the timeout; its last answer. */
	bool pumpUntil (const std::function<bool ()>& done, int timeoutMilliseconds);
	/** Runs the timers as if that much time passed, each as often as its interval fits (fds are
	 * polled without waiting); returns at once. With the manual clock, the loop's time is exactly
	 * what advance () added up. */
	void advance (int milliseconds);
	void advanceBy (Clock::duration duration);

protected:
	/** Only release () ends it. */
	virtual ~PlugFrameRunLoop ();

private:

	struct EventEntry
	{
		std::uint64_t serial;
		Steinberg::IPtr<Steinberg::Linux::IEventHandler> handler;
		int fd;
	};
	struct TimerEntry
	{
		std::uint64_t serial;
		Steinberg::IPtr<Steinberg::Linux::ITimerHandler> handler;
		Steinberg::Linux::TimerInterval interval;
		Clock::time_point due;
	};

	Clock::time_point now () const { return (manualClock ? Clock::time_point {} : Clock::now ()) + virtualOffset; }
	/** Calls the handlers of readable fds; waits up to timeout for one. */
	void dispatchFds (int timeoutMilliseconds);
	/** Fires each timer due at or before limit once, earliest first; returns how many fired. */
	int fireDueTimers (Clock::time_point limit, bool exactSchedule);
	TimerEntry* findTimer (std::uint64_t serial);
	bool hasEventEntry (std::uint64_t serial) const;

	std::atomic<uint32> refCount {1};
	std::vector<EventEntry> eventHandlers;
	std::vector<TimerEntry> timers;
	std::uint64_t nextSerial = 1;
	bool manualClock;
	Clock::duration virtualOffset {};
	Totals counts;
	ResizeHandler onResize;
	std::vector<ResizeRequest> resizes;
};

} // namespace grundmoor::testhost
