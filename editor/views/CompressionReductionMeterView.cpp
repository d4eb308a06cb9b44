#include "CompressionReductionMeterView.h"

namespace TarnwellPlugin {

using namespace VSTGUI;

CompressionReductionMeterView::CompressionReductionMeterView(const CRect& size, const SharedVisualizationSnapshot* r)
: CView(size), record(r) {
    refreshTimer = owned(new CVSTGUITimer([this](CVSTGUITimer*) { refreshIfVisible(); }, 33, false));
    refreshTimer->start();
}

CompressionReductionMeterView::~CompressionReductionMeterView() noexcept {
    refreshTimer->stop();
    refreshTimer = nullptr;
}

void CompressionReductionMeterView::draw(CDrawContext*) { setDirty(false); }

void CompressionReductionMeterView::refreshIfVisible() {
    if (isVisible() && getAlphaValue() > 0.0f) invalid();
}

} // namespace TarnwellPlugin
