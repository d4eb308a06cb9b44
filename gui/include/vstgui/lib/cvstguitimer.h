// Timers on an exchangeable run loop: the host's in a plug-in, a manual clock in tests.
#pragma once

#include "vstguibase.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace VSTGUI {

class CVSTGUITimer;

// Whatever drives the timers. Only one is current per process.
class IRunLoop
{
public:
	virtual ~IRunLoop () noexcept = default;
	virtual bool registerTimer (CVSTGUITimer* timer, uint32_t intervalMilliseconds) = 0;
	virtual void unregisterTimer (CVSTGUITimer* timer) = 0;
};

namespace RunLoop {
// Installs the run loop; running timers that waited for one are registered with it.
void set (IRunLoop* runLoop);
IRunLoop* get ();
// Takes a run loop away again (only if it is the current one); running timers wait for the next.
void clear (IRunLoop* runLoop);
} // namespace RunLoop

class CVSTGUITimer : public CBaseObject
{
public:
	using CallbackFunc = std::function<void (CVSTGUITimer*)>;

	CVSTGUITimer (const CallbackFunc& callback, uint32_t fireTime = 100, bool doStart = true);
	CVSTGUITimer (CallbackFunc&& callback, uint32_t fireTime = 100, bool doStart = true);
	~CVSTGUITimer () noexcept override;

	// Starting without a run loop is fine: the timer starts when one is installed.
	bool start ();
	bool stop ();
	bool isRunning () const { return running; }
	bool setFireTime (uint32_t newFireTime);
	uint32_t getFireTime () const { return fireTime; }
	// Called by the run loop; keeps the timer alive during the callback.
	void fire ();

	// Internal: the run loop changed.
	void runLoopChanged (IRunLoop* newLoop);

private:
	CallbackFunc callback;
	uint32_t fireTime;
	bool running {false};
	IRunLoop* registeredWith {nullptr};
};

// A run loop driven by hand: time advances only when told, timers fire in due order.
class ManualRunLoop : public IRunLoop
{
public:
	ManualRunLoop () = default;
	~ManualRunLoop () noexcept override;
	bool registerTimer (CVSTGUITimer* timer, uint32_t intervalMilliseconds) override;
	void unregisterTimer (CVSTGUITimer* timer) override;

	// Moves the clock forward, firing every timer that falls due, in time order
	// (ties in registration order). Returns the number of callbacks made.
	int advance (uint64_t milliseconds);
	uint64_t now () const { return currentTime; }
	size_t getNbTimers () const { return entries.size (); }

private:
	struct Entry
	{
		CVSTGUITimer* timer;
		uint64_t interval;
		uint64_t due;
		uint64_t order;
	};
	std::vector<Entry> entries;
	uint64_t currentTime {0};
	uint64_t nextOrder {0};
};

} // namespace VSTGUI
