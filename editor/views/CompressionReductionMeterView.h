#pragma once

// The kick compressor's gain reduction as a vertical LED bar of 18 segments of 2 dB. It reads the
// reduction at every draw from its controller's visualization record and redraws itself every 33 ms
// while shown.

#include "SharedVisualizationSnapshot.h"

#include "vstgui/vstgui.h"

#include <cstdint>
#include <memory>

namespace TarnwellPlugin {

class CompressionReductionMeterView : public VSTGUI::CView {
public:
    static constexpr int32_t kSegments = 18;
    static constexpr uint32_t kRefreshMilliseconds = 33;

    // record is not owned and may be null (the meter then shows no reduction).
    CompressionReductionMeterView(const VSTGUI::CRect& size, const SharedVisualizationSnapshot* record);
    ~CompressionReductionMeterView() noexcept override;

    void draw(VSTGUI::CDrawContext* context) override;
    void refreshIfVisible();

    VSTGUI::CVSTGUITimer* getRefreshTimer() const { return refreshTimer.get(); }

private:
    // Segments lit for a reduction in dB: one per 2 dB started, 0 for NaN or below, 18 from 36 up.
    static int32_t litSegments(float reductionDb);
    static VSTGUI::CColor segmentColour(int32_t index, int32_t lit);

    const SharedVisualizationSnapshot* record = nullptr;
    // The timer's callback reaches the view only through this cell, which the destructor empties:
    // whoever else still holds the timer can never make it tick into a destroyed view.
    std::shared_ptr<CompressionReductionMeterView*> timerTarget;
    VSTGUI::SharedPointer<VSTGUI::CVSTGUITimer> refreshTimer;
};

} // namespace TarnwellPlugin
