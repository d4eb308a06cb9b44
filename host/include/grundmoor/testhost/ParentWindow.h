// The host's window an editor is embedded in: a plain top-level window on the display. There is
// no window manager under Xvfb, so it stays where it is put and the pointer's window is simply
// the one under it.
#pragma once

#include "grundmoor/testhost/VirtualDisplay.h"

#include <cstdint>
#include <vector>

namespace grundmoor::testhost {

struct PixelPoint
{
	int x = 0;
	int y = 0;
};

class ParentWindow
{
public:
	/** Creates and maps the window at (x, y) of the screen; background 0xRRGGBB. */
	ParentWindow (XDisplay* display, int width, int height, std::uint32_t background = 0x3c3f44, int x = 0,
	              int y = 0);
	~ParentWindow ();
	ParentWindow (const ParentWindow&) = delete;
	ParentWindow& operator= (const ParentWindow&) = delete;

	XDisplay* display () const { return connection; }
	unsigned long id () const { return window; }
	/** The parent pointer that attached() takes for "X11EmbedWindowID": the window id. */
	void* nativeHandle () const { return reinterpret_cast<void*> (static_cast<std::uintptr_t> (window)); }
	std::uint32_t background () const { return backgroundColour; }

	/** Resizes the window (what a host does for resizeView); waits until the server did it. */
	void resize (int width, int height);
	/** The size as the server has it. */
	int width () const;
	int height () const;
	/** Where the window's (0, 0) is on the screen. */
	PixelPoint originOnScreen () const;
	/** The windows inside it (the editor's), bottom to top. */
	std::vector<unsigned long> children () const;

private:
	XDisplay* connection;
	unsigned long window = 0;
	std::uint32_t backgroundColour;
};

} // namespace grundmoor::testhost
