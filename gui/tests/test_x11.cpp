// X11 embedding on a private virtual X server (skipped where Xvfb is not installed).
#include "helpers.h"

#include "vstgui/plugin-bindings/vst3editor.h"

#include "pluginterfaces/gui/iplugview.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <csignal>
#include <functional>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

using namespace VSTGUI;
using namespace Steinberg;

namespace {

const std::string kDataDir = GRUNDMOOR_GUI_TEST_DATA;

// Starts Xvfb on a display of its own and stops it again.
class VirtualDisplay
{
public:
	VirtualDisplay ()
	{
		if (access ("/usr/bin/Xvfb", X_OK) != 0)
			return;
		name = std::to_string (200 + getpid () % 500);
		name.insert (0, 1, ':');
		std::string arg0 = "Xvfb";
		std::string screen = "-screen";
		std::string zero = "0";
		std::string geometry = "800x600x24";
		std::string nolisten = "-nolisten";
		std::string tcp = "tcp";
		char* argv[] = {arg0.data (), name.data (), screen.data (), zero.data (), geometry.data (),
		                nolisten.data (), tcp.data (), nullptr};
		if (posix_spawn (&pid, "/usr/bin/Xvfb", nullptr, nullptr, argv, environ) != 0)
		{
			pid = 0;
			return;
		}
		// Wait until the server answers (it needs a moment to start).
		for (int attempt = 0; attempt < 200 && !display; ++attempt)
		{
			display = XOpenDisplay (name.c_str ());
			if (!display)
				usleep (25000);
		}
	}
	~VirtualDisplay ()
	{
		if (display)
			XCloseDisplay (display);
		if (pid > 0)
		{
			kill (pid, SIGTERM);
			waitpid (pid, nullptr, 0);
		}
	}
	Display* display {nullptr};
	std::string name;
	pid_t pid {0};
};

class RunLoopHost : public IPlugFrame, public Linux::IRunLoop
{
public:
	Linux::IEventHandler* events {nullptr};
	std::vector<Linux::ITimerHandler*> timers;
	tresult PLUGIN_API resizeView (IPlugView*, ViewRect*) override { return kResultOk; }
	tresult PLUGIN_API registerEventHandler (Linux::IEventHandler* h, Linux::FileDescriptor) override
	{
		events = h;
		return kResultOk;
	}
	tresult PLUGIN_API unregisterEventHandler (Linux::IEventHandler* h) override
	{
		if (events == h)
			events = nullptr;
		return kResultOk;
	}
	tresult PLUGIN_API registerTimer (Linux::ITimerHandler* h, Linux::TimerInterval) override
	{
		timers.push_back (h);
		return kResultOk;
	}
	tresult PLUGIN_API unregisterTimer (Linux::ITimerHandler* h) override
	{
		timers.erase (std::remove (timers.begin (), timers.end (), h), timers.end ());
		return kResultOk;
	}
	tresult PLUGIN_API queryInterface (const TUID iid, void** obj) override
	{
		if (FUnknownPrivate::iidEqual (iid, Linux::IRunLoop::iid))
		{
			*obj = static_cast<Linux::IRunLoop*> (this);
			return kResultOk;
		}
		*obj = static_cast<IPlugFrame*> (this);
		return FUnknownPrivate::iidEqual (iid, IPlugFrame::iid) || FUnknownPrivate::iidEqual (iid, FUnknown::iid)
		           ? kResultOk
		           : kNoInterface;
	}
	uint32 PLUGIN_API addRef () override { return 1; }
	uint32 PLUGIN_API release () override { return 1; }
};

// An editor embedded in a window of a private X server, with the host's side at hand.
struct X11Session
{
	VirtualDisplay server;
	std::string oldDisplay;
	Window parent {0};
	Window child {0};
	Vst::EditController* controller {nullptr};
	VST3Editor* editor {nullptr};
	RunLoopHost host;

	bool available () const { return server.display != nullptr; }
	explicit X11Session (std::function<VST3Editor* (Vst::EditController*)> make = {})
	{
		if (!server.display)
			return;
		oldDisplay = getenv ("DISPLAY") ? getenv ("DISPLAY") : "";
		setenv ("DISPLAY", server.name.c_str (), 1);
		Display* dpy = server.display;
		parent = XCreateSimpleWindow (dpy, DefaultRootWindow (dpy), 0, 0, 400, 240, 0, 0, 0);
		XMapWindow (dpy, parent);
		XSync (dpy, False);
		controller = new Vst::EditController ();
		controller->initialize (nullptr);
		editor = make ? make (controller) : new VST3Editor (controller, "view", (kDataDir + "/test.uidesc").c_str ());
	}
	bool open ()
	{
		editor->setFrame (&host);
		if (editor->attached (reinterpret_cast<void*> (parent), kPlatformTypeX11EmbedWindowID) != kResultTrue)
			return false;
		XSync (server.display, False);
		Window root = 0, parentOut = 0, *children = nullptr;
		unsigned int count = 0;
		XQueryTree (server.display, parent, &root, &parentOut, &children, &count);
		if (count > 0)
			child = children[0];
		if (children)
			XFree (children);
		return child != 0;
	}
	// What the host's run loop would do for a while.
	void pump (int rounds = 3)
	{
		for (int i = 0; i < rounds; ++i)
		{
			if (host.events)
				host.events->onFDIsSet (0);
			for (auto* t : std::vector<Linux::ITimerHandler*> (host.timers))
				t->onTimer ();
			XSync (server.display, False);
		}
	}
	void button (bool press, unsigned int number, int x, int y, unsigned int state = 0)
	{
		XEvent e {};
		e.xbutton.type = press ? ButtonPress : ButtonRelease;
		e.xbutton.display = server.display;
		e.xbutton.window = child;
		e.xbutton.x = x;
		e.xbutton.y = y;
		e.xbutton.button = number;
		e.xbutton.state = state;
		e.xbutton.time = static_cast<Time> (1000 * (++clicks));
		e.xbutton.same_screen = True;
		XSendEvent (server.display, child, False, press ? ButtonPressMask : ButtonReleaseMask, &e);
		XSync (server.display, False);
		if (host.events)
			host.events->onFDIsSet (0);
	}
	// Rounds of the host's loop until the condition holds: what the editor's own connection asked
	// of the server may reach it after our questions.
	bool pumpUntil (const std::function<bool ()>& condition, int rounds = 50)
	{
		for (int i = 0; i < rounds; ++i)
		{
			if (condition ())
				return true;
			pump (1);
		}
		return condition ();
	}
	Window focus () const
	{
		Window w = 0;
		int revert = 0;
		XGetInputFocus (server.display, &w, &revert);
		return w;
	}
	long childEventMasks () const
	{
		XWindowAttributes a {};
		XGetWindowAttributes (server.display, child, &a);
		return a.all_event_masks;
	}
	void send (XEvent& e, long mask)
	{
		e.xany.display = server.display;
		e.xany.window = child;
		XSendEvent (server.display, child, False, mask, &e);
		XSync (server.display, False);
		if (host.events)
			host.events->onFDIsSet (0);
	}
	~X11Session ()
	{
		if (!server.display)
			return;
		if (editor)
		{
			editor->removed ();
			editor->setFrame (nullptr);
			editor->release ();
		}
		controller->terminate ();
		controller->release ();
		XDestroyWindow (server.display, parent);
		XSync (server.display, False);
		if (oldDisplay.empty ())
			unsetenv ("DISPLAY");
		else
			setenv ("DISPLAY", oldDisplay.c_str (), 1);
	}
	int clicks {0};
};

TEST (X11, TheHostMayDestroyItsWindowBeforeTheEditorIsRemoved)
{
	X11Session x;
	if (!x.available ())
		GTEST_SKIP () << "no Xvfb";
	ASSERT_TRUE (x.open ());
	x.pump ();
	XDestroyWindow (x.server.display, x.parent); // takes our child window with it
	XSync (x.server.display, False);
	x.parent = 0;
	// Each of these talks to the window that is gone; the process must live on.
	x.editor->setZoomFactor (1.5);
	x.editor->getFrame ()->invalid ();
	x.pump ();
	EXPECT_EQ (x.editor->removed (), kResultOk);
	EXPECT_EQ (x.editor->getFrame (), nullptr);
	// And a new window works on the same connection.
	x.parent = XCreateSimpleWindow (x.server.display, DefaultRootWindow (x.server.display), 0, 0, 400, 240, 0, 0, 0);
	XSync (x.server.display, False);
	x.child = 0;
	EXPECT_TRUE (x.open ());
}

TEST (X11, EmbedsPaintsAndTakesClicks)
{
	VirtualDisplay server;
	if (!server.display)
		GTEST_SKIP () << "no Xvfb";
	const std::string oldDisplay = getenv ("DISPLAY") ? getenv ("DISPLAY") : "";
	setenv ("DISPLAY", server.name.c_str (), 1);

	Display* dpy = server.display;
	const Window parent = XCreateSimpleWindow (dpy, DefaultRootWindow (dpy), 0, 0, 400, 240, 0, 0, 0);
	XMapWindow (dpy, parent);
	XSync (dpy, False);

	auto* controller = new Vst::EditController ();
	controller->initialize (nullptr);
	auto* editor = new VST3Editor (controller, "view", (kDataDir + "/test.uidesc").c_str ());
	RunLoopHost host;
	EXPECT_EQ (editor->attached (reinterpret_cast<void*> (parent), kPlatformTypeX11EmbedWindowID), kResultFalse)
	    << "without the host's run loop";
	editor->setFrame (&host);
	ASSERT_EQ (editor->attached (reinterpret_cast<void*> (parent), kPlatformTypeX11EmbedWindowID), kResultTrue);
	ASSERT_NE (host.events, nullptr);
	ASSERT_FALSE (host.timers.empty ());

	// Find the child window and let the frame paint into it.
	XSync (dpy, False);
	Window root = 0, parentOut = 0, *children = nullptr;
	unsigned int count = 0;
	XQueryTree (dpy, parent, &root, &parentOut, &children, &count);
	ASSERT_EQ (count, 1u);
	const Window child = children[0];
	XFree (children);
	for (int i = 0; i < 5; ++i)
	{
		host.events->onFDIsSet (0);
		for (auto* t : std::vector<Linux::ITimerHandler*> (host.timers))
			t->onTimer ();
		XSync (dpy, False);
	}
	XImage* image = XGetImage (dpy, child, 390, 120, 1, 1, AllPlanes, ZPixmap);
	ASSERT_NE (image, nullptr);
	const unsigned long pixel = XGetPixel (image, 0, 0);
	XDestroyImage (image);
	EXPECT_EQ ((pixel >> 16) & 0xFF, 0x10u);
	EXPECT_EQ ((pixel >> 8) & 0xFF, 0x18u);
	EXPECT_EQ (pixel & 0xFF, 0x20u) << "the panel colour of the test description";

	// A click on the text edit, sent through the server, gives it the focus.
	XEvent press {};
	press.xbutton.type = ButtonPress;
	press.xbutton.display = dpy;
	press.xbutton.window = child;
	press.xbutton.x = 60;
	press.xbutton.y = 160;
	press.xbutton.button = 1;
	press.xbutton.same_screen = True;
	XSendEvent (dpy, child, False, ButtonPressMask, &press);
	XSync (dpy, False);
	host.events->onFDIsSet (0);
	EXPECT_NE (dynamic_cast<CTextEdit*> (editor->getFrame ()->getFocusView ()), nullptr);

	EXPECT_EQ (editor->removed (), kResultOk);
	EXPECT_EQ (host.events, nullptr) << "the window's events are no longer read";
	editor->setFrame (nullptr);
	editor->release ();
	controller->terminate ();
	controller->release ();
	XDestroyWindow (dpy, parent);
	XSync (dpy, False);
	if (oldDisplay.empty ())
		unsetenv ("DISPLAY");
	else
		setenv ("DISPLAY", oldDisplay.c_str (), 1);
}

// At a zoom that puts view edges between pixels, the window's partial repaints (a changed text
// edit and knob) leave exactly the pixels of a full repaint, without seams at their edges.
TEST (X11, PartialRepaintsAtAFractionalZoomMatchAFullRepaint)
{
	for (double zoom : {0.65, 0.77})
	{
		X11Session x;
		if (!x.available ())
			GTEST_SKIP () << "no Xvfb";
		x.editor->setZoomFactor (zoom);
		ASSERT_TRUE (x.open ()) << zoom;
		x.pump ();
		CFrame* frame = x.editor->getFrame ();
		auto* root = dynamic_cast<CViewContainer*> (frame->getView (0));
		auto* knob = dynamic_cast<CKnob*> (root->getView (2));
		auto* inner = dynamic_cast<CViewContainer*> (root->getView (5));
		ASSERT_NE (knob, nullptr);
		ASSERT_NE (inner, nullptr);
		auto* edit = dynamic_cast<CTextEdit*> (inner->getView (0));
		ASSERT_NE (edit, nullptr);
		knob->setValueNormalized (0.8f);
		knob->invalid ();
		edit->setText ("a much longer name");
		const CRect dirty = frame->getDirtyRect ();
		EXPECT_FALSE (dirty.isEmpty ());
		EXPECT_LT (dirty.getWidth (), 300.) << "only a part is repainted";
		x.pump ();
		auto reference = renderFrame (frame);
		ASSERT_NE (reference, nullptr);
		int differing = 0, compared = 0;
		std::string first;
		// The editor's own connection uploads the picture; the server may answer our request for
		// it before it has read that upload, so a mismatch is looked at again after more rounds.
		for (int attempt = 0; attempt < 20; ++attempt)
		{
			XImage* image = XGetImage (x.server.display, x.child, 0, 0, static_cast<unsigned> (reference->getWidth ()),
			                           static_cast<unsigned> (reference->getHeight ()), AllPlanes, ZPixmap);
			ASSERT_NE (image, nullptr);
			differing = compared = 0;
			first.clear ();
			for (int py = 0; py < reference->getHeight (); ++py)
				for (int px = 0; px < reference->getWidth (); ++px)
				{
					const CColor want = reference->getPixel (px, py);
					if (want.alpha != 255)
						continue; // the frame's last row of pixels is only partly covered at this zoom
					++compared;
					const unsigned long got = XGetPixel (image, px, py);
					const unsigned long expected =
					    (unsigned long) want.red << 16 | (unsigned long) want.green << 8 | want.blue;
					if ((got & 0xFFFFFF) != expected && differing++ < 4)
						first += " (" + std::to_string (px) + "," + std::to_string (py) + ")";
				}
			XDestroyImage (image);
			if (differing == 0)
				break;
			x.pump (1);
		}
		EXPECT_GT (compared, 40000) << zoom;
		EXPECT_EQ (differing, 0) << "zoom " << zoom << ", first at" << first;
	}
}

TEST (X11, NoDisplayFailsCleanly)
{
	const std::string oldDisplay = getenv ("DISPLAY") ? getenv ("DISPLAY") : "";
	setenv ("DISPLAY", ":4711", 1);
	auto* controller = new Vst::EditController ();
	auto* editor = new VST3Editor (controller, "view", (kDataDir + "/test.uidesc").c_str ());
	RunLoopHost host;
	editor->setFrame (&host);
	int parent = 0;
	EXPECT_EQ (editor->attached (&parent, kPlatformTypeX11EmbedWindowID), kResultFalse);
	EXPECT_EQ (editor->getFrame (), nullptr);
	editor->setFrame (nullptr);
	editor->release ();
	controller->release ();
	if (oldDisplay.empty ())
		unsetenv ("DISPLAY");
	else
		setenv ("DISPLAY", oldDisplay.c_str (), 1);
}

TEST (X11, OnlyTheButtonThatStartedADragEndsIt)
{
	X11Session x;
	if (!x.available ())
		GTEST_SKIP () << "no Xvfb";
	ASSERT_TRUE (x.open ());
	x.pump ();
	auto* root = dynamic_cast<CViewContainer*> (x.editor->getFrame ()->getView (0));
	auto* knob = dynamic_cast<CKnob*> (root->getView (2));
	ASSERT_NE (knob, nullptr);
	struct Case
	{
		const char* name;
		unsigned int other;
	};
	const Case cases[] = {{"right button", 3}, {"middle button", 2}};
	for (const auto& k : cases)
	{
		x.button (true, 1, 50, 90, 0);
		ASSERT_TRUE (knob->isEditing ()) << k.name;
		x.button (true, k.other, 50, 90, Button1Mask);
		EXPECT_TRUE (knob->isEditing ()) << k.name << ": another press";
		x.button (false, k.other, 50, 90, Button1Mask | (k.other == 3 ? Button3Mask : Button2Mask));
		EXPECT_TRUE (knob->isEditing ()) << k.name << ": another release";
		x.button (false, 1, 50, 90, Button1Mask);
		EXPECT_FALSE (knob->isEditing ()) << k.name << ": the left release";
	}
}

TEST (X11, AnEventThatClosesTheEditorEndsTheEventLoopSafely)
{
	// Switching the Enable button on closes the editor, as a host might from a follow-up.
	struct ClosingEditor : VST3Editor
	{
		using VST3Editor::VST3Editor;
		void valueChanged (CControl* c) override
		{
			VST3Editor::valueChanged (c);
			if (c->getTag () == 102)
				removed ();
		}
	};
	X11Session x ([] (Vst::EditController* c) {
		return new ClosingEditor (c, "view", (kDataDir + "/test.uidesc").c_str ());
	});
	if (!x.available ())
		GTEST_SKIP () << "no Xvfb";
	ASSERT_TRUE (x.open ());
	x.pump ();
	// Queue a click and more events behind it, then let the host's loop deliver them at once.
	auto* events = x.host.events;
	ASSERT_NE (events, nullptr);
	x.host.events = nullptr; // keeps button () from delivering
	x.button (true, 1, 260, 80);
	x.button (false, 1, 260, 80, Button1Mask);
	x.button (true, 1, 60, 160);
	x.button (false, 1, 60, 160, Button1Mask);
	events->onFDIsSet (0);
	EXPECT_EQ (x.editor->getFrame (), nullptr) << "the click closed the editor";
	EXPECT_EQ (x.host.events, nullptr);
	// The connection was closed with the last frame; a new one opens for the next editor.
	x.child = 0;
	EXPECT_TRUE (x.open ());
	x.pump ();
}

TEST (X11, ThePaintTimerRunsOnTheFramesOwnRunLoop)
{
	X11Session x;
	if (!x.available ())
		GTEST_SKIP () << "no Xvfb";
	// Another editor handed in its host's loop first: the process's timers run there.
	RunLoopHost other;
	auto* otherEditor = new VST3Editor (x.controller, "view", (kDataDir + "/test.uidesc").c_str ());
	otherEditor->setFrame (&other);
	ASSERT_TRUE (x.open ());
	EXPECT_EQ (x.host.timers.size (), 1u) << "the paint timer is with the loop that reads the window's events";
	EXPECT_EQ (other.timers.size (), 1u) << "only the editor's library timer, which runs with the process's timers";
	// It paints: the panel colour reaches the window.
	x.pump ();
	XImage* image = XGetImage (x.server.display, x.child, 390, 120, 1, 1, AllPlanes, ZPixmap);
	ASSERT_NE (image, nullptr);
	EXPECT_EQ (XGetPixel (image, 0, 0) & 0xFFFFFF, 0x101820u);
	XDestroyImage (image);
	x.editor->removed ();
	EXPECT_TRUE (x.host.timers.empty ());
	EXPECT_TRUE (other.timers.empty ()) << "the library timer went with the editor";
	otherEditor->setFrame (nullptr);
	otherEditor->release ();
}

// Counts what a control tells its listener.
struct EditCounter : IControlListener
{
	int begins {0}, ends {0}, changes {0};
	void valueChanged (CControl*) override { ++changes; }
	void controlBeginEdit (CControl*) override { ++begins; }
	void controlEndEdit (CControl*) override { ++ends; }
};

// A drag whose pointer grab goes away (another client grabs, the window manager breaks it, the
// window loses the focus or is unmapped) will see no button release: the captured knob is
// cancelled once and ends its edit.
TEST (X11, ADragThatLosesItsGrabOrFocusIsCancelled)
{
	enum class Kind { Crossing, Focus, Unmap };
	struct Case
	{
		const char* name;
		Kind kind;
		int type;
		int mode;
		int detail;
		bool cancels;
	};
	const Case cases[] = {
	    {"leave: another client grabs the pointer", Kind::Crossing, LeaveNotify, NotifyGrab, NotifyAncestor, true},
	    {"enter: a grab begins", Kind::Crossing, EnterNotify, NotifyGrab, NotifyAncestor, true},
	    {"leave: a grab ends", Kind::Crossing, LeaveNotify, NotifyUngrab, NotifyAncestor, true},
	    {"enter: a grab ends", Kind::Crossing, EnterNotify, NotifyUngrab, NotifyAncestor, true},
	    {"focus moves away", Kind::Focus, FocusOut, NotifyNormal, NotifyAncestor, true},
	    {"the keyboard is grabbed", Kind::Focus, FocusOut, NotifyGrab, NotifyAncestor, true},
	    {"the window is unmapped", Kind::Unmap, UnmapNotify, 0, 0, true},
	    {"leaving the window while dragging goes on", Kind::Crossing, LeaveNotify, NotifyNormal, NotifyAncestor, false},
	    {"focus to an inferior window", Kind::Focus, FocusOut, NotifyNormal, NotifyInferior, false},
	};
	X11Session x;
	if (!x.available ())
		GTEST_SKIP () << "no Xvfb";
	ASSERT_TRUE (x.open ());
	x.pump ();
	auto* root = dynamic_cast<CViewContainer*> (x.editor->getFrame ()->getView (0));
	auto* knob = dynamic_cast<CKnob*> (root->getView (2));
	ASSERT_NE (knob, nullptr);
	EditCounter counter;
	knob->setListener (&counter);
	x.editor->setKnobMode (kLinearMode);
	for (const auto& k : cases)
	{
		counter = EditCounter ();
		knob->setValueNormalized (0.5f);
		x.button (true, 1, 50, 90);
		ASSERT_TRUE (knob->isEditing ()) << k.name;
		XEvent motion {};
		motion.xmotion.type = MotionNotify;
		motion.xmotion.x = 50;
		motion.xmotion.y = 60;
		motion.xmotion.state = Button1Mask;
		motion.xmotion.same_screen = True;
		x.send (motion, PointerMotionMask);
		EXPECT_NE (knob->getValueNormalized (), 0.5f) << k.name << ": dragged";
		for (int repeat = 0; repeat < 2; ++repeat)
		{
			XEvent e {};
			e.type = k.type;
			long mask = 0;
			if (k.kind == Kind::Crossing)
			{
				e.xcrossing.mode = k.mode;
				e.xcrossing.detail = k.detail;
				e.xcrossing.same_screen = True;
				e.xcrossing.state = Button1Mask;
				mask = k.type == LeaveNotify ? LeaveWindowMask : EnterWindowMask;
			}
			else if (k.kind == Kind::Focus)
			{
				e.xfocus.mode = k.mode;
				e.xfocus.detail = k.detail;
				mask = FocusChangeMask;
			}
			else
			{
				e.xunmap.event = x.child;
				mask = StructureNotifyMask;
			}
			x.send (e, mask);
		}
		EXPECT_EQ (knob->isEditing (), !k.cancels) << k.name;
		EXPECT_EQ (counter.ends, k.cancels ? 1 : 0) << k.name << ": cancelled once";
		if (k.cancels)
		{
			EXPECT_FLOAT_EQ (knob->getValueNormalized (), 0.5f) << k.name << ": back where the drag began";
		}
		x.button (false, 1, 50, 60, Button1Mask);
		EXPECT_FALSE (knob->isEditing ()) << k.name;
		EXPECT_EQ (counter.begins, 1) << k.name;
		EXPECT_EQ (counter.ends, 1) << k.name << ": the late release ends nothing more";
	}
	knob->setListener (x.editor);
}

// The same with real events from the server: another client grabs the pointer, and the focus
// moves from the editor's window to the host's.
TEST (X11, ARealGrabOrFocusChangeCancelsTheDrag)
{
	struct Case
	{
		const char* name;
		bool grab;
	};
	for (const auto& k : {Case {"another client grabs the pointer", true}, Case {"the focus moves to the host", false}})
	{
		X11Session x;
		if (!x.available ())
			GTEST_SKIP () << "no Xvfb";
		ASSERT_TRUE (x.open ()) << k.name;
		Display* dpy = x.server.display;
		XWarpPointer (dpy, None, x.child, 0, 0, 0, 0, 50, 90);
		if (!k.grab)
			XSetInputFocus (dpy, x.child, RevertToParent, CurrentTime);
		XSync (dpy, False);
		x.pump ();
		auto* root = dynamic_cast<CViewContainer*> (x.editor->getFrame ()->getView (0));
		auto* knob = dynamic_cast<CKnob*> (root->getView (2));
		EditCounter counter;
		knob->setListener (&counter);
		x.button (true, 1, 50, 90);
		ASSERT_TRUE (knob->isEditing ()) << k.name;
		if (k.grab)
			EXPECT_EQ (XGrabPointer (dpy, DefaultRootWindow (dpy), False, ButtonPressMask, GrabModeAsync, GrabModeAsync,
			                         None, None, CurrentTime),
			           GrabSuccess)
			    << k.name;
		else
			XSetInputFocus (dpy, x.parent, RevertToParent, CurrentTime);
		XSync (dpy, False);
		EXPECT_TRUE (x.pumpUntil ([&] { return !knob->isEditing (); })) << k.name;
		EXPECT_EQ (counter.ends, 1) << k.name;
		if (k.grab)
			XUngrabPointer (dpy, CurrentTime);
		XSync (dpy, False);
		x.pump ();
		EXPECT_EQ (counter.ends, 1) << k.name << ": the grab's end cancels nothing more";
		knob->setListener (x.editor);
	}
}

// The editor's window takes the keyboard only while a text is typed, and gives it back after:
// otherwise the keys stay with the host (its window, an ancestor of ours, gets them).
TEST (X11, TheKeyboardFocusIsTakenOnlyWhileATextIsEdited)
{
	enum class End { Return, Escape, ClickElsewhere, Close };
	struct Case
	{
		const char* name;
		End end;
	};
	const Case cases[] = {
	    {"Return", End::Return},
	    {"Escape", End::Escape},
	    {"a click outside the text", End::ClickElsewhere},
	    {"closing the editor", End::Close},
	};
	for (const auto& k : cases)
	{
		X11Session x;
		if (!x.available ())
			GTEST_SKIP () << "no Xvfb";
		ASSERT_TRUE (x.open ()) << k.name;
		Display* dpy = x.server.display;
		XSetInputFocus (dpy, x.parent, RevertToPointerRoot, CurrentTime);
		XSync (dpy, False);
		x.pump ();
		// A click on the knob leaves the keyboard alone.
		x.button (true, 1, 50, 90);
		x.button (false, 1, 50, 90, Button1Mask);
		x.pump ();
		EXPECT_EQ (x.focus (), x.parent) << k.name;
		EXPECT_EQ (x.childEventMasks () & KeyPressMask, 0) << k.name << ": keys go on to the host's window";

		// A click into the text edit takes it.
		x.button (true, 1, 60, 160);
		x.button (false, 1, 60, 160, Button1Mask);
		auto* edit = dynamic_cast<CTextEdit*> (x.editor->getFrame ()->getFocusView ());
		ASSERT_NE (edit, nullptr) << k.name;
		EXPECT_TRUE (x.pumpUntil ([&] { return x.focus () == x.child; })) << k.name;
		EXPECT_NE (x.childEventMasks () & KeyPressMask, 0) << k.name;

		// Keys from the server now reach the text: a space among them.
		edit->setText ("");
		for (KeySym sym : {XK_a, XK_space, XK_b})
		{
			XEvent key {};
			key.xkey.type = KeyPress;
			key.xkey.keycode = XKeysymToKeycode (dpy, sym);
			key.xkey.same_screen = True;
			x.send (key, KeyPressMask);
		}
		EXPECT_EQ (edit->getEditText (), "a b") << k.name;

		switch (k.end)
		{
			case End::Return: x.editor->onKeyDown (0, VKEY_RETURN, 0); break;
			case End::Escape: x.editor->onKeyDown (0, VKEY_ESCAPE, 0); break;
			case End::ClickElsewhere:
				x.button (true, 1, 50, 90);
				x.button (false, 1, 50, 90, Button1Mask);
				break;
			case End::Close: x.editor->removed (); break;
		}
		if (k.end != End::Close)
		{
			EXPECT_FALSE (edit->isEditingText ()) << k.name;
			EXPECT_EQ (x.childEventMasks () & KeyPressMask, 0) << k.name;
		}
		EXPECT_TRUE (x.pumpUntil ([&] { return x.focus () == x.parent; })) << k.name << ": given back";
	}
}

TEST (X11, TheFocusFallsBackWhenTheWindowThatHadItIsGone)
{
	X11Session x;
	if (!x.available ())
		GTEST_SKIP () << "no Xvfb";
	ASSERT_TRUE (x.open ());
	Display* dpy = x.server.display;
	const Window other = XCreateSimpleWindow (dpy, DefaultRootWindow (dpy), 500, 0, 50, 50, 0, 0, 0);
	XMapWindow (dpy, other);
	XSync (dpy, False);
	XSetInputFocus (dpy, other, RevertToPointerRoot, CurrentTime);
	XSync (dpy, False);
	x.pump ();
	x.button (true, 1, 60, 160);
	x.button (false, 1, 60, 160, Button1Mask);
	ASSERT_TRUE (x.pumpUntil ([&] { return x.focus () == x.child; }));
	XDestroyWindow (dpy, other);
	XSync (dpy, False);
	x.editor->onKeyDown (0, VKEY_RETURN, 0);
	EXPECT_TRUE (x.pumpUntil ([&] { return x.focus () == PointerRoot; })) << "not left on our window";
	// And the editor goes on working.
	x.button (true, 1, 60, 160);
	EXPECT_TRUE (x.pumpUntil ([&] { return x.focus () == x.child; }));
}

} // namespace
