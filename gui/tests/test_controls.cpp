// Controls as tables of event sequences and the listener calls they produce.
#include "helpers.h"

#include <sstream>

using namespace VSTGUI;
using namespace testing_helpers;

namespace {

// Logs listener calls: "begin", "end", "v=<value>[e]" (e while editing).
struct RecordingListener : IControlListener
{
	std::vector<std::string> calls;
	void valueChanged (CControl* c) override
	{
		std::ostringstream s;
		s << "v=" << c->getValue () << (c->isEditing () ? "e" : "");
		calls.push_back (s.str ());
	}
	void controlBeginEdit (CControl*) override { calls.push_back ("begin"); }
	void controlEndEdit (CControl*) override { calls.push_back ("end"); }
	std::string str () const
	{
		std::string s;
		for (const auto& c : calls)
			s += (s.empty () ? "" : " ") + c;
		return s;
	}
};

enum class Ev { Down, RightDown, CtrlDown, AltDown, ShiftMove, Move, Up, Cancel };
struct Step
{
	Ev ev;
	CCoord x, y;
};

void run (CFrame* frame, const std::vector<Step>& steps)
{
	for (const auto& s : steps)
	{
		CPoint p (s.x, s.y);
		switch (s.ev)
		{
			case Ev::Down: frame->onMouseDown (p, kLButton); break;
			case Ev::RightDown: frame->onMouseDown (p, kRButton); break;
			case Ev::CtrlDown: frame->onMouseDown (p, kLButton | kControl); break;
			case Ev::AltDown: frame->onMouseDown (p, kLButton | kAlt); break;
			case Ev::Move: frame->onMouseMoved (p, kLButton); break;
			case Ev::ShiftMove: frame->onMouseMoved (p, kLButton | kShift); break;
			case Ev::Up: frame->onMouseUp (p, kLButton); break;
			case Ev::Cancel: frame->onMouseCancel (); break;
		}
	}
}

//------------------------------------------------------------------------
struct ButtonCase
{
	const char* name;
	CTextButton::Style style;
	float initial;
	std::vector<Step> steps;
	const char* expected;
	float finalValue;
};

// The button sits at (10,10,60,30).
TEST (TextButton, EventSequences)
{
	const ButtonCase cases[] = {
	    {"kick: press and release inside", CTextButton::kKickStyle, 0, {{Ev::Down, 20, 20}, {Ev::Up, 20, 20}},
	     "begin v=1e v=0e end", 0},
	    {"kick: nothing before the release", CTextButton::kKickStyle, 0, {{Ev::Down, 20, 20}, {Ev::Move, 25, 20}},
	     "begin", 1},
	    {"kick: release outside changes nothing", CTextButton::kKickStyle, 0,
	     {{Ev::Down, 20, 20}, {Ev::Move, 90, 90}, {Ev::Up, 90, 90}}, "begin end", 0},
	    {"kick: out and back in counts", CTextButton::kKickStyle, 0,
	     {{Ev::Down, 20, 20}, {Ev::Move, 90, 90}, {Ev::Move, 30, 20}, {Ev::Up, 30, 20}}, "begin v=1e v=0e end", 0},
	    {"on-off: off to on", CTextButton::kOnOffStyle, 0, {{Ev::Down, 20, 20}, {Ev::Up, 20, 20}}, "begin v=1e end", 1},
	    {"on-off: on to off", CTextButton::kOnOffStyle, 1, {{Ev::Down, 20, 20}, {Ev::Up, 20, 20}}, "begin v=0e end", 0},
	    {"on-off: release outside changes nothing", CTextButton::kOnOffStyle, 0,
	     {{Ev::Down, 20, 20}, {Ev::Up, 70, 20}}, "begin end", 0},
	    {"right button is not handled", CTextButton::kKickStyle, 0, {{Ev::RightDown, 20, 20}, {Ev::Up, 20, 20}}, "", 0},
	    {"cancel restores the value", CTextButton::kOnOffStyle, 0, {{Ev::Down, 20, 20}, {Ev::Cancel, 0, 0}},
	     "begin end", 0},
	    {"two clicks, two toggles", CTextButton::kOnOffStyle, 0,
	     {{Ev::Down, 20, 20}, {Ev::Up, 20, 20}, {Ev::Down, 20, 20}, {Ev::Up, 20, 20}}, "begin v=1e end begin v=0e end", 0},
	    {"a second down without an up cancels the first", CTextButton::kOnOffStyle, 0,
	     {{Ev::Down, 20, 20}, {Ev::Down, 20, 20}, {Ev::Up, 20, 20}}, "begin end begin v=1e end", 1},
	};
	for (const auto& k : cases)
	{
		RecordingListener listener;
		auto frame = owned (makeFrame (100, 100));
		auto* button = new CTextButton (CRect (10, 10, 60, 30), &listener, 5, "OK", k.style);
		button->setValue (k.initial);
		frame->addView (button);
		run (frame, k.steps);
		EXPECT_EQ (listener.str (), k.expected) << k.name;
		EXPECT_EQ (button->getValue (), k.finalValue) << k.name;
	}
}

// A 60 x 24 button at (10,10) with a 2-point red frame and a blue fill: the outline runs half a
// frame width inside, on (11,11)-(69,33). With radius 8 the top-left corner arc is centred on
// (19,19): (11.5,11.5) lies 10.6 points from it (outside), (13.5,13.5) 7.8 points (on the frame,
// which covers 7 to 9), (15.5,15.5) 4.9 points (inside). Square corners put the first on the
// frame and the second inside.
TEST (TextButton, RoundRadiusRoundsFrameAndFill)
{
	struct Probe
	{
		CCoord x, y;
		CColor colour;
	};
	struct Case
	{
		const char* name;
		CCoord radius;
		double zoom;
		std::vector<Probe> probes;
	};
	const CColor white = kWhiteCColor, red = kRedCColor, blue = kBlueCColor;
	const std::vector<Probe> both = {{40.5, 10.5, red}, {40.5, 22., blue}, {15.5, 15.5, blue}, {10.5, 22., red}};
	std::vector<Probe> rounded = both, square = both;
	rounded.insert (rounded.end (), {{11.2, 11.2, white}, {13.5, 13.5, red}, {68.8, 32.8, white}, {11.2, 32.8, white}});
	square.insert (square.end (), {{11.2, 11.2, red}, {13.5, 13.5, blue}, {68.8, 32.8, red}, {11.2, 32.8, red}});
	const Case cases[] = {
	    {"radius 8", 8., 1., rounded},
	    {"radius 8, zoom 2", 8., 2., rounded},
	    {"radius 8, zoom 0.65", 8., 0.65, {{40.5, 22., blue}, {11.2, 11.2, white}, {68.8, 32.8, white}}},
	    {"square corners", 0., 1., square},
	    {"square corners, zoom 2", 0., 2., square},
	};
	for (const auto& k : cases)
	{
		auto frame = owned (makeFrame (100, 60));
		auto* button = new CTextButton (CRect (10, 10, 70, 34), nullptr, -1, "");
		button->setRoundRadius (k.radius);
		button->setFrameWidth (2.);
		button->setFrameColor (red);
		button->setGradient (owned (new CGradient (blue, blue)));
		frame->addView (button);
		auto image = renderView (frame, k.zoom);
		ASSERT_NE (image, nullptr);
		for (const auto& p : k.probes)
			EXPECT_TRUE (colorNear (probe (*image, p.x, p.y, k.zoom), p.colour, 40))
			    << k.name << " at (" << p.x << ", " << p.y << ")";
	}

	// Fill and frame follow the same outline: four corner arcs, or one rectangle.
	for (CCoord radius : {8., 0.})
	{
		CTextButton button (CRect (10, 10, 70, 34), nullptr, -1, "");
		button.setRoundRadius (radius);
		button.setFrameWidth (2.);
		RecordingDrawContext context (CRect (0, 0, 100, 60));
		button.draw (&context);
		const auto fills = context.callsOf (RecordingDrawContext::Op::PathGradient);
		const auto frames = context.callsOf (RecordingDrawContext::Op::Path);
		ASSERT_EQ (fills.size (), 1u) << radius;
		ASSERT_EQ (frames.size (), 1u) << radius;
		EXPECT_EQ (frames[0].pathMode, CDrawContext::kPathStroked) << radius;
		const auto& elements = fills[0].path;
		ASSERT_EQ (elements.size (), frames[0].path.size ()) << radius;
		const auto arcs = std::count_if (elements.begin (), elements.end (), [] (const auto& e) {
			return e.type == CGraphicsPath::Element::Arc;
		});
		EXPECT_EQ (arcs, radius > 0. ? 4 : 0) << radius;
		if (radius == 0.)
		{
			ASSERT_EQ (elements.size (), 1u);
			EXPECT_EQ (elements[0].type, CGraphicsPath::Element::Rect);
			EXPECT_EQ (elements[0].rect, CRect (11, 11, 69, 33));
		}
		else
			EXPECT_EQ (elements[1].rect, CRect (53, 11, 69, 27)) << "top-right corner, 16 points across";
		// The gradient runs from the outline's top to its bottom.
		EXPECT_EQ (fills[0].p1, CPoint (11, 11)) << radius;
		EXPECT_EQ (fills[0].p2, CPoint (11, 33)) << radius;
	}
}

TEST (Control, EditingIsACounterAndTagChangesAreAnnounced)
{
	struct TagListener : RecordingListener
	{
		void controlTagWillChange (CControl* c) override { calls.push_back ("will" + std::to_string (c->getTag ())); }
		void controlTagDidChange (CControl* c) override { calls.push_back ("did" + std::to_string (c->getTag ())); }
	} listener;
	CControl control (CRect (0, 0, 10, 10), &listener, 3);
	control.beginEdit ();
	control.beginEdit ();
	EXPECT_TRUE (control.isEditing ());
	control.endEdit ();
	EXPECT_TRUE (control.isEditing ());
	control.endEdit ();
	EXPECT_FALSE (control.isEditing ());
	control.endEdit (); // unbalanced end does nothing
	control.setTag (7);
	control.setTag (7);
	EXPECT_EQ (listener.str (), "begin end will3 did7");
	// value, range and normalized value
	control.setMin (10);
	control.setMax (30);
	control.setValueNormalized (0.25f);
	EXPECT_FLOAT_EQ (control.getValue (), 15);
	control.setValue (99);
	EXPECT_FLOAT_EQ (control.getValue (), 30) << "values stay inside the range";
	control.setMax (10);
	EXPECT_FLOAT_EQ (control.getValueNormalized (), 0) << "an empty range reads as 0";
}

//------------------------------------------------------------------------
struct KnobCase
{
	const char* name;
	int32_t mode;
	float initial;
	std::vector<Step> steps;
	const char* expected;
};

// Knob at (0,0,100,100), centre (50,50), 135..405 degrees, linear range 200 points.
TEST (Knob, EventSequences)
{
	const KnobCase cases[] = {
	    {"circular: the down jumps to the pointer", kCircularMode, 0, {{Ev::Down, 50, 10}, {Ev::Up, 50, 10}},
	     "begin v=0.5e end"},
	    {"circular: one call per drag step", kCircularMode, 0,
	     {{Ev::Down, 50, 10}, {Ev::Move, 90, 50}, {Ev::Move, 90, 50}, {Ev::Move, 10, 50}, {Ev::Up, 10, 50}},
	     "begin v=0.5e v=0.833333e v=0.166667e end"},
	    {"circular: the gap at the bottom snaps to the nearer end", kCircularMode, 0.5,
	     {{Ev::Down, 45, 95}, {Ev::Move, 55, 95}, {Ev::Up, 55, 95}}, "begin v=0e v=1e end"},
	    {"linear: up and right raise the value", kLinearMode, 0.5,
	     {{Ev::Down, 50, 50}, {Ev::Move, 50, 30}, {Ev::Move, 70, 30}, {Ev::Up, 70, 30}}, "begin v=0.6e v=0.7e end"},
	    {"linear: clamped at the ends", kLinearMode, 0.9, {{Ev::Down, 50, 50}, {Ev::Move, 50, -500}, {Ev::Move, 50, -600},
	                                                       {Ev::Up, 50, -600}},
	     "begin v=1e end"},
	    {"linear: the fine-step modifier divides the speed", kLinearMode, 0.5,
	     {{Ev::Down, 50, 50}, {Ev::ShiftMove, 50, 30}, {Ev::Up, 50, 30}}, "begin v=0.51e end"},
	    {"circular mode, Alt drags linearly", kCircularMode, 0.5,
	     {{Ev::AltDown, 50, 50}, {Ev::Move, 50, 10}, {Ev::Up, 50, 10}}, "begin v=0.7e end"},
	    {"control-click sets the default", kLinearMode, 0.9, {{Ev::CtrlDown, 50, 50}, {Ev::Move, 50, 10}, {Ev::Up, 50, 10}},
	     "begin v=0.25e end"},
	    {"cancel returns to the value at the down", kLinearMode, 0.5,
	     {{Ev::Down, 50, 50}, {Ev::Move, 50, 30}, {Ev::Cancel, 0, 0}}, "begin v=0.6e v=0.5e end"},
	    {"right button is not handled", kLinearMode, 0.5, {{Ev::RightDown, 50, 50}, {Ev::Move, 50, 30}}, ""},
	    {"a second down without an up cancels the first", kLinearMode, 0.5,
	     {{Ev::Down, 50, 50}, {Ev::Move, 50, 30}, {Ev::Down, 50, 50}, {Ev::Up, 50, 50}}, "begin v=0.6e v=0.5e end begin end"},
	};
	for (const auto& k : cases)
	{
		RecordingListener listener;
		auto frame = owned (makeFrame (200, 200));
		auto* knob = new CKnob (CRect (0, 0, 100, 100), &listener, 1, nullptr, nullptr);
		knob->setKnobMode (k.mode);
		knob->setDefaultValue (0.25f);
		knob->setValue (k.initial);
		frame->addView (knob);
		run (frame, k.steps);
		EXPECT_EQ (listener.str (), k.expected) << k.name;
	}
}

// Without a frame in between (a platform that loses an up): the edit must not nest.
TEST (Control, ADownDuringTheirOwnMouseEditIsIgnored)
{
	struct Case
	{
		const char* name;
		bool knob;
		const char* expected;
	};
	const Case cases[] = {
	    {"text button", false, "begin v=1e end"},
	    {"knob", true, "begin end"},
	};
	for (const auto& k : cases)
	{
		RecordingListener listener;
		SharedPointer<CControl> control;
		if (k.knob)
		{
			auto knob = makeOwned<CKnob> (CRect (0, 0, 100, 100), &listener, 1, nullptr, nullptr);
			knob->setKnobMode (kLinearMode);
			control = knob.get ();
		}
		else
			control = makeOwned<CTextButton> (CRect (0, 0, 100, 100), &listener, 1, "OK", CTextButton::kOnOffStyle).get ();
		CPoint p (50, 50);
		control->onMouseDown (p, kLButton);
		p = CPoint (50, 50);
		control->onMouseDown (p, kLButton);
		p = CPoint (50, 50);
		control->onMouseUp (p, kLButton);
		EXPECT_FALSE (control->isEditing ()) << k.name;
		EXPECT_EQ (listener.str (), k.expected) << k.name;
	}
}

TEST (Knob, CoronaFromTheCentreCoversTheValueSide)
{
	struct Case
	{
		float value;
		double start, end;
	};
	// 135..405 degrees: the centre is at 270.
	const Case cases[] = {
	    {0.f, 135., 270.}, {0.25f, 202.5, 270.}, {0.5f, 270., 270.}, {0.75f, 270., 337.5}, {1.f, 270., 405.},
	};
	for (const auto& k : cases)
	{
		CKnob knob (CRect (0, 0, 40, 40), nullptr, -1, nullptr, nullptr, CPoint (),
		            CKnob::kCoronaDrawing | CKnob::kCoronaFromCenter | CKnob::kSkipHandleDrawing);
		knob.setValue (k.value);
		RecordingDrawContext context (CRect (0, 0, 40, 40));
		knob.draw (&context);
		auto arcs = context.callsOf (RecordingDrawContext::Op::Arc);
		ASSERT_EQ (arcs.size (), 1u) << k.value;
		EXPECT_NEAR (arcs[0].startAngle, k.start, 1e-4) << k.value;
		EXPECT_NEAR (arcs[0].endAngle, k.end, 1e-4) << k.value;
	}
}

TEST (Knob, DrawStyleFlagsAndAngles)
{
	EXPECT_EQ (CKnob::kCoronaLineDashDot, 0x10);
	CKnob knob (CRect (0, 0, 40, 40), nullptr, -1, nullptr, nullptr, CPoint (), CKnob::kCoronaDrawing | CKnob::kCoronaLineDashDot);
	knob.setDrawStyle (knob.getDrawStyle () & ~CKnob::kCoronaLineDashDot);
	EXPECT_EQ (knob.getDrawStyle (), CKnob::kCoronaDrawing);
	EXPECT_DOUBLE_EQ (knob.angleForValue (0.f), 135.);
	EXPECT_DOUBLE_EQ (knob.angleForValue (1.f), 405.);
	RecordingDrawContext context (CRect (0, 0, 40, 40));
	knob.setValue (0.5f);
	knob.draw (&context);
	auto arcs = context.callsOf (RecordingDrawContext::Op::Arc);
	ASSERT_EQ (arcs.size (), 1u);
	EXPECT_EQ (arcs[0].startAngle, 135.);
	EXPECT_EQ (arcs[0].endAngle, 270.);
}

TEST (Knob, DrawStyleBitsHaveVSTGUIsValues)
{
	EXPECT_EQ (CKnob::kLegacyHandleLineDrawing, 0);
	EXPECT_EQ (CKnob::kHandleCircleDrawing, 0x01);
	EXPECT_EQ (CKnob::kCoronaDrawing, 0x02);
	EXPECT_EQ (CKnob::kCoronaFromCenter, 0x04);
	EXPECT_EQ (CKnob::kCoronaInverted, 0x08);
	EXPECT_EQ (CKnob::kCoronaLineDashDot, 0x10);
	EXPECT_EQ (CKnob::kCoronaOutline, 0x20);
	EXPECT_EQ (CKnob::kCoronaLineCapButt, 0x40);
	EXPECT_EQ (CKnob::kSkipHandleDrawing, 0x80);
}

// A 40 x 40 knob at value 0.25 with line width 4 and corona inset 2: the corona runs on the
// circle (2,2)-(38,38), 0.25 of the 135..405 degree range ends at 202.5 degrees, and the outline
// is 4 + 2 wide; with square ends it reaches 2/40 radians (2.8648 degrees) past either end.
TEST (Knob, EachDrawStyleDrawsItsParts)
{
	struct Arc
	{
		double start, end, width;
		CLineStyle::LineCap cap;
		CLineStyle::CoordVector dashes;
		CColor colour;
	};
	struct Case
	{
		const char* name;
		int32_t style;
		std::vector<Arc> arcs;
		size_t lines, ellipses;
	};
	const CColor corona = kRedCColor, shadow = kBlueCColor;
	constexpr auto round = CLineStyle::kLineCapRound;
	constexpr auto butt = CLineStyle::kLineCapButt;
	constexpr int32_t skip = CKnob::kSkipHandleDrawing;
	const Case cases[] = {
	    {"style 0: a line handle and its shadow", CKnob::kLegacyHandleLineDrawing, {}, 2, 0},
	    {"circle handle", CKnob::kHandleCircleDrawing, {}, 0, 1},
	    {"handle skipped: nothing", skip, {}, 0, 0},
	    {"plain corona", CKnob::kCoronaDrawing | skip, {{135, 202.5, 4, round, {}, corona}}, 0, 0},
	    {"corona under a line handle", CKnob::kCoronaDrawing, {{135, 202.5, 4, round, {}, corona}}, 2, 0},
	    {"corona with a circle handle", CKnob::kCoronaDrawing | CKnob::kHandleCircleDrawing,
	     {{135, 202.5, 4, round, {}, corona}}, 0, 1},
	    {"from the centre", CKnob::kCoronaDrawing | CKnob::kCoronaFromCenter | skip,
	     {{202.5, 270, 4, round, {}, corona}}, 0, 0},
	    {"inverted: from the value to the end", CKnob::kCoronaDrawing | CKnob::kCoronaInverted | skip,
	     {{202.5, 405, 4, round, {}, corona}}, 0, 0},
	    {"inverted from the centre: the mirror side",
	     CKnob::kCoronaDrawing | CKnob::kCoronaFromCenter | CKnob::kCoronaInverted | skip,
	     {{270, 337.5, 4, round, {}, corona}}, 0, 0},
	    {"dash-dot takes the butt cap to show", CKnob::kCoronaDrawing | CKnob::kCoronaLineDashDot | skip,
	     {{135, 202.5, 4, round, {}, corona}}, 0, 0},
	    {"dash-dot with the butt cap",
	     CKnob::kCoronaDrawing | CKnob::kCoronaLineDashDot | CKnob::kCoronaLineCapButt | skip,
	     {{135, 202.5, 4, butt, {1., 2.}, corona}}, 0, 0},
	    {"butt cap", CKnob::kCoronaDrawing | CKnob::kCoronaLineCapButt | skip, {{135, 202.5, 4, butt, {}, corona}}, 0, 0},
	    {"outline alone: the whole range", CKnob::kCoronaOutline | skip, {{135, 405, 6, round, {}, shadow}}, 0, 0},
	    {"outline under the corona", CKnob::kCoronaOutline | CKnob::kCoronaDrawing | skip,
	     {{135, 405, 6, round, {}, shadow}, {135, 202.5, 4, round, {}, corona}}, 0, 0},
	    {"outline with butt cap reaches past the ends", CKnob::kCoronaOutline | CKnob::kCoronaLineCapButt | skip,
	     {{132.1352, 407.8648, 6, butt, {}, shadow}}, 0, 0},
	};
	for (const auto& k : cases)
	{
		CKnob knob (CRect (0, 0, 40, 40), nullptr, -1, nullptr, nullptr, CPoint (), k.style);
		knob.setValue (0.25f);
		knob.setHandleLineWidth (4.);
		knob.setCoronaInset (2.);
		knob.setCoronaColor (corona);
		knob.setColorShadowHandle (shadow);
		RecordingDrawContext context (CRect (0, 0, 40, 40));
		knob.draw (&context);
		const auto arcs = context.callsOf (RecordingDrawContext::Op::Arc);
		ASSERT_EQ (arcs.size (), k.arcs.size ()) << k.name;
		for (size_t i = 0; i < arcs.size (); ++i)
		{
			const auto& got = arcs[i];
			const auto& want = k.arcs[i];
			EXPECT_NEAR (got.startAngle, want.start, 1e-3) << k.name << " arc " << i;
			EXPECT_NEAR (got.endAngle, want.end, 1e-3) << k.name << " arc " << i;
			EXPECT_EQ (got.rect, CRect (2, 2, 38, 38)) << k.name << " arc " << i;
			EXPECT_DOUBLE_EQ (got.state.lineWidth, want.width) << k.name << " arc " << i;
			EXPECT_EQ (got.state.lineStyle.getLineCap (), want.cap) << k.name << " arc " << i;
			EXPECT_EQ (got.state.lineStyle.getDashLengths (), want.dashes) << k.name << " arc " << i;
			EXPECT_EQ (got.state.frameColor, want.colour) << k.name << " arc " << i;
			EXPECT_EQ (got.style, kDrawStroked) << k.name << " arc " << i;
		}
		EXPECT_EQ (context.callsOf (RecordingDrawContext::Op::Line).size (), k.lines) << k.name;
		EXPECT_EQ (context.callsOf (RecordingDrawContext::Op::Ellipse).size (), k.ellipses) << k.name;
		EXPECT_EQ (context.getLineStyle (), kLineSolid) << k.name << ": the knob's line style stays with it";
	}
}

// The handle's tip is 20 - 3 = 17 points from the centre of a 40 x 40 knob, at 202.5 degrees
// for the value 0.25: (4.2940, 13.4944).
TEST (Knob, HandlesSitAtTheValue)
{
	const CPoint tip (4.294048, 13.494382);
	{
		CKnob knob (CRect (0, 0, 40, 40), nullptr, -1, nullptr, nullptr, CPoint (), CKnob::kLegacyHandleLineDrawing);
		knob.setValue (0.25f);
		knob.setHandleLineWidth (3.);
		knob.setColorHandle (kGreenCColor);
		knob.setColorShadowHandle (kBlueCColor);
		RecordingDrawContext context (CRect (0, 0, 40, 40));
		knob.draw (&context);
		const auto lines = context.callsOf (RecordingDrawContext::Op::Line);
		ASSERT_EQ (lines.size (), 2u);
		// The shadow first, one point to the left and below, then the handle.
		EXPECT_EQ (lines[0].state.frameColor, kBlueCColor);
		EXPECT_NEAR (lines[0].p1.x, tip.x - 1., 1e-4);
		EXPECT_NEAR (lines[0].p1.y, tip.y + 1., 1e-4);
		EXPECT_EQ (lines[0].p2, CPoint (19, 21));
		EXPECT_EQ (lines[1].state.frameColor, kGreenCColor);
		EXPECT_NEAR (lines[1].p1.x, tip.x, 1e-4);
		EXPECT_NEAR (lines[1].p1.y, tip.y, 1e-4);
		EXPECT_EQ (lines[1].p2, CPoint (20, 20));
		for (const auto& l : lines)
		{
			EXPECT_EQ (l.state.lineStyle.getLineCap (), CLineStyle::kLineCapRound);
			EXPECT_DOUBLE_EQ (l.state.lineWidth, 3.);
		}
	}
	{
		CKnob knob (CRect (0, 0, 40, 40), nullptr, -1, nullptr, nullptr, CPoint (), CKnob::kHandleCircleDrawing);
		knob.setValue (0.25f);
		knob.setHandleLineWidth (3.);
		knob.setColorHandle (kGreenCColor);
		knob.setColorShadowHandle (kBlueCColor);
		RecordingDrawContext context (CRect (0, 0, 40, 40));
		knob.draw (&context);
		const auto circles = context.callsOf (RecordingDrawContext::Op::Ellipse);
		ASSERT_EQ (circles.size (), 1u);
		// A dot of 1 point grown by the line width on each side, framed by the shadow colour.
		EXPECT_NEAR (circles[0].rect.left, tip.x - 3.5, 1e-4);
		EXPECT_NEAR (circles[0].rect.top, tip.y - 3.5, 1e-4);
		EXPECT_NEAR (circles[0].rect.getWidth (), 7., 1e-9);
		EXPECT_NEAR (circles[0].rect.getHeight (), 7., 1e-9);
		EXPECT_EQ (circles[0].style, kDrawFilledAndStroked);
		EXPECT_EQ (circles[0].state.fillColor, kGreenCColor);
		EXPECT_EQ (circles[0].state.frameColor, kBlueCColor);
	}
	{
		// A handle bitmap replaces corona and handle; its inset is half its width + 2.5.
		auto bitmap = makeOwned<CBitmap> (10., 6.);
		CKnob knob (CRect (0, 0, 40, 40), nullptr, -1, nullptr, bitmap, CPoint (),
		            CKnob::kCoronaDrawing | CKnob::kCoronaOutline);
		knob.setValue (0.25f);
		EXPECT_DOUBLE_EQ (knob.getInsetValue (), 7.5);
		RecordingDrawContext context (CRect (0, 0, 40, 40));
		knob.draw (&context);
		ASSERT_EQ (context.getCalls ().size (), 1u);
		const auto& call = context.getCalls ()[0];
		EXPECT_EQ (call.op, RecordingDrawContext::Op::Bitmap);
		// 12.5 points out at 202.5 degrees: (8.4515, 15.2165), less half the bitmap, floored.
		EXPECT_EQ (call.rect, CRect (3, 12, 13, 18));
	}
}

//------------------------------------------------------------------------
TEST (OptionMenu, SeparatorsAndTheTwoWaysOfCounting)
{
	COptionMenu menu (CRect (0, 0, 100, 20), nullptr, -1);
	menu.addEntry ("A");
	menu.addEntry ("-");
	menu.addEntry ("B");
	menu.addSeparator ();
	menu.addEntry ("C");
	ASSERT_EQ (menu.getNbEntries (), 5);
	EXPECT_TRUE (menu.getEntry (1)->isSeparator ());
	EXPECT_TRUE (menu.getEntry (3)->isSeparator ());

	struct Case
	{
		int32_t index;
		bool countSeparator;
		bool accepted;
		int32_t without, with;
	};
	const Case cases[] = {
	    {0, true, true, 0, 0},  {1, true, false, 0, 0}, {2, true, true, 1, 2},   {4, true, true, 2, 4},
	    {5, true, false, 2, 4}, {-1, true, false, 2, 4}, {1, false, true, 1, 2}, {2, false, true, 2, 4},
	    {3, false, false, 2, 4}, {0, false, true, 0, 0},
	};
	for (const auto& k : cases)
	{
		EXPECT_EQ (menu.setCurrent (k.index, k.countSeparator), k.accepted) << k.index << " " << k.countSeparator;
		EXPECT_EQ (menu.getCurrentIndex (), k.without) << k.index;
		EXPECT_EQ (menu.getCurrentIndex (true), k.with) << k.index;
	}
	EXPECT_EQ (menu.indexWithSeparators (2), 4);
	EXPECT_EQ (menu.indexWithoutSeparators (4), 2);
	EXPECT_EQ (menu.indexWithSeparators (3), -1);
	menu.removeAllEntry ();
	EXPECT_EQ (menu.getNbEntries (), 0);
	EXPECT_EQ (menu.getCurrentIndex (), -1);
}

struct MenuFixture
{
	RecordingListener listener;
	SharedPointer<CFrame> frame;
	COptionMenu* menu;
	MenuFixture (int entries, CCoord frameHeight)
	{
		frame = owned (makeFrame (300, frameHeight));
		menu = new COptionMenu (CRect (10, 10, 110, 30), &listener, 9);
		for (int i = 0; i < entries; ++i)
			menu->addEntry (i == 2 ? "-" : ("Preset " + std::to_string (i)).c_str ());
		frame->addView (menu);
	}
	IOptionMenuPopup* open ()
	{
		CPoint p (20, 20);
		frame->onMouseDown (p, kLButton);
		frame->onMouseUp (p, kLButton);
		return dynamic_cast<IOptionMenuPopup*> (menu->getPopupView ());
	}
	void click (const CPoint& where)
	{
		CPoint p = where;
		frame->onMouseDown (p, kLButton);
		frame->onMouseUp (p, kLButton);
	}
};

TEST (OptionMenu, PopupChoosesAnEntryInsideTheFrame)
{
	MenuFixture f (5, 300);
	auto* popup = f.open ();
	ASSERT_NE (popup, nullptr);
	EXPECT_TRUE (f.frame->isChild (f.menu->getPopupView ()));
	EXPECT_FALSE (popup->isScrollable ());
	EXPECT_GE (popup->getListRect ().top, 30) << "opens below the menu";
	f.click (popup->getRowRect (2).getCenter ()); // the separator: not choosable
	EXPECT_TRUE (f.menu->isPopupOpen ());
	f.click (popup->getRowRect (3).getCenter ());
	EXPECT_FALSE (f.menu->isPopupOpen ());
	EXPECT_EQ (f.menu->getCurrentIndex (true), 3);
	EXPECT_EQ (f.menu->getCurrentIndex (), 2);
	EXPECT_EQ (f.listener.str (), "begin v=3e end");
	// A click outside the list closes it and chooses nothing.
	popup = f.open ();
	ASSERT_NE (popup, nullptr);
	f.click (CPoint (290, 290));
	EXPECT_FALSE (f.menu->isPopupOpen ());
	EXPECT_EQ (f.listener.str (), "begin v=3e end");
	// Escape closes it as well; return chooses the highlighted entry.
	f.open ();
	VstKeyCode key;
	key.virt = VKEY_ESCAPE;
	f.frame->onKeyDown (key);
	EXPECT_FALSE (f.menu->isPopupOpen ());
	f.open ();
	key.virt = VKEY_DOWN;
	f.frame->onKeyDown (key);
	key.virt = VKEY_RETURN;
	f.frame->onKeyDown (key);
	EXPECT_EQ (f.menu->getCurrentIndex (true), 4);
}

TEST (OptionMenu, LongListsScrollInsideTheFrame)
{
	MenuFixture f (70, 400);
	f.menu->setCurrent (60);
	auto* popup = f.open ();
	ASSERT_NE (popup, nullptr);
	EXPECT_TRUE (popup->isScrollable ());
	const CRect list = popup->getListRect ();
	EXPECT_GE (list.top, 0);
	EXPECT_LE (list.bottom, 400) << "the list stays inside the frame";
	EXPECT_LT (popup->getVisibleRows (), 70);
	EXPECT_LE (popup->getFirstVisible (), 60);
	EXPECT_GT (popup->getFirstVisible () + popup->getVisibleRows (), 60) << "the current entry is in view";
	// The wheel scrolls; the row under the pointer then stands for a later entry.
	const int32_t first = popup->getFirstVisible ();
	f.frame->onWheel (list.getCenter (), 1.f, 0);
	EXPECT_EQ (popup->getFirstVisible (), std::max (0, first - 3));
	f.frame->onWheel (list.getCenter (), -1.f, 0);
	f.frame->onWheel (list.getCenter (), -1.f, 0);
	const int32_t scrolled = popup->getFirstVisible ();
	EXPECT_EQ (scrolled, std::min (70 - popup->getVisibleRows (), first + 3));
	f.click (popup->getRowRect (1).getCenter ());
	EXPECT_EQ (f.menu->getCurrentIndex (true), scrolled + 1);
	// Scrolling stops at the end.
	popup = f.open ();
	for (int i = 0; i < 40; ++i)
		f.frame->onWheel (list.getCenter (), -1.f, 0);
	EXPECT_EQ (popup->getFirstVisible () + popup->getVisibleRows (), 70);
	f.click (popup->getRowRect (popup->getVisibleRows () - 1).getCenter ());
	EXPECT_EQ (f.menu->getCurrentIndex (true), 69);
}

TEST (OptionMenu, PopupDrawsItsEntries)
{
	MenuFixture f (4, 200);
	f.menu->setCurrent (1);
	auto* popup = f.open ();
	ASSERT_NE (popup, nullptr);
	RecordingDrawContext context (CRect (0, 0, 300, 200));
	f.frame->drawFrame (&context);
	std::vector<std::string> texts;
	for (const auto& c : context.callsOf (RecordingDrawContext::Op::String))
		texts.push_back (c.text);
	// The menu's own box shows "Preset 1", then the list follows; the separator is a line.
	EXPECT_EQ (texts, (std::vector<std::string> {"Preset 1", "Preset 0", "Preset 1", "Preset 3"}));
}

//------------------------------------------------------------------------
enum class K { Text, Back, Delete, Home, End, Left, Right, Return, Escape, ClickOutside };
struct KeyStep
{
	K key;
	const char* text;
};

struct EditCase
{
	const char* name;
	const char* initial;
	std::vector<KeyStep> steps;
	const char* expectedText;
	const char* expectedCalls;
	bool returnPressed;
};

TEST (TextEdit, KeySequences)
{
	const EditCase cases[] = {
	    {"typing appends", "", {{K::Text, "abc"}, {K::Return, ""}}, "abc", "begin v=0e end", true},
	    {"backspace", "abc", {{K::End, ""}, {K::Back, ""}, {K::Return, ""}}, "ab", "begin v=0e end", true},
	    {"the focus selects the whole text: typing replaces it", "old", {{K::Text, "new"}, {K::Return, ""}}, "new",
	     "begin v=0e end", true},
	    {"backspace removes the selection", "abc", {{K::Back, ""}, {K::Return, ""}}, "", "begin v=0e end", true},
	    {"delete removes the selection", "abc", {{K::Delete, ""}, {K::Return, ""}}, "", "begin v=0e end", true},
	    {"right goes to the selection's end", "ab", {{K::Right, ""}, {K::Text, "!"}, {K::Return, ""}}, "ab!",
	     "begin v=0e end", true},
	    {"left goes to the selection's start", "ab", {{K::Left, ""}, {K::Text, "!"}, {K::Return, ""}}, "!ab",
	     "begin v=0e end", true},
	    {"home then insert", "abc", {{K::Home, ""}, {K::Text, "x"}, {K::Return, ""}}, "xabc", "begin v=0e end", true},
	    {"home then delete", "abc", {{K::Home, ""}, {K::Delete, ""}, {K::Return, ""}}, "bc", "begin v=0e end", true},
	    {"end after home", "ab", {{K::Home, ""}, {K::End, ""}, {K::Text, "!"}, {K::Return, ""}}, "ab!", "begin v=0e end",
	     true},
	    {"left then backspace", "abc", {{K::End, ""}, {K::Left, ""}, {K::Back, ""}, {K::Return, ""}}, "ac", "begin v=0e end", true},
	    {"multi-byte characters are deleted whole", "",
	     {{K::Text, "\xc3\xa4\xe2\x82\xac"}, {K::Back, ""}, {K::Return, ""}}, "\xc3\xa4", "begin v=0e end", true},
	    {"delete before a multi-byte character", "\xe2\x82\xac" "x", {{K::Home, ""}, {K::Delete, ""}, {K::Return, ""}},
	     "x", "begin v=0e end", true},
	    {"invalid UTF-8 becomes U+FFFD", "", {{K::Text, "a\xff"}, {K::Return, ""}}, "a\xef\xbf\xbd", "begin v=0e end",
	     true},
	    {"control characters are dropped", "", {{K::Text, "a\tb\n"}, {K::Return, ""}}, "ab", "begin v=0e end", true},
	    {"escape restores and reports nothing", "old", {{K::Text, "new"}, {K::Escape, ""}}, "old", "", false},
	    {"a click elsewhere ends the edit", "x", {{K::End, ""}, {K::Text, "y"}, {K::ClickOutside, ""}}, "xy", "begin v=0e end", false},
	    {"backspace at the start does nothing", "ab", {{K::Home, ""}, {K::Back, ""}, {K::Return, ""}}, "ab",
	     "begin v=0e end", true},
	};
	for (const auto& k : cases)
	{
		RecordingListener listener;
		auto frame = owned (makeFrame (300, 100));
		auto* edit = new CTextEdit (CRect (10, 10, 210, 40), &listener, -1, k.initial);
		frame->addView (edit);
		edit->takeFocus ();
		ASSERT_EQ (frame->getFocusView (), edit) << k.name;
		ASSERT_TRUE (edit->isEditingText ()) << k.name;
		for (const auto& s : k.steps)
		{
			VstKeyCode key;
			switch (s.key)
			{
				case K::Text: frame->onTextInput (s.text); continue;
				case K::ClickOutside:
				{
					CPoint p (250, 80);
					frame->onMouseDown (p, kLButton);
					continue;
				}
				case K::Back: key.virt = VKEY_BACK; break;
				case K::Delete: key.virt = VKEY_DELETE; break;
				case K::Home: key.virt = VKEY_HOME; break;
				case K::End: key.virt = VKEY_END; break;
				case K::Left: key.virt = VKEY_LEFT; break;
				case K::Right: key.virt = VKEY_RIGHT; break;
				case K::Return: key.virt = VKEY_RETURN; break;
				case K::Escape: key.virt = VKEY_ESCAPE; break;
			}
			EXPECT_EQ (frame->onKeyDown (key), 1) << k.name;
		}
		EXPECT_EQ (edit->getText (), k.expectedText) << k.name;
		EXPECT_EQ (listener.str (), k.expectedCalls) << k.name;
		EXPECT_EQ (edit->bWasReturnPressed, k.returnPressed) << k.name;
		EXPECT_FALSE (edit->isEditingText ()) << k.name;
		EXPECT_EQ (frame->getFocusView (), nullptr) << k.name;
	}
}

TEST (TextEdit, TypedCharactersThroughKeyCodesAndAClickToEdit)
{
	RecordingListener listener;
	auto frame = owned (makeFrame (300, 100));
	auto* edit = new CTextEdit (CRect (10, 10, 210, 40), &listener, -1, "");
	frame->addView (edit);
	CPoint p (20, 20);
	frame->onMouseDown (p, kLButton);
	EXPECT_TRUE (edit->isEditingText ());
	for (int32_t c : {int32_t ('H'), int32_t (0xE9), int32_t (0x1F3B5)})
	{
		VstKeyCode key;
		key.character = c;
		frame->onKeyDown (key);
	}
	EXPECT_EQ (edit->getEditText (), "H\xc3\xa9\xf0\x9f\x8e\xb5");
	EXPECT_EQ (edit->getText (), "") << "the text changes when the edit ends";
	VstKeyCode ret;
	ret.virt = VKEY_ENTER;
	frame->onKeyDown (ret);
	EXPECT_EQ (edit->getText (), "H\xc3\xa9\xf0\x9f\x8e\xb5");
	EXPECT_TRUE (edit->bWasReturnPressed);
	// Keys without a focus view are not handled.
	VstKeyCode key;
	key.character = 'z';
	EXPECT_EQ (frame->onKeyDown (key), -1);
}

} // namespace

namespace {
TEST (TextParameters, CStringsAndStdStringsAlike)
{
	const std::string title = "SYNC ON";
	CTextButton button (CRect (0, 0, 10, 10), nullptr, -1, title);
	EXPECT_EQ (button.getTitle (), "SYNC ON");
	button.setTitle (std::string ("SYNC OFF"));
	EXPECT_EQ (button.getTitle (), "SYNC OFF");
	button.setTitle (nullptr);
	EXPECT_EQ (button.getTitle (), "");
	COptionMenu menu (CRect (0, 0, 10, 10), nullptr, -1);
	menu.addEntry (std::string ("Init"));
	menu.addEntry ("Deep");
	EXPECT_EQ (menu.getEntry (0)->getTitle (), "Init");
	CTextEdit edit (CRect (0, 0, 10, 10), nullptr, -1, std::string ("GRUNDMOOR-x"));
	EXPECT_EQ (edit.getText (), "GRUNDMOOR-x");
	RecordingDrawContext context (CRect (0, 0, 10, 10));
	context.drawString (title, CRect (0, 0, 10, 10));
	context.drawString ("", CRect (0, 0, 10, 10));
	EXPECT_EQ (context.getCalls ().size (), 1u) << "empty text draws nothing";
	EXPECT_GT (context.getStringWidth (title), 0.);
}
} // namespace
