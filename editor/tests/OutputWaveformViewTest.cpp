// The wave area's oscilloscope: column reduction of the ring per window, auto-scale, the capture
// states and the drawing of grid, bars, stems, curve and labels.
#include "LiveViewTestSupport.h"

#include "views/OutputWaveformView.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace TarnwellPlugin {
namespace {

using namespace VSTGUI;
using namespace testing_support;

// A view of 381 x 200 at (10, 20): the zero line lies at 20 + 0.55 x 200 = 130, full scale is
// 0.43 x 200 = 86 points, and every line kind has its own width (bars 5, stems 3, glow 14, 7 and
// 2.4, grid 1, zero line 1.5).
constexpr double kLeft = 10, kTop = 20, kWidth = 381, kHeight = 200;
constexpr double kMid = kTop + 0.55 * kHeight;
constexpr double kFullScale = 0.43 * kHeight;

SharedPointer<OutputWaveformView> makeView() {
    auto view = makeOwned<OutputWaveformView>();
    view->setViewSize(CRect(kLeft, kTop, kLeft + kWidth, kTop + kHeight));
    return view;
}

// Appends points the way the editor does: oldest first, the ring wrapping after 8192.
void capture(OutputWaveformView& view, const std::vector<float>& points) {
    for (float p : points) {
        view.ring[view.writePosition] = p;
        view.writePosition = (view.writePosition + 1) % OutputWaveformView::kRingSize;
        view.sampleCount = std::min<uint64_t>(view.sampleCount + 1, OutputWaveformView::kRingSize);
    }
    view.hasData = true;
}

RecordingDrawContext drawn(OutputWaveformView& view) {
    RecordingDrawContext context(CRect(0, 0, 500, 300));
    view.draw(&context);
    return context;
}

// The curve as drawn by the thin glow pass: the value of column c (1..127) in full-scale units.
std::vector<double> drawnCurve(const RecordingDrawContext& context) {
    std::vector<double> values(128, 0.0);
    const auto segments = linesOfWidth(context, 2.4);
    EXPECT_EQ(segments.size(), 127u);
    for (size_t i = 0; i < segments.size() && i < 127; ++i) values[i + 1] = (kMid - segments[i].p2.y) / kFullScale;
    return values;
}

// The synthetic kick, straight from its formula.
std::array<double, 128> placeholderKick() {
    std::array<double, 128> col{};
    for (int k = 1; k < 128; ++k) {
        const double t = k / 127.0;
        col[k] = std::sin(230 * t - 95 * t * t) * std::exp(-22 * t) +
                 (std::exp(-3.2 * t) - std::exp(-35 * t)) * (0.48 * std::sin(155 * t) + 0.24 * std::sin(239 * t));
    }
    return col;
}

TEST(OutputWaveformView, ANewViewShowsThePlaceholderKickWithItsLargestPointAtNinetySixPercent) {
    auto view = makeView();
    const auto kick = placeholderKick();
    double peak = 0;
    for (double v : kick) peak = std::max(peak, std::fabs(v));
    ASSERT_NEAR(peak, 0.9647, 1e-4);
    ASSERT_NEAR(kick[1], peak, 1e-12); // the first point after the onset is the largest

    const auto context = drawn(*view);
    const auto curve = drawnCurve(context);
    EXPECT_NEAR(curve[1], 0.96, 1e-5);
    for (int c = 1; c < 128; ++c) EXPECT_NEAR(curve[c], kick[c] * 0.96 / peak, 1e-5) << "column " << c;
    EXPECT_EQ(findString(context, "WAITING FOR KICK"), nullptr);
}

TEST(OutputWaveformView, ColumnsTakeTheNewestPointsOfTheWindowOldestFirst) {
    // 1000 captured points, point s (0 = oldest) rising as (s + 1) / 10000: the largest magnitude
    // of a column is its last point. Falling as -(1000 - s) / 10000 it is the first, with its sign.
    struct Case {
        int32_t seconds;
        int lastDataColumn;
        double (*rangeEnd)(int c);   // capture index after the column's last point
        double (*rangeStart)(int c); // capture index of its first point
    };
    const Case cases[] = {
        // 16 s: 7680 points shown, all 1000 captured lie in columns 0-16, 60 a column.
        {16, 16, [](int c) { return std::min(60.0 * (c + 1), 1000.0); }, [](int c) { return 60.0 * c; }},
        // 4 s: 1920 points shown, 15 a column, the capture ends in column 66.
        {4, 66, [](int c) { return std::min(15.0 * (c + 1), 1000.0); }, [](int c) { return 15.0 * c; }},
        // 1 s: the newest 480 points (520 to 999) fill all columns, 3.75 a column.
        {1, 127, [](int c) { return 520 + std::floor(3.75 * (c + 1)); },
         [](int c) { return 520 + std::floor(3.75 * c); }},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE("window " + std::to_string(k.seconds) + " s");
        auto rising = makeView();
        auto falling = makeView();
        std::vector<float> up, down;
        for (int s = 0; s < 1000; ++s) {
            up.push_back(static_cast<float>((s + 1) * 1e-4));
            down.push_back(static_cast<float>(-(1000 - s) * 1e-4));
        }
        capture(*rising, up);
        capture(*falling, down);
        rising->setWindowSeconds(k.seconds);
        falling->setWindowSeconds(k.seconds);
        const auto upColumns = rising->computeColumns();
        const auto downColumns = falling->computeColumns();
        for (int c = 0; c < 128; ++c) {
            const bool data = c <= k.lastDataColumn;
            EXPECT_FLOAT_EQ(upColumns.values[c], data ? static_cast<float>(k.rangeEnd(c) * 1e-4) : 0.0f) << c;
            EXPECT_FLOAT_EQ(downColumns.values[c], data ? static_cast<float>(-(1000 - k.rangeStart(c)) * 1e-4) : 0.0f)
                << c;
        }

        // Right of the capture the stems have no length and the curve lies on the zero line.
        const auto context = drawn(*rising);
        const auto stems = linesOfWidth(context, 3.0);
        ASSERT_EQ(stems.size(), 127u);
        for (int c = 1; c < 128; ++c) {
            EXPECT_DOUBLE_EQ(stems[c - 1].p1.y, kMid);
            if (c > k.lastDataColumn) {
                EXPECT_DOUBLE_EQ(stems[c - 1].p2.y, kMid) << c;
            } else {
                EXPECT_LT(stems[c - 1].p2.y, kMid) << c;
            }
        }
    }
}

TEST(OutputWaveformView, AWrappedRingShowsItsNewestPointsAndNothingOlder) {
    auto view = makeView();
    view->setWindowSeconds(16); // 7680 of the 8192 points
    view->hasData = true;
    view->sampleCount = OutputWaveformView::kRingSize;
    view->writePosition = 100;
    // The window starts 7680 points before index 100, that is at index 612 of the ring.
    view->ring[612] = 0.5f;  // oldest shown: column 0
    view->ring[99] = -0.8f;  // newest: column 127
    view->ring[611] = 0.9f;  // one point older than the window
    const auto columns = view->computeColumns();
    EXPECT_FLOAT_EQ(columns.values[0], 0.5f);
    EXPECT_FLOAT_EQ(columns.values[127], -0.8f);
    EXPECT_FLOAT_EQ(columns.peak, 0.8f);
    for (int c = 1; c < 127; ++c) EXPECT_EQ(columns.values[c], 0.0f) << c;
}

TEST(OutputWaveformView, AutoScaleBringsTheWindowPeakToNinetySixPercentByAtMostSeven) {
    struct Case {
        float point;
        bool autoScale;
        double drawnValue; // in full-scale units, after gain and clamping
    };
    const Case cases[] = {
        {0.01f, true, 0.07},   // the cap 7, not 96
        {-0.01f, true, -0.07},
        {0.5f, true, 0.96},    // gain 1.92
        {2.0f, true, 0.96},    // gain 0.48
        {0.5f, false, 0.5},    // gain 1
        {2.0f, false, 1.0},    // clamped to full scale
        {-3.0f, false, -1.0},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE("point " + std::to_string(k.point) + (k.autoScale ? " auto" : " fixed"));
        auto view = makeView();
        view->autoScale = k.autoScale;
        // 1 s window with 480 points: point 240 opens column 64.
        std::vector<float> points(480, 0.0f);
        points[240] = k.point;
        capture(*view, points);
        const auto curve = drawnCurve(drawn(*view));
        EXPECT_NEAR(curve[64], k.drawnValue, 1e-6);
        EXPECT_DOUBLE_EQ(curve[63], 0.0);
        EXPECT_DOUBLE_EQ(curve[65], 0.0);
    }
    EXPECT_FLOAT_EQ(OutputWaveformView::curveGain(true, 0.01f), 7.0f);
    EXPECT_FLOAT_EQ(OutputWaveformView::curveGain(true, 0.5f), 1.92f);
    EXPECT_FLOAT_EQ(OutputWaveformView::curveGain(false, 0.01f), 1.0f);
}

TEST(OutputWaveformView, OfEqualMagnitudesInAColumnTheFirstInTimeWins) {
    struct Case {
        float first, second, kept;
    };
    const Case cases[] = {{0.3f, -0.3f, 0.3f}, {-0.3f, 0.3f, -0.3f}, {0.3f, -0.31f, -0.31f}, {-0.2f, 0.1f, -0.2f}};
    for (const Case& k : cases) {
        auto view = makeView();
        view->setWindowSeconds(16); // column 0 holds points 0 to 59
        std::vector<float> points(100, 0.0f);
        points[10] = k.first;
        points[20] = k.second;
        capture(*view, points);
        EXPECT_EQ(view->computeColumns().values[0], k.kept) << k.first << " then " << k.second;
    }
}

TEST(OutputWaveformView, NonFinitePointsCountAsZero) {
    auto view = makeView();
    view->setWindowSeconds(16);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    std::vector<float> points(600, 0.0f);
    points[0] = nan;     // column 0: only NaN
    points[60] = inf;    // column 1: infinity beside a finite point
    points[61] = 0.25f;
    points[120] = -inf;  // column 2
    points[121] = -0.125f;
    capture(*view, points);
    const auto columns = view->computeColumns();
    EXPECT_EQ(columns.values[0], 0.0f);
    EXPECT_EQ(columns.values[1], 0.25f);
    EXPECT_EQ(columns.values[2], -0.125f);
    EXPECT_EQ(columns.peak, 0.25f);

    const auto context = drawn(*view);
    EXPECT_TRUE(allFinite(context));
    const auto curve = drawnCurve(context); // all 127 segments still drawn
    EXPECT_NEAR(curve[1], 0.96, 1e-6);
    EXPECT_NEAR(curve[2], -0.48, 1e-6);
}

TEST(OutputWaveformView, OddWindowLengthsNeitherOverrunTheRingNorShowAnything) {
    // The editor passes 1, 4 or 16; anything else still stays inside the ring.
    const int32_t lengths[] = {0, -4, std::numeric_limits<int32_t>::min(), 100, std::numeric_limits<int32_t>::max()};
    for (const int32_t seconds : lengths) {
        auto view = makeView();
        std::vector<float> points(OutputWaveformView::kRingSize, 0.5f);
        capture(*view, points);
        view->setWindowSeconds(seconds);
        const auto columns = view->computeColumns();
        const float expected = seconds > 0 ? 0.5f : 0.0f; // a long window shows the whole ring
        for (int c = 0; c < 128; ++c) ASSERT_EQ(columns.values[c], expected) << seconds << " s, column " << c;
        const auto context = drawn(*view);
        EXPECT_EQ(linesOfWidth(context, 2.4).size(), 127u);
    }
}

TEST(OutputWaveformView, ClearCaptureWaitsForAKickWithAFlatCurve) {
    auto view = makeView();
    capture(*view, std::vector<float>(700, -0.4f));
    view->lastBlockPeak = 0.4f;
    view->latestTriggerCount = 17;
    view->autoScale = false;
    view->frozen = true;
    view->setWindowSeconds(4);
    view->clearCapture();

    EXPECT_FALSE(view->hasData);
    EXPECT_TRUE(view->waitingForKick);
    EXPECT_EQ(view->writePosition, 0u);
    EXPECT_EQ(view->sampleCount, 0u);
    EXPECT_TRUE(std::all_of(std::begin(view->ring), std::end(view->ring), [](float v) { return v == 0.0f; }));
    EXPECT_EQ(view->armedTriggerCount, 17u);
    EXPECT_EQ(view->lastBlockPeak, 0.4f);
    EXPECT_FALSE(view->autoScale);
    EXPECT_TRUE(view->frozen);

    const auto context = drawn(*view);
    for (double v : drawnCurve(context)) EXPECT_EQ(v, 0.0);
    const Call* waiting = findString(context, "WAITING FOR KICK");
    ASSERT_NE(waiting, nullptr);
    EXPECT_EQ(waiting->rect, view->getViewSize());
    EXPECT_EQ(waiting->align, kCenterText);
    expectFont(*waiting, 10, kBoldFace);
    EXPECT_TRUE(sameColour(waiting->state.fontColor, CColor(54, 205, 224, 220)));
    for (const char* label : {"0 ms", "1 s", "2 s", "3 s", "4 s"}) EXPECT_NE(findString(context, label), nullptr);
}

TEST(OutputWaveformView, SettersKeepTheFreezeAndRedrawTheView) {
    auto frame = makeFrame(600, 400);
    auto* view = new OutputWaveformView();
    view->setViewSize(CRect(kLeft, kTop, kLeft + kWidth, kTop + kHeight));
    frame->addView(view);

    const std::function<void()> setters[] = {[&] { view->setFrozen(true); }, [&] { view->clearCapture(); },
                                             [&] { view->setWindowSeconds(16); }, [&] { view->setFrozen(true); }};
    for (const auto& set : setters) {
        view->setDirty(true);
        frame->clearDirtyRect();
        set();
        EXPECT_TRUE(view->frozen);
        EXPECT_FALSE(view->isDirty());
        EXPECT_EQ(frame->getDirtyRect(), view->getViewSize());
    }
    EXPECT_EQ(view->windowSeconds, 16);
    drawn(*view);
    EXPECT_TRUE(view->frozen);
    view->setFrozen(false);
    EXPECT_FALSE(view->frozen);
}

TEST(OutputWaveformView, TimeLabelsFollowTheWindow) {
    struct Case {
        int32_t seconds;
        const char* labels[5];
    };
    const Case cases[] = {
        {1, {"0 ms", "250 ms", "500 ms", "750 ms", "1 s"}},
        {4, {"0 ms", "1 s", "2 s", "3 s", "4 s"}},
        {16, {"0 ms", "4 s", "8 s", "12 s", "16 s"}},
        {2, {"0 ms", "500 ms", "1 s", "1.5 s", "2 s"}},
        {6, {"0 ms", "1.5 s", "3 s", "4.5 s", "6 s"}},
        {0, {"0 ms", "0 ms", "0 ms", "0 ms", "0 ms"}},
    };
    const double bottom = kTop + kHeight;
    const CRect boxes[5] = {
        CRect(kLeft, bottom - 15, kLeft + 28, bottom),
        CRect(kLeft + kWidth * 0.25 - 28, bottom - 15, kLeft + kWidth * 0.25 + 28, bottom),
        CRect(kLeft + kWidth * 0.5 - 28, bottom - 15, kLeft + kWidth * 0.5 + 28, bottom),
        CRect(kLeft + kWidth * 0.75 - 28, bottom - 15, kLeft + kWidth * 0.75 + 28, bottom),
        CRect(kLeft + kWidth - 28, bottom - 15, kLeft + kWidth, bottom),
    };
    const CHoriTxtAlign aligns[5] = {kLeftText, kCenterText, kCenterText, kCenterText, kRightText};
    for (const Case& k : cases) {
        SCOPED_TRACE("window " + std::to_string(k.seconds));
        auto view = makeView();
        view->setWindowSeconds(k.seconds);
        const auto context = drawn(*view);
        const auto strings = context.callsOf(Op::String);
        ASSERT_EQ(strings.size(), 10u); // five time labels, five amplitude labels
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(strings[i].text, k.labels[i]);
            EXPECT_TRUE(rectNear(strings[i].rect, boxes[i]));
            EXPECT_EQ(strings[i].align, aligns[i]);
            expectFont(strings[i], 8, kBoldFace);
            EXPECT_TRUE(sameColour(strings[i].state.fontColor, CColor(123, 136, 140, 255)));
        }
    }
}

TEST(OutputWaveformView, AmplitudeLabelsMarkTheGridLines) {
    auto view = makeView();
    const auto context = drawn(*view);
    const auto strings = context.callsOf(Op::String);
    ASSERT_EQ(strings.size(), 10u);
    const struct {
        const char* text;
        double y;
    } labels[] = {{"+1.0", kMid - 76}, {"+0.5", kMid - 38}, {"0", kMid}, {"-0.5", kMid + 38}, {"-1.0", kMid + 76}};
    for (int i = 0; i < 5; ++i) {
        const Call& s = strings[5 + i];
        EXPECT_EQ(s.text, labels[i].text);
        EXPECT_TRUE(rectNear(s.rect, CRect(kLeft + 4, labels[i].y - 7, kLeft + 38, labels[i].y + 7), 1e-9));
        EXPECT_EQ(s.align, kLeftText);
        expectFont(s, 7, kNormalFace);
        EXPECT_TRUE(sameColour(s.state.fontColor, CColor(91, 121, 128, 230)));
    }
}

TEST(OutputWaveformView, BackgroundAndGridComeFirst) {
    auto view = makeView();
    const auto context = drawn(*view);
    const auto& calls = context.getCalls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls[0].op, Op::Rect);
    EXPECT_EQ(calls[0].style, kDrawFilled);
    EXPECT_EQ(calls[0].rect, view->getViewSize());
    EXPECT_TRUE(sameColour(calls[0].state.fillColor, CColor(7, 15, 20, 255)));

    // Nine dashed columns: dashes start at top + 3, every 6 while above bottom - 2, 2 long, so
    // (200 - 5) / 6 rounded up = 33 dashes each.
    const auto thin = linesOfWidth(context, 1.0);
    ASSERT_EQ(thin.size(), 9u * 33u + 5u);
    for (int k = 0; k <= 8; ++k) {
        const double x = kLeft + kWidth * k / 8.0;
        for (int d = 0; d < 33; ++d) {
            const Call& dash = thin[k * 33 + d];
            EXPECT_TRUE(pointNear(dash.p1, CPoint(x, kTop + 3 + 6 * d)));
            EXPECT_TRUE(pointNear(dash.p2, CPoint(x, kTop + 5 + 6 * d)));
            EXPECT_TRUE(sameColour(dash.state.frameColor, CColor(42, 70, 78, 205)));
        }
    }
    EXPECT_EQ(thin[8 * 33].p1.x, kLeft + kWidth); // the last column exactly at the right edge

    const struct {
        double y;
        CColor colour;
    } rows[] = {{kMid - 76, CColor(25, 48, 56, 220)},
                {kMid - 38, CColor(25, 48, 56, 220)},
                {kMid, CColor(44, 91, 101, 255)},
                {kMid + 38, CColor(25, 48, 56, 220)},
                {kMid + 76, CColor(25, 48, 56, 220)}};
    for (int i = 0; i < 5; ++i) {
        const Call& line = thin[9 * 33 + i];
        EXPECT_TRUE(pointNear(line.p1, CPoint(kLeft, rows[i].y), 1e-9));
        EXPECT_TRUE(pointNear(line.p2, CPoint(kLeft + kWidth, rows[i].y), 1e-9));
        EXPECT_TRUE(sameColour(line.state.frameColor, rows[i].colour));
    }

    const auto zero = linesOfWidth(context, 1.5);
    ASSERT_EQ(zero.size(), 1u);
    EXPECT_TRUE(pointNear(zero[0].p1, CPoint(kLeft, kMid)));
    EXPECT_TRUE(pointNear(zero[0].p2, CPoint(kLeft + kWidth, kMid - 1)));
    EXPECT_TRUE(sameColour(zero[0].state.frameColor, CColor(28, 225, 235, 235)));
}

TEST(OutputWaveformView, BloomBarsStemsAndGlowPassesFollowTheColumns) {
    auto view = makeView();
    const auto kick = placeholderKick();
    const double gain = 0.96 / kick[1];
    const auto context = drawn(*view);

    const auto bars = linesOfWidth(context, 5.0); // max(381 / 115, 5)
    ASSERT_EQ(bars.size(), 96u);
    for (int i = 0; i < 96; ++i) {
        const double a = std::fabs(kick[std::min(i * 127 / 95, 127)] * gain);
        const double half = std::min(0.035 + 0.09 * std::exp(-2.2 * i / 95.0) + 0.22 * a, 0.34) * kHeight;
        const double x = kLeft + kWidth * i / 95.0;
        EXPECT_TRUE(pointNear(bars[i].p1, CPoint(x, kMid - half), 1e-3)) << "bar " << i;
        EXPECT_TRUE(pointNear(bars[i].p2, CPoint(x, kMid + half), 1e-3)) << "bar " << i;
        const auto alpha = static_cast<uint8_t>(std::min(48 * a, 42.0) + 18);
        const CColor colour = i / 95.0 >= 0.16 ? CColor(120, 56, 230, alpha) : CColor(255, 104, 22, alpha);
        EXPECT_TRUE(colourNear(bars[i].state.frameColor, colour, 1)) << "bar " << i;
    }
    // Bar 0 sits on the silent onset: the smallest bloom, alpha 18.
    EXPECT_NEAR(bars[0].p2.y - kMid, 0.125 * kHeight, 1e-9);
    EXPECT_EQ(bars[0].state.frameColor.alpha, 18);

    const auto stems = linesOfWidth(context, 3.0); // max(381 / 170, 3)
    ASSERT_EQ(stems.size(), 127u);
    for (int c = 1; c < 128; ++c) {
        const double x = kLeft + kWidth * c / 127.0;
        const double y = kMid - kFullScale * std::clamp(kick[c] * gain, -1.0, 1.0);
        EXPECT_TRUE(pointNear(stems[c - 1].p1, CPoint(x, kMid), 1e-9));
        EXPECT_TRUE(pointNear(stems[c - 1].p2, CPoint(x, y), 1e-3)) << "stem " << c;
        // 17 / 127 is below 0.14, 18 / 127 above.
        const CColor colour = c >= 18 ? CColor(132, 68, 244, 70) : CColor(255, 111, 24, 80);
        EXPECT_TRUE(sameColour(stems[c - 1].state.frameColor, colour)) << "stem " << c;
    }

    const struct {
        double width;
        CColor head, tail;
    } passes[] = {{14, CColor(255, 88, 16, 42), CColor(107, 42, 255, 45)},
                  {7, CColor(255, 124, 27, 115), CColor(143, 73, 255, 125)},
                  {2.4, CColor(255, 183, 64, 255), CColor(195, 135, 255, 245)}};
    for (const auto& pass : passes) {
        const auto segments = linesOfWidth(context, pass.width);
        ASSERT_EQ(segments.size(), 127u);
        EXPECT_TRUE(pointNear(segments[0].p1, CPoint(kLeft, kMid)));
        for (int c = 1; c < 128; ++c) {
            const CPoint end(kLeft + kWidth * c / 127.0, kMid - kFullScale * std::clamp(kick[c] * gain, -1.0, 1.0));
            EXPECT_TRUE(pointNear(segments[c - 1].p2, end, 1e-3));
            if (c > 1) {
                EXPECT_EQ(segments[c - 1].p1, segments[c - 2].p2);
            }
            EXPECT_TRUE(sameColour(segments[c - 1].state.frameColor, c >= 18 ? pass.tail : pass.head));
        }
    }
    // The passes follow each other widest first, after the stems.
    const auto& calls = context.getCalls();
    auto firstOfWidth = [&](double w) {
        return std::find_if(calls.begin(), calls.end(), [w](const Call& c) { return c.state.lineWidth == w; });
    };
    EXPECT_LT(firstOfWidth(5.0), firstOfWidth(3.0));
    EXPECT_LT(firstOfWidth(3.0), firstOfWidth(14.0));
    EXPECT_LT(firstOfWidth(14.0), firstOfWidth(7.0));
    EXPECT_LT(firstOfWidth(7.0), firstOfWidth(2.4));
    EXPECT_LT(firstOfWidth(2.4), firstOfWidth(1.5));
}

TEST(OutputWaveformView, ANonFiniteViewSizeCountsAsZero) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    auto broken = makeOwned<OutputWaveformView>();
    broken->setViewSize(CRect(nan, 0, 381, std::numeric_limits<double>::infinity()));
    auto reference = makeOwned<OutputWaveformView>();
    reference->setViewSize(CRect(0, 0, 381, 0));
    const auto a = drawn(*broken);
    const auto b = drawn(*reference);
    EXPECT_TRUE(allFinite(a));
    ASSERT_EQ(a.getCalls().size(), b.getCalls().size());
    for (size_t i = 0; i < a.getCalls().size(); ++i) {
        EXPECT_EQ(a.getCalls()[i].p1, b.getCalls()[i].p1);
        EXPECT_EQ(a.getCalls()[i].p2, b.getCalls()[i].p2);
        EXPECT_EQ(a.getCalls()[i].rect, b.getCalls()[i].rect);
    }
}

TEST(OutputWaveformView, RenderedPlaceholderPeakGlowsOrangeAndWaitingLeavesItDark) {
    auto view = makeView();
    // Probes in view pixels: a background spot above the dashes and between grid columns, and the
    // placeholder's first peak (column 1 at 0.96 of full scale).
    const double peakX = kWidth / 127.0, peakY = kMid - kTop - 0.96 * kFullScale;
    auto placeholder = renderView(view);
    ASSERT_TRUE(placeholder);
    EXPECT_TRUE(colourNear(placeholder->getPixel(static_cast<int>(kWidth * 3 / 16), 1), CColor(7, 15, 20, 255), 2));
    const CColor glow = placeholder->getPixel(static_cast<int>(peakX), static_cast<int>(peakY));
    EXPECT_GT(glow.red, 180) << colourText(glow);
    EXPECT_GT(glow.red, glow.blue + 60) << colourText(glow);

    view->clearCapture();
    auto waiting = renderView(view);
    ASSERT_TRUE(waiting);
    const CColor dark = waiting->getPixel(static_cast<int>(peakX), static_cast<int>(peakY));
    EXPECT_TRUE(colourNear(dark, CColor(7, 15, 20, 255), 2));
}

} // namespace
} // namespace TarnwellPlugin
