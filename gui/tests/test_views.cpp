// The view tree: drawing order and clipping, invalidation, mouse and keyboard dispatch.
#include "helpers.h"

#include <sstream>

using namespace VSTGUI;
using namespace testing_helpers;

namespace {

constexpr CColor kRed {220, 20, 30, 255};
constexpr CColor kBlue {20, 40, 230, 255};

// Fills more than its own rectangle, so that clipping shows.
CView* filler (const CRect& r, CColor c, CCoord overshoot = 0)
{
	return new LambdaView (r, [c, overshoot] (CDrawContext* ctx, const CRect& size) {
		CRect big = size;
		big.extend (overshoot, overshoot);
		ctx->setFillColor (c);
		ctx->drawRect (big, kDrawFilled);
	});
}

class ViewDrawing : public ::testing::TestWithParam<double>
{
};

TEST_P (ViewDrawing, ChildrenInOrderClippedAndTranslated)
{
	const double z = GetParam ();
	auto frame = owned (makeFrame (200, 120));
	auto* container = new CViewContainer (CRect (100, 20, 180, 100));
	container->setBackgroundColor (kBlackCColor);
	frame->addView (filler (CRect (10, 10, 60, 60), kRed, 15)); // overshoots its rect
	frame->addView (filler (CRect (40, 40, 90, 90), kBlue));     // later: on top
	frame->addView (container);
	container->addView (filler (CRect (10, 10, 30, 30), kRed, 40)); // local coordinates
	frame->setZoom (z);
	auto image = renderFrame (frame);
	EXPECT_TRUE (colorNear (probe (*image, 20, 20, z), kRed));
	EXPECT_TRUE (colorNear (probe (*image, 50, 50, z), kBlue)) << "the later sibling draws over the earlier";
	EXPECT_TRUE (colorNear (probe (*image, 5, 5, z), kWhiteCColor)) << "the overshoot is clipped to the child";
	EXPECT_TRUE (colorNear (probe (*image, 120, 40, z), kRed)) << "child at (10,10) inside the container at (100,20)";
	EXPECT_TRUE (colorNear (probe (*image, 105, 25, z), kBlackCColor)) << "container background, child clipped";
	EXPECT_TRUE (colorNear (probe (*image, 190, 40, z), kWhiteCColor)) << "nothing outside the container";
}

TEST_P (ViewDrawing, AlphaMultipliesDownTheTreeAndInvisibleViewsAreSkipped)
{
	const double z = GetParam ();
	auto frame = owned (makeFrame (100, 100));
	auto* container = new CViewContainer (CRect (0, 0, 100, 100));
	container->setTransparency (true);
	container->setAlphaValue (0.5f);
	frame->addView (container);
	auto* child = filler (CRect (10, 10, 50, 50), kBlackCColor);
	child->setAlphaValue (0.5f);
	container->addView (child);
	auto* hidden = filler (CRect (60, 60, 90, 90), kBlackCColor);
	hidden->setVisible (false);
	container->addView (hidden);
	frame->setZoom (z);
	auto image = renderFrame (frame);
	EXPECT_TRUE (colorNear (probe (*image, 30, 30, z), CColor (191, 191, 191, 255), 3));
	EXPECT_TRUE (colorNear (probe (*image, 75, 75, z), kWhiteCColor));
}

INSTANTIATE_TEST_SUITE_P (Zoom, ViewDrawing, ::testing::Values (1.0, 0.65));

TEST (ViewTree, LineWidthCarriesOverBetweenSiblings)
{
	auto frame = owned (makeFrame (100, 100));
	frame->addView (new LambdaView (CRect (0, 0, 10, 10), [] (CDrawContext* c, const CRect&) { c->setLineWidth (3.5); }));
	CCoord seen = 0;
	frame->addView (new LambdaView (CRect (10, 0, 20, 10), [&] (CDrawContext* c, const CRect&) { seen = c->getLineWidth (); }));
	RecordingDrawContext context (CRect (0, 0, 100, 100));
	frame->drawFrame (&context);
	EXPECT_EQ (seen, 3.5);
}

TEST (ViewTree, InvalidationReachesTheFrameInFrameCoordinates)
{
	auto frame = owned (makeFrame (200, 200));
	auto* outer = new CViewContainer (CRect (50, 40, 150, 140));
	auto* inner = new CViewContainer (CRect (10, 10, 90, 90));
	auto* view = filler (CRect (5, 5, 25, 15), kRed);
	frame->addView (outer);
	outer->addView (inner);
	inner->addView (view);
	renderFrame (frame);
	EXPECT_TRUE (frame->getDirtyRect ().isEmpty ());

	view->invalid ();
	EXPECT_EQ (frame->getDirtyRect (), CRect (65, 55, 85, 65));
	EXPECT_FALSE (view->isDirty ()) << "invalid () marks clean and asks for a redraw";
	frame->clearDirtyRect ();

	view->setDirty (true);
	EXPECT_TRUE (view->isDirty ());
	EXPECT_EQ (frame->getDirtyRect (), CRect (65, 55, 85, 65));
	renderFrame (frame);
	EXPECT_FALSE (view->isDirty ()) << "a draw ends clean";

	inner->invalid ();
	EXPECT_EQ (frame->getDirtyRect (), CRect (60, 50, 140, 130));
	frame->clearDirtyRect ();
	view->invalidRect (CRect (-100, -100, 1000, 1000));
	EXPECT_EQ (frame->getDirtyRect (), CRect (60, 50, 140, 130)) << "clipped by each container";
}

//------------------------------------------------------------------------
// Partial repaints: at a zoom that puts view edges between device pixels, redrawing only the
// dirty part must give exactly the pixels of a full redraw.
namespace {
struct PartialRepaintScene
{
	SharedPointer<CFrame> frame;
	CColor patchColour {kRed};
	CView* patch {nullptr};

	explicit PartialRepaintScene (double zoom)
	{
		frame = owned (makeFrame (200, 120, CColor (0x10, 0x18, 0x20, 255)));
		frame->setZoom (zoom);
		auto* label = new CTextLabel (CRect (5.5, 20.25, 150.7, 44.6), "Rumble 13.3 Hz");
		label->setBackColor (CColor (0x20, 0x30, 0x40, 255));
		label->setFontColor (CColor (0xe0, 0xe8, 0xe8, 255));
		label->setFrameColor (CColor (0x18, 0xc1, 0xcf, 255));
		frame->addView (label);
		auto* knob = new CKnob (CRect (60.3, 10.9, 100.3, 50.9), nullptr, -1, nullptr, nullptr, CPoint (),
		                        CKnob::kCoronaDrawing | CKnob::kCoronaOutline);
		knob->setHandleLineWidth (3.3);
		knob->setValue (0.4f);
		frame->addView (knob);
		auto* button = new CTextButton (CRect (20.1, 60.7, 110.9, 84.2), nullptr, -1, "ENABLE");
		frame->addView (button);
		// Overlaps the label, so that its repaint has other views' pixels at its edges.
		patch = new LambdaView (CRect (13.3, 17.7, 23.7, 26.8), [this] (CDrawContext* c, const CRect& r) {
			c->setFillColor (patchColour);
			c->drawRect (r, kDrawFilled);
			c->setFrameColor (kWhiteCColor);
			c->setLineWidth (1.3);
			c->drawEllipse (r, kDrawStroked);
		});
		frame->addView (patch);
	}
	void change ()
	{
		patchColour = kBlue;
		patch->invalid ();
	}
	std::unique_ptr<COffscreenImage> full () const
	{
		auto image = renderFrame (frame);
		return image;
	}
	// Draws the frame (or its part rect) into an image whose top-left pixel is device pixel (x0, y0).
	void drawInto (COffscreenImage& image, const CRect* rect, int x0 = 0, int y0 = 0) const
	{
		const double zoom = frame->getZoom ();
		cairo_t* cr = cairo_create (image.getSurface ());
		{
			CairoDrawContext context (cr, frame->getViewSize (), zoom);
			CDrawContext::Transform t (context, CGraphicsTransform ().translate (-x0 / zoom, -y0 / zoom));
			frame->drawFrame (&context, rect);
		}
		cairo_destroy (cr);
		cairo_surface_flush (image.getSurface ());
	}
};

::testing::AssertionResult samePixels (const COffscreenImage& expected, const COffscreenImage& actual, int x0 = 0,
                                       int y0 = 0)
{
	int differing = 0;
	std::ostringstream first;
	for (int y = 0; y < actual.getHeight (); ++y)
		for (int x = 0; x < actual.getWidth (); ++x)
		{
			const CColor a = actual.getPixel (x, y), e = expected.getPixel (x + x0, y + y0);
			if (a != e)
			{
				if (differing++ < 4)
					first << " (" << x + x0 << "," << y + y0 << "): got " << int (a.red) << "," << int (a.green)
					      << "," << int (a.blue) << "," << int (a.alpha) << " expected " << int (e.red) << ","
					      << int (e.green) << "," << int (e.blue) << "," << int (e.alpha);
			}
		}
	if (differing == 0)
		return ::testing::AssertionSuccess ();
	return ::testing::AssertionFailure () << differing << " pixels differ:" << first.str ();
}
} // namespace

TEST (PartialRepaint, GivesThePixelsOfAFullRepaint)
{
	for (double zoom : {0.65, 0.77, 1.3, 1.0})
	{
		PartialRepaintScene scene (zoom);
		auto before = scene.full ();
		ASSERT_NE (before, nullptr);
		scene.change ();
		const CRect dirty = scene.frame->getDirtyRect ();
		ASSERT_EQ (dirty, CRect (13.3, 17.7, 23.7, 26.8)) << zoom;

		// Into the picture of the last full repaint.
		PartialRepaintScene reference (zoom);
		reference.change ();
		auto after = reference.full ();
		scene.drawInto (*before, &dirty);
		EXPECT_TRUE (samePixels (*after, *before)) << "zoom " << zoom << ", into the previous picture";

		// Into a fresh patch of whole pixels, as a window's paint does.
		scene.change ();
		const int x0 = static_cast<int> (std::floor (dirty.left * zoom));
		const int y0 = static_cast<int> (std::floor (dirty.top * zoom));
		const int x1 = static_cast<int> (std::ceil (dirty.right * zoom));
		const int y1 = static_cast<int> (std::ceil (dirty.bottom * zoom));
		COffscreenImage patch (x1 - x0, y1 - y0);
		scene.drawInto (patch, &dirty, x0, y0);
		EXPECT_TRUE (samePixels (*after, patch, x0, y0)) << "zoom " << zoom << ", into a fresh patch";
	}
}

//------------------------------------------------------------------------
// Mouse dispatch: a probe view logs what reaches it and answers as configured.
struct Log
{
	std::vector<std::string> entries;
	std::string str () const
	{
		std::string s;
		for (const auto& e : entries)
			s += (s.empty () ? "" : " ") + e;
		return s;
	}
};

class ProbeView : public CView
{
public:
	ProbeView (const CRect& r, std::string n, Log& l) : CView (r), name (std::move (n)), log (l) {}
	CMouseEventResult onMouseDown (CPoint& where, const CButtonState&) override
	{
		log.entries.push_back (name + ".down" + at (where));
		if (onDown)
			onDown ();
		return downResult;
	}
	CMouseEventResult onMouseMoved (CPoint& where, const CButtonState& buttons) override
	{
		log.entries.push_back (name + (buttons.getButtonState () ? ".drag" : ".hover") + at (where));
		return moveResult;
	}
	CMouseEventResult onMouseUp (CPoint& where, const CButtonState&) override
	{
		log.entries.push_back (name + ".up" + at (where));
		return kMouseEventHandled;
	}
	CMouseEventResult onMouseCancel () override
	{
		log.entries.push_back (name + ".cancel");
		return kMouseEventHandled;
	}
	static std::string at (const CPoint& p)
	{
		std::ostringstream s;
		s << "(" << p.x << "," << p.y << ")";
		return s.str ();
	}
	std::string name;
	Log& log;
	CMouseEventResult downResult {kMouseEventHandled};
	CMouseEventResult moveResult {kMouseEventHandled};
	std::function<void ()> onDown;
};

enum class Ev { Down, Move, Hover, Up, Cancel };
struct Step
{
	Ev ev;
	CCoord x, y;
};

struct DispatchCase
{
	const char* name;
	CMouseEventResult frontDown;
	CMouseEventResult frontMove;
	bool frontTransparent, frontVisible, frontMouseEnabled;
	std::vector<Step> steps;
	const char* expected;
	bool containerTransparent {true};
};

// back (0,0,100,100) holds nothing; a container at (40,40,160,160), transparent unless the case
// says otherwise, holds front (10,10,60,60) in its
// own coordinates, i.e. (50,50,100,100) in the frame.
TEST (MouseDispatch, Table)
{
	const DispatchCase cases[] = {
	    {"handled down captures moves and up, in the view's parent coordinates", kMouseEventHandled,
	     kMouseEventHandled, false, true, true,
	     {{Ev::Down, 60, 60}, {Ev::Move, 5, 5}, {Ev::Up, 200, 200}},
	     "front.down(20,20) front.drag(-35,-35) front.up(160,160)"},
	    {"a view that declines moves and up gets none", kMouseDownEventHandledButDontNeedMovedOrUpEvents,
	     kMouseEventHandled, false, true, true, {{Ev::Down, 60, 60}, {Ev::Move, 20, 20}, {Ev::Up, 20, 20}},
	     "front.down(20,20) back.drag(20,20)"},
	    {"a view that declines further moves loses the capture", kMouseEventHandled,
	     kMouseMoveEventHandledButDontNeedMoreEvents, false, true, true,
	     {{Ev::Down, 60, 60}, {Ev::Move, 70, 70}, {Ev::Move, 20, 20}, {Ev::Up, 20, 20}},
	     "front.down(20,20) front.drag(30,30) back.drag(20,20)"},
	    {"an opaque view that does not handle the down stops it", kMouseEventNotHandled, kMouseEventHandled, false,
	     true, true, {{Ev::Down, 60, 60}, {Ev::Up, 60, 60}}, "front.down(20,20)", false},
	    {"...unless its container is transparent", kMouseEventNotHandled, kMouseEventHandled, false, true, true,
	     {{Ev::Down, 60, 60}, {Ev::Up, 60, 60}}, "front.down(20,20) back.down(60,60) back.up(60,60)", true},
	    {"a transparent one lets it fall through", kMouseEventNotHandled, kMouseEventHandled, true, true, true,
	     {{Ev::Down, 60, 60}, {Ev::Move, 61, 61}, {Ev::Up, 62, 62}},
	     "front.down(20,20) back.down(60,60) back.drag(61,61) back.up(62,62)"},
	    {"invisible views are skipped", kMouseEventHandled, kMouseEventHandled, false, false, true,
	     {{Ev::Down, 60, 60}, {Ev::Up, 60, 60}}, "back.down(60,60) back.up(60,60)"},
	    {"mouse-disabled views are skipped", kMouseEventHandled, kMouseEventHandled, false, true, false,
	     {{Ev::Down, 60, 60}, {Ev::Up, 60, 60}}, "back.down(60,60) back.up(60,60)"},
	    {"hover goes to the topmost view under the point", kMouseEventHandled, kMouseEventHandled, false, true, true,
	     {{Ev::Hover, 60, 60}, {Ev::Hover, 20, 20}, {Ev::Hover, 150, 150}}, "front.hover(20,20) back.hover(20,20)"},
	    {"cancel reaches the captured view and ends the capture", kMouseEventHandled, kMouseEventHandled, false, true,
	     true, {{Ev::Down, 60, 60}, {Ev::Cancel, 0, 0}, {Ev::Up, 60, 60}, {Ev::Cancel, 0, 0}},
	     "front.down(20,20) front.cancel"},
	    {"a down outside every view reaches nobody", kMouseEventHandled, kMouseEventHandled, false, true, true,
	     {{Ev::Down, 180, 10}, {Ev::Up, 180, 10}}, ""},
	};
	for (const auto& k : cases)
	{
		Log log;
		auto frame = owned (makeFrame (200, 200));
		auto* back = new ProbeView (CRect (0, 0, 100, 100), "back", log);
		auto* container = new CViewContainer (CRect (40, 40, 160, 160));
		container->setTransparency (k.containerTransparent);
		auto* front = new ProbeView (CRect (10, 10, 60, 60), "front", log);
		front->downResult = k.frontDown;
		front->moveResult = k.frontMove;
		front->setTransparency (k.frontTransparent);
		front->setVisible (k.frontVisible);
		front->setMouseEnabled (k.frontMouseEnabled);
		frame->addView (back);
		frame->addView (container);
		container->addView (front);
		for (const auto& s : k.steps)
		{
			CPoint p (s.x, s.y);
			switch (s.ev)
			{
				case Ev::Down: frame->onMouseDown (p, kLButton); break;
				case Ev::Move: frame->onMouseMoved (p, kLButton); break;
				case Ev::Hover: frame->onMouseMoved (p, 0); break;
				case Ev::Up: frame->onMouseUp (p, kLButton); break;
				case Ev::Cancel: frame->onMouseCancel (); break;
			}
		}
		EXPECT_EQ (log.str (), k.expected) << k.name;
	}
}

TEST (MouseDispatch, TreeChangesDuringADown)
{
	Log log;
	auto frame = owned (makeFrame (200, 200));
	auto* root = new CViewContainer (CRect (0, 0, 200, 200));
	frame->addView (root);
	auto* button = new ProbeView (CRect (10, 10, 50, 50), "button", log);
	root->addView (button);
	// The down opens a dialog that covers everything.
	button->onDown = [&] {
		auto* dialog = new CViewContainer (CRect (0, 0, 200, 200));
		dialog->addView (new ProbeView (CRect (100, 100, 150, 150), "dialogButton", log));
		root->addView (dialog);
	};
	CPoint p (20, 20);
	frame->onMouseDown (p, kLButton);
	p = CPoint (25, 25);
	frame->onMouseMoved (p, kLButton);
	frame->onMouseUp (p, kLButton);
	EXPECT_EQ (log.str (), "button.down(20,20) button.drag(25,25) button.up(25,25)") << "the capture survives";
	log.entries.clear ();
	p = CPoint (20, 20);
	frame->onMouseDown (p, kLButton);
	EXPECT_EQ (log.str (), "") << "the dialog covers the button now";
	p = CPoint (120, 120);
	frame->onMouseDown (p, kLButton);
	EXPECT_EQ (log.str (), "dialogButton.down(120,120)");
}

TEST (MouseDispatch, AViewRemovedDuringItsDownIsNotCaptured)
{
	Log log;
	auto frame = owned (makeFrame (100, 100));
	auto* v = new ProbeView (CRect (0, 0, 50, 50), "v", log);
	frame->addView (v);
	SharedPointer<CView> keep (v);
	v->onDown = [&] { frame->removeView (v); };
	CPoint p (10, 10);
	EXPECT_EQ (frame->onMouseDown (p, kLButton), kMouseEventHandled);
	EXPECT_EQ (frame->getCapturedView (), nullptr);
	frame->onMouseUp (p, kLButton);
	EXPECT_EQ (log.str (), "v.down(10,10)");
}

TEST (MouseDispatch, ClosingTheFrameCancelsTheCapture)
{
	Log log;
	auto* frame = makeFrame (100, 100);
	auto* v = new ProbeView (CRect (0, 0, 50, 50), "v", log);
	frame->addView (v);
	CPoint p (10, 10);
	frame->onMouseDown (p, kLButton);
	EXPECT_EQ (frame->getCapturedView (), v);
	frame->close (); // releases the frame
	EXPECT_EQ (log.str (), "v.down(10,10) v.cancel");
}

//------------------------------------------------------------------------
class KeyView : public CView
{
public:
	KeyView (const CRect& r, std::vector<int32_t>& k) : CView (r), keys (k) {}
	int32_t onKeyDown (VstKeyCode& key) override
	{
		keys.push_back (key.virt ? -key.virt : key.character);
		return 1;
	}
	bool wantsFocus () const override { return true; }
	std::vector<int32_t>& keys;
};

TEST (KeyboardDispatch, KeysGoToTheFocusViewOnly)
{
	std::vector<int32_t> a, b;
	auto frame = owned (makeFrame (100, 100));
	auto* va = new KeyView (CRect (0, 0, 50, 50), a);
	auto* vb = new KeyView (CRect (50, 0, 100, 50), b);
	frame->addView (va);
	frame->addView (vb);
	VstKeyCode k;
	k.character = 'x';
	EXPECT_EQ (frame->onKeyDown (k), -1) << "no focus view";
	frame->setFocusView (va);
	EXPECT_EQ (frame->onKeyDown (k), 1);
	frame->setFocusView (vb);
	frame->onTextInput ("\xc3\xa4" "y");
	VstKeyCode ret;
	ret.virt = VKEY_RETURN;
	frame->onKeyDown (ret);
	EXPECT_EQ (a, (std::vector<int32_t> {'x'}));
	EXPECT_EQ (b, (std::vector<int32_t> {0xE4, 'y', -VKEY_RETURN}));
	frame->removeView (vb);
	EXPECT_EQ (frame->getFocusView (), nullptr) << "a removed view loses the focus";

	// Hiding or removing a container takes the focus from a view inside it.
	std::vector<int32_t> c;
	auto* dialog = new CViewContainer (CRect (0, 0, 100, 100));
	auto* field = new KeyView (CRect (10, 10, 50, 30), c);
	dialog->addView (field);
	frame->addView (dialog);
	frame->setFocusView (field);
	dialog->setVisible (false);
	EXPECT_EQ (frame->getFocusView (), nullptr);
	dialog->setVisible (true);
	frame->setFocusView (field);
	frame->removeView (dialog);
	EXPECT_EQ (frame->getFocusView (), nullptr);
	EXPECT_EQ (frame->onKeyDown (k), -1);
}

//------------------------------------------------------------------------
// Tooltips on the manual run loop. The frame is 300 x 200:
//   A (20,20)-(120,60) "Attack time";
//   container C (150,20)-(290,180) "Panel" with B at (160,30)-(210,60) "Inner" and D at
//   (160,120)-(210,150) without a tooltip of its own;
//   W (20,100)-(120,180), which sets its tooltip on every move as the effects workspace does:
//   "Left region" left of x = 70, "Right region" right of it, none below y = 160.
namespace {
class RegionTipView : public CView
{
public:
	using CView::CView;
	CMouseEventResult onMouseMoved (CPoint& where, const CButtonState&) override
	{
		if (where.y >= 160)
			setTooltipText ("");
		else
			setTooltipText (where.x < 70 ? "Left region" : "Right region");
		return kMouseEventHandled;
	}
};

struct TooltipScene
{
	ManualRunLoop loop;
	SharedPointer<CFrame> frame;
	CView* a {nullptr};
	explicit TooltipScene (bool enable = true)
	{
		RunLoop::set (&loop);
		frame = owned (makeFrame (300, 200));
		if (enable)
			frame->enableTooltips (true, 500);
		a = new CView (CRect (20, 20, 120, 60));
		a->setTooltipText ("Attack time");
		frame->addView (a);
		auto* c = new CViewContainer (CRect (150, 20, 290, 180));
		c->setTooltipText ("Panel");
		auto* b = new CView (CRect (10, 10, 60, 40));
		b->setTooltipText ("Inner");
		c->addView (b);
		c->addView (new CView (CRect (10, 100, 60, 130)));
		frame->addView (c);
		frame->addView (new RegionTipView (CRect (20, 100, 120, 180)));
	}
	~TooltipScene ()
	{
		// close lets go of one reference: keep one for it, so the pointer's own release is the last.
		if (frame->isOpen ())
		{
			frame->remember ();
			frame->close ();
		}
		frame = nullptr;
		RunLoop::clear (&loop);
	}
};
} // namespace

TEST (Tooltips, ShownAfterRestingAndHiddenAgain)
{
	enum class Do { Move, Drag, Wait, Down, Up, Exit, Text, Remove, Close };
	struct Step
	{
		Do what;
		CCoord x {0}, y {0};
		const char* text {""};
		const char* shown {""}; // the visible tooltip after the step, "" when hidden
	};
	struct Case
	{
		const char* name;
		std::vector<Step> steps;
		bool enabled {true};
	};
	const Case cases[] = {
	    {"shown after the delay", {{Do::Move, 50, 40}, {Do::Wait, 499}, {Do::Wait, 1, 0, "", "Attack time"}}},
	    {"small moves still count as resting",
	     {{Do::Move, 50, 40}, {Do::Wait, 300}, {Do::Move, 51, 41}, {Do::Wait, 200, 0, "", "Attack time"}}},
	    {"a real move starts the wait again",
	     {{Do::Move, 50, 40}, {Do::Wait, 300}, {Do::Move, 60, 40}, {Do::Wait, 200}, {Do::Wait, 300, 0, "", "Attack time"}}},
	    {"a mouse down hides it until the pointer moves and rests again",
	     {{Do::Move, 50, 40}, {Do::Wait, 500, 0, "", "Attack time"}, {Do::Down, 50, 40}, {Do::Wait, 1000},
	      {Do::Up, 50, 40}, {Do::Wait, 1000}, {Do::Move, 60, 45}, {Do::Wait, 500, 0, "", "Attack time"}}},
	    {"a drag shows none", {{Do::Drag, 50, 40}, {Do::Wait, 1000}, {Do::Drag, 52, 40}, {Do::Wait, 1000}}},
	    {"leaving the view hides it",
	     {{Do::Move, 50, 40}, {Do::Wait, 500, 0, "", "Attack time"}, {Do::Move, 135, 90}, {Do::Wait, 1000}}},
	    {"another view starts over",
	     {{Do::Move, 50, 40}, {Do::Wait, 500, 0, "", "Attack time"}, {Do::Move, 170, 40}, {Do::Wait, 499},
	      {Do::Wait, 1, 0, "", "Inner"}}},
	    {"a child without a tooltip shows its container's", {{Do::Move, 170, 130}, {Do::Wait, 500, 0, "", "Panel"}}},
	    {"leaving the window hides it",
	     {{Do::Move, 50, 40}, {Do::Wait, 500, 0, "", "Attack time"}, {Do::Exit}, {Do::Wait, 1000}}},
	    {"an empty text hides it",
	     {{Do::Move, 50, 40}, {Do::Wait, 500, 0, "", "Attack time"}, {Do::Text, 0, 0, ""}, {Do::Wait, 1000}}},
	    {"a new text shows at once",
	     {{Do::Move, 50, 40}, {Do::Wait, 500, 0, "", "Attack time"}, {Do::Text, 0, 0, "Decay", "Decay"}}},
	    {"a view that sets its text on every move",
	     {{Do::Move, 40, 120}, {Do::Wait, 500, 0, "", "Left region"}, {Do::Move, 100, 120, "", "Right region"},
	      {Do::Move, 100, 170}, {Do::Wait, 1000}, {Do::Move, 40, 120}, {Do::Wait, 500, 0, "", "Left region"}}},
	    {"a view that leaves the tree takes it along",
	     {{Do::Move, 50, 40}, {Do::Wait, 500, 0, "", "Attack time"}, {Do::Remove}, {Do::Wait, 1000}}},
	    {"closing the frame hides it", {{Do::Move, 50, 40}, {Do::Wait, 500, 0, "", "Attack time"}, {Do::Close}, {Do::Wait, 1000}}},
	    {"none without tooltips enabled", {{Do::Move, 50, 40}, {Do::Wait, 1000}}, false},
	};
	for (const auto& k : cases)
	{
		TooltipScene scene (k.enabled);
		CFrame* frame = scene.frame;
		int index = 0;
		for (const auto& step : k.steps)
		{
			CPoint p (step.x, step.y);
			switch (step.what)
			{
				case Do::Move: frame->onMouseMoved (p, 0); break;
				case Do::Drag: frame->onMouseMoved (p, kLButton); break;
				case Do::Wait: scene.loop.advance (static_cast<uint64_t> (step.x)); break;
				case Do::Down: frame->onMouseDown (p, kLButton); break;
				case Do::Up: frame->onMouseUp (p, kLButton); break;
				case Do::Exit: frame->onMouseExited (p, 0); break;
				case Do::Text: scene.a->setTooltipText (step.text); break;
				case Do::Remove: frame->removeView (scene.a); break;
				case Do::Close:
					frame->remember ();
					frame->close (); // lets go of the frame's own reference
					break;
			}
			EXPECT_EQ (frame->getVisibleTooltipText (), step.shown) << k.name << ", step " << index;
			EXPECT_EQ (frame->isTooltipVisible (), std::string (step.shown) != "") << k.name << ", step " << index;
			++index;
		}
	}
}

TEST (Tooltips, ADarkBoxNearThePointerInsideTheFrame)
{
	struct Case
	{
		const char* name;
		CPoint pointer;
		std::string text;
	};
	const Case cases[] = {
	    {"room below the pointer", CPoint (50, 40), "Attack time"},
	    {"at the right edge", CPoint (118, 40), "A tooltip far wider than the space to the right of the pointer"},
	    {"at the bottom edge", CPoint (40, 195), "Near the bottom"},
	    {"two lines", CPoint (50, 40), "Attack time\nof the kick"},
	};
	for (const auto& k : cases)
	{
		TooltipScene scene;
		CFrame* frame = scene.frame;
		auto* low = new CView (CRect (0, 185, 300, 200));
		low->setTooltipText ("Near the bottom");
		frame->addView (low);
		scene.a->setTooltipText (k.text);
		CPoint p = k.pointer;
		frame->onMouseMoved (p, 0);
		scene.loop.advance (500);
		ASSERT_TRUE (frame->isTooltipVisible ()) << k.name;
		const CRect r = frame->getTooltipRect ();
		EXPECT_GE (r.left, 0.) << k.name;
		EXPECT_GE (r.top, 0.) << k.name;
		EXPECT_LE (r.right, 300.) << k.name;
		EXPECT_LE (r.bottom, 200.) << k.name;
		EXPECT_GT (r.getWidth (), FontMetrics::stringWidth (*kNormalFontSmall, "Attack time")) << k.name;
		// Near the pointer: below it when there is room, else above; never over it.
		EXPECT_FALSE (r.pointInside (k.pointer)) << k.name;
		EXPECT_LT (std::min (std::fabs (r.top - k.pointer.y), std::fabs (r.bottom - k.pointer.y)), 25.) << k.name;
		if (k.pointer.x + r.getWidth () <= 300.)
		{
			EXPECT_EQ (r.left, k.pointer.x) << k.name;
		}
		CCoord ascent = 0., descent = 0.;
		FontMetrics::extents (*kNormalFontSmall, ascent, descent);
		const size_t lines = k.text.find ('\n') != std::string::npos ? 2 : 1;
		EXPECT_GT (r.getHeight (), static_cast<double> (lines) * (ascent + descent)) << k.name;
		EXPECT_LT (r.getHeight (), static_cast<double> (lines + 1) * (ascent + descent)) << k.name;

		// Drawn on top of the views: dark, with light text in it.
		for (double zoom : {1.0, 0.65})
		{
			frame->setZoom (zoom);
			auto image = renderFrame (frame);
			ASSERT_NE (image, nullptr);
			CRect box (r.left * zoom, r.top * zoom, r.right * zoom, r.bottom * zoom);
			box.inset (2, 2);
			int darkest = 1000, lightest = 0;
			for (int y = static_cast<int> (box.top); y < box.bottom; ++y)
				for (int x = static_cast<int> (box.left); x < box.right; ++x)
				{
					const CColor c = image->getPixel (x, y);
					darkest = std::min (darkest, c.red + c.green + c.blue);
					lightest = std::max (lightest, c.red + c.green + c.blue);
				}
			// The box is (24,28,32) at alpha 240 over the white frame: (38,41,45).
			EXPECT_NEAR (darkest, 38 + 41 + 45, 6) << k.name << ": the box, at zoom " << zoom;
			EXPECT_GT (lightest, 450) << k.name << ": the text, at zoom " << zoom;
		}
		frame->setZoom (1.);
		// Hidden again, the views' pixels come back.
		CPoint away (135, 90);
		frame->onMouseMoved (away, 0);
		EXPECT_FALSE (frame->isTooltipVisible ());
		auto image = renderFrame (frame);
		EXPECT_TRUE (colorNear (probe (*image, r.left + 2, r.top + 2, 1.), kWhiteCColor, 0)) << k.name;
	}
}

} // namespace
