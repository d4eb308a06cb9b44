// Timers on the host's Steinberg::Linux::IRunLoop.
#include "platform.h"
#include "runloophandler.h"

#include "vstgui/lib/cvstguitimer.h"

#include "pluginterfaces/gui/iplugview.h"

#include <algorithm>
#include <atomic>
#include <map>
#include <vector>

namespace VSTGUI {
namespace Platform {
namespace {

class TimerHandler : public RunLoopHandler<Steinberg::Linux::ITimerHandler>
{
public:
	explicit TimerHandler (CVSTGUITimer* t) : timer (t) {}
	virtual ~TimerHandler () = default;

	void PLUGIN_API onTimer () override
	{
		if (timer)
			timer->fire ();
	}
	CVSTGUITimer* timer;
};

class HostRunLoop : public IRunLoop
{
public:
	explicit HostRunLoop (Steinberg::Linux::IRunLoop* h) : host (h) { host->addRef (); }
	~HostRunLoop () noexcept override
	{
		for (auto& [timer, handler] : handlers)
		{
			host->unregisterTimer (handler);
			handler->timer = nullptr;
			handler->release ();
		}
		host->release ();
	}
	bool registerTimer (CVSTGUITimer* timer, uint32_t ms) override
	{
		unregisterTimer (timer);
		auto* handler = new TimerHandler (timer);
		if (host->registerTimer (handler, ms) != Steinberg::kResultOk)
		{
			handler->release ();
			return false;
		}
		handlers[timer] = handler;
		return true;
	}
	void unregisterTimer (CVSTGUITimer* timer) override
	{
		auto it = handlers.find (timer);
		if (it == handlers.end ())
			return;
		host->unregisterTimer (it->second);
		it->second->timer = nullptr;
		it->second->release ();
		handlers.erase (it);
	}
	Steinberg::Linux::IRunLoop* getHost () const { return host; }

private:
	Steinberg::Linux::IRunLoop* host;
	std::map<CVSTGUITimer*, TimerHandler*> handlers;
};

HostRunLoop* installed = nullptr;

// Every run loop an editor handed in, with the number of editors that use it: the timers run on
// one of them, and move to another when that one's last editor goes.
struct AttachedLoop
{
	Steinberg::Linux::IRunLoop* host;
	int users;
};
std::vector<AttachedLoop>& attachedLoops ()
{
	static std::vector<AttachedLoop> loops;
	return loops;
}

void install (Steinberg::Linux::IRunLoop* runLoop)
{
	installed = new HostRunLoop (runLoop);
	RunLoop::set (installed); // registers the running timers with it
}

} // namespace

void attachHostRunLoop (Steinberg::Linux::IRunLoop* runLoop)
{
	if (!runLoop)
		return;
	auto& loops = attachedLoops ();
	auto it = std::find_if (loops.begin (), loops.end (), [&] (const auto& l) { return l.host == runLoop; });
	if (it == loops.end ())
	{
		runLoop->addRef ();
		loops.push_back ({runLoop, 0});
		it = std::prev (loops.end ());
	}
	++it->users;
	if (!installed)
		install (runLoop);
}

void detachHostRunLoop (Steinberg::Linux::IRunLoop* runLoop)
{
	auto& loops = attachedLoops ();
	auto it = std::find_if (loops.begin (), loops.end (), [&] (const auto& l) { return l.host == runLoop; });
	if (it == loops.end () || --it->users > 0)
		return;
	loops.erase (it);
	if (installed && installed->getHost () == runLoop)
	{
		RunLoop::clear (installed); // takes the timers off this loop
		delete installed;
		installed = nullptr;
		if (!loops.empty ())
			install (loops.front ().host);
	}
	runLoop->release ();
}

} // namespace Platform
} // namespace VSTGUI
