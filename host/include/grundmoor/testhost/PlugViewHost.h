// Embeds a plug-in view in a host window as a Linux host does: isPlatformTypeSupported
// ("X11EmbedWindowID"), setFrame with the frame that offers the run loop, getSize, the window
// sized to it, attached (window id, "X11EmbedWindowID"); later removed and setFrame (nullptr).
// The view itself (its creation and release) stays the caller's.
#pragma once

#include "grundmoor/testhost/ParentWindow.h"
#include "grundmoor/testhost/PlugFrameRunLoop.h"
#include "grundmoor/testhost/Screenshot.h"

#include "pluginterfaces/gui/iplugview.h"

#include <memory>

namespace grundmoor::testhost {

class PlugViewHost
{
public:
	/** A host window of width x height (resized to the view at attach) on the display. */
	PlugViewHost (XDisplay* display, int width = 640, int height = 480, std::uint32_t windowBackground = 0x3c3f44);
	~PlugViewHost ();
	PlugViewHost (const PlugViewHost&) = delete;
	PlugViewHost& operator= (const PlugViewHost&) = delete;

	/** setFrame, getSize, window resized, attached; throws HostError on a refusal (the view is
	 * left with no frame then). */
	void attach (Steinberg::IPlugView* view);
	/** removed, then setFrame (nullptr). Nothing when no view is attached. */
	void detach ();
	/** Only removed (the frame stays set, as between two attached calls of one view). */
	void removeOnly ();
	/** attached again for a view that was removed but kept its frame. */
	void reattach ();
	Steinberg::IPlugView* view () const { return attachedView; }
	bool isAttached () const { return attachedView != nullptr && attachedNow; }

	/** The size getSize gave at the last attach (and resizeView since). */
	Steinberg::ViewRect viewSize () const { return size; }

	PlugFrameRunLoop& runLoop () const { return *loop; }
	ParentWindow& window () const { return *parent; }
	XDisplay* display () const { return connection; }

	/** The editor's own window inside the host window, 0 when there is none. */
	unsigned long childWindow () const;
	Image screenshot () const { return captureWindow (connection, parent->id ()); }

	/** Pumps until the view has painted its window: its pixels are no longer one colour of the
	 * window's initial background only (its child's black, the host window's colour) and two
	 * pictures in a row agree. False on the timeout. */
	bool waitForDrawn (int timeoutMilliseconds = 10000);
	/** Pumps until a round passes without any of the view's fds becoming readable (the events the
	 * input caused are handled), at most timeoutMilliseconds. */
	void settle (int timeoutMilliseconds = 2000);

private:
	XDisplay* connection;
	Steinberg::IPtr<PlugFrameRunLoop> loop;
	std::unique_ptr<ParentWindow> parent;
	Steinberg::IPlugView* attachedView = nullptr;
	bool attachedNow = false;
	Steinberg::ViewRect size;
};

} // namespace grundmoor::testhost
