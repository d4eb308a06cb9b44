// The tempo section's views, the signal-flow arrows and the two bitmap views that open the about box.
#include "LiveViewTestSupport.h"

#include "views/BrandLockupView.h"
#include "views/SignalFlowRailView.h"
#include "views/TarnwellLogoView.h"
#include "views/TempoDisplayView.h"
#include "views/TempoModeSelector.h"
#include "views/TempoSectionBackground.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

namespace TarnwellPlugin {
namespace {

using namespace VSTGUI;
using namespace testing_support;

template <typename View>
RecordingDrawContext drawOf(View& view) {
    RecordingDrawContext context(CRect(0, 0, 2000, 800));
    view.draw(&context);
    return context;
}

// --- tempo display ------------------------------------------------------------------------------

TEST(TempoDisplayView, ShowsTheTempoWithOneDecimalStartingAt128) {
    auto view = makeOwned<TempoDisplayView>();
    view->setViewSize(CRect(10, 20, 130, 50));
    EXPECT_EQ(view->tempo, 128.0);
    const auto context = drawOf(*view);

    const auto rects = context.callsOf(Op::Rect);
    ASSERT_EQ(rects.size(), 2u);
    EXPECT_EQ(rects[0].style, kDrawFilled);
    EXPECT_EQ(rects[0].rect, CRect(10, 20, 130, 50));
    EXPECT_TRUE(sameColour(rects[0].state.fillColor, CColor(4, 12, 15, 255)));
    EXPECT_EQ(rects[1].style, kDrawStroked);
    EXPECT_EQ(rects[1].rect, CRect(11, 21, 129, 49));
    EXPECT_EQ(rects[1].state.lineWidth, 1.5);
    EXPECT_TRUE(sameColour(rects[1].state.frameColor, CColor(55, 205, 215, 190)));

    const auto strings = context.callsOf(Op::String);
    ASSERT_EQ(strings.size(), 1u);
    EXPECT_EQ(strings[0].text, "128.0 BPM");
    EXPECT_EQ(strings[0].rect, CRect(11, 21, 129, 49));
    EXPECT_EQ(strings[0].align, kCenterText);
    expectFont(strings[0], 16, kBoldFace);
    EXPECT_TRUE(sameColour(strings[0].state.fontColor, CColor(126, 231, 234, 255)));
}

TEST(TempoDisplayView, FormatsAnyTempoIntoAtMost23Characters) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        double tempo;
        const char* text;
    } cases[] = {{15.0, "15.0 BPM"},   {300.0, "300.0 BPM"}, {99.94, "99.9 BPM"}, {174.56, "174.6 BPM"},
                 {127.96, "128.0 BPM"}, {-12.0, "-12.0 BPM"}, {nan, "0.0 BPM"},   {inf, "0.0 BPM"},
                 {-inf, "0.0 BPM"},     {1e300, "10000000000000000525047"}};
    for (const auto& k : cases) {
        auto view = makeOwned<TempoDisplayView>();
        view->setViewSize(CRect(0, 0, 120, 30));
        view->tempo = k.tempo;
        const auto strings = drawOf(*view).callsOf(Op::String);
        ASSERT_EQ(strings.size(), 1u);
        EXPECT_EQ(strings[0].text, k.text) << k.tempo;
        EXPECT_LE(strings[0].text.size(), 23u);
    }
}

// --- tempo mode selector ------------------------------------------------------------------------

TEST(TempoModeSelector, DotAndWordShowHostOrManual) {
    const struct {
        bool manual;
        CColor dot;
        const char* word;
        CColor text;
    } cases[] = {{false, CColor(55, 205, 215, 255), "HOST", CColor(157, 226, 229, 255)},
                 {true, CColor(239, 126, 43, 255), "MANUAL", CColor(218, 178, 145, 255)}};
    for (const auto& k : cases) {
        SCOPED_TRACE(k.word);
        auto view = makeOwned<TempoModeSelector>();
        EXPECT_FALSE(view->manualMode);
        view->setViewSize(CRect(20, 10, 120, 40));
        view->manualMode = k.manual;
        const auto context = drawOf(*view);

        const auto rects = context.callsOf(Op::Rect);
        ASSERT_EQ(rects.size(), 2u);
        EXPECT_EQ(rects[0].rect, CRect(20, 10, 120, 40));
        EXPECT_EQ(rects[0].style, kDrawFilled);
        EXPECT_TRUE(sameColour(rects[0].state.fillColor, CColor(3, 10, 13, 255)));
        EXPECT_EQ(rects[1].rect, CRect(21, 11, 119, 39));
        EXPECT_EQ(rects[1].style, kDrawStroked);
        EXPECT_EQ(rects[1].state.lineWidth, 1.0);
        EXPECT_TRUE(sameColour(rects[1].state.frameColor, CColor(39, 54, 60, 255)));

        // The dot: 6 across, 8 in from the inner frame, centred at 11 + 28 / 2 = 25.
        const auto dots = context.callsOf(Op::Ellipse);
        ASSERT_EQ(dots.size(), 1u);
        EXPECT_EQ(dots[0].rect, CRect(29, 22, 35, 28));
        EXPECT_EQ(dots[0].style, kDrawFilled);
        EXPECT_TRUE(sameColour(dots[0].state.fillColor, k.dot));

        const auto strings = context.callsOf(Op::String);
        ASSERT_EQ(strings.size(), 1u);
        EXPECT_EQ(strings[0].text, k.word);
        EXPECT_EQ(strings[0].rect, CRect(39, 11, 119, 39));
        EXPECT_EQ(strings[0].align, kCenterText);
        expectFont(strings[0], 11, kBoldFace);
        EXPECT_TRUE(sameColour(strings[0].state.fontColor, k.text));
    }
}

// --- tempo section background -------------------------------------------------------------------

TEST(TempoSectionBackground, PanelFrameAndThreeDividers) {
    auto view = makeOwned<TempoSectionBackground>();
    EXPECT_FALSE(view->getMouseEnabled());
    view->setViewSize(CRect(100, 200, 600, 260));
    const auto context = drawOf(*view);

    const auto rects = context.callsOf(Op::Rect);
    ASSERT_EQ(rects.size(), 2u);
    EXPECT_EQ(rects[0].rect, CRect(100, 200, 600, 260));
    EXPECT_EQ(rects[0].style, kDrawFilled);
    EXPECT_TRUE(sameColour(rects[0].state.fillColor, CColor(5, 12, 15, 235)));
    EXPECT_EQ(rects[1].rect, CRect(100.5, 200.5, 599.5, 259.5));
    EXPECT_EQ(rects[1].style, kDrawStroked);
    EXPECT_EQ(rects[1].state.lineWidth, 1.0);
    EXPECT_TRUE(sameColour(rects[1].state.frameColor, CColor(34, 58, 63, 255)));

    const auto lines = context.callsOf(Op::Line);
    ASSERT_EQ(lines.size(), 3u);
    const double xs[] = {228.5, 324.5, 454.5};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(lines[i].p1, CPoint(xs[i], 210.5));
        EXPECT_EQ(lines[i].p2, CPoint(xs[i], 249.5));
        EXPECT_EQ(lines[i].state.lineWidth, 1.0);
        EXPECT_TRUE(sameColour(lines[i].state.frameColor, CColor(28, 47, 52, 255)));
    }
}

// --- signal-flow rail ---------------------------------------------------------------------------

TEST(SignalFlowRailView, ArrowsStandAtFixedPositionsOfTheParent) {
    // The rail in a container that is itself offset in the frame: the arrow positions are those of
    // the container (the view's parent), whatever the rail's own rectangle.
    auto frame = makeFrame(1800, 700);
    auto* root = new CViewContainer(CRect(30, 40, 1780, 690));
    frame->addView(root);
    auto* rail = new SignalFlowRailView(CRect(300, 100, 1700, 150));
    root->addView(rail);
    EXPECT_FALSE(rail->getMouseEnabled());

    RecordingDrawContext context(CRect(0, 0, 1800, 700));
    rail->draw(&context);
    const auto lines = context.callsOf(Op::Line);
    ASSERT_EQ(lines.size(), 30u);
    const double railY = 100 + 0.48 * 50;
    std::vector<CPoint> tails;
    for (double x : {516, 756, 906, 1046, 1206, 1476, 1636}) tails.emplace_back(x, railY);
    for (double y : {300, 455, 555}) tails.emplace_back(426, y);
    for (size_t a = 0; a < tails.size(); ++a) {
        const CPoint t = tails[a];
        const CPoint tip(t.x + 14, t.y);
        EXPECT_TRUE(pointNear(lines[3 * a].p1, t)) << a;
        EXPECT_TRUE(pointNear(lines[3 * a].p2, tip)) << a;
        EXPECT_TRUE(pointNear(lines[3 * a + 1].p1, tip));
        EXPECT_TRUE(pointNear(lines[3 * a + 1].p2, CPoint(t.x + 8, t.y - 5)));
        EXPECT_TRUE(pointNear(lines[3 * a + 2].p1, tip));
        EXPECT_TRUE(pointNear(lines[3 * a + 2].p2, CPoint(t.x + 8, t.y + 5)));
    }
    for (const Call& l : lines) {
        EXPECT_EQ(l.state.lineWidth, 2.0);
        EXPECT_TRUE(sameColour(l.state.frameColor, CColor(128, 151, 153, 220)));
    }

    // Drawn through the frame, the first shaft lands at the container's offset plus 516.
    RecordingDrawContext whole(CRect(0, 0, 1800, 700));
    frame->drawFrame(&whole);
    const auto drawnLines = whole.callsOf(Op::Line);
    ASSERT_EQ(drawnLines.size(), 30u);
    EXPECT_TRUE(pointNear(drawnLines[0].globalPoint(drawnLines[0].p1), CPoint(30 + 516, 40 + railY)));
}

// --- brand lockup and logo ----------------------------------------------------------------------

template <typename View>
class BitmapViews : public ::testing::Test {};
using BitmapViewTypes = ::testing::Types<BrandLockupView, TarnwellLogoView>;
TYPED_TEST_SUITE(BitmapViews, BitmapViewTypes);

TYPED_TEST(BitmapViews, ALeftClickWithAnyModifiersOpensTheAboutBox) {
    const struct {
        int32_t buttons;
        bool opens;
    } cases[] = {
        {kLButton, true},
        {kLButton | kShift, true},
        {kLButton | kControl | kAlt | kApple, true},
        {kLButton | kDoubleClick, true},
        {kLButton | kShift | kDoubleClick, true},
        {kRButton, false},
        {kMButton, false},
        {kRButton | kDoubleClick, false},
        {kLButton | kRButton, false},
        {kLButton | kMButton, false},
        {kShift, false},
        {0, false},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE("buttons " + std::to_string(k.buttons));
        int opened = 0;
        auto view = makeOwned<TypeParam>(CRect(0, 0, 100, 40), nullptr, [&opened] { ++opened; });
        CPoint where(10, 10);
        const CMouseEventResult result = view->onMouseDown(where, CButtonState(k.buttons));
        EXPECT_EQ(result, k.opens ? kMouseDownEventHandledButDontNeedMovedOrUpEvents : kMouseEventNotHandled);
        EXPECT_EQ(opened, k.opens ? 1 : 0);

        // Without a callback the answer stays the same.
        auto silent = makeOwned<TypeParam>(CRect(0, 0, 100, 40), nullptr, std::function<void()>());
        EXPECT_EQ(silent->onMouseDown(where, CButtonState(k.buttons)), result);
    }
}

TYPED_TEST(BitmapViews, AClickThroughTheFrameCallsBackOnceAndCapturesNothing) {
    auto frame = makeFrame(300, 200);
    int opened = 0;
    frame->addView(new TypeParam(CRect(50, 50, 150, 90), nullptr, [&opened] { ++opened; }));
    CPoint where(60, 60);
    EXPECT_EQ(frame->onMouseDown(where, CButtonState(kLButton)), kMouseDownEventHandledButDontNeedMovedOrUpEvents);
    EXPECT_EQ(frame->getCapturedView(), nullptr);
    frame->onMouseUp(where, CButtonState(kLButton));
    EXPECT_EQ(opened, 1);
}

TYPED_TEST(BitmapViews, DrawsItsBitmapUnscaledAndNothingWithoutOne) {
    auto bitmap = makeOwned<CBitmap>(80.0, 30.0);
    const int32_t before = bitmap->getNbReference();
    {
        auto view = makeOwned<TypeParam>(CRect(5, 6, 105, 46), bitmap.get(), nullptr);
        EXPECT_EQ(bitmap->getNbReference(), before + 1);
        view->setDirty(true);
        const auto context = drawOf(*view);
        ASSERT_EQ(context.getCalls().size(), 1u);
        const Call& call = context.getCalls()[0];
        EXPECT_EQ(call.op, Op::Bitmap);
        EXPECT_EQ(call.bitmap, bitmap.get());
        EXPECT_EQ(call.rect, CRect(5, 6, 105, 46));
        EXPECT_EQ(call.bitmapOffset, CPoint(0, 0));
        EXPECT_EQ(call.alpha, 1.0f);
        EXPECT_FALSE(view->isDirty());
    }
    EXPECT_EQ(bitmap->getNbReference(), before);

    auto bare = makeOwned<TypeParam>(CRect(5, 6, 105, 46), nullptr, nullptr);
    EXPECT_TRUE(drawOf(*bare).getCalls().empty());
}

} // namespace
} // namespace TarnwellPlugin
