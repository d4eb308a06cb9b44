#pragma once

// Small guards shared by the editor's controls: a non-finite number (a value or a view rectangle
// that came from outside) is drawn as 0, so that it never reaches an integer conversion or the
// draw context.

#include "vstgui/vstgui.h"

#include <cmath>

namespace TarnwellPlugin {
namespace ControlDrawing {

inline double finiteOrZero(double v) { return std::isfinite(v) ? v : 0.0; }
inline float finiteOrZero(float v) { return std::isfinite(v) ? v : 0.0f; }

inline VSTGUI::CRect finiteRect(const VSTGUI::CRect& r) {
    return VSTGUI::CRect(finiteOrZero(r.left), finiteOrZero(r.top), finiteOrZero(r.right), finiteOrZero(r.bottom));
}

inline VSTGUI::CRect inset(VSTGUI::CRect r, VSTGUI::CCoord d) { return r.inset(d, d); }

// The control's normalized value; non-finite (e.g. from an infinite range) counts as 0.
inline float normalizedValue(const VSTGUI::CControl& control) { return finiteOrZero(control.getValueNormalized()); }

} // namespace ControlDrawing
} // namespace TarnwellPlugin
