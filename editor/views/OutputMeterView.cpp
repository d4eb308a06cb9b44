#include "OutputMeterView.h"

#include "ViewNumbers.h"

#include <algorithm>
#include <cmath>

namespace TarnwellPlugin {

using namespace VSTGUI;

OutputMeterView::OutputMeterView() : CView(CRect()) {}

OutputMeterView::~OutputMeterView() noexcept = default;

int32_t OutputMeterView::litSegments(float peak) {
    // The writer clamps, but a stray value must neither light more than the row nor reach the
    // integer conversion as NaN.
    const float p = std::clamp(finiteOrZero(peak), 0.0f, 1.0f);
    return static_cast<int32_t>(std::ceil(p * static_cast<float>(kSegments)));
}

CColor OutputMeterView::segmentColour(int32_t index, int32_t lit) {
    if (index >= lit) return CColor(24, 34, 39, 255);
    if (index < 20) return CColor(20, 195, 211, 255);
    if (index < 27) return CColor(220, 158, 29, 255);
    return CColor(229, 75, 33, 255);
}

void OutputMeterView::draw(CDrawContext* context) {
    const CRect r = finiteRect(getViewSize());
    context->setFillColor(CColor(6, 13, 17, 255));
    context->drawRect(r, kDrawFilled);

    context->setFont(kNormalFontSmall, 7, kBoldFace);
    const double x0 = r.left + 18.0;
    const double span = r.right - 4.0 - x0;
    const double step = span / kSegments;
    const double segmentWidth = std::max(step - 1.0, 2.0);

    const struct {
        const char* name;
        int32_t lit;
        double labelTop;
        double rowTop;
    } rows[] = {{"L", litSegments(peakLeft), 2.0, 3.0}, {"R", litSegments(peakRight), 14.0, 15.0}};
    for (const auto& row : rows) {
        context->setFontColor(CColor(183, 193, 195, 255));
        const CRect labelBox(r.left + 1.0, r.top + row.labelTop, r.left + 15.0, r.top + row.labelTop + 9.0);
        context->drawString(row.name, labelBox, kCenterText, true);
        for (int32_t i = 0; i < kSegments; ++i) {
            context->setFillColor(segmentColour(i, row.lit));
            const double x = x0 + step * i;
            context->drawRect(CRect(x, r.top + row.rowTop, x + segmentWidth, r.top + row.rowTop + 7.0), kDrawFilled);
        }
    }

    context->setFontColor(CColor(103, 116, 119, 255));
    const char* scale[] = {"-60", "-36", "-24", "-12", "-6", "-3", "0"};
    for (int k = 0; k <= 6; ++k) {
        const double x = x0 + span * k / 6.0;
        context->drawString(scale[k], CRect(x - 10.0, r.top + 29.0, x + 10.0, r.bottom), kCenterText, true);
    }

    setDirty(false);
}

} // namespace TarnwellPlugin
