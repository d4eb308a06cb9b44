#include "grundmoor/testhost/PlugViewHost.h"

#include "grundmoor/testhost/TestHost.h"

#include <X11/Xlib.h>

namespace grundmoor::testhost {

using namespace Steinberg;

PlugViewHost::PlugViewHost (XDisplay* display, int width, int height, std::uint32_t windowBackground)
: connection (display), loop (owned (new PlugFrameRunLoop)),
  parent (std::make_unique<ParentWindow> (display, width, height, windowBackground))
{
	loop->setResizeHandler ([this] (int32 w, int32 h) {
		parent->resize (w, h);
		size = ViewRect (0, 0, w, h);
		return true;
	});
}

PlugViewHost::~PlugViewHost ()
{
	detach ();
	loop->setResizeHandler ({});
}

void PlugViewHost::attach (IPlugView* view)
{
	if (!view)
		throw HostError ("no view to attach");
	if (attachedView)
		throw HostError ("a view is attached already");
	if (view->isPlatformTypeSupported (kPlatformTypeX11EmbedWindowID) != kResultTrue)
		throw HostError ("the view does not support X11EmbedWindowID");
	if (view->setFrame (loop) != kResultTrue)
		throw HostError ("setFrame refused");
	ViewRect r;
	if (view->getSize (&r) != kResultTrue || r.getWidth () <= 0 || r.getHeight () <= 0)
	{
		view->setFrame (nullptr);
		throw HostError ("getSize gave no size");
	}
	size = r;
	parent->resize (r.getWidth (), r.getHeight ());
	if (view->attached (parent->nativeHandle (), kPlatformTypeX11EmbedWindowID) != kResultTrue)
	{
		view->setFrame (nullptr);
		throw HostError ("attached refused");
	}
	attachedView = view;
	attachedNow = true;
}

void PlugViewHost::removeOnly ()
{
	if (attachedView && attachedNow)
		attachedView->removed ();
	attachedNow = false;
}

void PlugViewHost::reattach ()
{
	if (!attachedView || attachedNow)
		throw HostError ("no removed view to attach again");
	if (attachedView->attached (parent->nativeHandle (), kPlatformTypeX11EmbedWindowID) != kResultTrue)
		throw HostError ("attached refused");
	attachedNow = true;
}

void PlugViewHost::detach ()
{
	if (!attachedView)
		return;
	removeOnly ();
	attachedView->setFrame (nullptr);
	attachedView = nullptr;
}

unsigned long PlugViewHost::childWindow () const
{
	const auto children = parent->children ();
	return children.empty () ? 0 : children.back ();
}

bool PlugViewHost::waitForDrawn (int timeoutMilliseconds)
{
	std::optional<Image> previous;
	auto drawn = [&] {
		if (childWindow () == 0)
			return false;
		Image shot = screenshot ();
		// Unpainted parts show the editor window's black or the host window's own colour.
		const size_t blank = shot.count (0x000000) + shot.count (parent->background ());
		const bool painted = blank < shot.pixels ().size ();
		const bool steady = painted && previous && *previous == shot;
		previous = painted ? std::optional<Image> (std::move (shot)) : std::nullopt;
		return steady;
	};
	return loop->pumpUntil (drawn, timeoutMilliseconds);
}

void PlugViewHost::settle (int timeoutMilliseconds)
{
	XSync (connection, False);
	auto before = loop->totals ().fdCallbacks;
	int rounds = 0;
	loop->pumpUntil (
	    [&] {
		    const auto nowCalls = loop->totals ().fdCallbacks;
		    const bool quiet = nowCalls == before;
		    before = nowCalls;
		    return ++rounds >= 2 && quiet;
	    },
	    timeoutMilliseconds);
}

} // namespace grundmoor::testhost
