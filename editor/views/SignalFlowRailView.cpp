#include "SignalFlowRailView.h"

#include "ViewNumbers.h"

namespace TarnwellPlugin {

using namespace VSTGUI;

namespace {

// The module gaps of the editor's layout, in the root view's coordinates.
constexpr double kRailArrowX[] = {516, 756, 906, 1046, 1206, 1476, 1636};
constexpr double kColumnArrowX = 426;
constexpr double kColumnArrowY[] = {300, 455, 555};

void drawArrow(CDrawContext* context, double x0, double y) {
    const CPoint tip(x0 + 14.0, y);
    context->drawLine(CPoint(x0, y), tip);
    context->drawLine(tip, CPoint(x0 + 8.0, y - 5.0));
    context->drawLine(tip, CPoint(x0 + 8.0, y + 5.0));
}

} // namespace

SignalFlowRailView::SignalFlowRailView(const CRect& size) : CView(size) { setMouseEnabled(false); }

SignalFlowRailView::~SignalFlowRailView() noexcept = default;

// The view draws in its parent's coordinates, so the fixed positions need no offset.
void SignalFlowRailView::draw(CDrawContext* context) {
    const CRect r = finiteRect(getViewSize());
    context->setLineWidth(2.0);
    context->setFrameColor(CColor(128, 151, 153, 220));
    const double railY = r.top + 0.48 * r.getHeight();
    for (const double x0 : kRailArrowX) drawArrow(context, x0, railY);
    for (const double y : kColumnArrowY) drawArrow(context, kColumnArrowX, y);
    setDirty(false);
}

} // namespace TarnwellPlugin
