#include "HeaderArrowButton.h"

#include "ControlDrawing.h"

namespace TarnwellPlugin {

using namespace VSTGUI;

HeaderArrowButton::HeaderArrowButton(IControlListener* listener, const char* title, int32_t style)
: CTextButton(CRect(), listener, -1, title ? title : "", style == 1 ? kOnOffStyle : kKickStyle),
  label(title ? title : "") {}

HeaderArrowButton::~HeaderArrowButton() noexcept = default;

void HeaderArrowButton::draw(CDrawContext* context) {
    const CRect r = ControlDrawing::finiteRect(getViewSize());
    const CRect inner = ControlDrawing::inset(r, 1);
    context->setLineStyle(kLineSolid);

    context->setFillColor(CColor(8, 15, 19, 255));
    context->drawRect(r, kDrawFilled);

    const bool lit = hasForcedState ? forcedState : ControlDrawing::normalizedValue(*this) > 0.5f;
    context->setLineWidth(1.5);
    context->setFrameColor(lit ? CColor(239, 126, 43, 255) : CColor(61, 75, 82, 255));
    context->drawRect(inner, kDrawStroked);

    // The button's own font as it stands; the title of the text button is not shown, the label is.
    context->setFont(getFont());
    context->setFontColor(accent ? CColor(238, 132, 50, 255) : CColor(197, 207, 210, 255));
    context->drawString(label.c_str(), inner, kCenterText, true);
    setDirty(false);
}

} // namespace TarnwellPlugin
