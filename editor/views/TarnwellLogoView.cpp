#include "TarnwellLogoView.h"

namespace TarnwellPlugin {

using namespace VSTGUI;

TarnwellLogoView::TarnwellLogoView(const CRect& size, CBitmap* bitmap_, std::function<void()> callback)
: CView(size), bitmap(bitmap_), onClick(std::move(callback)) {
    if (bitmap) bitmap->remember();
}

TarnwellLogoView::~TarnwellLogoView() noexcept {
    onClick = nullptr;
    if (bitmap) bitmap->forget();
}

void TarnwellLogoView::draw(CDrawContext* context) {
    if (bitmap) context->drawBitmap(bitmap, getViewSize(), CPoint(0, 0), 1.0f);
    setDirty(false);
}

// Only the left button counts; modifier keys and the double-click flag do not change that.
CMouseEventResult TarnwellLogoView::onMouseDown(CPoint&, const CButtonState& buttons) {
    if (buttons.getButtonState() != kLButton) return kMouseEventNotHandled;
    // A copy runs, so the callback may even lead to this view's removal.
    if (onClick) {
        const std::function<void()> callback = onClick;
        callback();
    }
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

} // namespace TarnwellPlugin
