// Timers on the host's Steinberg::Linux::IRunLoop.
#include "platform.h"
#include "runloophandler.h"

#include "vstgui/lib/cvstguitimer.h"

#include "pluginterfaces/gui/iplugview.h"

#include <atomic>
#include <map>

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
	int users {0};

private:
	Steinberg::Linux::IRunLoop* host;
	std::map<CVSTGUITimer*, TimerHandler*> handlers;
};

HostRunLoop* installed = nullptr;

} // namespace

void attachHostRunLoop (Steinberg::Linux::IRunLoop* runLoop)
{
	if (!runLoop)
		return;
	if (installed && installed->getHost () != runLoop)
		return; // one host run loop per process; the first one stays
	if (!installed)
	{
		installed = new HostRunLoop (runLoop);
		RunLoop::set (installed);
	}
	++installed->users;
}

void detachHostRunLoop (Steinberg::Linux::IRunLoop* runLoop)
{
	if (!installed || installed->getHost () != runLoop)
		return;
	if (--installed->users > 0)
		return;
	RunLoop::clear (installed);
	delete installed;
	installed = nullptr;
}

} // namespace Platform
} // namespace VSTGUI
