#pragma once

// The stereo output peak of the last visualization snapshot as two LED rows of 32 segments.

#include "vstgui/vstgui.h"

#include <cstdint>

namespace TarnwellPlugin {

class OutputMeterView : public VSTGUI::CView {
public:
    static constexpr int32_t kSegments = 32;

    OutputMeterView();
    ~OutputMeterView() noexcept override;

    void draw(VSTGUI::CDrawContext* context) override;

    // Linear peaks in [0, 1], written by the editor's snapshot step.
    float peakLeft = 0.0f;
    float peakRight = 0.0f;

private:
    // Segments a peak lights: one per 1/32 started; none for 0, NaN or below, all 32 from 1 up.
    static int32_t litSegments(float peak);
    // Segment `index` of a row with `lit` segments lit: cyan, then amber from 20, red from 27.
    static VSTGUI::CColor segmentColour(int32_t index, int32_t lit);
};

} // namespace TarnwellPlugin
