// Mouse and keyboard input through the XTest extension, as a user at the screen gives it: the
// server sends the events to whatever window is under the pointer (or has the keyboard focus),
// so the editor reads them from its own connection. Points are pixels of the host's window;
// editor points (zoom 1, as in the UI description) are converted at the editor's zoom.
#pragma once

#include "grundmoor/testhost/ParentWindow.h"

#include <functional>
#include <string>

namespace grundmoor::testhost {

/** A point in editor coordinates (the UI description's, zoom 1). */
struct EditorPoint
{
	double x = 0;
	double y = 0;
};

class InputSimulator
{
public:
	/** Button numbers of X: 1 left, 2 middle, 3 right (4 and 5 are the wheel). */
	enum Button
	{
		kLeft = 1,
		kMiddle = 2,
		kRight = 3
	};

	/** Throws HostError when the server has no XTest. */
	InputSimulator (XDisplay* display, unsigned long window, double zoom = 1.0);

	static bool available (XDisplay* display);

	void setZoom (double z) { zoomFactor = z; }
	double zoom () const { return zoomFactor; }
	/** The window pixel under an editor point (the pixel whose area holds it). */
	PixelPoint toPixels (EditorPoint p) const;

	/** Called after each event was sent and the server has it (e.g. to pump the editor's loop). */
	void setAfterEachEvent (std::function<void ()> callback) { afterEach = std::move (callback); }

	//--- Window pixels -----------------------------------------------------------------------
	void moveTo (PixelPoint p);
	void press (int button = kLeft);
	void release (int button = kLeft);
	/** Move there, press, release. */
	void click (PixelPoint p, int button = kLeft);
	/** Move to from, press, move to to in steps (equal parts), release. */
	void drag (PixelPoint from, PixelPoint to, int steps = 10, int button = kLeft);
	/** Wheel clicks at p: positive up (button 4), negative down (button 5). */
	void scroll (PixelPoint p, int clicks);

	//--- Editor points -----------------------------------------------------------------------
	void moveTo (EditorPoint p) { moveTo (toPixels (p)); }
	void click (EditorPoint p, int button = kLeft) { click (toPixels (p), button); }
	void drag (EditorPoint from, EditorPoint to, int steps = 10, int button = kLeft)
	{
		drag (toPixels (from), toPixels (to), steps, button);
	}
	void scroll (EditorPoint p, int clicks) { scroll (toPixels (p), clicks); }

	//--- Keyboard ----------------------------------------------------------------------------
	/** Presses and releases the key of an X keysym (XK_Return, XK_a, ...), with Shift, Control or
	 * Alt held when asked. */
	void key (unsigned long keysym, bool shift = false, bool control = false, bool alt = false);
	/** Types the text key by key (Latin-1 characters the keyboard map has; Shift where needed). */
	void typeText (const std::string& text);

	/** The pointer position on the window, as the server has it. */
	PixelPoint pointer () const;

private:
	void sent ();
	void keyEvent (unsigned int keycode, bool down);

	XDisplay* connection;
	unsigned long window;
	double zoomFactor;
	std::function<void ()> afterEach;
};

} // namespace grundmoor::testhost
