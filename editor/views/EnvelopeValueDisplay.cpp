#include "EnvelopeValueDisplay.h"

#include "ControlDrawing.h"

#include <cstdio>

namespace TarnwellPlugin {

using namespace VSTGUI;

namespace {

// The text for a normalized value of the envelope parameter with this id.
void formatEnvelopeValue(char (&text)[24], int32_t tag, float v) {
    switch (tag) {
    case 107: // Attack
        std::snprintf(text, sizeof(text), "%.0f ms", 250.0 * v);
        break;
    case 108: // Decay
        std::snprintf(text, sizeof(text), "%.0f ms", 1000.0 * v);
        break;
    case 110: { // Release: the engine's curve, squared in single precision
        const float squared = v * v;
        std::snprintf(text, sizeof(text), "%.0f ms", 2.0 + 1998.0 * squared);
        break;
    }
    default: // Sustain and anything else: a level
        std::snprintf(text, sizeof(text), "%.0f %%", 100.0 * v);
        break;
    }
}

} // namespace

EnvelopeValueDisplay::EnvelopeValueDisplay() : CControl(CRect(), nullptr, -1, nullptr) {}

EnvelopeValueDisplay::~EnvelopeValueDisplay() noexcept = default;

void EnvelopeValueDisplay::draw(CDrawContext* context) {
    const CRect r = ControlDrawing::finiteRect(getViewSize());
    const CRect inner = ControlDrawing::inset(r, 0.5);
    context->setLineStyle(kLineSolid);

    context->setFillColor(CColor(5, 13, 17, 255));
    context->drawRect(r, kDrawFilled);
    context->setLineWidth(1);
    context->setFrameColor(CColor(58, 68, 72, 255));
    context->drawRect(inner, kDrawStroked);

    char text[24];
    formatEnvelopeValue(text, getTag(), ControlDrawing::normalizedValue(*this));
    context->setFont(kNormalFont, 12, kBoldFace);
    context->setFontColor(CColor(255, 151, 65, 255));
    context->drawString(text, inner, kCenterText, true);
    setDirty(false);
}

} // namespace TarnwellPlugin
