#include "grundmoor/testhost/ParentWindow.h"

#include "grundmoor/testhost/TestHost.h"

#include <X11/Xlib.h>

#include <algorithm>

namespace grundmoor::testhost {

namespace {

unsigned int side (int pixels) { return static_cast<unsigned int> (std::clamp (pixels, 1, 32767)); }

} // namespace

ParentWindow::ParentWindow (XDisplay* display, int width, int height, std::uint32_t background, int x, int y)
: connection (display), backgroundColour (background & 0xFFFFFF)
{
	if (!connection)
		throw HostError ("no X display for the host window");
	// Pixel values are 0xRRGGBB on the 24-bit true-colour screens the editor paints on.
	window = XCreateSimpleWindow (connection, DefaultRootWindow (connection), x, y, side (width), side (height), 0, 0,
	                              backgroundColour);
	if (!window)
		throw HostError ("cannot create the host window");
	XStoreName (connection, window, "Grundmoor editor host");
	XMapWindow (connection, window);
	XSync (connection, False);
}

ParentWindow::~ParentWindow ()
{
	if (window)
	{
		XDestroyWindow (connection, window);
		XSync (connection, False);
	}
}

void ParentWindow::resize (int width, int height)
{
	XResizeWindow (connection, window, side (width), side (height));
	XSync (connection, False);
}

int ParentWindow::width () const
{
	XWindowAttributes a {};
	return XGetWindowAttributes (connection, window, &a) ? a.width : 0;
}

int ParentWindow::height () const
{
	XWindowAttributes a {};
	return XGetWindowAttributes (connection, window, &a) ? a.height : 0;
}

PixelPoint ParentWindow::originOnScreen () const
{
	int x = 0, y = 0;
	Window child = 0;
	XTranslateCoordinates (connection, window, DefaultRootWindow (connection), 0, 0, &x, &y, &child);
	return {x, y};
}

std::vector<unsigned long> ParentWindow::children () const
{
	Window root = 0, parent = 0, *list = nullptr;
	unsigned int count = 0;
	std::vector<unsigned long> out;
	if (XQueryTree (connection, window, &root, &parent, &list, &count))
		out.assign (list, list + count);
	if (list)
		XFree (list);
	return out;
}

} // namespace grundmoor::testhost
