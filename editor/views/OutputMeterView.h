#pragma once

// The stereo output peak of the last visualization snapshot as two LED rows of 32 segments.

#include "vstgui/vstgui.h"

namespace TarnwellPlugin {

class OutputMeterView : public VSTGUI::CView {
public:
    OutputMeterView();
    ~OutputMeterView() noexcept override;

    void draw(VSTGUI::CDrawContext* context) override;

    // Linear peaks in [0, 1], written by the editor's snapshot step.
    float peakLeft = 0.0f;
    float peakRight = 0.0f;
};

} // namespace TarnwellPlugin
