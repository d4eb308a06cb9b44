// The metal knob, the output gain fader and the envelope value display: geometry, mouse handling
// with the fader's notification throttle, and the texts they show.
#include "ControlTestSupport.h"
#include "views/EnvelopeValueDisplay.h"
#include "views/MetalKnob.h"
#include "views/OutputGainFader.h"

#include <chrono>
#include <cmath>
#include <limits>

namespace TarnwellPlugin {
namespace {

using namespace VSTGUI;
using namespace ControlTests;
using namespace std::chrono_literals;
using Op = RecordingDrawContext::Op;

constexpr float kInfinity = std::numeric_limits<float>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// ---------------------------------------------------------------------------------------------
// Knob

struct KnobPicture {
    std::vector<RecordingDrawContext::Call> arcs, ellipses, lines;
};

KnobPicture drawKnob(MetalKnob* knob) {
    auto context = recordDraw(knob);
    return {context->callsOf(Op::Arc), context->callsOf(Op::Ellipse), context->callsOf(Op::Line)};
}

TEST(MetalKnobDrawing, SquareArcsBodyAndFaceFollowTheSmallerSide) {
    struct Case {
        const char* name;
        CRect view;
        CRect square; // the knob square K: side min(w, h), centred, inset by 2
    };
    const Case cases[] = {
        {"40 x 60: centred vertically", CRect(10, 20, 50, 80), CRect(12, 32, 48, 68)},
        {"60 x 40: centred horizontally", CRect(10, 20, 70, 60), CRect(22, 22, 58, 58)},
        {"100 x 100", CRect(0, 0, 100, 100), CRect(2, 2, 98, 98)},
    };
    for (const Case& c : cases) {
        auto knob = owned(new MetalKnob(nullptr));
        knob->setViewSize(c.view);
        knob->setCoronaColor(CColor(1, 2, 3, 4));
        knob->setValue(0.5f);
        const KnobPicture p = drawKnob(knob.get());
        const double s = std::min(c.view.getWidth(), c.view.getHeight());
        ASSERT_EQ(p.arcs.size(), 5u) << c.name;
        ASSERT_EQ(p.ellipses.size(), 3u) << c.name;
        ASSERT_EQ(p.lines.size(), 1u) << c.name;

        const double arcWidth = std::max(0.072 * s, 2.5);
        EXPECT_TRUE(rectNear(p.arcs[0].rect, c.square)) << c.name;
        EXPECT_DOUBLE_EQ(p.arcs[0].startAngle, 135) << c.name;
        EXPECT_DOUBLE_EQ(p.arcs[0].endAngle, 405) << c.name;
        EXPECT_NEAR(p.arcs[0].state.lineWidth, arcWidth, 1e-9) << c.name;
        EXPECT_TRUE(sameColour(p.arcs[0].state.frameColor, CColor(59, 76, 84, 255))) << c.name;
        EXPECT_TRUE(rectNear(p.arcs[1].rect, c.square)) << c.name;
        EXPECT_NEAR(p.arcs[1].state.lineWidth, arcWidth, 1e-9) << c.name;
        EXPECT_TRUE(sameColour(p.arcs[1].state.frameColor, CColor(1, 2, 3, 4))) << c.name;

        CRect body = c.square;
        body.inset(s / 8, s / 8);
        CRect shadow = body;
        shadow.offset(0, 2);
        CRect face = body;
        face.inset(0.055 * s, 0.055 * s);
        EXPECT_TRUE(rectNear(p.ellipses[0].rect, shadow)) << c.name;
        EXPECT_TRUE(sameColour(p.ellipses[0].state.fillColor, CColor(2, 5, 7, 230))) << c.name;
        EXPECT_TRUE(rectNear(p.ellipses[1].rect, body)) << c.name;
        EXPECT_TRUE(sameColour(p.ellipses[1].state.fillColor, CColor(76, 84, 87, 255))) << c.name;
        EXPECT_TRUE(rectNear(p.ellipses[2].rect, face)) << c.name;
        EXPECT_TRUE(sameColour(p.ellipses[2].state.fillColor, CColor(29, 36, 40, 255))) << c.name;
        for (const auto& e : p.ellipses) EXPECT_EQ(e.style, kDrawFilled) << c.name;

        struct Rim {
            CRect rect;
            double from, to;
            CColor colour;
        };
        const Rim rims[] = {{body, 195, 342, CColor(176, 181, 178, 220)},
                            {body, 18, 192, CColor(8, 12, 14, 255)},
                            {face, 205, 350, CColor(86, 96, 99, 210)}};
        for (int i = 0; i < 3; ++i) {
            const auto& arc = p.arcs[2 + i];
            EXPECT_TRUE(rectNear(arc.rect, rims[i].rect)) << c.name << " rim " << i;
            EXPECT_DOUBLE_EQ(arc.startAngle, rims[i].from) << c.name << " rim " << i;
            EXPECT_DOUBLE_EQ(arc.endAngle, rims[i].to) << c.name << " rim " << i;
            EXPECT_NEAR(arc.state.lineWidth, std::max(0.025 * s, 1.2), 1e-9) << c.name << " rim " << i;
            EXPECT_TRUE(sameColour(arc.state.frameColor, rims[i].colour)) << c.name << " rim " << i;
        }
        for (const auto& arc : p.arcs) EXPECT_EQ(arc.style, kDrawStroked) << c.name;

        EXPECT_TRUE(pointNear(p.lines[0].p1, face.getCenter())) << c.name;
        EXPECT_NEAR(p.lines[0].state.lineWidth, std::max(0.035 * s, 2.0), 1e-9) << c.name;
        EXPECT_TRUE(sameColour(p.lines[0].state.frameColor, CColor(230, 231, 224, 255))) << c.name;
        EXPECT_FALSE(knob->isDirty()) << c.name;
    }
}

TEST(MetalKnobDrawing, ValueArcAndPointerTurnWithTheValue) {
    const double h = std::sqrt(0.5);
    struct Case {
        const char* name;
        float min, value;
        double arcEnd;
        double dx, dy; // pointer direction, y down
    };
    const Case cases[] = {
        {"0: no value arc, pointer down-left", 0, 0.f, 135, -h, h},
        {"1/3: up-left", 0, 1.f / 3.f, 225, -h, -h},
        {"0.5: straight up", 0, 0.5f, 270, 0, -1},
        {"1: down-right", 0, 1.f, 405, h, h},
        {"infinite range (value not a number) counts as 0", -kInfinity, 0.5f, 135, -h, h},
    };
    for (const Case& c : cases) {
        auto knob = owned(new MetalKnob(nullptr));
        knob->setViewSize(CRect(10, 20, 50, 80));
        knob->setMin(c.min);
        knob->setValue(c.value);
        const KnobPicture p = drawKnob(knob.get());
        ASSERT_EQ(p.arcs.size(), 5u) << c.name;
        ASSERT_EQ(p.lines.size(), 1u) << c.name;
        EXPECT_DOUBLE_EQ(p.arcs[1].startAngle, 135) << c.name;
        EXPECT_NEAR(p.arcs[1].endAngle, c.arcEnd, 1e-4) << c.name;
        // Face of the 36 x 36 square (12, 32, 48, 68): body inset 5, face inset 2.2 more, 21.6 wide.
        const double length = 0.38 * 21.6;
        const CPoint centre(30, 50);
        EXPECT_TRUE(pointNear(p.lines[0].p1, centre)) << c.name;
        EXPECT_TRUE(pointNear(p.lines[0].p2, CPoint(centre.x + length * c.dx, centre.y + length * c.dy), 1e-4))
            << c.name;
    }
}

TEST(MetalKnobDrawing, NonFiniteViewEdgeIsDrawnAsZero) {
    auto knob = owned(new MetalKnob(nullptr));
    knob->setViewSize(CRect(kNaN, 20, 50, 80)); // taken as (0, 20, 50, 80): 50 x 60
    const KnobPicture p = drawKnob(knob.get());
    ASSERT_EQ(p.arcs.size(), 5u);
    EXPECT_EQ(p.ellipses.size(), 3u);
    EXPECT_EQ(p.lines.size(), 1u);
    EXPECT_TRUE(rectNear(p.arcs[0].rect, CRect(2, 27, 48, 73)));
}

TEST(MetalKnobBehaviour, KeepsTheLibraryKnobsConstructionMouseAndCopy) {
    LoggingListener listener;
    auto knob = owned(new MetalKnob(&listener));
    EXPECT_EQ(knob->getTag(), -1);
    EXPECT_EQ(knob->getDrawStyle(), 0);
    EXPECT_EQ(knob->getListener(), &listener);
    knob->setViewSize(CRect(0, 0, 40, 40));
    // Circular mode: a press straight above the centre is the middle of the 270 degree range.
    CPoint top(20, 2);
    EXPECT_EQ(knob->onMouseDown(top, CButtonState(kLButton)), kMouseEventHandled);
    knob->onMouseUp(top, CButtonState(kLButton));
    EXPECT_EQ(listener.kinds(), "begin value end");
    EXPECT_NEAR(knob->getValueNormalized(), 0.5f, 1e-6);

    auto copy = owned(knob->newCopy());
    EXPECT_NE(dynamic_cast<CKnob*>(copy.get()), nullptr);
    EXPECT_EQ(dynamic_cast<MetalKnob*>(copy.get()), nullptr);
}

// ---------------------------------------------------------------------------------------------
// Fader. In the view (0, 0, 80, 300): track x = 30.4, travel from yT = 55 down to yB = 278.

constexpr double kTrackX = 30.4, kTravelTop = 55, kTravelBottom = 278;

double faderValueAt(double y) { return std::clamp((kTravelBottom - y) / (kTravelBottom - kTravelTop), 0.0, 1.0); }

struct FaderRig {
    explicit FaderRig(CBitmap* handle = nullptr, const CRect& view = CRect(0, 0, 80, 300))
    : parent(owned(new InvalidationCounter)), fader(new OutputGainFader(&listener, handle)) {
        fader->setViewSize(view);
        parent->addView(fader);
        fader->setClock([this] { return now; });
        listener.watched = parent.get();
    }
    CMouseEventResult down(CCoord y, int32_t buttons = kLButton) {
        CPoint p(20, y);
        return fader->onMouseDown(p, CButtonState(buttons));
    }
    CMouseEventResult move(CCoord y) {
        CPoint p(20, y);
        return fader->onMouseMoved(p, CButtonState(kLButton));
    }
    CMouseEventResult up(CCoord y) {
        CPoint p(20, y);
        return fader->onMouseUp(p, CButtonState(kLButton));
    }

    LoggingListener listener;
    SharedPointer<InvalidationCounter> parent;
    OutputGainFader* fader; // owned by parent
    std::chrono::steady_clock::time_point now{std::chrono::seconds(100)};
};

TEST(OutputGainFaderMouse, PressSetsTheValueFromTheTravelAndTellsTheListenerAtOnce) {
    const double ys[] = {-40, 0, 54, 55, 100, 166.5, 250, 278, 279, 1000};
    for (double y : ys) {
        FaderRig rig;
        EXPECT_EQ(rig.down(y), kMouseEventHandled) << y;
        ASSERT_EQ(rig.listener.kinds(), "begin value") << y;
        EXPECT_NEAR(rig.listener.events[1].value, faderValueAt(y), 1e-6) << y;
        EXPECT_TRUE(rig.listener.events[1].editing) << y;
        EXPECT_GE(rig.listener.events[1].invalidations, 1) << y; // redrawn before the listener hears
        EXPECT_EQ(rig.fader->lastNotifyTime, rig.now) << y;
    }
}

TEST(OutputGainFaderMouse, OnlyALeftPressOrADoubleClickIsHandled) {
    struct Case {
        const char* name;
        int32_t buttons;
        bool handled;
    };
    const Case cases[] = {
        {"left", kLButton, true},
        {"left with right", kLButton | kRButton, true},
        {"left double-click", kLButton | kDoubleClick, true},
        {"double-click without button bits", kDoubleClick, true},
        {"left with modifiers", kLButton | kShift | kAlt, true},
        {"right alone", kRButton, false},
        {"middle alone", kMButton, false},
        {"no button", 0, false},
    };
    for (const Case& c : cases) {
        FaderRig rig;
        rig.fader->setValue(0.25f);
        EXPECT_EQ(rig.down(kTravelTop, c.buttons), c.handled ? kMouseEventHandled : kMouseEventNotHandled) << c.name;
        EXPECT_EQ(rig.listener.kinds(), c.handled ? "begin value" : "") << c.name;
        EXPECT_FLOAT_EQ(rig.fader->getValueNormalized(), c.handled ? 1.f : 0.25f) << c.name;
    }
}

// While dragging, the listener hears at most once per 8 ms; the value and the picture follow every
// move; the release always reports the final value.
TEST(OutputGainFaderMouse, DragNotificationsAreThrottledToOnePerEightMilliseconds) {
    FaderRig rig;
    const auto start = rig.now;
    struct Step {
        std::chrono::microseconds at;
        double y;
        bool release;
        bool notified;
        bool redrawn;
    };
    // y positions for the values 0.6, 0.7, 0.8, 0.9 (223 points of travel).
    const double y6 = kTravelBottom - 0.6 * 223, y7 = kTravelBottom - 0.7 * 223;
    const double y8 = kTravelBottom - 0.8 * 223, y9 = kTravelBottom - 0.9 * 223;
    const Step steps[] = {
        {3000us, y6, false, false, true},   // 3 ms after the press
        {7999us, y7, false, false, true},   // still under 8 ms
        {8000us, y8, false, true, true},    // 8 ms: told
        {9000us, y9, false, false, true},   // 1 ms after that
        {12000us, y9, false, false, false}, // no change: nothing at all
        {12500us, y9 + 0.000001, false, false, false}, // below the smallest step that counts
        {13000us, y9, true, true, true},    // release: always told
    };
    ASSERT_EQ(rig.down(166.5), kMouseEventHandled);
    size_t heard = rig.listener.values().size();
    for (const Step& s : steps) {
        rig.now = start + s.at;
        const int redrawsBefore = rig.parent->count;
        EXPECT_EQ(s.release ? rig.up(s.y) : rig.move(s.y), kMouseEventHandled) << s.at.count();
        EXPECT_NEAR(rig.fader->getValueNormalized(), faderValueAt(s.y), 1e-5) << s.at.count();
        EXPECT_EQ(rig.parent->count > redrawsBefore, s.redrawn) << s.at.count();
        const auto values = rig.listener.values();
        EXPECT_EQ(values.size(), heard + (s.notified ? 1 : 0)) << s.at.count();
        if (s.notified) {
            EXPECT_NEAR(values.back().value, faderValueAt(s.y), 1e-5) << s.at.count();
            EXPECT_TRUE(values.back().editing) << s.at.count();
            EXPECT_EQ(rig.fader->lastNotifyTime, start + s.at) << s.at.count();
        }
        heard = values.size();
    }
    EXPECT_EQ(rig.listener.kinds(), "begin value value value end");
    EXPECT_FALSE(rig.fader->isEditing());
}

TEST(OutputGainFaderMouse, EveryBeginEditGetsExactlyOneEndEdit) {
    enum class Ev { Down, Move, Up, Cancel };
    struct Case {
        const char* name;
        std::vector<Ev> events;
        const char* kinds;
    };
    const Case cases[] = {
        {"press and release", {Ev::Down, Ev::Up}, "begin value value end"},
        {"second press without a release", {Ev::Down, Ev::Down, Ev::Up}, "begin value end begin value value end"},
        {"cancel, then a stray release", {Ev::Down, Ev::Cancel, Ev::Up}, "begin value end"},
        {"release without a press", {Ev::Up}, ""},
        {"move without a press", {Ev::Move}, ""},
        {"cancel without a press", {Ev::Cancel}, ""},
    };
    for (const Case& c : cases) {
        FaderRig rig;
        double y = 100;
        for (Ev e : c.events) {
            y += 30;
            rig.now += 20ms;
            switch (e) {
            case Ev::Down: rig.down(y); break;
            case Ev::Move: EXPECT_EQ(rig.move(y), kMouseEventHandled) << c.name; break;
            case Ev::Up: EXPECT_EQ(rig.up(y), kMouseEventHandled) << c.name; break;
            case Ev::Cancel: EXPECT_EQ(rig.fader->onMouseCancel(), kMouseEventHandled) << c.name; break;
            }
        }
        EXPECT_EQ(rig.listener.kinds(), c.kinds) << c.name;
        EXPECT_FALSE(rig.fader->isEditing()) << c.name;
    }
}

// A view too short for a travel (yB at or above yT) edits nothing.
TEST(OutputGainFaderMouse, WithoutATravelNothingIsEdited) {
    const CRect views[] = {CRect(0, 0, 80, 77), CRect(0, 0, 80, 40), CRect(0, 0, 80, kNaN)};
    for (const CRect& view : views) {
        FaderRig rig(nullptr, view);
        rig.fader->setValue(0.3f);
        EXPECT_EQ(rig.down(20), kMouseEventNotHandled) << view.bottom;
        rig.move(10);
        rig.up(10);
        rig.fader->updateValueFromPoint(CPoint(20, 10), true);
        EXPECT_EQ(rig.listener.kinds(), "") << view.bottom;
        EXPECT_FLOAT_EQ(rig.fader->getValueNormalized(), 0.3f) << view.bottom;
        EXPECT_FLOAT_EQ(rig.fader->valueForY(10), 0.3f) << view.bottom;
    }

    // The view shrinks while a drag is open: the rest of the drag only closes the edit.
    FaderRig rig;
    rig.down(166.5);
    rig.fader->setViewSize(CRect(0, 0, 80, 60));
    rig.now += 50ms;
    rig.move(60);
    rig.up(60);
    EXPECT_EQ(rig.listener.kinds(), "begin value end");
    EXPECT_FLOAT_EQ(rig.fader->getValueNormalized(), 0.5f);
}

TEST(OutputGainFaderMouse, NonFiniteMousePositionKeepsTheValue) {
    FaderRig rig;
    rig.fader->setValue(0.4f);
    rig.down(kNaN);
    rig.now += 20ms;
    rig.move(kNaN);
    rig.up(kNaN);
    EXPECT_EQ(rig.listener.kinds(), "begin value value end");
    for (const auto& v : rig.listener.values()) EXPECT_FLOAT_EQ(v.value, 0.4f);
}

TEST(OutputGainFaderMouse, ForcedUpdateTellsTheListenerEvenWithoutAChange) {
    FaderRig rig;
    rig.fader->setValue(1.f);
    rig.fader->lastNotifyTime = rig.now;
    rig.fader->updateValueFromPoint(CPoint(20, kTravelTop), true);
    EXPECT_EQ(rig.listener.kinds(), "value");
}

TEST(OutputGainFaderBitmap, CopiesShareTheHandleWithOneReferenceEach) {
    auto handle = owned(new CBitmap(20, 10));
    {
        auto fader = owned(new OutputGainFader(nullptr, handle.get()));
        EXPECT_EQ(handle->getNbReference(), 2);
        auto copy = owned(fader->newCopy());
        EXPECT_NE(dynamic_cast<OutputGainFader*>(copy.get()), nullptr);
        EXPECT_EQ(handle->getNbReference(), 3);
    }
    EXPECT_EQ(handle->getNbReference(), 1);
}

TEST(OutputGainFaderDrawing, ValueTextShowsTheGainInDecibels) {
    struct Case {
        const char* name;
        float min, value;
        const char* text;
    };
    const Case cases[] = {
        {"bottom", 0, 0.f, "-24.0 dB"},    {"quarter", 0, 0.25f, "-3.0 dB"},
        {"middle", 0, 0.5f, "+18.0 dB"},   {"top", 0, 1.f, "+60.0 dB"},
        {"0 dB", 0, 24.f / 84.f, "+0.0 dB"}, {"infinite range counts as 0", -kInfinity, 0.5f, "-24.0 dB"},
    };
    for (const Case& c : cases) {
        FaderRig rig;
        rig.fader->setMin(c.min);
        rig.fader->setValue(c.value);
        const auto texts = recordDraw(rig.fader)->callsOf(Op::String);
        ASSERT_GE(texts.size(), 2u) << c.name;
        EXPECT_EQ(texts[1].text, c.text) << c.name;
    }
}

TEST(OutputGainFaderDrawing, FrameTitleGrooveFillScaleAndHandle) {
    auto handle = owned(new CBitmap(20, 10));
    FaderRig rig(handle.get());
    rig.fader->setValue(0.5f);
    auto context = recordDraw(rig.fader);
    const double yv = kTravelBottom - 223 * 0.5;

    const auto fills = callsOf(*context, Op::Rect, kDrawFilled);
    const auto frames = callsOf(*context, Op::Rect, kDrawStroked);
    ASSERT_EQ(fills.size(), 1u);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(fills[0].rect, CRect(0, 0, 80, 300));
    EXPECT_TRUE(sameColour(fills[0].state.fillColor, CColor(11, 19, 23, 255)));
    EXPECT_EQ(frames[0].rect, CRect(1, 1, 79, 299));
    EXPECT_DOUBLE_EQ(frames[0].state.lineWidth, 2);
    EXPECT_TRUE(sameColour(frames[0].state.frameColor, CColor(51, 65, 71, 255)));

    const auto texts = context->callsOf(Op::String);
    ASSERT_EQ(texts.size(), 2u + 8u);
    EXPECT_EQ(texts[0].text, "GAIN FX");
    EXPECT_EQ(texts[0].rect, CRect(8, 7, 72, 28));
    EXPECT_EQ(texts[0].align, kCenterText);
    EXPECT_TRUE(*texts[0].state.font == CFontDesc("Arial", 13, kBoldFace));
    EXPECT_TRUE(sameColour(texts[0].state.fontColor, CColor(55, 205, 215, 255)));
    EXPECT_EQ(texts[1].text, "+18.0 dB");
    EXPECT_EQ(texts[1].rect, CRect(8, 28, 72, 45));
    EXPECT_EQ(texts[1].align, kCenterText);
    EXPECT_TRUE(*texts[1].state.font == CFontDesc("Arial", 9, kBoldFace));
    EXPECT_TRUE(sameColour(texts[1].state.fontColor, CColor(220, 226, 224, 255)));

    const auto lines = context->callsOf(Op::Line);
    ASSERT_EQ(lines.size(), 3u + 15u);
    struct Stroke {
        double fromY;
        double width;
        CColor colour;
    };
    const Stroke strokes[] = {{kTravelTop, 12, CColor(3, 7, 9, 255)},
                              {kTravelTop, 5, CColor(46, 55, 58, 255)},
                              {yv, 3, CColor(55, 205, 215, 255)}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(pointNear(lines[i].p1, CPoint(kTrackX, strokes[i].fromY))) << i;
        EXPECT_TRUE(pointNear(lines[i].p2, CPoint(kTrackX, kTravelBottom))) << i;
        EXPECT_DOUBLE_EQ(lines[i].state.lineWidth, strokes[i].width) << i;
        EXPECT_TRUE(sameColour(lines[i].state.frameColor, strokes[i].colour)) << i;
    }

    const char* labels[] = {"+60", "+48", "+36", "+24", "+12", "0", "-12", "-24"};
    for (int i = 0; i <= 14; ++i) {
        const auto& tick = lines[3 + i];
        const double y = kTravelTop + i * 223.0 / 14.0;
        const bool major = i % 2 == 0;
        EXPECT_TRUE(pointNear(tick.p1, CPoint(kTrackX + 13, y))) << "tick " << i;
        EXPECT_TRUE(pointNear(tick.p2, CPoint(kTrackX + (major ? 29 : 23), y))) << "tick " << i;
        EXPECT_DOUBLE_EQ(tick.state.lineWidth, major ? 1.5 : 1.0) << "tick " << i;
        EXPECT_TRUE(sameColour(tick.state.frameColor, i == 10 ? CColor(255, 126, 42, 255) : CColor(73, 89, 96, 255)))
            << "tick " << i;
        if (!major) continue;
        const auto& label = texts[2 + i / 2];
        const bool zero = i == 10;
        EXPECT_EQ(label.text, labels[i / 2]) << "tick " << i;
        EXPECT_TRUE(rectNear(label.rect, CRect(kTrackX + 35, y - 8, 72, y + 8))) << "tick " << i;
        EXPECT_EQ(label.align, kLeftText) << "tick " << i;
        EXPECT_TRUE(*label.state.font == CFontDesc("Arial", 9, zero ? kBoldFace : kNormalFace)) << "tick " << i;
        EXPECT_TRUE(sameColour(label.state.fontColor, zero ? CColor(255, 150, 73, 255) : CColor(151, 164, 168, 255)))
            << "tick " << i;
    }

    const auto bitmaps = context->callsOf(Op::Bitmap);
    ASSERT_EQ(bitmaps.size(), 1u);
    EXPECT_EQ(bitmaps[0].bitmap, handle.get());
    EXPECT_TRUE(rectNear(bitmaps[0].rect, CRect(kTrackX - 10, yv - 5, kTrackX + 10, yv + 5)));
    EXPECT_FLOAT_EQ(bitmaps[0].alpha, 1.f);
    EXPECT_FALSE(rig.fader->isDirty());
}

TEST(OutputGainFaderDrawing, WithoutAHandleBitmapNoHandleIsDrawn) {
    FaderRig rig;
    EXPECT_TRUE(recordDraw(rig.fader)->callsOf(Op::Bitmap).empty());
}

// ---------------------------------------------------------------------------------------------
// Value display

TEST(EnvelopeValueDisplayText, FormatByParameter) {
    struct Case {
        int32_t tag;
        float min, value;
        const char* text;
    };
    const Case cases[] = {
        {107, 0, 0.f, "0 ms"},     {107, 0, 0.5f, "125 ms"},  {107, 0, 1.f, "250 ms"},
        {108, 0, 0.25f, "250 ms"}, {108, 0, 1.f, "1000 ms"},
        {110, 0, 0.f, "2 ms"},     {110, 0, 0.5f, "502 ms"},  {110, 0, 1.f, "2000 ms"},
        {110, 0, 0.3f, "182 ms"},  // 2 + 1998 x 0.09 = 181.82
        {109, 0, 0.5f, "50 %"},    {109, 0, 1.f, "100 %"},    {160, 0, 0.25f, "25 %"},  {-1, 0, 0.5f, "50 %"},
        {107, -kInfinity, 1.f, "0 ms"}, {110, -kInfinity, 1.f, "2 ms"}, // value not a number: 0
    };
    for (const Case& c : cases) {
        auto display = owned(new EnvelopeValueDisplay);
        display->setViewSize(CRect(4, 6, 64, 26));
        display->setTag(c.tag);
        display->setMin(c.min);
        display->setValue(c.value);
        const auto texts = recordDraw(display.get())->callsOf(Op::String);
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_EQ(texts[0].text, c.text) << "tag " << c.tag << " value " << c.value;
    }
}

TEST(EnvelopeValueDisplayText, DrawsFrameAndCentredText) {
    auto display = owned(new EnvelopeValueDisplay);
    display->setViewSize(CRect(4, 6, 64, 26));
    display->setTag(108);
    auto context = recordDraw(display.get());
    const auto fills = callsOf(*context, Op::Rect, kDrawFilled);
    const auto frames = callsOf(*context, Op::Rect, kDrawStroked);
    const auto texts = context->callsOf(Op::String);
    ASSERT_EQ(fills.size(), 1u);
    ASSERT_EQ(frames.size(), 1u);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(fills[0].rect, CRect(4, 6, 64, 26));
    EXPECT_TRUE(sameColour(fills[0].state.fillColor, CColor(5, 13, 17, 255)));
    EXPECT_EQ(frames[0].rect, CRect(4.5, 6.5, 63.5, 25.5));
    EXPECT_DOUBLE_EQ(frames[0].state.lineWidth, 1);
    EXPECT_TRUE(sameColour(frames[0].state.frameColor, CColor(58, 68, 72, 255)));
    EXPECT_EQ(texts[0].rect, CRect(4.5, 6.5, 63.5, 25.5));
    EXPECT_EQ(texts[0].align, kCenterText);
    EXPECT_TRUE(*texts[0].state.font == CFontDesc("Arial", 12, kBoldFace));
    EXPECT_TRUE(sameColour(texts[0].state.fontColor, CColor(255, 151, 65, 255)));
    EXPECT_FALSE(display->isDirty());

    CPoint p(10, 10);
    EXPECT_NE(display->onMouseDown(p, CButtonState(kLButton)), kMouseEventHandled);
    EXPECT_EQ(display->getListener(), nullptr);
    EXPECT_EQ(display->getTag(), 108);
}

} // namespace
} // namespace TarnwellPlugin
