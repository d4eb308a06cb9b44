#pragma once

// The kick compressor's gain reduction as a vertical LED bar of 18 segments of 2 dB. It reads the
// reduction at every draw from its controller's visualization record and redraws itself every 33 ms
// while shown.

#include "SharedVisualizationSnapshot.h"

#include "vstgui/vstgui.h"

namespace TarnwellPlugin {

class CompressionReductionMeterView : public VSTGUI::CView {
public:
    // record is not owned and may be null (the meter then shows no reduction).
    CompressionReductionMeterView(const VSTGUI::CRect& size, const SharedVisualizationSnapshot* record);
    ~CompressionReductionMeterView() noexcept override;

    void draw(VSTGUI::CDrawContext* context) override;
    void refreshIfVisible();

    VSTGUI::CVSTGUITimer* getRefreshTimer() const { return refreshTimer.get(); }

private:
    const SharedVisualizationSnapshot* record = nullptr;
    VSTGUI::SharedPointer<VSTGUI::CVSTGUITimer> refreshTimer;
};

} // namespace TarnwellPlugin
