// X11 embedding of a frame in the host's window: a child window painted with cairo, its events
// read on the host's run loop.
#include "platform.h"
#include "runloophandler.h"

#include "vstgui/lib/controls.h"
#include "vstgui/lib/cvstguitimer.h"

#include "pluginterfaces/gui/iplugview.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <cairo.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <map>

namespace VSTGUI {
namespace Platform {
namespace {

class X11Frame;

// One connection for all frames of the process, open while any frame is.
Display* sharedDisplay = nullptr;
int displayUsers = 0;

// Xlib's default error handler ends the process; the host may destroy its window (and so
// ours) before the editor is removed, so errors on our connection are counted instead.
XErrorHandler previousErrorHandler = nullptr;
unsigned long sharedDisplayErrors = 0;

int onXError (Display* display, XErrorEvent* event)
{
	if (display && display == sharedDisplay)
	{
		++sharedDisplayErrors;
		return 0;
	}
	return previousErrorHandler ? previousErrorHandler (display, event) : 0;
}

Display* acquireDisplay ()
{
	if (!sharedDisplay)
	{
		sharedDisplay = XOpenDisplay (nullptr);
		if (sharedDisplay)
			previousErrorHandler = XSetErrorHandler (onXError);
	}
	if (sharedDisplay)
		++displayUsers;
	return sharedDisplay;
}

void releaseDisplay ()
{
	if (displayUsers > 0 && --displayUsers == 0)
	{
		XCloseDisplay (sharedDisplay); // still ours while its last errors come in
		sharedDisplay = nullptr;
		// Put the previous handler back unless someone installed another one after ours.
		XErrorHandler current = XSetErrorHandler (previousErrorHandler);
		if (current != onXError)
			XSetErrorHandler (current);
		previousErrorHandler = nullptr;
	}
}

// A window side in pixels: X11 and cairo both stop at 32767.
int windowSide (double pixels)
{
	if (!std::isfinite (pixels))
		return 1;
	return static_cast<int> (std::clamp (std::round (pixels), 1., 32767.));
}

class EventHandler : public RunLoopHandler<Steinberg::Linux::IEventHandler>
{
public:
	explicit EventHandler (X11Frame* f) : frame (f) {}
	virtual ~EventHandler () = default;
	void PLUGIN_API onFDIsSet (Steinberg::Linux::FileDescriptor) override;
	X11Frame* frame;
};

class PaintHandler : public RunLoopHandler<Steinberg::Linux::ITimerHandler>
{
public:
	explicit PaintHandler (X11Frame* f) : frame (f) {}
	virtual ~PaintHandler () = default;
	void PLUGIN_API onTimer () override;
	X11Frame* frame;
};

int32_t buttonState (unsigned int state)
{
	int32_t b = 0;
	if (state & Button1Mask) b |= kLButton;
	if (state & Button2Mask) b |= kMButton;
	if (state & Button3Mask) b |= kRButton;
	if (state & ShiftMask) b |= kShift;
	if (state & ControlMask) b |= kControl;
	if (state & Mod1Mask) b |= kAlt;
	return b;
}

// The modifiers of an event's state and the one button the event is about (the state also
// holds the other buttons that are down).
int32_t modifiersAndButton (unsigned int state, unsigned int button)
{
	int32_t b = buttonState (state) & ~(kLButton | kMButton | kRButton);
	return b | (button == 1 ? kLButton : button == 2 ? kMButton : kRButton);
}

unsigned char virtualKey (KeySym sym)
{
	switch (sym)
	{
		case XK_BackSpace: return VKEY_BACK;
		case XK_Tab: return VKEY_TAB;
		case XK_Return: return VKEY_RETURN;
		case XK_KP_Enter: return VKEY_ENTER;
		case XK_Escape: return VKEY_ESCAPE;
		case XK_End: return VKEY_END;
		case XK_Home: return VKEY_HOME;
		case XK_Left: return VKEY_LEFT;
		case XK_Up: return VKEY_UP;
		case XK_Right: return VKEY_RIGHT;
		case XK_Down: return VKEY_DOWN;
		case XK_Page_Up: return VKEY_PAGEUP;
		case XK_Page_Down: return VKEY_PAGEDOWN;
		case XK_Delete: return VKEY_DELETE;
		case XK_Insert: return VKEY_INSERT;
		default: return 0;
	}
}

// Key events are selected only while text is typed: unselected, they go on to the host's window
// (X hands a key to the window under the pointer when the focus is on one of its ancestors).
constexpr long kEventMask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                            StructureNotifyMask | FocusChangeMask | EnterWindowMask | LeaveWindowMask;
constexpr long kKeyEventMask = KeyPressMask | KeyReleaseMask;

class X11Frame : public IPlatformFrame
{
public:
	X11Frame (CFrame* f, Display* d, Window w, Window p, int wid, int hei, Steinberg::Linux::IRunLoop* rl)
	: frame (f), display (d), runLoop (rl), window (w), parentWindow (p), width (wid), height (hei)
	{
		runLoop->addRef ();
		gc = XCreateGC (display, window, 0, nullptr);
		windows ()[window] = this;
		XMapWindow (display, window);
		XFlush (display);
		handler = new EventHandler (this);
		runLoop->registerEventHandler (handler, ConnectionNumber (display));
		// Redraws are collected and painted at most about 60 times a second, on the loop that
		// also reads this window's events (the process-wide timer loop may be another host's).
		paintHandler = new PaintHandler (this);
		runLoop->registerTimer (paintHandler, 16);
		dirty = CRect (0, 0, frame->getWidth (), frame->getHeight ());
	}

	~X11Frame () noexcept override
	{
		if (keyboardFocus)
			giveKeyboardFocusBack ();
		runLoop->unregisterTimer (paintHandler);
		paintHandler->frame = nullptr;
		paintHandler->release ();
		runLoop->unregisterEventHandler (handler);
		handler->frame = nullptr;
		handler->release ();
		runLoop->release ();
		windows ().erase (window);
		XFreeGC (display, gc);
		XDestroyWindow (display, window);
		XFlush (display);
		releaseDisplay ();
	}

	void invalidRect (const CRect& rect) override { dirty.unite (rect); }
	void setSize (const CRect& rect) override
	{
		width = windowSide (rect.getWidth ());
		height = windowSide (rect.getHeight ());
		XResizeWindow (display, window, static_cast<unsigned> (width), static_cast<unsigned> (height));
		XFlush (display); // nothing else may send the request before the next event
		dirty = CRect (0, 0, frame->getWidth (), frame->getHeight ());
	}
	PlatformType getPlatformType () const override { return PlatformType::kX11EmbedWindowID; }

	// Only while text is typed: a click on a knob must leave the keys with the host.
	void setKeyboardFocus (bool state) override
	{
		if (state == keyboardFocus)
			return;
		keyboardFocus = state;
		XSelectInput (display, window, state ? kEventMask | kKeyEventMask : kEventMask);
		if (!state)
		{
			giveKeyboardFocusBack ();
			XFlush (display);
			return;
		}
		Window current = None;
		int revert = RevertToParent;
		XGetInputFocus (display, &current, &revert);
		if (current != window)
		{
			previousFocus = current;
			previousRevert = revert;
		}
		XSetInputFocus (display, window, RevertToParent, CurrentTime);
		XFlush (display);
	}

	// All frames share one connection: events are read once and handed to their window's frame.
	static std::map<Window, X11Frame*>& windows ()
	{
		static std::map<Window, X11Frame*> map;
		return map;
	}

	static void handleEvents (Display* display)
	{
		// An event may close the last frame, which would close the connection under this loop.
		if (display != sharedDisplay || !acquireDisplay ())
			return;
		while (XPending (display))
		{
			XEvent e;
			XNextEvent (display, &e);
			auto it = windows ().find (e.xany.window);
			if (it != windows ().end ())
				it->second->dispatch (e);
		}
		for (auto& [w, f] : windows ())
			f->paint ();
		releaseDisplay ();
	}

	Display* getDisplay () const { return display; }

private:
	friend class PaintHandler;

	// Back to the window that had the focus before (the host's, or PointerRoot), unless the
	// focus has moved on since; to the host's window when that one is gone.
	void giveKeyboardFocusBack ()
	{
		Window current = None;
		int revert = RevertToParent;
		XGetInputFocus (display, &current, &revert);
		if (current != window)
			return;
		const unsigned long errorsBefore = sharedDisplayErrors;
		if (previousFocus == PointerRoot)
			XSetInputFocus (display, PointerRoot, RevertToPointerRoot, CurrentTime);
		else if (previousFocus != None && previousFocus != window)
			XSetInputFocus (display, previousFocus, previousRevert, CurrentTime);
		else
			XSetInputFocus (display, parentWindow, RevertToParent, CurrentTime);
		XSync (display, False);
		if (sharedDisplayErrors != errorsBefore)
		{
			XSetInputFocus (display, PointerRoot, RevertToPointerRoot, CurrentTime);
			XSync (display, False);
		}
	}

	// The drag lost its pointer grab (or the window its focus) and its release will not come:
	// the captured view ends its edit.
	void cancelDrag ()
	{
		if (captureButton == 0)
			return;
		captureButton = 0;
		frame->onMouseCancel ();
	}
	CPoint toFrame (int x, int y) const
	{
		const double zoom = frame->getZoom ();
		return {x / zoom, y / zoom};
	}

	void dispatch (XEvent& e)
	{
		SharedPointer<CFrame> keep (frame);
		switch (e.type)
		{
			case Expose:
			{
				CRect r (e.xexpose.x, e.xexpose.y, e.xexpose.x + e.xexpose.width, e.xexpose.y + e.xexpose.height);
				const double zoom = frame->getZoom ();
				r = CRect (r.left / zoom, r.top / zoom, r.right / zoom, r.bottom / zoom);
				dirty.unite (r);
				break;
			}
			case ButtonPress:
			{
				CPoint p = toFrame (e.xbutton.x, e.xbutton.y);
				setLastPointerPosition (p);
				if (e.xbutton.button == 4 || e.xbutton.button == 5)
				{
					frame->onWheel (p, e.xbutton.button == 4 ? 1.f : -1.f, buttonState (e.xbutton.state));
					break;
				}
				// Other buttons pressed during a drag neither start nor end one.
				if (captureButton != 0)
					break;
				captureButton = e.xbutton.button;
				int32_t b = modifiersAndButton (e.xbutton.state, e.xbutton.button);
				if (e.xbutton.time - lastClickTime < 300 && e.xbutton.button == 1)
					b |= kDoubleClick;
				lastClickTime = e.xbutton.time;
				frame->onMouseDown (p, b); // may close the editor and so destroy this object
				break;
			}
			case ButtonRelease:
			{
				if (e.xbutton.button >= 4 && e.xbutton.button <= 7)
					break;
				// Only the button that started the capture ends it.
				if (e.xbutton.button != captureButton)
					break;
				captureButton = 0;
				CPoint p = toFrame (e.xbutton.x, e.xbutton.y);
				frame->onMouseUp (p, modifiersAndButton (e.xbutton.state, e.xbutton.button));
				break;
			}
			case MotionNotify:
			{
				CPoint p = toFrame (e.xmotion.x, e.xmotion.y);
				setLastPointerPosition (p);
				frame->onMouseMoved (p, buttonState (e.xmotion.state));
				break;
			}
			case EnterNotify:
			case LeaveNotify:
			{
				// Another client grabbed or let go of the pointer: our drag's grab is gone.
				if (e.xcrossing.mode == NotifyGrab || e.xcrossing.mode == NotifyUngrab)
					cancelDrag ();
				else if (e.type == LeaveNotify && captureButton == 0)
				{
					CPoint p = toFrame (e.xcrossing.x, e.xcrossing.y);
					frame->onMouseExited (p, buttonState (e.xcrossing.state));
				}
				break;
			}
			case FocusOut:
			{
				if (e.xfocus.detail != NotifyInferior)
					cancelDrag ();
				break;
			}
			case UnmapNotify:
			{
				cancelDrag ();
				break;
			}
			case KeyPress:
			{
				char text[32] = {};
				KeySym sym = 0;
				const int n = XLookupString (&e.xkey, text, sizeof (text) - 1, &sym, nullptr);
				VstKeyCode key;
				key.virt = virtualKey (sym);
				key.modifier = static_cast<unsigned char> (((e.xkey.state & ShiftMask) ? MODIFIER_SHIFT : 0) |
				                                           ((e.xkey.state & Mod1Mask) ? MODIFIER_ALTERNATE : 0) |
				                                           ((e.xkey.state & ControlMask) ? MODIFIER_CONTROL : 0));
				if (key.virt)
					frame->onKeyDown (key);
				else if (n == 1)
				{
					// XLookupString gives Latin-1, which is the first block of Unicode.
					key.character = static_cast<unsigned char> (text[0]);
					frame->onKeyDown (key);
				}
				break;
			}
			default: break;
		}
	}

	// Draws the dirty part into an image and uploads it: no window-system state inside cairo.
	void paint ()
	{
		if (dirty.isEmpty ())
			return;
		const CRect update = dirty;
		dirty = CRect ();
		const double zoom = frame->getZoom ();
		const int x0 = std::clamp (static_cast<int> (std::floor (update.left * zoom)), 0, width);
		const int y0 = std::clamp (static_cast<int> (std::floor (update.top * zoom)), 0, height);
		const int x1 = std::clamp (static_cast<int> (std::ceil (update.right * zoom)), 0, width);
		const int y1 = std::clamp (static_cast<int> (std::ceil (update.bottom * zoom)), 0, height);
		if (x1 <= x0 || y1 <= y0)
			return;
		cairo_surface_t* surface = cairo_image_surface_create (CAIRO_FORMAT_RGB24, x1 - x0, y1 - y0);
		if (cairo_surface_status (surface) != CAIRO_STATUS_SUCCESS || !cairo_image_surface_get_data (surface))
		{
			cairo_surface_destroy (surface); // no memory for it: nothing to upload
			return;
		}
		cairo_t* cr = cairo_create (surface);
		{
			CairoDrawContext context (cr, CRect (0, 0, frame->getWidth (), frame->getHeight ()), zoom);
			CDrawContext::Transform t (context, CGraphicsTransform ().translate (-x0 / zoom, -y0 / zoom));
			// The frame rounds the update out to the whole pixels of this image, as x0..x1 do.
			frame->drawFrame (&context, &update);
		}
		cairo_destroy (cr);
		cairo_surface_flush (surface);
		XImage* image = XCreateImage (display, DefaultVisual (display, DefaultScreen (display)), 24, ZPixmap, 0,
		                              reinterpret_cast<char*> (cairo_image_surface_get_data (surface)),
		                              static_cast<unsigned> (x1 - x0), static_cast<unsigned> (y1 - y0), 32,
		                              cairo_image_surface_get_stride (surface));
		if (image)
		{
			XPutImage (display, window, gc, image, 0, 0, x0, y0, static_cast<unsigned> (x1 - x0),
			           static_cast<unsigned> (y1 - y0));
			image->data = nullptr; // cairo's memory
			XDestroyImage (image);
		}
		cairo_surface_destroy (surface);
		XFlush (display);
	}

	CFrame* frame;
	Display* display;
	Steinberg::Linux::IRunLoop* runLoop;
	Window window;
	Window parentWindow;
	Window previousFocus {None};
	int previousRevert {RevertToParent};
	bool keyboardFocus {false};
	int width, height;
	EventHandler* handler {nullptr};
	GC gc {};
	PaintHandler* paintHandler {nullptr};
	CRect dirty;
	Time lastClickTime {0};
	unsigned int captureButton {0}; // the button whose press is being followed, 0 for none
};

void PLUGIN_API PaintHandler::onTimer ()
{
	if (frame)
		frame->paint ();
}

void PLUGIN_API EventHandler::onFDIsSet (Steinberg::Linux::FileDescriptor)
{
	if (frame)
		X11Frame::handleEvents (frame->getDisplay ());
}

} // namespace

bool openX11Frame (CFrame* frame, void* parent, Steinberg::Linux::IRunLoop* runLoop)
{
	if (!frame || !parent || !runLoop)
		return false; // without the host's run loop nothing would deliver the window's events
	Display* display = acquireDisplay ();
	if (!display)
		return false;
	const Visual* visual = DefaultVisual (display, DefaultScreen (display));
	if (DefaultDepth (display, DefaultScreen (display)) != 24 || visual->red_mask != 0xFF0000 ||
	    visual->green_mask != 0xFF00 || visual->blue_mask != 0xFF)
	{
		releaseDisplay (); // only 24-bit true colour is painted
		return false;
	}
	const auto parentWindow = static_cast<Window> (reinterpret_cast<uintptr_t> (parent));
	const double zoom = frame->getZoom ();
	const int width = windowSide (frame->getWidth () * zoom);
	const int height = windowSide (frame->getHeight () * zoom);
	XSetWindowAttributes attrs {};
	attrs.event_mask = kEventMask;
	attrs.background_pixel = BlackPixel (display, DefaultScreen (display));
	// A bad parent id is reported to our error handler, not to the default one.
	const unsigned long errorsBefore = sharedDisplayErrors;
	const Window window = XCreateWindow (display, parentWindow, 0, 0, static_cast<unsigned> (width),
	                                     static_cast<unsigned> (height), 0, CopyFromParent, InputOutput,
	                                     CopyFromParent, CWEventMask | CWBackPixel, &attrs);
	XSync (display, False);
	const bool creationFailed = sharedDisplayErrors != errorsBefore;
	if (creationFailed || !window)
	{
		releaseDisplay ();
		return false;
	}
	frame->setPlatformFrame (std::make_unique<X11Frame> (frame, display, window, parentWindow, width, height, runLoop));
	return true;
}

} // namespace Platform
} // namespace VSTGUI
