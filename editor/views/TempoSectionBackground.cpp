#include "TempoSectionBackground.h"

#include "ViewNumbers.h"

namespace TarnwellPlugin {

using namespace VSTGUI;

TempoSectionBackground::TempoSectionBackground() : CView(CRect()) { setMouseEnabled(false); }

TempoSectionBackground::~TempoSectionBackground() noexcept = default;

void TempoSectionBackground::draw(CDrawContext* context) {
    const CRect r = finiteRect(getViewSize());
    context->setFillColor(CColor(5, 12, 15, 235));
    context->drawRect(r, kDrawFilled);
    CRect q = r;
    q.inset(0.5, 0.5);
    context->setLineWidth(1.0);
    context->setFrameColor(CColor(34, 58, 63, 255));
    context->drawRect(q, kDrawStroked);

    context->setFrameColor(CColor(28, 47, 52, 255));
    for (const double dx : {128.0, 224.0, 354.0})
        context->drawLine(CPoint(q.left + dx, q.top + 10.0), CPoint(q.left + dx, q.bottom - 10.0));
    setDirty(false);
}

} // namespace TarnwellPlugin
