// The output level meter's LED rows and the compressor's reduction bar with its own redraw timer.
#include "LiveViewTestSupport.h"

#include "SharedVisualizationSnapshot.h"
#include "views/CompressionReductionMeterView.h"
#include "views/OutputMeterView.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <limits>

namespace TarnwellPlugin {
namespace {

using namespace VSTGUI;
using namespace testing_support;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// --- output meter ---------------------------------------------------------------------------
// At (5, 7, 155, 47) the rows start at x0 = 23 and span 155 - 4 - 23 = 128: 32 steps of 4, segments 3 wide.
const CRect kMeterRect(5, 7, 155, 47);

CColor outputSegmentColour(int i, bool lit) {
    if (!lit) return CColor(24, 34, 39, 255);
    if (i <= 19) return CColor(20, 195, 211, 255);
    if (i <= 26) return CColor(220, 158, 29, 255);
    return CColor(229, 75, 33, 255);
}

RecordingDrawContext drawMeter(float left, float right, const CRect& rect = kMeterRect) {
    auto meter = makeOwned<OutputMeterView>();
    meter->setViewSize(rect);
    meter->peakLeft = left;
    meter->peakRight = right;
    RecordingDrawContext context(CRect(0, 0, 400, 100));
    meter->draw(&context);
    return context;
}

TEST(OutputMeterView, PeaksLightOneSegmentPerThirtySecondStarted) {
    struct Case {
        float peak;
        int lit;
    };
    const Case cases[] = {{0.0f, 0},    {1.0f / 32, 1}, {0.03f, 1},  {0.0313f, 2},   {0.5f, 16},
                          {0.99f, 32},  {1.0f, 32},     {1.5f, 32},  {FLT_MAX, 32},  {-0.2f, 0},
                          {kNaN, 0},    {kInf, 0},      {-kInf, 0}};
    for (size_t n = 0; n < std::size(cases); ++n) {
        // The right row gets another case, so the rows are seen to be independent.
        const Case& l = cases[n];
        const Case& r = cases[std::size(cases) - 1 - n];
        SCOPED_TRACE("left " + std::to_string(l.peak) + ", right " + std::to_string(r.peak));
        const auto context = drawMeter(l.peak, r.peak);
        const auto rects = filledRects(context);
        ASSERT_EQ(rects.size(), 65u);
        EXPECT_EQ(rects[0].rect, kMeterRect);
        EXPECT_TRUE(sameColour(rects[0].state.fillColor, CColor(6, 13, 17, 255)));
        for (int i = 0; i < 32; ++i) {
            const Call& left = rects[1 + i];
            const Call& right = rects[33 + i];
            EXPECT_EQ(left.rect, CRect(23 + 4 * i, 10, 26 + 4 * i, 17)) << i;
            EXPECT_EQ(right.rect, CRect(23 + 4 * i, 22, 26 + 4 * i, 29)) << i;
            EXPECT_TRUE(sameColour(left.state.fillColor, outputSegmentColour(i, i < l.lit))) << "L " << i;
            EXPECT_TRUE(sameColour(right.state.fillColor, outputSegmentColour(i, i < r.lit))) << "R " << i;
        }
        EXPECT_TRUE(allFinite(context));
    }
}

TEST(OutputMeterView, RowNamesAndScaleLabels) {
    const auto context = drawMeter(0.5f, 0.5f);
    const auto strings = context.callsOf(Op::String);
    ASSERT_EQ(strings.size(), 9u);
    EXPECT_EQ(strings[0].text, "L");
    EXPECT_EQ(strings[0].rect, CRect(6, 9, 20, 18));
    EXPECT_EQ(strings[1].text, "R");
    EXPECT_EQ(strings[1].rect, CRect(6, 21, 20, 30));
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(strings[i].align, kCenterText);
        EXPECT_TRUE(sameColour(strings[i].state.fontColor, CColor(183, 193, 195, 255)));
    }
    const char* scale[] = {"-60", "-36", "-24", "-12", "-6", "-3", "0"};
    for (int k = 0; k < 7; ++k) {
        const Call& s = strings[2 + k];
        const double x = 23 + 128.0 * k / 6;
        EXPECT_EQ(s.text, scale[k]);
        EXPECT_TRUE(rectNear(s.rect, CRect(x - 10, 36, x + 10, 47)));
        EXPECT_EQ(s.align, kCenterText);
        EXPECT_TRUE(sameColour(s.state.fontColor, CColor(103, 116, 119, 255)));
    }
    for (const Call& s : strings) expectFont(s, 7, kBoldFace);
}

TEST(OutputMeterView, NarrowRowsKeepSegmentsTwoWide) {
    // 30 wide: the row spans 8, steps of 0.25, yet every segment is 2 wide.
    const auto rects = filledRects(drawMeter(1.0f, 0.0f, CRect(0, 0, 30, 40)));
    ASSERT_EQ(rects.size(), 65u);
    EXPECT_EQ(rects[1].rect, CRect(18, 3, 20, 10));
    EXPECT_EQ(rects[32].rect, CRect(18 + 0.25 * 31, 3, 20 + 0.25 * 31, 10));
}

TEST(OutputMeterView, ANonFiniteSizeCountsAsZero) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const auto context = drawMeter(1.0f, 1.0f, CRect(nan, 0, 150, nan));
    EXPECT_TRUE(allFinite(context));
    const auto rects = filledRects(context);
    ASSERT_EQ(rects.size(), 65u);
    EXPECT_EQ(rects[0].rect, CRect(0, 0, 150, 0));
    EXPECT_EQ(rects[1].rect, CRect(18, 3, 21, 10)); // span 128 again
}

// --- reduction meter --------------------------------------------------------------------------
// At (3, 4, 43, 184): 180 high, steps of 10; segment i spans from 184 - 6 - (i + 1) x 28/3 for
// 22/3, between x 10 and 18.
const CRect kReductionRect(3, 4, 43, 184);

CColor reductionSegmentColour(int i, bool lit) {
    if (!lit) return CColor(20, 33, 38, 255);
    if (i <= 7) return CColor(48, 207, 219, 255);
    if (i <= 13) return CColor(221, 157, 39, 255);
    return CColor(242, 91, 38, 255);
}

class ReductionMeter : public ::testing::Test {
protected:
    void SetUp() override { RunLoop::set(&loop); }
    void TearDown() override { RunLoop::clear(&loop); }

    void publishReduction(SharedVisualizationSnapshot& record, float db) {
        ASSERT_TRUE(record.publish(0.0f, 0.0f, 128.0f, db, 0, nullptr, 0));
    }
    RecordingDrawContext drawOf(CompressionReductionMeterView& view) {
        RecordingDrawContext context(CRect(0, 0, 100, 200));
        view.draw(&context);
        return context;
    }
    int litIn(const RecordingDrawContext& context) {
        const auto rects = filledRects(context);
        EXPECT_EQ(rects.size(), 19u);
        int lit = 0;
        for (size_t i = 1; i < rects.size(); ++i)
            if (rects[i].state.fillColor != CColor(20, 33, 38, 255)) ++lit;
        return lit;
    }

    ManualRunLoop loop;
};

TEST_F(ReductionMeter, EachSegmentStandsForTwoDecibels) {
    struct Case {
        float db;
        int lit;
    };
    const Case cases[] = {{0.0f, 0},  {0.1f, 1},   {2.0f, 1},  {2.01f, 2}, {17.0f, 9}, {35.0f, 18}, {36.0f, 18},
                          {80.0f, 18}, {-3.0f, 0}, {kNaN, 0},  {kInf, 0},  {-kInf, 0}, {FLT_MAX, 18}};
    SharedVisualizationSnapshot record;
    auto view = makeOwned<CompressionReductionMeterView>(kReductionRect, &record);
    for (const Case& k : cases) {
        SCOPED_TRACE("reduction " + std::to_string(k.db) + " dB");
        publishReduction(record, k.db);
        const auto context = drawOf(*view);
        const auto rects = filledRects(context);
        ASSERT_EQ(rects.size(), 19u);
        EXPECT_EQ(rects[0].rect, kReductionRect);
        EXPECT_TRUE(sameColour(rects[0].state.fillColor, CColor(5, 12, 15, 255)));
        for (int i = 0; i < 18; ++i) {
            const double y = 184 - 6 - (i + 1) * (10 - 2.0 / 3);
            EXPECT_TRUE(rectNear(rects[1 + i].rect, CRect(10, y, 18, y + 10 - 8.0 / 3), 1e-9)) << i;
            EXPECT_TRUE(sameColour(rects[1 + i].state.fillColor, reductionSegmentColour(i, i < k.lit))) << i;
        }
        EXPECT_EQ(litIn(context), k.lit);
    }
}

TEST_F(ReductionMeter, FrameAndLabels) {
    SharedVisualizationSnapshot record;
    auto view = makeOwned<CompressionReductionMeterView>(kReductionRect, &record);
    const auto context = drawOf(*view);
    std::vector<Call> strokes;
    for (const Call& c : context.callsOf(Op::Rect))
        if (c.style == kDrawStroked) strokes.push_back(c);
    ASSERT_EQ(strokes.size(), 1u);
    EXPECT_EQ(strokes[0].rect, kReductionRect);
    EXPECT_EQ(strokes[0].state.lineWidth, 1.0);
    EXPECT_TRUE(sameColour(strokes[0].state.frameColor, CColor(42, 65, 71, 255)));

    const auto strings = context.callsOf(Op::String);
    ASSERT_EQ(strings.size(), 4u);
    const char* texts[] = {"-36", "-24", "-12", "0"};
    for (int k = 0; k < 4; ++k) {
        const double y = 4 + 2 + (180 - 14) * k / 3.0;
        EXPECT_EQ(strings[k].text, texts[k]);
        EXPECT_TRUE(rectNear(strings[k].rect, CRect(20, y, 41, y + 12), 1e-9));
        EXPECT_EQ(strings[k].align, kRightText);
        expectFont(strings[k], 8, kNormalFace);
        EXPECT_TRUE(sameColour(strings[k].state.fontColor, CColor(126, 145, 150, 255)));
    }
}

TEST_F(ReductionMeter, EachMeterReadsItsOwnRecordAndNoRecordReadsZero) {
    SharedVisualizationSnapshot first, second;
    publishReduction(first, 10.0f);
    publishReduction(second, 30.0f);
    auto a = makeOwned<CompressionReductionMeterView>(kReductionRect, &first);
    auto b = makeOwned<CompressionReductionMeterView>(kReductionRect, &second);
    auto none = makeOwned<CompressionReductionMeterView>(kReductionRect, nullptr);
    EXPECT_EQ(litIn(drawOf(*a)), 5);
    EXPECT_EQ(litIn(drawOf(*b)), 15);
    EXPECT_EQ(litIn(drawOf(*none)), 0);
}

TEST_F(ReductionMeter, TicksEvery33MillisecondsRedrawOnlyAShownView) {
    auto frame = makeFrame(300, 300);
    SharedVisualizationSnapshot record;
    auto* view = new CompressionReductionMeterView(CRect(100, 50, 140, 230), &record);
    frame->addView(view);
    ASSERT_NE(view->getRefreshTimer(), nullptr);
    EXPECT_TRUE(view->getRefreshTimer()->isRunning());
    EXPECT_EQ(view->getRefreshTimer()->getFireTime(), 33u);

    frame->clearDirtyRect();
    EXPECT_EQ(loop.advance(32), 0);
    EXPECT_TRUE(frame->getDirtyRect().isEmpty());
    EXPECT_EQ(loop.advance(1), 1);
    EXPECT_EQ(frame->getDirtyRect(), view->getViewSize());
    EXPECT_EQ(loop.advance(99), 3);

    struct Case {
        bool visible;
        float alpha;
        bool redrawn;
    };
    const Case cases[] = {{true, 1.0f, true},  {true, 0.5f, true},  {false, 1.0f, false},
                          {true, 0.0f, false}, {false, 0.0f, false}, {true, 1.0f, true}};
    for (const Case& k : cases) {
        SCOPED_TRACE(std::string(k.visible ? "visible" : "hidden") + ", alpha " + std::to_string(k.alpha));
        view->setVisible(k.visible);
        view->setAlphaValue(k.alpha);
        view->setDirty(true);
        frame->clearDirtyRect();
        EXPECT_EQ(loop.advance(33), 1); // the timer runs whether shown or not
        EXPECT_TRUE(view->getRefreshTimer()->isRunning());
        if (k.redrawn) {
            EXPECT_EQ(frame->getDirtyRect(), view->getViewSize());
            EXPECT_FALSE(view->isDirty());
        } else {
            EXPECT_TRUE(frame->getDirtyRect().isEmpty());
        }
    }
}

TEST_F(ReductionMeter, DestroyingTheViewStopsItsTimerAndNoLaterTickReachesIt) {
    auto frame = makeFrame(300, 300);
    SharedVisualizationSnapshot record;
    auto* view = new CompressionReductionMeterView(CRect(100, 50, 140, 230), &record);
    frame->addView(view);
    // Someone else keeps the timer: it must still never call into the destroyed view.
    SharedPointer<CVSTGUITimer> kept = view->getRefreshTimer();
    loop.advance(20);
    EXPECT_EQ(loop.getNbTimers(), 1u);

    frame->removeView(view); // the frame's reference was the last
    EXPECT_FALSE(kept->isRunning());
    EXPECT_EQ(loop.getNbTimers(), 0u);
    EXPECT_EQ(loop.advance(100), 0);

    kept->start();
    frame->clearDirtyRect();
    EXPECT_EQ(loop.advance(66), 2);
    EXPECT_TRUE(frame->getDirtyRect().isEmpty());
    kept->stop();

    // Without another holder the timer goes with the view.
    auto* second = new CompressionReductionMeterView(CRect(0, 0, 40, 180), &record);
    frame->addView(second);
    EXPECT_EQ(loop.getNbTimers(), 1u);
    frame->removeView(second);
    EXPECT_EQ(loop.getNbTimers(), 0u);
    EXPECT_EQ(loop.advance(100), 0);
}

} // namespace
} // namespace TarnwellPlugin
