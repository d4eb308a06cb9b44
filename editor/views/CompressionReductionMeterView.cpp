#include "CompressionReductionMeterView.h"

#include "ViewNumbers.h"

#include <algorithm>
#include <cmath>

namespace TarnwellPlugin {

using namespace VSTGUI;

CompressionReductionMeterView::CompressionReductionMeterView(const CRect& size, const SharedVisualizationSnapshot* r)
: CView(size), record(r), timerTarget(std::make_shared<CompressionReductionMeterView*>(this)) {
    refreshTimer = owned(new CVSTGUITimer(
        [target = timerTarget](CVSTGUITimer*) {
            if (*target) (*target)->refreshIfVisible();
        },
        kRefreshMilliseconds, false));
    refreshTimer->start();
}

CompressionReductionMeterView::~CompressionReductionMeterView() noexcept {
    *timerTarget = nullptr;
    refreshTimer->stop();
    refreshTimer = nullptr;
}

void CompressionReductionMeterView::refreshIfVisible() {
    if (isVisible() && getAlphaValue() > 0.0f) invalid();
}

int32_t CompressionReductionMeterView::litSegments(float reductionDb) {
    const float halfDb = std::clamp(finiteOrZero(reductionDb), 0.0f, 36.0f) / 2.0f;
    return static_cast<int32_t>(std::ceil(halfDb));
}

CColor CompressionReductionMeterView::segmentColour(int32_t index, int32_t lit) {
    if (index >= lit) return CColor(20, 33, 38, 255);
    if (index < 8) return CColor(48, 207, 219, 255);
    if (index < 14) return CColor(221, 157, 39, 255);
    return CColor(242, 91, 38, 255);
}

void CompressionReductionMeterView::draw(CDrawContext* context) {
    const CRect r = finiteRect(getViewSize());
    context->setFillColor(CColor(5, 12, 15, 255));
    context->drawRect(r, kDrawFilled);
    context->setFrameColor(CColor(42, 65, 71, 255));
    context->setLineWidth(1.0);
    context->drawRect(r, kDrawStroked);

    // One plain read per draw, without the record's sequence counter: a torn value is merely the
    // old or the new reading.
    const int32_t lit = litSegments(record ? record->reductionDb() : 0.0f);
    const double step = r.getHeight() / kSegments;
    const double height = std::max(step - 8.0 / 3.0, 2.0);
    for (int32_t i = 0; i < kSegments; ++i) {
        const double y = r.bottom - 6.0 - (i + 1) * (step - 2.0 / 3.0);
        context->setFillColor(segmentColour(i, lit));
        context->drawRect(CRect(r.left + 7.0, y, r.right - 25.0, y + height), kDrawFilled);
    }

    context->setFont(kNormalFontSmall, 8, kNormalFace);
    context->setFontColor(CColor(126, 145, 150, 255));
    const char* labels[] = {"-36", "-24", "-12", "0"};
    for (int k = 0; k < 4; ++k) {
        const double y = r.top + 2.0 + (r.getHeight() - 14.0) * k / 3.0;
        context->drawString(labels[k], CRect(r.right - 23.0, y, r.right - 2.0, y + 12.0), kRightText, true);
    }

    setDirty(false);
}

} // namespace TarnwellPlugin
