#include "MetalKnob.h"

#include "ControlDrawing.h"

#include <algorithm>
#include <cmath>

namespace TarnwellPlugin {

using namespace VSTGUI;

MetalKnob::MetalKnob(IControlListener* listener) : CKnob(CRect(), listener, -1, nullptr, nullptr, CPoint(0, 0), 0) {}

MetalKnob::~MetalKnob() noexcept = default;

void MetalKnob::draw(CDrawContext* context) {
    const CRect view = ControlDrawing::finiteRect(getViewSize());
    const float v = ControlDrawing::normalizedValue(*this);
    const CCoord s = std::max(0.0, std::min(view.getWidth(), view.getHeight()));
    const CRect knob = ControlDrawing::inset(CRect(0, 0, s, s).centerInside(view), 2);
    context->setLineStyle(kLineSolid);

    const CCoord arcWidth = std::max(0.072 * s, 2.5);
    const float valueAngle = 135.f + 270.f * v;
    context->setLineWidth(arcWidth);
    context->setFrameColor(CColor(59, 76, 84, 255));
    context->drawArc(knob, 135.f, 405.f, kDrawStroked);
    context->setFrameColor(getCoronaColor());
    context->drawArc(knob, 135.f, valueAngle, kDrawStroked);

    const CRect body = ControlDrawing::inset(knob, s / 8);
    CRect shadow = body;
    shadow.offset(0, 2);
    context->setFillColor(CColor(2, 5, 7, 230));
    context->drawEllipse(shadow, kDrawFilled);
    context->setFillColor(CColor(76, 84, 87, 255));
    context->drawEllipse(body, kDrawFilled);

    const CRect face = ControlDrawing::inset(body, 0.055 * s);
    context->setFillColor(CColor(29, 36, 40, 255));
    context->drawEllipse(face, kDrawFilled);

    // Light from the top left: a bright upper rim, a dark lower rim and a faint edge on the face.
    context->setLineWidth(std::max(0.025 * s, 1.2));
    context->setFrameColor(CColor(176, 181, 178, 220));
    context->drawArc(body, 195.f, 342.f, kDrawStroked);
    context->setFrameColor(CColor(8, 12, 14, 255));
    context->drawArc(body, 18.f, 192.f, kDrawStroked);
    context->setFrameColor(CColor(86, 96, 99, 210));
    context->drawArc(face, 205.f, 350.f, kDrawStroked);

    const CPoint centre = face.getCenter();
    const double radians = static_cast<double>(valueAngle) * M_PI / 180.0;
    const CCoord length = 0.38 * face.getWidth();
    context->setLineWidth(std::max(0.035 * s, 2.0));
    context->setFrameColor(CColor(230, 231, 224, 255));
    context->drawLine(centre, CPoint(centre.x + length * std::cos(radians), centre.y + length * std::sin(radians)));
    setDirty(false);
}

} // namespace TarnwellPlugin
