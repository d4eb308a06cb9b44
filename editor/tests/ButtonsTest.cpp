// The editor's text and image buttons: construction, press handling on top of the library's text
// button, and what each one draws in each state.
#include "ControlTestSupport.h"
#include "views/HeaderArrowButton.h"
#include "views/ImageTextButton.h"
#include "views/RecordingDisplayButton.h"
#include "views/SequencerStepButton.h"

#include <cairo.h>

#include <functional>
#include <limits>

namespace TarnwellPlugin {
namespace {

using namespace VSTGUI;
using namespace ControlTests;
using Op = RecordingDrawContext::Op;

constexpr float kInfinity = std::numeric_limits<float>::infinity();
const CRect kButtonRect(10, 10, 60, 30);

// A two-frame strip, 40 x 60: the off frame (top 30 rows) in one colour, the on frame in another.
SharedPointer<CBitmap> makeStrip(CColor off, CColor on) {
    auto bitmap = owned(new CBitmap(40, 60));
    cairo_t* cr = cairo_create(bitmap->getSurface());
    cairo_set_source_rgba(cr, off.red / 255., off.green / 255., off.blue / 255., 1.);
    cairo_rectangle(cr, 0, 0, 40, 30);
    cairo_fill(cr);
    cairo_set_source_rgba(cr, on.red / 255., on.green / 255., on.blue / 255., 1.);
    cairo_rectangle(cr, 0, 30, 40, 30);
    cairo_fill(cr);
    cairo_destroy(cr);
    cairo_surface_flush(bitmap->getSurface());
    cairo_surface_mark_dirty(bitmap->getSurface());
    return bitmap;
}

TEST(EditorButtons, ConstructorsGiveTagTitleStyleAndListener) {
    LoggingListener listener;
    struct Case {
        const char* name;
        std::function<CTextButton*()> make;
        const char* title;
        CTextButton::Style style;
    };
    const Case cases[] = {
        {"header kick", [&] { return new HeaderArrowButton(&listener, "<", 0); }, "<", CTextButton::kKickStyle},
        {"header on-off", [&] { return new HeaderArrowButton(&listener, "FREEZE", 1); }, "FREEZE",
         CTextButton::kOnOffStyle},
        {"header null title", [&] { return new HeaderArrowButton(&listener, nullptr, 0); }, "",
         CTextButton::kKickStyle},
        {"step", [&] { return new SequencerStepButton(&listener); }, "", CTextButton::kOnOffStyle},
        {"image", [&] { return new ImageTextButton(&listener, nullptr); }, "", CTextButton::kOnOffStyle},
        {"recording", [&] { return new RecordingDisplayButton(&listener); }, "", CTextButton::kOnOffStyle},
    };
    for (const Case& c : cases) {
        SharedPointer<CTextButton> button = owned(c.make());
        EXPECT_EQ(button->getTag(), -1) << c.name;
        EXPECT_EQ(button->getTitle(), c.title) << c.name;
        EXPECT_EQ(button->getStyle(), c.style) << c.name;
        EXPECT_EQ(button->getListener(), &listener) << c.name;
        EXPECT_TRUE(button->getViewSize().isEmpty()) << c.name;
        if (auto* header = dynamic_cast<HeaderArrowButton*>(button.get())) {
            EXPECT_EQ(header->label, c.title) << c.name;
            EXPECT_FALSE(header->accent || header->hasForcedState || header->forcedState) << c.name;
        }
    }
}

TEST(EditorButtons, ImageButtonHoldsOneReferenceToItsBitmapPerButton) {
    auto bitmap = owned(new CBitmap(40, 60));
    ASSERT_EQ(bitmap->getNbReference(), 1);
    {
        auto button = owned(new ImageTextButton(nullptr, bitmap.get()));
        EXPECT_EQ(bitmap->getNbReference(), 2);
        EXPECT_EQ(button->getFrameCount(), 2);
        auto copy = owned(static_cast<ImageTextButton*>(button->newCopy()));
        EXPECT_EQ(copy->getBitmap(), bitmap.get());
        EXPECT_EQ(bitmap->getNbReference(), 3);
    }
    EXPECT_EQ(bitmap->getNbReference(), 1);
}

// The library's press handling, unchanged by the subclasses: the listener hears of a press on the
// release (kick: pressed, then released, both while editing; on-off: the toggled value).
TEST(EditorButtons, PressesReachTheListenerAsTheTextButtonReportsThem) {
    enum class Ev { Down, Move, Up };
    struct Step {
        Ev ev;
        CCoord x, y;
        int32_t buttons;
    };
    struct Case {
        const char* name;
        std::function<CTextButton*(IControlListener*)> make;
        float initial;
        std::vector<Step> steps;
        const char* kinds;
        std::vector<float> values;
        float finalValue;
    };
    auto header = [](int32_t style) {
        return [style](IControlListener* l) -> CTextButton* { return new HeaderArrowButton(l, "X", style); };
    };
    auto step = [](IControlListener* l) -> CTextButton* { return new SequencerStepButton(l); };
    auto image = [](IControlListener* l) -> CTextButton* { return new ImageTextButton(l, nullptr); };
    auto recording = [](IControlListener* l) -> CTextButton* { return new RecordingDisplayButton(l); };
    const std::vector<Step> click = {{Ev::Down, 20, 20, kLButton}, {Ev::Up, 20, 20, kLButton}};
    const std::vector<Step> outside = {
        {Ev::Down, 20, 20, kLButton}, {Ev::Move, 90, 90, kLButton}, {Ev::Up, 90, 90, kLButton}};
    const Case cases[] = {
        {"header kick click", header(0), 0, click, "begin value value end", {1, 0}, 0},
        {"header kick released outside", header(0), 0, outside, "begin end", {}, 0},
        {"header kick held", header(0), 0, {{Ev::Down, 20, 20, kLButton}}, "begin", {}, 1},
        {"header kick double-click",
         header(0),
         0,
         {{Ev::Down, 20, 20, kLButton | kDoubleClick}, {Ev::Up, 20, 20, kLButton}},
         "begin value value end",
         {1, 0},
         0},
        {"header kick right button", header(0), 0, {{Ev::Down, 20, 20, kRButton}, {Ev::Up, 20, 20, kRButton}}, "",
         {}, 0},
        {"header on-off from off", header(1), 0, click, "begin value end", {1}, 1},
        {"header on-off from on", header(1), 1, click, "begin value end", {0}, 0},
        {"header on-off released outside", header(1), 0, outside, "begin end", {}, 0},
        {"step from off", step, 0, click, "begin value end", {1}, 1},
        {"image from off", image, 0, click, "begin value end", {1}, 1},
        {"image from on", image, 1, click, "begin value end", {0}, 0},
        {"image released outside", image, 1, outside, "begin end", {}, 1},
        {"recording from off", recording, 0, click, "begin value end", {1}, 1},
    };
    for (const Case& c : cases) {
        LoggingListener listener;
        SharedPointer<CTextButton> button = owned(c.make(&listener));
        button->setViewSize(kButtonRect);
        button->setValue(c.initial);
        for (const Step& s : c.steps) {
            CPoint p(s.x, s.y);
            if (s.ev == Ev::Down) button->onMouseDown(p, CButtonState(s.buttons));
            if (s.ev == Ev::Move) button->onMouseMoved(p, CButtonState(s.buttons));
            if (s.ev == Ev::Up) button->onMouseUp(p, CButtonState(s.buttons));
        }
        EXPECT_EQ(listener.kinds(), c.kinds) << c.name;
        const auto values = listener.values();
        ASSERT_EQ(values.size(), c.values.size()) << c.name;
        for (size_t i = 0; i < values.size(); ++i) {
            EXPECT_FLOAT_EQ(values[i].value, c.values[i]) << c.name << " #" << i;
            EXPECT_TRUE(values[i].editing) << c.name << " #" << i;
        }
        EXPECT_FLOAT_EQ(button->getValue(), c.finalValue) << c.name;
    }
}

// The image button asks for its redraw before its listener hears of the change (the listener may
// read the picture's state), and redraws after every move and release even when the base did not.
TEST(EditorButtons, ImageButtonRedrawsBeforeTellingTheListenerAndAfterEveryMoveAndRelease) {
    struct Case {
        const char* name;
        bool image;
        int invalidationsSeenByListener;
    };
    // The plain text button tells its listener first and redraws afterwards.
    const Case cases[] = {{"image button", true, 1}, {"header button", false, 0}};
    for (const Case& c : cases) {
        LoggingListener listener;
        auto parent = owned(new InvalidationCounter);
        CTextButton* button = c.image ? static_cast<CTextButton*>(new ImageTextButton(&listener, nullptr))
                                      : new HeaderArrowButton(&listener, "X", 1);
        button->setViewSize(kButtonRect);
        parent->addView(button);
        listener.watched = parent.get();

        CPoint p(20, 20);
        button->onMouseDown(p, CButtonState(kLButton));
        parent->count = 0;
        button->onMouseUp(p, CButtonState(kLButton));
        const auto values = listener.values();
        ASSERT_EQ(values.size(), 1u) << c.name;
        EXPECT_EQ(values[0].invalidations, c.invalidationsSeenByListener) << c.name;

        parent->count = 0;
        button->valueChanged();
        EXPECT_EQ(listener.events.back().invalidations, c.invalidationsSeenByListener) << c.name;
    }

    LoggingListener listener;
    auto parent = owned(new InvalidationCounter);
    auto* button = new ImageTextButton(&listener, nullptr);
    button->setViewSize(kButtonRect);
    parent->addView(button);
    CPoint inside(20, 20);
    // Not editing: the base does not handle the move or react to the release, the redraw still comes.
    parent->count = 0;
    EXPECT_EQ(button->onMouseMoved(inside, CButtonState(kLButton)), kMouseEventNotHandled);
    EXPECT_EQ(parent->count, 1);
    EXPECT_EQ(button->onMouseUp(inside, CButtonState(kLButton)), kMouseEventHandled);
    EXPECT_EQ(parent->count, 2);
    EXPECT_TRUE(listener.events.empty());
    // Editing: a move that changes nothing is handled and redrawn.
    button->onMouseDown(inside, CButtonState(kLButton));
    parent->count = 0;
    EXPECT_EQ(button->onMouseMoved(inside, CButtonState(kLButton)), kMouseEventHandled);
    EXPECT_EQ(parent->count, 1);
}

TEST(EditorButtons, HeaderButtonIsLitByValueAboveHalfOrByItsForcedState) {
    const CColor litFrame(239, 126, 43, 255), unlitFrame(61, 75, 82, 255);
    const CColor plainText(197, 207, 210, 255), accentText(238, 132, 50, 255);
    struct Case {
        float value;
        bool hasForced, forced, accent;
        bool lit;
    };
    const Case cases[] = {
        {0.f, false, false, false, false},  {0.5f, false, false, false, false}, {0.51f, false, false, false, true},
        {1.f, false, false, false, true},   {1.f, true, false, false, false},   {0.f, true, true, false, true},
        {0.f, false, true, false, false},   {1.f, false, false, true, true},    {0.f, false, false, true, false},
    };
    auto font = owned(new CFontDesc("Arial", 15, kBoldFace | kItalicFace));
    for (const Case& c : cases) {
        auto button = owned(new HeaderArrowButton(nullptr, "SYNC", 0));
        button->setViewSize(CRect(10, 20, 90, 44));
        button->setFont(font.get());
        button->setValue(c.value);
        button->hasForcedState = c.hasForced;
        button->forcedState = c.forced;
        button->accent = c.accent;
        button->setDirty(true);
        auto context = recordDraw(button.get());
        const auto fills = callsOf(*context, Op::Rect, kDrawFilled);
        const auto frames = callsOf(*context, Op::Rect, kDrawStroked);
        const auto texts = context->callsOf(Op::String);
        ASSERT_EQ(fills.size(), 1u);
        ASSERT_EQ(frames.size(), 1u);
        ASSERT_EQ(texts.size(), 1u);
        const std::string name = "value " + std::to_string(c.value) + (c.hasForced ? " forced " : " ") +
                                 (c.forced ? "on" : "off") + (c.accent ? " accent" : "");
        EXPECT_EQ(fills[0].rect, CRect(10, 20, 90, 44)) << name;
        EXPECT_TRUE(sameColour(fills[0].state.fillColor, CColor(8, 15, 19, 255))) << name;
        EXPECT_EQ(frames[0].rect, CRect(11, 21, 89, 43)) << name;
        EXPECT_DOUBLE_EQ(frames[0].state.lineWidth, 1.5) << name;
        EXPECT_TRUE(sameColour(frames[0].state.frameColor, c.lit ? litFrame : unlitFrame)) << name;
        EXPECT_EQ(texts[0].text, "SYNC") << name;
        EXPECT_EQ(texts[0].rect, CRect(11, 21, 89, 43)) << name;
        EXPECT_EQ(texts[0].align, kCenterText) << name;
        EXPECT_TRUE(sameColour(texts[0].state.fontColor, c.accent ? accentText : plainText)) << name;
        ASSERT_TRUE(texts[0].state.font) << name;
        EXPECT_TRUE(*texts[0].state.font == *font) << name;
        EXPECT_FALSE(button->isDirty()) << name;
    }
}

TEST(EditorButtons, HeaderButtonShowsItsLabelNotTheTextButtonTitle) {
    auto button = owned(new HeaderArrowButton(nullptr, "SYNC", 0));
    button->setViewSize(kButtonRect);
    button->setTitle("SOMETHING ELSE");
    EXPECT_EQ(recordDraw(button.get())->callsOf(Op::String).at(0).text, "SYNC");
    button->label = "SYNC ON";
    EXPECT_EQ(recordDraw(button.get())->callsOf(Op::String).at(0).text, "SYNC ON");
}

TEST(EditorButtons, StepButtonShowsOffHalfAndFullWithItsTitleAbove) {
    struct Look {
        CColor fill, frame, title;
        const char* word;
        CColor wordColour;
    };
    const Look off{{13, 21, 25, 255}, {65, 79, 87, 255}, {161, 172, 176, 255}, "OFF", {112, 124, 130, 255}};
    const Look half{{13, 43, 48, 255}, {55, 205, 215, 255}, {55, 205, 215, 255}, "HALF", {229, 235, 233, 255}};
    const Look full{{71, 35, 17, 255}, {255, 126, 42, 255}, {255, 126, 42, 255}, "FULL", {229, 235, 233, 255}};
    struct Case {
        float value;
        const Look& look;
    };
    const Case cases[] = {{0.f, off},   {0.24f, off},   {0.25f, half}, {0.5f, half},
                          {0.74f, half}, {0.75f, full}, {1.f, full}};
    // View (10, 20, 60, 70): the frame q = (11, 21, 59, 69), 48 high; the title takes 0.54 of it from
    // the top (to 21 + 25.92), the word starts 2 above that.
    const CRect titleArea(11, 21, 59, 46.92), wordArea(11, 44.92, 59, 69);
    for (const Case& c : cases) {
        auto button = owned(new SequencerStepButton(nullptr));
        button->setViewSize(CRect(10, 20, 60, 70));
        button->setTitle("7");
        button->setValue(c.value);
        auto context = recordDraw(button.get());
        const auto fills = callsOf(*context, Op::Rect, kDrawFilled);
        const auto frames = callsOf(*context, Op::Rect, kDrawStroked);
        const auto texts = context->callsOf(Op::String);
        const std::string name = "value " + std::to_string(c.value);
        ASSERT_EQ(fills.size(), 1u) << name;
        ASSERT_EQ(frames.size(), 1u) << name;
        ASSERT_EQ(texts.size(), 2u) << name;
        EXPECT_EQ(fills[0].rect, CRect(10, 20, 60, 70)) << name;
        EXPECT_TRUE(sameColour(fills[0].state.fillColor, c.look.fill)) << name;
        EXPECT_EQ(frames[0].rect, CRect(11, 21, 59, 69)) << name;
        EXPECT_DOUBLE_EQ(frames[0].state.lineWidth, 2) << name;
        EXPECT_TRUE(sameColour(frames[0].state.frameColor, c.look.frame)) << name;

        EXPECT_EQ(texts[0].text, "7") << name;
        EXPECT_TRUE(rectNear(texts[0].rect, titleArea)) << name;
        EXPECT_TRUE(sameColour(texts[0].state.fontColor, c.look.title)) << name;
        EXPECT_TRUE(*texts[0].state.font == CFontDesc("Arial", 13, kBoldFace)) << name;

        EXPECT_EQ(texts[1].text, c.look.word) << name;
        EXPECT_TRUE(rectNear(texts[1].rect, wordArea)) << name;
        EXPECT_TRUE(sameColour(texts[1].state.fontColor, c.look.wordColour)) << name;
        EXPECT_TRUE(*texts[1].state.font == CFontDesc("Arial", 16, kBoldFace)) << name;
        for (const auto& t : texts) EXPECT_EQ(t.align, kCenterText) << name;
    }
}

TEST(EditorButtons, ImageButtonPicksItsFrameOverlayBorderAndTextColourFromTheValue) {
    const CColor offBorder(83, 100, 116, 255), onBorder(155, 219, 226, 220);
    const CColor normalText(10, 20, 30, 255), highlightedText(200, 210, 220, 255);
    struct Case {
        const char* name;
        float min, max, value;
        bool withBitmap;
        bool on; // on frame, overlay and on border
        bool highlighted;
    };
    const Case cases[] = {
        {"0", 0, 1, 0, true, false, false},
        {"0.49", 0, 1, 0.49f, true, false, false},
        {"0.5 shows the on frame", 0, 1, 0.5f, true, true, true},
        {"1", 0, 1, 1, true, true, true},
        {"5 of 0..10", 0, 10, 5, true, true, true},
        {"4.9 of 0..10", 0, 10, 4.9f, true, false, false},
        {"min equal to max", 1, 1, 1, true, false, false},
        {"min above max", 1, 0, 1, true, false, false},
        {"infinite min (n not a number)", -kInfinity, 1, 1, true, false, false},
        {"no bitmap, off", 0, 1, 0, false, false, false},
        {"no bitmap, on", 0, 1, 1, false, true, true},
    };
    auto strip = owned(new CBitmap(40, 60));
    auto icon = owned(new CBitmap(8, 8));
    for (const Case& c : cases) {
        auto button = owned(new ImageTextButton(nullptr, c.withBitmap ? strip.get() : nullptr));
        const CRect r(5, 6, 45, 36);
        button->setViewSize(r);
        button->setTitle("SINE");
        button->setIcon(icon.get()); // the picture carries no icon
        button->setTextColor(normalText);
        button->setTextColorHighlighted(highlightedText);
        button->setMin(c.min);
        button->setMax(c.max);
        button->setValue(c.value);
        auto context = recordDraw(button.get());
        const auto bitmaps = context->callsOf(Op::Bitmap);
        const auto fills = callsOf(*context, Op::Rect, kDrawFilled);
        const auto frames = callsOf(*context, Op::Rect, kDrawStroked);
        const auto texts = context->callsOf(Op::String);

        std::vector<RecordingDrawContext::Call> overlays;
        if (c.withBitmap) {
            ASSERT_EQ(bitmaps.size(), 1u) << c.name;
            EXPECT_EQ(bitmaps[0].bitmap, strip.get()) << c.name;
            EXPECT_EQ(bitmaps[0].rect, r) << c.name;
            EXPECT_EQ(bitmaps[0].bitmapOffset, CPoint(0, c.on ? 30 : 0)) << c.name;
            EXPECT_FLOAT_EQ(bitmaps[0].alpha, 1.f) << c.name;
            overlays = fills;
        } else {
            EXPECT_TRUE(bitmaps.empty()) << c.name;
            ASSERT_GE(fills.size(), 1u) << c.name;
            EXPECT_EQ(fills[0].rect, r) << c.name;
            EXPECT_TRUE(sameColour(fills[0].state.fillColor, CColor(29, 39, 49, 255))) << c.name;
            overlays.assign(fills.begin() + 1, fills.end());
        }
        ASSERT_EQ(overlays.size(), c.on ? 1u : 0u) << c.name;
        if (c.on) {
            EXPECT_EQ(overlays[0].rect, CRect(8, 9, 42, 33)) << c.name;
            EXPECT_TRUE(sameColour(overlays[0].state.fillColor, CColor(0, 218, 235, 90))) << c.name;
        }
        ASSERT_EQ(frames.size(), 1u) << c.name;
        EXPECT_EQ(frames[0].rect, CRect(6, 7, 44, 35)) << c.name;
        EXPECT_DOUBLE_EQ(frames[0].state.lineWidth, 1) << c.name;
        EXPECT_TRUE(sameColour(frames[0].state.frameColor, c.on ? onBorder : offBorder)) << c.name;
        ASSERT_EQ(texts.size(), 1u) << c.name;
        EXPECT_EQ(texts[0].text, "SINE") << c.name;
        EXPECT_EQ(texts[0].rect, r) << c.name;
        EXPECT_TRUE(sameColour(texts[0].state.fontColor, c.highlighted ? highlightedText : normalText)) << c.name;
    }
}

TEST(EditorButtons, ImageButtonTitleFollowsTheButtonsFontAlignmentAndMargin) {
    struct Case {
        CHoriTxtAlign align;
        CCoord margin;
        CRect textRect; // in the view (5, 6, 45, 36)
    };
    const Case cases[] = {{kLeftText, 6, CRect(11, 6, 45, 36)},
                          {kRightText, 4, CRect(5, 6, 41, 36)},
                          {kCenterText, 4, CRect(5, 6, 45, 36)}};
    auto font = owned(new CFontDesc("Arial", 10, kBoldFace));
    for (const Case& c : cases) {
        auto button = owned(new ImageTextButton(nullptr, nullptr));
        button->setViewSize(CRect(5, 6, 45, 36));
        button->setTitle("TAIL");
        button->setFont(font.get());
        button->setTextAlignment(c.align);
        button->setTextMargin(c.margin);
        const auto texts = recordDraw(button.get())->callsOf(Op::String);
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_EQ(texts[0].align, c.align);
        EXPECT_EQ(texts[0].rect, c.textRect) << int(c.align);
        EXPECT_TRUE(*texts[0].state.font == *font);
    }
}

// A view rectangle with a non-finite edge (from a broken layout) draws with that edge at 0 instead
// of having its whole picture dropped by the draw context.
TEST(EditorButtons, NonFiniteViewEdgesAreDrawnAsZero) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* name;
        std::function<CTextButton*()> make;
        size_t rects, texts;
    };
    const Case cases[] = {
        {"header", [] { return new HeaderArrowButton(nullptr, "SAVE", 0); }, 2, 1},
        {"step", [] { return new SequencerStepButton(nullptr); }, 2, 2},
        {"image", [] { return new ImageTextButton(nullptr, nullptr); }, 3, 1},
    };
    for (const Case& c : cases) {
        SharedPointer<CTextButton> button = owned(c.make());
        button->setViewSize(CRect(nan, 10, 60, 30));
        button->setTitle("5");
        button->setValue(1);
        auto context = recordDraw(button.get());
        const auto rects = context->callsOf(Op::Rect);
        ASSERT_EQ(rects.size(), c.rects) << c.name;
        EXPECT_EQ(rects[0].rect, CRect(0, 10, 60, 30)) << c.name;
        EXPECT_EQ(context->callsOf(Op::String).size(), c.texts) << c.name;
    }
}

// The frame strip on screen: the off frame shows the strip's top, the on frame its bottom under
// the tinted overlay.
TEST(EditorButtons, ImageButtonRendersTheFrameOfItsState) {
    const CColor offColour(200, 40, 40, 255), onColour(0, 0, 255, 255);
    auto strip = makeStrip(offColour, onColour);
    auto button = owned(new ImageTextButton(nullptr, strip.get()));
    button->setViewSize(CRect(0, 0, 40, 30));

    auto off = renderView(button.get());
    ASSERT_TRUE(off);
    EXPECT_TRUE(sameColour(off->getPixel(20, 15), offColour));

    button->setValue(1);
    auto on = renderView(button.get());
    ASSERT_TRUE(on);
    // Overlay (0, 218, 235) at alpha 90/255 over the on frame.
    const double a = 90.0 / 255.0;
    const CColor expected(0, static_cast<uint8_t>(std::lround(218 * a)),
                          static_cast<uint8_t>(std::lround(235 * a + 255 * (1 - a))), 255);
    const CColor got = on->getPixel(20, 15);
    EXPECT_NEAR(got.red, expected.red, 2);
    EXPECT_NEAR(got.green, expected.green, 2);
    EXPECT_NEAR(got.blue, expected.blue, 2);
}

} // namespace
} // namespace TarnwellPlugin
