#include "ImageTextButton.h"

#include "ControlDrawing.h"

#include <algorithm>
#include <cmath>

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

void ImageTextButton::draw(CDrawContext* context) {
    const CRect r = ControlDrawing::finiteRect(getViewSize());
    context->setLineStyle(kLineSolid);

    // Min, max and value are the raw ones: an infinite bound makes n NaN, which shows the off frame.
    const float range = getMax() - getMin();
    float n = range > 0.f ? (getValue() - getMin()) / range : 0.f;
    n = std::clamp(ControlDrawing::finiteOrZero(n), 0.f, 1.f);
    const int32_t frames = std::max<int32_t>(frameCount, 1);
    const int32_t k = std::clamp(static_cast<int32_t>(std::lround(n * static_cast<float>(frames - 1))), 0, frames - 1);

    // A bitmap that could not be loaded would draw nothing at all: it gets the fallback too.
    if (bitmap && bitmap->isLoaded()) {
        bitmap->draw(context, r, CPoint(0, k * bitmap->getHeight() / frames), 1.f);
    } else {
        context->setFillColor(CColor(29, 39, 49, 255));
        context->drawRect(r, kDrawFilled);
    }

    CColor border(83, 100, 116, 255);
    if (k >= 1) {
        context->setFillColor(CColor(0, 218, 235, 90));
        context->drawRect(ControlDrawing::inset(r, 3), kDrawFilled);
        border = CColor(155, 219, 226, 220);
    }
    context->setLineWidth(1);
    context->setFrameColor(border);
    context->drawRect(ControlDrawing::inset(r, 1), kDrawStroked);

    CDrawMethods::drawIconAndText(context, nullptr, getIconPosition(), getTextAlignment(), getTextMargin(), r,
                                  getTitle(), getFont(), n >= 0.5f ? getTextColorHighlighted() : getTextColor(),
                                  CDrawMethods::kTextTruncateNone);
    setDirty(false);
}

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
