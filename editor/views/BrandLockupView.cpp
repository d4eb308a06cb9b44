#include "BrandLockupView.h"

namespace TarnwellPlugin {

using namespace VSTGUI;

BrandLockupView::BrandLockupView(const CRect& size, CBitmap* bitmap_, std::function<void()> callback)
: CView(size), bitmap(bitmap_), onClick(std::move(callback)) {
    if (bitmap) bitmap->remember();
}

BrandLockupView::~BrandLockupView() noexcept {
    onClick = nullptr;
    if (bitmap) bitmap->forget();
}

void BrandLockupView::draw(CDrawContext*) { setDirty(false); }

CMouseEventResult BrandLockupView::onMouseDown(CPoint&, const CButtonState&) { return kMouseEventNotHandled; }

} // namespace TarnwellPlugin
