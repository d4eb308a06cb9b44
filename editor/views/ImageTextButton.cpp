#include "ImageTextButton.h"

namespace TarnwellPlugin {

using namespace VSTGUI;

ImageTextButton::ImageTextButton(IControlListener* listener, CBitmap* bitmap_)
: CTextButton(CRect(), listener, -1, "", kOnOffStyle), bitmap(bitmap_) {
    if (bitmap) bitmap->remember();
}

ImageTextButton::ImageTextButton(const ImageTextButton& other)
: CTextButton(other), bitmap(other.bitmap), frameCount(other.frameCount) {
    if (bitmap) bitmap->remember();
}

ImageTextButton::~ImageTextButton() noexcept {
    if (bitmap) bitmap->forget();
}

void ImageTextButton::draw(CDrawContext* context) { CTextButton::draw(context); }

CMouseEventResult ImageTextButton::onMouseUp(CPoint& where, const CButtonState& buttons) {
    const CMouseEventResult result = CTextButton::onMouseUp(where, buttons);
    invalid();
    return result;
}

CMouseEventResult ImageTextButton::onMouseMoved(CPoint& where, const CButtonState& buttons) {
    const CMouseEventResult result = CTextButton::onMouseMoved(where, buttons);
    invalid();
    return result;
}

void ImageTextButton::valueChanged() {
    invalid();
    CTextButton::valueChanged();
}

} // namespace TarnwellPlugin
