#pragma once

// Number hygiene shared by the custom views: values from the audio side, the controller or the
// layout may be NaN or infinite, and such a value counts as 0 before it reaches an integer
// conversion or a drawing call.

#include "vstgui/vstgui.h"

#include <cmath>
#include <cstdint>

namespace TarnwellPlugin {

inline double finiteOrZero(double value) { return std::isfinite(value) ? value : 0.0; }
inline float finiteOrZero(float value) { return std::isfinite(value) ? value : 0.0f; }

inline VSTGUI::CRect finiteRect(const VSTGUI::CRect& r) {
    return VSTGUI::CRect(finiteOrZero(r.left), finiteOrZero(r.top), finiteOrZero(r.right), finiteOrZero(r.bottom));
}

// No view is taller than the largest surface, so no column of 6-point dashes needs more than this;
// the cap keeps a huge layout value from stalling a draw.
inline constexpr int32_t kMaxDashes = 8192;

// Dashes 2 long every 6 from yStart while y < yStop, each cut at yLimit.
inline void drawVerticalDashes(VSTGUI::CDrawContext* context, double x, double yStart, double yStop, double yLimit) {
    double y = yStart;
    for (int32_t i = 0; i < kMaxDashes && y < yStop; ++i, y += 6.0)
        context->drawLine(VSTGUI::CPoint(x, y), VSTGUI::CPoint(x, std::fmin(y + 2.0, yLimit)));
}

} // namespace TarnwellPlugin
