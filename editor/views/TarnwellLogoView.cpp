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

void TarnwellLogoView::draw(CDrawContext*) { setDirty(false); }

CMouseEventResult TarnwellLogoView::onMouseDown(CPoint&, const CButtonState&) { return kMouseEventNotHandled; }

} // namespace TarnwellPlugin
