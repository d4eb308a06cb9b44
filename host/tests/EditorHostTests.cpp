// The editor host's X side on a private Xvfb (skipped where Xvfb is not installed): the display,
// a view embedded through the frame and run loop, input through XTest, pictures, PNG files.
#include "grundmoor/testhost/Environment.h"
#include "grundmoor/testhost/InputSimulator.h"
#include "grundmoor/testhost/PlugViewHost.h"
#include "grundmoor/testhost/Screenshot.h"
#include "grundmoor/testhost/TestHost.h"
#include "grundmoor/testhost/VirtualDisplay.h"

#include <gtest/gtest.h>

// After gtest: Xlib's macros (None, Bool, ...) would clash with its names.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <csignal>
#include <cstdlib>
#include <memory>
#include <string>
#include <sys/wait.h>
#include <vector>

using namespace grundmoor::testhost;
using namespace Steinberg;

namespace {

constexpr std::uint32_t kLeftColour = 0xc03020;
constexpr std::uint32_t kRightColour = 0x2040c0;

// A plug-in view as small as it gets: its own connection to $DISPLAY, a child window of the
// host's, events read when the run loop says its fd is readable, painting on a 16 ms timer (left
// half one colour, right half another). Records what it is told and what it receives.
class FakeView : public IPlugView
{
public:
	struct Received
	{
		int type;
		int x, y;
		unsigned int detail; // button or keycode
		unsigned int state;
	};

	FakeView (int w, int h) : width (w), height (h) {}

	tresult PLUGIN_API isPlatformTypeSupported (FIDString type) override
	{
		return std::string (type) == kPlatformTypeX11EmbedWindowID ? kResultTrue : kResultFalse;
	}
	tresult PLUGIN_API attached (void* parent, FIDString type) override
	{
		log.push_back (std::string ("attached ") + type);
		if (!runLoop || isPlatformTypeSupported (type) != kResultTrue)
			return kResultFalse;
		display = XOpenDisplay (nullptr);
		if (!display)
			return kResultFalse;
		const auto parentWindow = static_cast<Window> (reinterpret_cast<std::uintptr_t> (parent));
		window = XCreateSimpleWindow (display, parentWindow, 0, 0, static_cast<unsigned> (width),
		                              static_cast<unsigned> (height), 0, 0, 0);
		XSelectInput (display, window, ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask);
		XMapWindow (display, window);
		XSync (display, False);
		gc = XCreateGC (display, window, 0, nullptr);
		events = owned (new Events (this));
		painter = owned (new Painter (this));
		runLoop->registerEventHandler (events, ConnectionNumber (display));
		runLoop->registerTimer (painter, 16);
		return kResultTrue;
	}
	tresult PLUGIN_API removed () override
	{
		log.push_back ("removed");
		if (!display)
			return kResultOk;
		runLoop->unregisterTimer (painter);
		runLoop->unregisterEventHandler (events);
		events->view = nullptr;
		painter->view = nullptr;
		events = nullptr;
		painter = nullptr;
		XFreeGC (display, gc);
		XDestroyWindow (display, window);
		XCloseDisplay (display);
		display = nullptr;
		return kResultOk;
	}
	tresult PLUGIN_API onWheel (float) override { return kResultFalse; }
	tresult PLUGIN_API onKeyDown (char16, int16, int16) override { return kResultFalse; }
	tresult PLUGIN_API onKeyUp (char16, int16, int16) override { return kResultFalse; }
	tresult PLUGIN_API getSize (ViewRect* r) override
	{
		*r = ViewRect (0, 0, width, height);
		return kResultTrue;
	}
	tresult PLUGIN_API onSize (ViewRect* r) override
	{
		width = r->getWidth ();
		height = r->getHeight ();
		log.push_back ("onSize " + std::to_string (width) + "x" + std::to_string (height));
		if (display)
		{
			XResizeWindow (display, window, static_cast<unsigned> (width), static_cast<unsigned> (height));
			XFlush (display);
		}
		return kResultTrue;
	}
	tresult PLUGIN_API onFocus (TBool) override { return kResultOk; }
	tresult PLUGIN_API setFrame (IPlugFrame* frame) override
	{
		log.push_back (frame ? "setFrame" : "setFrame null");
		plugFrame = frame;
		runLoop = nullptr;
		if (frame)
		{
			Linux::IRunLoop* loop = nullptr;
			if (frame->queryInterface (Linux::IRunLoop::iid, reinterpret_cast<void**> (&loop)) == kResultOk)
				runLoop = owned (loop);
		}
		return kResultTrue;
	}
	tresult PLUGIN_API canResize () override { return kResultTrue; }
	tresult PLUGIN_API checkSizeConstraint (ViewRect*) override { return kResultTrue; }

	tresult PLUGIN_API queryInterface (const TUID iid, void** obj) override
	{
		if (FUnknownPrivate::iidEqual (iid, IPlugView::iid) || FUnknownPrivate::iidEqual (iid, FUnknown::iid))
		{
			addRef ();
			*obj = this;
			return kResultOk;
		}
		*obj = nullptr;
		return kNoInterface;
	}
	uint32 PLUGIN_API addRef () override { return ++refs; }
	uint32 PLUGIN_API release () override { return --refs; } // the test's object

	// Asks the host for a new size, as an editor does when it zooms.
	tresult askToResize (int w, int h)
	{
		ViewRect r (0, 0, w, h);
		return plugFrame->resizeView (this, &r);
	}

	std::vector<std::string> log;
	std::vector<Received> received;
	uint32 refs = 1;

private:
	template <typename Interface>
	struct Handler : Interface
	{
		explicit Handler (FakeView* v) : view (v) {}
		virtual ~Handler () = default;
		tresult PLUGIN_API queryInterface (const TUID, void** obj) override
		{
			*obj = nullptr;
			return kNoInterface;
		}
		uint32 PLUGIN_API addRef () override { return ++count; }
		uint32 PLUGIN_API release () override
		{
			if (--count == 0)
			{
				delete this;
				return 0;
			}
			return count;
		}
		FakeView* view;
		uint32 count = 1;
	};
	struct Events : Handler<Linux::IEventHandler>
	{
		using Handler::Handler;
		void PLUGIN_API onFDIsSet (Linux::FileDescriptor) override
		{
			if (view)
				view->readEvents ();
		}
	};
	struct Painter : Handler<Linux::ITimerHandler>
	{
		using Handler::Handler;
		void PLUGIN_API onTimer () override
		{
			if (view)
				view->paint ();
		}
	};

	void readEvents ()
	{
		while (XPending (display))
		{
			XEvent e;
			XNextEvent (display, &e);
			if (e.type == ButtonPress || e.type == ButtonRelease)
				received.push_back ({e.type, e.xbutton.x, e.xbutton.y, e.xbutton.button, e.xbutton.state});
			else if (e.type == MotionNotify)
				received.push_back ({e.type, e.xmotion.x, e.xmotion.y, 0, e.xmotion.state});
			else if (e.type == KeyPress)
				received.push_back ({e.type, e.xkey.x, e.xkey.y, e.xkey.keycode, e.xkey.state});
		}
	}
	void paint ()
	{
		XSetForeground (display, gc, kLeftColour);
		XFillRectangle (display, window, gc, 0, 0, static_cast<unsigned> (width / 2), static_cast<unsigned> (height));
		XSetForeground (display, gc, kRightColour);
		XFillRectangle (display, window, gc, width / 2, 0, static_cast<unsigned> (width - width / 2),
		                static_cast<unsigned> (height));
		XFlush (display);
	}

	int width, height;
	IPlugFrame* plugFrame = nullptr;
	IPtr<Linux::IRunLoop> runLoop;
	Display* display = nullptr;
	Window window = 0;
	GC gc {};
	IPtr<Events> events;
	IPtr<Painter> painter;
};

// A display of its own with the plug-in side's DISPLAY pointing at it.
struct XFixture : ::testing::Test
{
	void SetUp () override
	{
		if (!VirtualDisplay::xvfbInstalled ())
			GTEST_SKIP () << "no Xvfb";
		VirtualDisplay::Options o;
		o.width = 800;
		o.height = 600;
		server = std::make_unique<VirtualDisplay> (o);
		displayVariable = std::make_unique<ScopedEnvironmentVariable> ("DISPLAY", server->name ());
	}
	std::unique_ptr<VirtualDisplay> server;
	std::unique_ptr<ScopedEnvironmentVariable> displayVariable;
};

using VirtualDisplayTest = XFixture;
using PlugViewHostTest = XFixture;
using InputSimulatorTest = XFixture;

std::vector<FakeView::Received> ofType (const std::vector<FakeView::Received>& all, int type)
{
	std::vector<FakeView::Received> out;
	for (const auto& r : all)
		if (r.type == type)
			out.push_back (r);
	return out;
}

} // namespace

TEST_F (VirtualDisplayTest, StartsAServerOfTheAskedSizeOnADisplayOfItsOwnAndStopsIt)
{
	EXPECT_TRUE (server->ownsServer ());
	EXPECT_EQ (server->name ().front (), ':');
	EXPECT_EQ (server->screenWidth (), 800);
	EXPECT_EQ (server->screenHeight (), 600);
	EXPECT_EQ (DefaultDepth (server->display (), DefaultScreen (server->display ())), 24);

	VirtualDisplay::Options o;
	o.width = 320;
	o.height = 200;
	VirtualDisplay second (o);
	EXPECT_NE (second.name (), server->name ());
	EXPECT_EQ (second.screenWidth (), 320);

	const pid_t pid = second.serverProcess ();
	second.stop ();
	EXPECT_EQ (second.display (), nullptr);
	EXPECT_FALSE (second.ownsServer ());
	EXPECT_EQ (kill (pid, 0), -1) << "the server process is gone (and reaped)";
}

TEST_F (VirtualDisplayTest, UsesTheExistingDisplayWhenAsked)
{
	VirtualDisplay::Options o;
	o.useExisting = true;
	VirtualDisplay existing (o);
	EXPECT_FALSE (existing.ownsServer ());
	EXPECT_EQ (existing.name (), server->name ());
	EXPECT_EQ (existing.screenWidth (), 800);

	ScopedEnvironmentVariable none ("DISPLAY", std::nullopt);
	EXPECT_THROW (VirtualDisplay {o}, HostError);
}

TEST_F (PlugViewHostTest, EmbedsTheViewAsAHostDoesAndTakesItOutAgain)
{
	FakeView view (300, 200);
	{
		PlugViewHost host (server->display (), 100, 100);
		host.attach (&view);
		EXPECT_EQ (view.log, (std::vector<std::string> {"setFrame", "attached X11EmbedWindowID"}));
		EXPECT_EQ (host.window ().width (), 300) << "the window takes the view's size";
		EXPECT_EQ (host.window ().height (), 200);
		EXPECT_NE (host.childWindow (), 0u);
		EXPECT_EQ (host.runLoop ().eventHandlerCount (), 1u);
		EXPECT_EQ (host.runLoop ().timerIntervals (), std::vector<Linux::TimerInterval> {16});
		EXPECT_GT (host.runLoop ().referenceCount (), 1u) << "the view keeps the run loop";

		ASSERT_TRUE (host.waitForDrawn (10000));
		const Image shot = host.screenshot ();
		ASSERT_EQ (shot.width (), 300);
		ASSERT_EQ (shot.height (), 200);
		EXPECT_EQ (shot.pixel (0, 0), kLeftColour);
		EXPECT_EQ (shot.pixel (149, 199), kLeftColour);
		EXPECT_EQ (shot.pixel (150, 0), kRightColour);
		EXPECT_EQ (shot.pixel (299, 199), kRightColour);
		EXPECT_EQ (shot.distinctColours (), 2u);

		// A view asking for another size: the window follows, then the view hears of it.
		view.log.clear ();
		EXPECT_EQ (view.askToResize (360, 240), kResultTrue);
		EXPECT_EQ (host.window ().width (), 360);
		EXPECT_EQ (host.window ().height (), 240);
		EXPECT_EQ (host.viewSize ().getWidth (), 360);
		EXPECT_EQ (view.log, std::vector<std::string> {"onSize 360x240"});

		view.log.clear ();
		host.removeOnly ();
		EXPECT_EQ (host.runLoop ().eventHandlerCount (), 0u);
		EXPECT_EQ (host.childWindow (), 0u);
		host.reattach ();
		EXPECT_TRUE (host.waitForDrawn (10000)) << "drawn again after attached once more";
		host.detach ();
		EXPECT_EQ (view.log, (std::vector<std::string> {"removed", "attached X11EmbedWindowID", "removed",
		                                                "setFrame null"}));
		EXPECT_EQ (host.runLoop ().eventHandlerCount (), 0u);
		EXPECT_EQ (host.runLoop ().timerCount (), 0u);
		EXPECT_EQ (host.runLoop ().referenceCount (), 1u) << "the view gave back its references";
		EXPECT_EQ (host.view (), nullptr);
	}
	EXPECT_EQ (view.refs, 1u) << "the host does not keep the view";
}

TEST_F (PlugViewHostTest, RefusesAViewWithoutTheX11Type)
{
	struct NoX11 : FakeView
	{
		using FakeView::FakeView;
		tresult PLUGIN_API isPlatformTypeSupported (FIDString) override { return kResultFalse; }
	};
	NoX11 view (10, 10);
	PlugViewHost host (server->display ());
	EXPECT_THROW (host.attach (&view), HostError);
	EXPECT_TRUE (view.log.empty ()) << "asked before anything else";
	EXPECT_FALSE (host.isAttached ());
}

TEST_F (InputSimulatorTest, ClicksDragsScrollsAndTypesWhereTheViewIs)
{
	FakeView view (400, 300);
	PlugViewHost host (server->display ());
	host.attach (&view);
	ASSERT_TRUE (host.waitForDrawn (10000));
	InputSimulator input (server->display (), host.window ().id (), 2.0);
	input.setAfterEachEvent ([&] { host.settle (); });

	struct Case
	{
		const char* what;
		std::function<void ()> act;
		int type;
		std::vector<std::pair<int, int>> where; // of the events of that type, in order
		std::vector<unsigned int> details;
	};
	const std::vector<Case> cases = {
	    {"a left click", [&] { input.click (PixelPoint {30, 40}); }, ButtonPress, {{30, 40}}, {1}},
	    {"a right click's release", [&] { input.click (PixelPoint {390, 290}, InputSimulator::kRight); },
	     ButtonRelease, {{390, 290}}, {3}},
	    {"an editor point at zoom 2", [&] { input.click (EditorPoint {10.5, 20.75}); }, ButtonPress, {{21, 41}}, {1}},
	    {"a drag's moves", [&] { input.drag (PixelPoint {100, 100}, PixelPoint {140, 60}, 4); }, MotionNotify,
	     {{100, 100}, {110, 90}, {120, 80}, {130, 70}, {140, 60}}, {0, 0, 0, 0, 0}},
	    {"wheel up and down", [&] {
		     input.scroll (PixelPoint {50, 50}, 2);
		     input.scroll (PixelPoint {50, 50}, -1);
	     },
	     ButtonPress, {{50, 50}, {50, 50}, {50, 50}}, {4, 4, 5}},
	};
	for (const auto& c : cases)
	{
		view.received.clear ();
		c.act ();
		const auto got = ofType (view.received, c.type);
		ASSERT_EQ (got.size (), c.where.size ()) << c.what;
		for (size_t i = 0; i < got.size (); ++i)
		{
			EXPECT_EQ (got[i].x, c.where[i].first) << c.what << " " << i;
			EXPECT_EQ (got[i].y, c.where[i].second) << c.what << " " << i;
			EXPECT_EQ (got[i].detail, c.details[i]) << c.what << " " << i;
		}
	}

	// During the drag the button is held; after it, not.
	view.received.clear ();
	input.drag (PixelPoint {10, 10}, PixelPoint {20, 10}, 2);
	const auto moves = ofType (view.received, MotionNotify);
	ASSERT_EQ (moves.size (), 3u);
	EXPECT_EQ (moves[0].state & Button1Mask, 0u) << "the move to the start comes before the press";
	EXPECT_NE (moves[2].state & Button1Mask, 0u);
	EXPECT_EQ (ofType (view.received, ButtonRelease).size (), 1u);

	// Keys go to the window under the pointer (no window manager, focus follows the pointer).
	view.received.clear ();
	input.moveTo (PixelPoint {200, 150});
	input.typeText ("aB1\n");
	input.key (XK_Escape);
	std::vector<std::pair<KeySym, bool>> typed;
	for (const auto& k : ofType (view.received, KeyPress))
		typed.emplace_back (XkbKeycodeToKeysym (server->display (), static_cast<KeyCode> (k.detail), 0, 0),
		                    (k.state & ShiftMask) != 0);
	const std::vector<std::pair<KeySym, bool>> expected = {
	    {XK_a, false}, {XK_Shift_L, false}, {XK_b, true}, {XK_1, false}, {XK_Return, false}, {XK_Escape, false}};
	EXPECT_EQ (typed, expected);
	host.detach ();
}

TEST_F (InputSimulatorTest, ConvertsEditorPointsAtTheZoom)
{
	PlugViewHost host (server->display ());
	InputSimulator input (server->display (), host.window ().id ());
	struct Case
	{
		double zoom;
		EditorPoint p;
		int x, y;
	};
	const Case cases[] = {{1.0, {10, 20}, 10, 20}, {0.65, {100, 50}, 65, 32}, {2.0, {0.4, 0.6}, 0, 1}, {0.3, {1719, 999}, 515, 299}};
	for (const auto& c : cases)
	{
		input.setZoom (c.zoom);
		const auto px = input.toPixels (c.p);
		EXPECT_EQ (px.x, c.x) << c.zoom;
		EXPECT_EQ (px.y, c.y) << c.zoom;
	}
}

TEST_F (PlugViewHostTest, CapturingAWindowThatCannotBeShownFailsCleanly)
{
	Display* dpy = server->display ();
	const Window unmapped = XCreateSimpleWindow (dpy, DefaultRootWindow (dpy), 0, 0, 50, 50, 0, 0, 0);
	XSync (dpy, False);
	EXPECT_THROW (captureWindow (dpy, unmapped), HostError);
	EXPECT_THROW (captureWindow (dpy, 0x7fffffff), HostError) << "no such window";
	XDestroyWindow (dpy, unmapped);
	// The connection still works.
	ParentWindow w (dpy, 20, 10, 0x123456);
	const Image shot = captureWindow (dpy, w.id ());
	EXPECT_EQ (shot.width (), 20);
	EXPECT_EQ (shot.count (0x123456), 200u);
}

TEST (Image, WritesAndReadsPngs)
{
	TemporaryFolder folder;
	Image image (7, 5, 0x102030);
	image.setPixel (0, 0, 0xff0000);
	image.setPixel (6, 4, 0x00ff7f);
	EXPECT_FALSE (image.uniform ());
	EXPECT_EQ (image.distinctColours (), 3u);
	const auto path = folder.path () / "picture.png";
	ASSERT_TRUE (image.writePng (path));
	const auto back = Image::readPng (path);
	ASSERT_TRUE (back.has_value ());
	EXPECT_EQ (*back, image);

	const Image part = image.crop (5, 3, 10, 10);
	ASSERT_EQ (part.width (), 2);
	ASSERT_EQ (part.height (), 2);
	EXPECT_EQ (part.pixel (1, 1), 0x00ff7fu);
	EXPECT_EQ (part.pixel (0, 0), 0x102030u);

	EXPECT_FALSE (Image ().writePng (folder.path () / "empty.png"));
	EXPECT_FALSE (image.writePng (folder.path () / "no" / "such" / "folder.png"));
	EXPECT_FALSE (Image::readPng (folder.path () / "missing.png"));
	EXPECT_EQ (red (0x123456), 0x12);
	EXPECT_EQ (green (0x123456), 0x34);
	EXPECT_EQ (blue (0x123456), 0x56);
}

TEST (TemporaryFolderAndEnvironment, CleanUpAfterThemselves)
{
	std::filesystem::path kept;
	{
		TemporaryFolder folder ("grundmoor-test");
		kept = folder.path ();
		EXPECT_TRUE (std::filesystem::is_directory (kept));
		std::filesystem::create_directories (kept / "a" / "b");
	}
	EXPECT_FALSE (std::filesystem::exists (kept));

	setenv ("GRUNDMOOR_HOST_TEST_VARIABLE", "old", 1);
	{
		ScopedEnvironmentVariable v ("GRUNDMOOR_HOST_TEST_VARIABLE", "new");
		EXPECT_STREQ (getenv ("GRUNDMOOR_HOST_TEST_VARIABLE"), "new");
		ScopedEnvironmentVariable gone ("GRUNDMOOR_HOST_TEST_VARIABLE", std::nullopt);
		EXPECT_EQ (getenv ("GRUNDMOOR_HOST_TEST_VARIABLE"), nullptr);
	}
	EXPECT_STREQ (getenv ("GRUNDMOOR_HOST_TEST_VARIABLE"), "old");
	unsetenv ("GRUNDMOOR_HOST_TEST_VARIABLE");
}
