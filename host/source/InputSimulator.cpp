#include "grundmoor/testhost/InputSimulator.h"

#include "grundmoor/testhost/TestHost.h"

#include <X11/Xlib.h>
#include <X11/XKBlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cmath>

namespace grundmoor::testhost {

bool InputSimulator::available (XDisplay* display)
{
	int event = 0, error = 0, major = 0, minor = 0;
	return display && XTestQueryExtension (display, &event, &error, &major, &minor);
}

InputSimulator::InputSimulator (XDisplay* display, unsigned long w, double zoom)
: connection (display), window (w), zoomFactor (zoom)
{
	if (!available (connection))
		throw HostError ("the X server has no XTest extension");
}

PixelPoint InputSimulator::toPixels (EditorPoint p) const
{
	return {static_cast<int> (std::floor (p.x * zoomFactor)), static_cast<int> (std::floor (p.y * zoomFactor))};
}

void InputSimulator::sent ()
{
	XSync (connection, False);
	if (afterEach)
		afterEach ();
}

void InputSimulator::moveTo (PixelPoint p)
{
	// XTest moves the pointer in screen coordinates; the window is wherever it was put.
	int x = 0, y = 0;
	Window child = 0;
	XTranslateCoordinates (connection, window, DefaultRootWindow (connection), p.x, p.y, &x, &y, &child);
	XTestFakeMotionEvent (connection, DefaultScreen (connection), x, y, CurrentTime);
	sent ();
}

void InputSimulator::press (int button)
{
	XTestFakeButtonEvent (connection, static_cast<unsigned int> (button), True, CurrentTime);
	sent ();
}

void InputSimulator::release (int button)
{
	XTestFakeButtonEvent (connection, static_cast<unsigned int> (button), False, CurrentTime);
	sent ();
}

void InputSimulator::click (PixelPoint p, int button)
{
	moveTo (p);
	press (button);
	release (button);
}

void InputSimulator::drag (PixelPoint from, PixelPoint to, int steps, int button)
{
	steps = std::max (steps, 1);
	moveTo (from);
	press (button);
	for (int i = 1; i <= steps; ++i)
	{
		const double t = static_cast<double> (i) / steps;
		moveTo (PixelPoint {static_cast<int> (std::lround (from.x + (to.x - from.x) * t)),
		         static_cast<int> (std::lround (from.y + (to.y - from.y) * t))});
	}
	release (button);
}

void InputSimulator::scroll (PixelPoint p, int clicks)
{
	moveTo (p);
	const int button = clicks > 0 ? 4 : 5;
	for (int i = 0; i < std::abs (clicks); ++i)
	{
		press (button);
		release (button);
	}
}

void InputSimulator::keyEvent (unsigned int keycode, bool down)
{
	XTestFakeKeyEvent (connection, keycode, down ? True : False, CurrentTime);
	sent ();
}

void InputSimulator::key (unsigned long keysym, bool shift, bool control, bool alt)
{
	const unsigned int code = XKeysymToKeycode (connection, static_cast<KeySym> (keysym));
	if (code == 0)
		throw HostError ("no key for keysym " + std::to_string (keysym));
	const unsigned int shiftCode = XKeysymToKeycode (connection, XK_Shift_L);
	const unsigned int controlCode = XKeysymToKeycode (connection, XK_Control_L);
	const unsigned int altCode = XKeysymToKeycode (connection, XK_Alt_L);
	if (shift)
		keyEvent (shiftCode, true);
	if (control)
		keyEvent (controlCode, true);
	if (alt)
		keyEvent (altCode, true);
	keyEvent (code, true);
	keyEvent (code, false);
	if (alt)
		keyEvent (altCode, false);
	if (control)
		keyEvent (controlCode, false);
	if (shift)
		keyEvent (shiftCode, false);
}

void InputSimulator::typeText (const std::string& text)
{
	for (const unsigned char c : text)
	{
		// Latin-1 characters are their own keysyms; a few control characters have keys of their own.
		KeySym sym = c;
		if (c == '\n')
			sym = XK_Return;
		else if (c == '\t')
			sym = XK_Tab;
		else if (c == '\b')
			sym = XK_BackSpace;
		const KeyCode code = XKeysymToKeycode (connection, sym);
		if (code == 0)
			throw HostError (std::string ("no key types '") + static_cast<char> (c) + "'");
		// The keysym at the key's second level needs Shift.
		const bool shift = XkbKeycodeToKeysym (connection, code, 0, 0) != sym &&
		                   XkbKeycodeToKeysym (connection, code, 0, 1) == sym;
		key (sym, shift);
	}
}

PixelPoint InputSimulator::pointer () const
{
	Window root = 0, child = 0;
	int rootX = 0, rootY = 0, x = 0, y = 0;
	unsigned int mask = 0;
	XQueryPointer (connection, window, &root, &child, &rootX, &rootY, &x, &y, &mask);
	return {x, y};
}

} // namespace grundmoor::testhost
