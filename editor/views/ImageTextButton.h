#pragma once

// An on-off button drawn from a two-frame bitmap strip (off on top, on below) with a tinted overlay
// when on: the tail button, the two toggles and the LFO shape buttons.

#include "vstgui/vstgui.h"

namespace TarnwellPlugin {

class ImageTextButton : public VSTGUI::CTextButton {
public:
    // bitmap may be null (a plain fill is drawn instead); one reference is kept.
    ImageTextButton(VSTGUI::IControlListener* listener, VSTGUI::CBitmap* bitmap);
    ImageTextButton(const ImageTextButton& other);
    ~ImageTextButton() noexcept override;

    void draw(VSTGUI::CDrawContext* context) override;
    VSTGUI::CMouseEventResult onMouseUp(VSTGUI::CPoint& where, const VSTGUI::CButtonState& buttons) override;
    VSTGUI::CMouseEventResult onMouseMoved(VSTGUI::CPoint& where, const VSTGUI::CButtonState& buttons) override;
    void valueChanged() override;
    VSTGUI::CView* newCopy() const override { return new ImageTextButton(*this); }

    VSTGUI::CBitmap* getBitmap() const { return bitmap; }
    int32_t getFrameCount() const { return frameCount; }

private:
    VSTGUI::CBitmap* bitmap = nullptr;
    int32_t frameCount = 2;
};

} // namespace TarnwellPlugin
