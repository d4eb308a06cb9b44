// The effects workspace's drawing: recorded draw calls and pixels of off-screen renders for the three pages.
#include "WorkspaceTestSupport.h"

#include "vstgui/lib/coffscreen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <string>
#include <vector>

namespace TarnwellPlugin {
namespace workspace_test {
namespace {

using Op = RecordingDrawContext::Op;
using Call = RecordingDrawContext::Call;

constexpr double kPi = 3.14159265358979323846;

const CColor kCyan(42, 210, 220, 255), kViolet(166, 103, 235, 255), kOrange(238, 126, 43, 255),
    kTeal(44, 197, 211, 255), kAmber(244, 151, 55, 255);

CColor alpha(CColor c, uint8_t a) {
    c.alpha = a;
    return c;
}

bool near(double a, double b, double tolerance = 1e-9) { return std::fabs(a - b) <= tolerance; }
bool near(const CRect& a, const CRect& b) {
    return near(a.left, b.left) && near(a.top, b.top) && near(a.right, b.right) && near(a.bottom, b.bottom);
}

::testing::AssertionResult colourNear(const CColor& actual, const CColor& expected, int tolerance = 3) {
    auto d = [](int a, int b) { return std::abs(a - b); };
    if (d(actual.red, expected.red) <= tolerance && d(actual.green, expected.green) <= tolerance &&
        d(actual.blue, expected.blue) <= tolerance && d(actual.alpha, expected.alpha) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got (" << int(actual.red) << "," << int(actual.green) << ","
                                         << int(actual.blue) << "," << int(actual.alpha) << ") expected ("
                                         << int(expected.red) << "," << int(expected.green) << ","
                                         << int(expected.blue) << "," << int(expected.alpha) << ")";
}

// Source over an opaque background.
CColor over(const CColor& top, const CColor& below) {
    const double a = top.alpha / 255.0;
    auto mix = [&](int t, int b) { return static_cast<uint8_t>(std::lround(t * a + b * (1 - a))); };
    return CColor(mix(top.red, below.red), mix(top.green, below.green), mix(top.blue, below.blue), 255);
}

class WorkspaceDrawing : public WorkspaceFixture {
protected:
    std::vector<Call> record() {
        RecordingDrawContext context(CRect(0, 0, 1700, 300));
        view->draw(&context);
        return context.getCalls();
    }
    CColor pixel(double x, double y) {
        auto image = renderView(view.get(), 1.0);
        if (!image) return CColor(0, 0, 0, 0);
        return image->getPixel(static_cast<int>(x - view->getViewSize().left),
                               static_cast<int>(y - view->getViewSize().top));
    }
};

std::vector<Call> rectCalls(const std::vector<Call>& calls, const CRect& r, CDrawStyle style) {
    std::vector<Call> found;
    for (const Call& c : calls)
        if (c.op == Op::Rect && c.style == style && near(c.rect, r)) found.push_back(c);
    return found;
}

const Call* stringCall(const std::vector<Call>& calls, const std::string& text) {
    for (const Call& c : calls)
        if (c.op == Op::String && c.text == text) return &c;
    return nullptr;
}

bool hasStringIn(const std::vector<Call>& calls, const std::string& text, const CRect& r) {
    for (const Call& c : calls)
        if (c.op == Op::String && c.text == text && near(c.rect, r)) return true;
    return false;
}

std::vector<Call> pathsIn(const std::vector<Call>& calls, const CColor& colour) {
    std::vector<Call> found;
    for (const Call& c : calls)
        if (c.op == Op::Path && c.state.frameColor == colour) found.push_back(c);
    return found;
}

std::vector<CPoint> pathPoints(const Call& c) {
    std::vector<CPoint> points;
    for (const auto& e : c.path) points.push_back(e.point);
    return points;
}

// The pointer line of a small knob whose caption box starts at x0 - 7, y + 50.
const Call* knobPointer(const std::vector<Call>& calls, double x0, double y, double x1) {
    const double cx = (x0 + x1) / 2;
    for (const Call& c : calls)
        if (c.op == Op::Line && c.state.frameColor == CColor(231, 232, 225, 255) && near(c.p1.x, cx) &&
            near(c.p1.y, y + 27))
            return &c;
    return nullptr;
}

// --- common parts ---

TEST_F(WorkspaceDrawing, EveryPageStartsWithTheBackgroundAndFrameAndDrawsItsModuleBoxes) {
    const double l = kLeft, t = kTop, r = kRight, b = kBottom;
    const double colW = kWidth / 4 + 2.5;
    struct Case {
        WaveAreaPage page;
        std::vector<CRect> boxes;
    };
    const Case cases[] = {
        {kWaveAreaSubGenerator,
         {{l, t, l + 900, b}, {l + 910, t, l + 1240, b}, {l + 1430, t, r, b}, {l + 1250, t, l + 1420, b}}},
        {kWaveAreaExtendedMix,
         {{l, t, l + 392.5, b}, {l + colW, t, l + colW + 392.5, b}, {l + 2 * colW, t, l + 2 * colW + 392.5, b},
          {l + 3 * colW, t, l + 3 * colW + 392.5, b}}},
        {kWaveAreaExtendedFx,
         {{l, t, l + 390, b}, {l + 400, t, l + 725, b}, {l + 735, t, l + 1060, b}, {l + 1070, t, l + 1335, b},
          {l + 1345, t, l + 1590, b}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.page);
        makeView(c.page);
        const auto calls = record();
        ASSERT_GE(calls.size(), 2u);
        EXPECT_EQ(calls[0].op, Op::Rect);
        EXPECT_EQ(calls[0].style, kDrawFilled);
        EXPECT_TRUE(near(calls[0].rect, CRect(l, t, r, b)));
        EXPECT_EQ(calls[0].state.fillColor, CColor(3, 8, 10, 255));
        EXPECT_EQ(calls[1].style, kDrawStroked);
        EXPECT_TRUE(near(calls[1].rect, CRect(l + 1, t + 1, r - 1, b - 1)));
        EXPECT_EQ(calls[1].state.frameColor, CColor(34, 44, 48, 255));
        EXPECT_EQ(calls[1].state.lineWidth, 0.75);
        for (const CRect& box : c.boxes) {
            const auto fills = rectCalls(calls, box, kDrawFilled);
            const auto frames = rectCalls(calls, box, kDrawStroked);
            ASSERT_EQ(fills.size(), 1u) << box.left << " " << box.right;
            ASSERT_EQ(frames.size(), 1u);
            EXPECT_EQ(fills[0].state.fillColor, CColor(48, 55, 58, 255));
            EXPECT_EQ(frames[0].state.frameColor, CColor(76, 87, 90, 255));
            EXPECT_EQ(frames[0].state.lineWidth, 0.75);
        }
        EXPECT_FALSE(view->isDirty());
    }
}

TEST_F(WorkspaceDrawing, TitlesAreDrawnInTheirFontsAndAccents) {
    struct Case {
        WaveAreaPage page;
        const char* text;
        CCoord size;
        CColor colour;
        CHoriTxtAlign align;
    };
    const Case cases[] = {
        {kWaveAreaExtendedFx, "RHYTHM GATE", 14, kCyan, kLeftText},
        {kWaveAreaExtendedFx, "STEREO ENHANCER", 14, kTeal, kLeftText},
        {kWaveAreaExtendedMix, "WAVE DRY RETURN", 14, kAmber, kCenterText},
        {kWaveAreaExtendedMix, "SUB DRY RETURN", 14, kViolet, kCenterText},
        {kWaveAreaSubGenerator, "SUB GENERATOR", 14, kCyan, kCenterText},
        {kWaveAreaSubGenerator, "VOICE CONTOUR", 13, CColor(184, 197, 200, 255), kLeftText},
        {kWaveAreaSubGenerator, "HARM", 9.5, kViolet, kCenterText},
        {kWaveAreaSubGenerator, "DIRECT ADSR", 13, kCyan, kCenterText},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        makeView(c.page);
        const auto calls = record();
        const Call* s = stringCall(calls, c.text);
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->state.font->getName(), "Arial");
        EXPECT_EQ(s->state.font->getSize(), c.size);
        EXPECT_EQ(s->state.font->getStyle(), kBoldFace);
        EXPECT_EQ(s->state.fontColor, c.colour);
        EXPECT_EQ(s->align, c.align);
    }
}

// --- switches ---

TEST_F(WorkspaceDrawing, SwitchChipsShowTheirStateWithoutABitmap) {
    struct Chip {
        WaveAreaPage page;
        ParamID id;
        const char* label;
        CRect rect;
        CColor accent;
    };
    const Chip chips[] = {
        {kWaveAreaExtendedFx, 182, "GATE", {kLeft + 10, kTop + 50, kLeft + 80, kTop + 78}, kCyan},
        {kWaveAreaExtendedFx, 189, "VOID", {kLeft + 745, kTop + 50, kLeft + 815, kTop + 78}, kOrange},
        {kWaveAreaExtendedFx, 195, "FAT", {kLeft + 1355, kTop + 50, kLeft + 1425, kTop + 78}, kAmber},
        {kWaveAreaSubGenerator, 417, "SEQ", {kLeft + 35, kTop + 91, kLeft + 105, kTop + 120}, kCyan},
    };
    for (const Chip& chip : chips) {
        for (double v : {0.0, 0.49, 0.5, 1.0}) {
            SCOPED_TRACE(std::string(chip.label) + " at " + std::to_string(v));
            const bool on = v >= 0.5;
            makeView(chip.page);
            hostSets(chip.id, v);
            const auto calls = record();
            const auto fills = rectCalls(calls, chip.rect, kDrawFilled);
            ASSERT_EQ(fills.size(), 1u);
            EXPECT_EQ(fills[0].state.fillColor, on ? alpha(chip.accent, 190) : CColor(15, 29, 35, 255));
            CRect inner = chip.rect;
            inner.inset(3, 3);
            const auto glow = rectCalls(calls, inner, kDrawFilled);
            ASSERT_EQ(glow.size(), on ? 1u : 0u);
            if (on) {
                EXPECT_EQ(glow[0].state.fillColor, alpha(chip.accent, 112));
            }
            CRect edge = chip.rect;
            edge.inset(1, 1);
            const auto frames = rectCalls(calls, edge, kDrawStroked);
            ASSERT_EQ(frames.size(), 1u);
            EXPECT_EQ(frames[0].state.frameColor, on ? chip.accent : CColor(83, 100, 116, 255));
            EXPECT_EQ(frames[0].state.lineWidth, 1.0);
            const Call* text = stringCall(calls, std::string(chip.label) + (on ? " ON" : " OFF"));
            ASSERT_NE(text, nullptr);
            EXPECT_TRUE(near(text->rect, chip.rect));
            EXPECT_EQ(text->state.font->getSize(), 9);
            EXPECT_EQ(text->state.fontColor, on ? CColor(238, 246, 246, 255) : CColor(174, 188, 192, 255));
        }
    }
}

TEST_F(WorkspaceDrawing, SwitchChipPixelsShowTheStateInTheirTextFreeCorner) {
    const CColor box(48, 55, 58, 255);
    makeView(kWaveAreaExtendedFx);
    const double x = kLeft + 410 + 6, y = kTop + 50 + 6; // RIFT FOLD's chip, inside the glow, left of the label
    hostSets(186, 1.0);
    EXPECT_TRUE(colourNear(pixel(x, y), over(alpha(kViolet, 112), over(alpha(kViolet, 190), box))));
    hostSets(186, 0.0);
    EXPECT_TRUE(colourNear(pixel(x, y), CColor(15, 29, 35, 255)));
}

TEST_F(WorkspaceDrawing, ALoadedBitmapBacksTheChipsAndAMissingOneLeavesPlainChips) {
    auto image = owned(new CBitmap(70, 28));
    auto broken = owned(new CBitmap(std::string("/nonexistent/toggle-70.png")));
    const CRect chip(kLeft + 1080, kTop + 50, kLeft + 1150, kTop + 78);
    struct Case {
        const char* name;
        CBitmap* bitmap;
        bool drawn;
    };
    const Case cases[] = {
        {"loaded", image.get(), true}, {"missing", nullptr, false}, {"not loaded", broken.get(), false}};
    for (const Case& c : cases) {
        for (double v : {0.0, 1.0}) {
            SCOPED_TRACE(std::string(c.name) + (v > 0 ? " on" : " off"));
            makeView(kWaveAreaExtendedFx, CRect(kLeft, kTop, kRight, kBottom), c.bitmap);
            hostSets(192, v);
            const auto calls = record();
            std::vector<Call> bitmaps;
            for (const Call& call : calls)
                if (call.op == Op::Bitmap && near(call.rect, chip)) bitmaps.push_back(call);
            ASSERT_EQ(bitmaps.size(), c.drawn ? 1u : 0u);
            if (c.drawn) {
                EXPECT_EQ(bitmaps[0].bitmap, c.bitmap);
                EXPECT_EQ(bitmaps[0].bitmapOffset, CPoint(0, 0));
            }
            EXPECT_EQ(rectCalls(calls, chip, kDrawFilled).size(), c.drawn ? 0u : 1u);
            CRect inner = chip;
            inner.inset(3, 3);
            EXPECT_EQ(rectCalls(calls, inner, kDrawFilled).size(), v > 0 ? 1u : 0u);
        }
    }
    // The view holds its own reference to the bitmap while it lives.
    makeView(kWaveAreaExtendedFx, CRect(kLeft, kTop, kRight, kBottom), image.get());
    const auto before = image->getNbReference();
    view = nullptr;
    EXPECT_EQ(image->getNbReference(), before - 1);
}

// --- rhythm gate ---

TEST_F(WorkspaceDrawing, GateRateSelectsTheRoundedListEntry) {
    struct Case {
        double rate;
        int selected; // 1/2, 1/4, 1/8, 1/16
    };
    const Case cases[] = {{0.0, 0},         {0.16, 0},        {0.17, 1}, {1.0 / 3.0, 1}, {0.49, 1},
                          {0.5, 2},         {2.0 / 3.0, 2},   {0.83, 2}, {0.84, 3},      {1.0, 3}};
    const char* labels[] = {"1/2", "1/4", "1/8", "1/16"};
    makeView(kWaveAreaExtendedFx);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rate);
        hostSets(183, c.rate);
        const auto calls = record();
        for (int i = 0; i < 4; ++i) {
            const CRect box(kLeft + 10 + 41 * i, kTop + 89, kLeft + 49 + 41 * i, kTop + 119);
            const bool selected = i == c.selected;
            CRect inner = box;
            inner.inset(2.5, 2.5);
            const auto fills = rectCalls(calls, box, kDrawFilled);
            ASSERT_EQ(fills.size(), 1u);
            EXPECT_EQ(fills[0].state.fillColor, CColor(15, 30, 36, 255));
            const auto highlight = rectCalls(calls, inner, kDrawFilled);
            ASSERT_EQ(highlight.size(), selected ? 1u : 0u) << labels[i];
            if (selected) {
                EXPECT_EQ(highlight[0].state.fillColor, CColor(37, 179, 193, 210));
            }
            const auto frames = rectCalls(calls, box, kDrawStroked);
            ASSERT_EQ(frames.size(), 1u);
            EXPECT_EQ(frames[0].state.frameColor, selected ? CColor(63, 220, 229, 255) : CColor(53, 72, 78, 255));
            const Call* label = stringCall(calls, labels[i]);
            ASSERT_NE(label, nullptr);
            EXPECT_EQ(label->state.font->getSize(), 11);
            EXPECT_EQ(label->state.fontColor, selected ? CColor(7, 22, 27, 255) : CColor(178, 190, 194, 255));
        }
    }
}

TEST_F(WorkspaceDrawing, SelectedRateButtonPixelsFollowAClickOnTheButton) {
    makeView(kWaveAreaExtendedFx);
    const CColor unselected(15, 30, 36, 255);
    const CColor selected = over(CColor(37, 179, 193, 210), unselected);
    CPoint eighth(kLeft + 92 + 4, kTop + 89 + 4), quarter(kLeft + 51 + 4, kTop + 89 + 4);
    hostSets(183, 0.0);
    view->onMouseDown(eighth, CButtonState(kLButton));
    EXPECT_TRUE(colourNear(pixel(eighth.x, eighth.y), selected));
    EXPECT_TRUE(colourNear(pixel(quarter.x, quarter.y), unselected));
    hostSets(183, 0.49);
    EXPECT_TRUE(colourNear(pixel(eighth.x, eighth.y), unselected));
    EXPECT_TRUE(colourNear(pixel(quarter.x, quarter.y), selected));
}

TEST_F(WorkspaceDrawing, GatePatternHasTwoToSixteenSegmentsDownToTheDepthInsideItsClip) {
    const double depthSpan = kHeight - 78; // 102
    struct Case {
        double rate;
        int segments;
        double depth;
    };
    const Case cases[] = {{0.0, 2, 1.0}, {1.0 / 3.0, 4, 0.5}, {2.0 / 3.0, 8, 0.25}, {1.0, 16, 0.0}};
    makeView(kWaveAreaExtendedFx);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.segments);
        hostSets(183, c.rate);
        hostSets(184, c.depth);
        const auto calls = record();
        const auto paths = pathsIn(calls, CColor(46, 213, 224, 255));
        ASSERT_EQ(paths.size(), 1u);
        const Call& p = paths[0];
        EXPECT_EQ(p.pathMode, CDrawContext::kPathStroked);
        EXPECT_EQ(p.state.lineWidth, 3.0);
        const std::vector<CPoint> points = pathPoints(p);
        ASSERT_EQ(points.size(), static_cast<size_t>(1 + 2 * c.segments));
        const double low = kTop + 53 + c.depth * depthSpan;
        EXPECT_EQ(points[0], CPoint(kLeft + 257, kTop + 53));
        for (int i = 1; i <= c.segments; ++i) {
            const double x = kLeft + 257 + 116.0 * i / c.segments;
            const double yBefore = i % 2 == 1 ? kTop + 53 : low;
            const double yAfter = i % 2 == 1 ? low : kTop + 53;
            EXPECT_TRUE(near(points[2 * i - 1].x, x) && near(points[2 * i - 1].y, yBefore)) << i;
            EXPECT_TRUE(near(points[2 * i].x, x) && near(points[2 * i].y, yAfter)) << i;
        }
        // Clipped to the pattern box inset by 1; the clip is given back afterwards.
        EXPECT_TRUE(near(p.state.clipRect, CRect(kLeft + 256, kTop + 39, kLeft + 379, kBottom - 11)));
        EXPECT_TRUE(near(calls.back().state.clipRect, CRect(0, 0, 1700, 300)));
        // The three guide lines at a quarter, half and three quarters between top + 41 and bottom - 13.
        int guides = 0;
        for (const Call& line : calls) {
            if (line.op != Op::Line || line.state.frameColor != CColor(23, 48, 56, 190)) continue;
            const double q = 0.25 * ++guides;
            const double y = kTop + 41 + (kHeight - 54) * q;
            EXPECT_TRUE(near(line.p1.y, y) && near(line.p2.y, y) && near(line.p1.x, kLeft + 257) &&
                        near(line.p2.x, kLeft + 373));
            EXPECT_TRUE(near(line.state.clipRect, p.state.clipRect));
        }
        EXPECT_EQ(guides, 3);
    }
}

// --- knobs ---

TEST_F(WorkspaceDrawing, SmallKnobsPointAtTheirValueAngle) {
    struct Case {
        WaveAreaPage page;
        ParamID id;
        double x0, y, x1; // the knob's columns and top, in offsets
        CColor accent;
        const char* caption;
    };
    const Case cases[] = {
        {kWaveAreaSubGenerator, 400, 301, 8, 359, kCyan, "PITCH"},
        {kWaveAreaSubGenerator, 412, 801, 91, 859, kCyan, "COMP"},
        {kWaveAreaSubGenerator, 416, 1348.5, 96, 1406.5, kCyan, "RELEASE"},
        {kWaveAreaExtendedFx, 185, 185, 76, 237, kCyan, "SMOOTH"},
        {kWaveAreaExtendedFx, 187, 495, 39, 547, kViolet, "FOLD"},
        {kWaveAreaExtendedFx, 194, 1225, 39, 1277, kTeal, "SPACE"},
    };
    // value -> angle in degrees, 135 + 270 v
    const std::pair<double, double> values[] = {{0.0, 135.0}, {0.25, 202.5}, {0.5, 270.0}, {1.0, 405.0}};
    for (const Case& c : cases) {
        for (const auto& [v, angle] : values) {
            SCOPED_TRACE(std::string(c.caption) + " at " + std::to_string(v));
            makeView(c.page);
            hostSets(c.id, v);
            const auto calls = record();
            const double x0 = kLeft + c.x0, x1 = kLeft + c.x1, y = kTop + c.y, cx = (x0 + x1) / 2;
            const Call* pointer = knobPointer(calls, x0, y, x1);
            ASSERT_NE(pointer, nullptr);
            EXPECT_NEAR(pointer->p2.x, cx + 13 * std::cos(angle * kPi / 180), 1e-9);
            EXPECT_NEAR(pointer->p2.y, y + 27 + 13 * std::sin(angle * kPi / 180), 1e-9);
            EXPECT_EQ(pointer->state.lineWidth, 2.2);
            int arcs = 0;
            for (const Call& a : calls) {
                if (a.op != Op::Arc || !near(a.rect, CRect(cx - 22, y + 5, cx + 22, y + 49))) continue;
                ++arcs;
                EXPECT_EQ(a.state.lineWidth, 3.5);
                EXPECT_EQ(a.startAngle, 135.0);
                if (a.state.frameColor == c.accent) {
                    EXPECT_NEAR(a.endAngle, angle, 1e-4);
                } else {
                    EXPECT_EQ(a.endAngle, 405.0);
                }
            }
            EXPECT_EQ(arcs, 2);
            EXPECT_TRUE(hasStringIn(calls, c.caption, CRect(x0 - 7, y + 50, x1 + 7, y + 66)));
        }
    }
}

TEST_F(WorkspaceDrawing, LargeKnobValueArcPixelsFollowTheDryReturns) {
    // The top of each ring (270 degrees) is lit from a value of 0.5 on.
    const CColor track(48, 69, 77, 255);
    const CColor accents[] = {kOrange, kAmber, kCyan, kViolet};
    makeView(kWaveAreaExtendedMix);
    for (int k = 0; k < 4; ++k) {
        const double cx = kLeft - 3.75 + kWidth / 8 + k * (kWidth / 4 + 2.5);
        const double topOfRing = kTop + 46 + 1; // inside the 5-point stroke
        for (const auto& [v, lit] : {std::pair{0.4, false}, std::pair{0.6, true}, std::pair{0.0, false}}) {
            SCOPED_TRACE(std::to_string(k) + " at " + std::to_string(v));
            hostSets(436 + k, v);
            EXPECT_TRUE(colourNear(pixel(cx, topOfRing), lit ? accents[k] : track));
        }
    }
}

TEST_F(WorkspaceDrawing, MixerKnobIsCentredBetweenItsEdgesWithRadius39) {
    makeView(kWaveAreaSubGenerator);
    hostSets(411, 1.0 / 3.0); // 225 degrees
    const auto calls = record();
    const double cx = (kLeft + 1440 + kRight - 10) / 2;
    const CRect ring(cx - 39, kTop + 46, cx + 39, kTop + 124);
    int arcs = 0;
    for (const Call& a : calls) {
        if (a.op != Op::Arc || !near(a.rect, ring)) continue;
        ++arcs;
        EXPECT_EQ(a.state.lineWidth, 5.0);
        EXPECT_NEAR(a.endAngle, a.state.frameColor == kCyan ? 225.0 : 405.0, 1e-4);
    }
    EXPECT_EQ(arcs, 2);
    bool pointer = false;
    for (const Call& l : calls)
        if (l.op == Op::Line && l.state.frameColor == CColor(235, 238, 232, 255)) {
            pointer = true;
            EXPECT_TRUE(near(l.p1.x, cx) && near(l.p1.y, kTop + 85));
            EXPECT_NEAR(l.p2.x, cx - 23 * std::sqrt(0.5), 1e-9);
            EXPECT_NEAR(l.p2.y, kTop + 85 - 23 * std::sqrt(0.5), 1e-9);
            EXPECT_EQ(l.state.lineWidth, 3.0);
        }
    EXPECT_TRUE(pointer);
}

// --- sub steps ---

TEST_F(WorkspaceDrawing, StepSquaresFollowTheHostsChanges) {
    const CColor panel(48, 55, 58, 255);
    const CColor onFill = over(CColor(31, 158, 172, 220), panel), offFill(11, 24, 29, 255);
    makeView(kWaveAreaSubGenerator);
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < 16; ++i) hostSets(420 + i, (i % 3 == pass) ? 1.0 : 0.0);
        const auto calls = record();
        auto image = renderView(view.get(), 1.0);
        ASSERT_TRUE(image);
        for (int i = 0; i < 16; ++i) {
            SCOPED_TRACE("pass " + std::to_string(pass) + " step " + std::to_string(i + 1));
            const bool on = i % 3 == pass;
            const double x = kLeft + 145 + 31 * (i % 4), y = kTop + 17 + 31 * (i / 4);
            const auto fills = rectCalls(calls, CRect(x, y, x + 26, y + 26), kDrawFilled);
            ASSERT_EQ(fills.size(), 1u);
            EXPECT_EQ(fills[0].state.fillColor, on ? CColor(31, 158, 172, 220) : offFill);
            const Call* number = stringCall(calls, std::to_string(i + 1));
            ASSERT_NE(number, nullptr);
            EXPECT_EQ(number->state.font->getSize(), 8);
            EXPECT_EQ(number->state.fontColor, on ? CColor(235, 247, 247, 255) : CColor(132, 150, 155, 255));
            // A corner of the square, clear of its number and frame.
            EXPECT_TRUE(colourNear(image->getPixel(static_cast<int>(x - kLeft + 4), static_cast<int>(y - kTop + 4)),
                                   on ? onFill : offFill));
        }
    }
}

// --- modulation previews ---

TEST_F(WorkspaceDrawing, ModulationPreviewsDrawATriangleForRiftFoldAndASineForVoidMod) {
    struct Case {
        ParamID rateId, depthId;
        double rate, depth;
        double x0, x1; // the preview box, offsets from left
        CColor accent;
        bool triangle;
    };
    const Case cases[] = {{187, 188, 0.0, 1.0, 618, 715, kViolet, true},
                          {187, 188, 0.4, 0.5, 618, 715, kViolet, true},
                          {190, 191, 0.0, 1.0, 953, 1050, kOrange, false},
                          {190, 191, 1.0, 0.25, 953, 1050, kOrange, false}};
    makeView(kWaveAreaExtendedFx);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.rateId) + " rate " + std::to_string(c.rate));
        hostSets(c.rateId, c.rate);
        hostSets(c.depthId, c.depth);
        const auto calls = record();
        const double x0 = kLeft + c.x0, x1 = kLeft + c.x1, y0 = kTop + 48, y1 = kBottom - 18;
        const double yc = (y0 + y1) / 2, h = y1 - y0;
        EXPECT_EQ(rectCalls(calls, CRect(x0, y0, x1, y1), kDrawFilled).size(), 1u);
        const auto paths = pathsIn(calls, c.accent);
        ASSERT_EQ(paths.size(), 1u);
        EXPECT_EQ(paths[0].state.lineWidth, 2.2);
        const auto points = pathPoints(paths[0]);
        ASSERT_EQ(points.size(), 37u);
        EXPECT_EQ(points[0], CPoint(x0 + 3, yc));
        const double cycles = 1 + 5 * c.rate;
        for (int s = 1; s <= 36; ++s) {
            const double phase = 10.0 * s * cycles * kPi / 180;
            const double w = c.triangle ? std::asin(std::sin(phase)) * 2 / kPi : std::sin(phase);
            EXPECT_NEAR(points[s].x, x0 + 3 + (x1 - x0 - 6) * s / 36.0, 1e-9) << s;
            EXPECT_NEAR(points[s].y, yc - 0.38 * c.depth * h * w, 1e-9) << s;
        }
        if (c.rate == 0.0) {
            // 30 degrees: the sine is at one half, the triangle at one third; 90 degrees: both at the peak.
            const double peak = yc - 0.38 * c.depth * h;
            EXPECT_NEAR(points[9].y, peak, 1e-9);
            EXPECT_NEAR(points[3].y, yc - 0.38 * c.depth * h * (c.triangle ? 1.0 / 3.0 : 0.5), 1e-9);
        }
    }
}

// --- VOICE CONTOUR ---

// The contour formulas, written out on their own for the test.
struct Voice {
    double P = 0, Dr = 0, Sw = 0, A = 0, T = 0, So = 0, B = 0, D = 0, Sl = 0, Tn = 0, Dv = 0, C = 0, mix = 0;
    double a = 0, d = 0, s = 0, r = 0;
};
double smoothStep(double x) {
    x = std::min(1.0, std::max(0.0, x));
    return x * x * (3 - 2 * x);
}
double clampUnit(double x) { return std::min(1.0, std::max(0.0, x)); }
double envelope(const Voice& v, double u) {
    const double ta = 0.32 * v.a * v.a, td = 0.58 * v.d * v.d;
    double e = ta > 0.000001 ? smoothStep(u / ta) : 1.0;
    if (u > ta) e = td > 0.000001 ? 1 + (v.s - 1) * smoothStep((u - ta) / td) : v.s;
    if (u > 0.72 && v.r < 0.999999) e = e * (1 - smoothStep((u - 0.72) / (0.28 * v.r * v.r + 0.018)));
    return e;
}
double level(const Voice& v, int curve, int s) {
    const double u = s / 96.0;
    const double M = clampUnit(v.mix / 0.83);
    const double env = clampUnit(envelope(v, u));
    switch (curve) {
    case 0: {
        const double k1 = 0.18 * v.A * v.A + 0.35 * v.So * v.So;
        const double g1 = k1 > 0.000001 ? smoothStep(u / k1) : 1.0;
        const double g2 = u > 0.28 * v.Sl * v.Sl ? smoothStep((u - 0.28 * v.Sl * v.Sl) / (0.035 + 0.22 * v.Sl)) : 0.0;
        return clampUnit(std::exp(-u / (0.9 * v.D * v.D + 0.1)) * (0.58 + 0.42 * v.B) * ((1 - v.Sl) * g1 + v.Sl * g2) *
                         M * env);
    }
    case 1: return clampUnit(0.18 + 0.35 * v.P + 0.46 * v.Dr * std::exp(-u / (0.28 * v.Sw * v.Sw + 0.025)));
    case 2: {
        const double omega = kPi / 16 + 13 * kPi / 48 * v.Tn;
        const double H = std::sin(omega * s) * (0.06 + 0.14 * v.Dv + 0.12 * v.C + 0.08 * v.B) * env *
                             std::exp(-u / (0.55 * v.D + 0.14)) +
                         0.34 * v.T * (1 - v.So) * (1 - v.A) * std::exp(-u / (0.072 - 0.06 * v.T));
        return clampUnit(0.5 + M * H);
    }
    default: return env;
    }
}

class VoiceContour : public WorkspaceDrawing {
protected:
    void apply(const Voice& v) {
        const std::pair<ParamID, double> values[] = {{400, v.P}, {401, v.Dr}, {402, v.Sw}, {403, v.A}, {404, v.T},
                                                     {405, v.So}, {406, v.B}, {407, v.D}, {408, v.Sl}, {409, v.Tn},
                                                     {410, v.Dv}, {412, v.C}, {411, v.mix}, {413, v.a}, {414, v.d},
                                                     {415, v.s}, {416, v.r}};
        for (const auto& [id, value] : values) hostSets(id, value);
    }
    // The four curves' points, AMP, PITCH, HARM, ADSR.
    std::vector<std::vector<CPoint>> curves() {
        const auto calls = record();
        const CColor colours[] = {CColor(42, 210, 220, 255), CColor(238, 126, 43, 235), CColor(166, 103, 235, 225),
                                  CColor(116, 205, 142, 220)};
        const double widths[] = {2.7, 1.8, 1.6, 1.4};
        std::vector<std::vector<CPoint>> result;
        for (int c = 0; c < 4; ++c) {
            const auto paths = pathsIn(calls, colours[c]);
            if (paths.size() != 1) {
                ADD_FAILURE() << "curve " << c << ": " << paths.size() << " paths";
                result.emplace_back();
                continue;
            }
            EXPECT_EQ(paths[0].state.lineWidth, widths[c]);
            EXPECT_EQ(paths[0].pathMode, CDrawContext::kPathStroked);
            result.push_back(pathPoints(paths[0]));
        }
        return result;
    }
    // Panel (942, 61, 1248, 205) for the fixture's view: x = 945 + 300 u, y = 201 - 132 L.
    static double xAt(int s) { return kLeft + 922 + 3 + 300.0 * s / 96; }
    static double yAt(double level) { return kBottom - 5 - 4 - 132 * level; }
};

TEST_F(VoiceContour, PanelAndGuideLines) {
    makeView(kWaveAreaSubGenerator);
    const auto calls = record();
    const CRect panel(kLeft + 922, kTop + 31, kLeft + 1228, kBottom - 5);
    ASSERT_EQ(rectCalls(calls, panel, kDrawFilled).size(), 1u);
    const auto frame = rectCalls(calls, panel, kDrawStroked);
    ASSERT_EQ(frame.size(), 1u);
    EXPECT_EQ(frame[0].state.frameColor, CColor(58, 75, 80, 255));
    EXPECT_EQ(frame[0].state.lineWidth, 2.2);
    std::vector<double> xs;
    for (const Call& l : calls)
        if (l.op == Op::Line && l.state.frameColor == CColor(30, 52, 57, 180)) {
            xs.push_back(l.p1.x);
            EXPECT_TRUE(near(l.p1.y, panel.top + 3) && near(l.p2.y, panel.bottom - 3));
            EXPECT_EQ(l.state.lineWidth, 0.75);
        }
    EXPECT_EQ(xs, (std::vector<double>{kLeft + 922 + 76.5, kLeft + 922 + 153, kLeft + 922 + 229.5}));
}

TEST_F(VoiceContour, HandComputedPointsOfAPlainVoice) {
    // Only body, full mix and a held envelope: AMP = exp(-10 u), PITCH = 0.18, ADSR = 1 and HARM a ripple of
    // 0.14 sin(pi s / 16) exp(-u / 0.14) around 0.5.
    makeView(kWaveAreaSubGenerator);
    Voice v;
    v.B = 1;
    v.mix = 1;
    v.s = 1;
    v.r = 1;
    apply(v);
    const auto c = curves();
    ASSERT_EQ(c[0].size(), 97u);
    EXPECT_NEAR(c[0][0].y, yAt(1.0), 1e-9);
    EXPECT_NEAR(c[0][48].y, yAt(0.006737946999085467), 1e-9);
    EXPECT_NEAR(c[0][48].x, kLeft + 922 + 3 + 150, 1e-9);
    EXPECT_NEAR(c[1][0].y, yAt(0.18), 1e-9);
    EXPECT_NEAR(c[1][96].y, yAt(0.18), 1e-9);
    EXPECT_NEAR(c[2][0].y, yAt(0.5), 1e-9);
    EXPECT_NEAR(c[2][8].y, yAt(0.5 + 0.14 * 0.551431257080004), 1e-9);  // s = 8: sin = 1, u = 1/12
    EXPECT_NEAR(c[2][16].y, yAt(0.5), 1e-9);                            // sin(pi) = 0
    EXPECT_NEAR(c[2][24].y, yAt(0.5 - 0.14 * 0.16767724875179713), 1e-9); // sin = -1, u = 1/4
    for (const CPoint& p : c[3]) EXPECT_NEAR(p.y, yAt(1.0), 1e-9);
}

TEST_F(VoiceContour, CurvesFollowTheFormulasForSeveralSettings) {
    std::vector<std::pair<const char*, Voice>> settings;
    Voice defaults; // the parameters' own defaults, mix raised so that the sub shows
    defaults.P = 0.42, defaults.Dr = 0.68, defaults.Sw = 0.22, defaults.T = 0.38, defaults.B = 0.65,
    defaults.D = 0.34, defaults.Tn = 0.42, defaults.Dv = 0.12, defaults.mix = 0.5, defaults.s = 1, defaults.r = 1;
    settings.push_back({"defaults with mix 0.5", defaults});
    Voice swell = defaults;
    swell.Sl = 0.8, swell.A = 0.5, swell.So = 0.3, swell.mix = 0.9;
    settings.push_back({"slow swell", swell});
    Voice shaped = defaults;
    shaped.a = 0.6, shaped.d = 0.7, shaped.s = 0.3, shaped.r = 0.2, shaped.C = 1, shaped.Tn = 1, shaped.T = 1;
    settings.push_back({"shaped envelope", shaped});
    Voice quick = defaults;
    quick.a = 0.001, quick.d = 0.001, quick.s = 0.6, quick.r = 0, quick.Sw = 1, quick.Dr = 1, quick.P = 1;
    settings.push_back({"instant envelope", quick});
    makeView(kWaveAreaSubGenerator);
    for (const auto& [name, voice] : settings) {
        SCOPED_TRACE(name);
        apply(voice);
        const auto c = curves();
        for (int curve = 0; curve < 4; ++curve) {
            ASSERT_EQ(c[curve].size(), 97u);
            for (int s = 0; s <= 96; ++s) {
                EXPECT_NEAR(c[curve][s].x, xAt(s), 1e-9);
                EXPECT_NEAR(c[curve][s].y, yAt(level(voice, curve, s)), 1e-9) << "curve " << curve << " s " << s;
            }
        }
    }
}

TEST_F(VoiceContour, ReleaseFallsToZeroAfterSeventyTwoPercent) {
    makeView(kWaveAreaSubGenerator);
    Voice v;
    v.s = 1;
    v.r = 0; // release time 0.018: gone by u = 0.738
    apply(v);
    const auto c = curves();
    EXPECT_NEAR(c[3][69].y, yAt(1.0), 1e-9);                          // u = 0.71875
    const double x = (70 / 96.0 - 0.72) / 0.018; // about 0.509
    EXPECT_NEAR(c[3][70].y, yAt(1 - x * x * (3 - 2 * x)), 1e-9);
    EXPECT_NEAR(c[3][71].y, yAt(0.0), 1e-9);
}

TEST_F(VoiceContour, MixFrom083UpGivesTheFullSubLevel) {
    makeView(kWaveAreaSubGenerator);
    Voice v;
    v.B = 1, v.s = 1, v.r = 1, v.T = 0.5;
    std::map<double, std::vector<std::vector<CPoint>>> byMix;
    for (double mix : {0.83, 0.9, 1.0, 0.415}) {
        v.mix = mix;
        apply(v);
        byMix[mix] = curves();
    }
    for (double mix : {0.83, 0.9}) {
        for (int curve : {0, 2})
            for (int s = 0; s <= 96; ++s) EXPECT_NEAR(byMix[mix][curve][s].y, byMix[1.0][curve][s].y, 1e-9);
    }
    EXPECT_NEAR(byMix[0.83][0][0].y, yAt(1.0), 1e-9);
    EXPECT_NEAR(byMix[0.415][0][0].y, yAt(0.5), 1e-9);
}

// --- no controller, odd values ---

TEST_F(WorkspaceDrawing, WithoutAControllerEverythingDrawsAtZero) {
    for (WaveAreaPage page : {kWaveAreaSubGenerator, kWaveAreaExtendedMix, kWaveAreaExtendedFx}) {
        SCOPED_TRACE(page);
        makeView(page, CRect(kLeft, kTop, kRight, kBottom), nullptr, false);
        const auto calls = record();
        int knobs = 0;
        for (const Call& c : calls) {
            if (c.op == Op::String) {
                EXPECT_EQ(c.text.find(" ON"), std::string::npos) << c.text;
            }
            if (c.op == Op::Line && c.state.frameColor == CColor(231, 232, 225, 255)) {
                ++knobs; // the pointer at 135 degrees: down and to the left
                EXPECT_NEAR(c.p2.x - c.p1.x, -13 * std::sqrt(0.5), 1e-9);
                EXPECT_NEAR(c.p2.y - c.p1.y, 13 * std::sqrt(0.5), 1e-9);
            }
            if (c.op == Op::Line && c.state.frameColor == CColor(235, 238, 232, 255)) {
                ++knobs;
                EXPECT_LT(c.p2.x, c.p1.x);
                EXPECT_NEAR(c.p2.x - c.p1.x, -(c.p2.y - c.p1.y), 1e-9);
            }
            if (c.op == Op::Arc && c.state.frameColor != CColor(48, 69, 77, 255) &&
                c.state.frameColor != CColor(112, 125, 128, 180)) {
                EXPECT_EQ(c.endAngle, 135.0);
            }
        }
        EXPECT_EQ(knobs, page == kWaveAreaSubGenerator ? 17 : page == kWaveAreaExtendedMix ? 4 : 10);
        EXPECT_TRUE(std::none_of(calls.begin(), calls.end(), [](const Call& c) {
            return c.op == Op::Rect && c.state.fillColor == CColor(31, 158, 172, 220);
        }));
    }
    makeView(kWaveAreaExtendedFx, CRect(kLeft, kTop, kRight, kBottom), nullptr, false);
    auto calls = record();
    EXPECT_EQ(stringCall(calls, "1/2")->state.fontColor, CColor(7, 22, 27, 255));
    const auto pattern = pathsIn(calls, CColor(46, 213, 224, 255));
    ASSERT_EQ(pattern.size(), 1u);
    EXPECT_EQ(pattern[0].path.size(), 5u); // two segments
    for (const CPoint& p : pathPoints(pattern[0])) EXPECT_EQ(p.y, kTop + 53);

    makeView(kWaveAreaSubGenerator, CRect(kLeft, kTop, kRight, kBottom), nullptr, false);
    calls = record();
    const auto amp = pathsIn(calls, CColor(42, 210, 220, 255));
    const auto harm = pathsIn(calls, CColor(166, 103, 235, 225));
    ASSERT_EQ(amp.size(), 1u);
    ASSERT_EQ(harm.size(), 1u);
    for (const CPoint& p : pathPoints(amp[0])) EXPECT_EQ(p.y, kBottom - 9);
    for (const CPoint& p : pathPoints(harm[0])) EXPECT_EQ(p.y, kBottom - 9 - 66);
}

TEST_F(WorkspaceDrawing, NonFiniteValuesDrawAsZero) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    makeView(kWaveAreaExtendedFx);
    for (ParamID id : {182, 183, 184, 187, 188, 190, 191}) hostSets(id, nan);
    const auto calls = record();
    EXPECT_NE(stringCall(calls, "GATE OFF"), nullptr);
    EXPECT_EQ(stringCall(calls, "1/2")->state.fontColor, CColor(7, 22, 27, 255));
    const Call* pointer = knobPointer(calls, kLeft + 495, kTop + 39, kLeft + 547);
    ASSERT_NE(pointer, nullptr);
    EXPECT_NEAR(pointer->p2.x - pointer->p1.x, -13 * std::sqrt(0.5), 1e-9);
    for (const Call& c : calls) {
        if (c.op != Op::Path) continue;
        for (const CPoint& p : pathPoints(c)) EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y));
    }
}

TEST_F(WorkspaceDrawing, ANonFiniteViewRectangleIsLaidOutFromZero) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (WaveAreaPage page : {kWaveAreaSubGenerator, kWaveAreaExtendedMix, kWaveAreaExtendedFx}) {
        makeView(page, CRect(nan, 10, inf, 190));
        const auto calls = record();
        ASSERT_FALSE(calls.empty());
        EXPECT_TRUE(near(calls[0].rect, CRect(0, 10, 0, 190)));
        for (const Call& c : calls) {
            EXPECT_TRUE(std::isfinite(c.rect.left) && std::isfinite(c.rect.right) && std::isfinite(c.p2.x));
        }
    }
}

} // namespace
} // namespace workspace_test
} // namespace TarnwellPlugin
