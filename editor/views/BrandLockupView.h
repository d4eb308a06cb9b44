#pragma once

// The product's brand bitmap; a left click opens the about dialog.

#include "vstgui/vstgui.h"

#include <functional>

namespace TarnwellPlugin {

class BrandLockupView : public VSTGUI::CView {
public:
    // bitmap may be null (nothing is drawn, a click still calls back); one reference is kept.
    BrandLockupView(const VSTGUI::CRect& size, VSTGUI::CBitmap* bitmap, std::function<void()> onClick);
    ~BrandLockupView() noexcept override;

    void draw(VSTGUI::CDrawContext* context) override;
    VSTGUI::CMouseEventResult onMouseDown(VSTGUI::CPoint& where, const VSTGUI::CButtonState& buttons) override;

private:
    VSTGUI::CBitmap* bitmap = nullptr;
    std::function<void()> onClick;
};

} // namespace TarnwellPlugin
