#pragma once

// Helpers of the view tests: recorded calls picked by kind and state, colour checks, an off-screen
// frame that collects invalidations.

#include "vstgui/vstgui.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace TarnwellPlugin::testing_support {

using Call = VSTGUI::RecordingDrawContext::Call;
using Op = VSTGUI::RecordingDrawContext::Op;

inline std::string colourText(const VSTGUI::CColor& c) {
    char text[32];
    std::snprintf(text, sizeof(text), "(%d,%d,%d,%d)", c.red, c.green, c.blue, c.alpha);
    return text;
}

inline ::testing::AssertionResult sameColour(const VSTGUI::CColor& actual, const VSTGUI::CColor& expected) {
    if (actual == expected) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got " << colourText(actual) << ", expected " << colourText(expected);
}

inline ::testing::AssertionResult colourNear(const VSTGUI::CColor& actual, const VSTGUI::CColor& expected,
                                             int tolerance) {
    auto d = [](int a, int b) { return std::abs(a - b); };
    if (d(actual.red, expected.red) <= tolerance && d(actual.green, expected.green) <= tolerance &&
        d(actual.blue, expected.blue) <= tolerance && d(actual.alpha, expected.alpha) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got " << colourText(actual) << ", expected about "
                                         << colourText(expected);
}

inline ::testing::AssertionResult rectNear(const VSTGUI::CRect& actual, const VSTGUI::CRect& expected,
                                           double tolerance = 1e-9) {
    if (std::fabs(actual.left - expected.left) <= tolerance && std::fabs(actual.top - expected.top) <= tolerance &&
        std::fabs(actual.right - expected.right) <= tolerance &&
        std::fabs(actual.bottom - expected.bottom) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got (" << actual.left << ", " << actual.top << ", " << actual.right
                                         << ", " << actual.bottom << "), expected (" << expected.left << ", "
                                         << expected.top << ", " << expected.right << ", " << expected.bottom << ")";
}

inline ::testing::AssertionResult pointNear(const VSTGUI::CPoint& actual, const VSTGUI::CPoint& expected,
                                            double tolerance = 1e-9) {
    if (std::fabs(actual.x - expected.x) <= tolerance && std::fabs(actual.y - expected.y) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got (" << actual.x << ", " << actual.y << "), expected (" << expected.x
                                         << ", " << expected.y << ")";
}

// Lines drawn with exactly this line width, in order.
inline std::vector<Call> linesOfWidth(const VSTGUI::RecordingDrawContext& context, double width) {
    std::vector<Call> out;
    for (const Call& c : context.callsOf(Op::Line))
        if (c.state.lineWidth == width) out.push_back(c);
    return out;
}

// Filled rectangles, in order.
inline std::vector<Call> filledRects(const VSTGUI::RecordingDrawContext& context) {
    std::vector<Call> out;
    for (const Call& c : context.callsOf(Op::Rect))
        if (c.style == VSTGUI::kDrawFilled) out.push_back(c);
    return out;
}

inline const Call* findString(const VSTGUI::RecordingDrawContext& context, const std::string& text) {
    for (const Call& c : context.getCalls())
        if (c.op == Op::String && c.text == text) return &c;
    return nullptr;
}

inline std::vector<std::string> stringsDrawn(const VSTGUI::RecordingDrawContext& context) {
    std::vector<std::string> out;
    for (const Call& c : context.callsOf(Op::String)) out.push_back(c.text);
    return out;
}

inline bool allFinite(const VSTGUI::RecordingDrawContext& context) {
    auto ok = [](double v) { return std::isfinite(v); };
    for (const Call& c : context.getCalls())
        if (!ok(c.rect.left) || !ok(c.rect.top) || !ok(c.rect.right) || !ok(c.rect.bottom) || !ok(c.p1.x) ||
            !ok(c.p1.y) || !ok(c.p2.x) || !ok(c.p2.y) || !ok(c.state.lineWidth))
            return false;
    return true;
}

inline void expectFont(const Call& call, double size, int32_t style) {
    ASSERT_NE(call.state.font.get(), nullptr);
    EXPECT_EQ(call.state.font->getName(), "Arial");
    EXPECT_DOUBLE_EQ(call.state.font->getSize(), size);
    EXPECT_EQ(call.state.font->getStyle(), style);
}

// An off-screen frame of the given size; views added to it report their invalidations to it.
inline VSTGUI::SharedPointer<VSTGUI::CFrame> makeFrame(double width, double height) {
    auto frame = VSTGUI::owned(new VSTGUI::CFrame(VSTGUI::CRect(0, 0, width, height), nullptr));
    frame->open(nullptr, VSTGUI::PlatformType::kOffscreen);
    return frame;
}

} // namespace TarnwellPlugin::testing_support
