#include "TempoModeSelector.h"

#include "ViewNumbers.h"

namespace TarnwellPlugin {

using namespace VSTGUI;

TempoModeSelector::TempoModeSelector() : CView(CRect()) {}

TempoModeSelector::~TempoModeSelector() noexcept = default;

void TempoModeSelector::draw(CDrawContext* context) {
    const CRect r = finiteRect(getViewSize());
    context->setFillColor(CColor(3, 10, 13, 255));
    context->drawRect(r, kDrawFilled);
    CRect q = r;
    q.inset(1.0, 1.0);
    context->setLineWidth(1.0);
    context->setFrameColor(CColor(39, 54, 60, 255));
    context->drawRect(q, kDrawStroked);

    const double cy = q.top + (q.bottom - q.top) / 2.0;
    context->setFillColor(manualMode ? CColor(239, 126, 43, 255) : CColor(55, 205, 215, 255));
    context->drawEllipse(CRect(q.left + 8.0, cy - 3.0, q.left + 14.0, cy + 3.0), kDrawFilled);

    CRect textBox = q;
    textBox.left = q.left + 18.0;
    context->setFont(kNormalFontSmall, 11, kBoldFace);
    context->setFontColor(manualMode ? CColor(218, 178, 145, 255) : CColor(157, 226, 229, 255));
    context->drawString(manualMode ? "MANUAL" : "HOST", textBox, kCenterText, true);
    setDirty(false);
}

} // namespace TarnwellPlugin
