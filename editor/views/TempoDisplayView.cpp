#include "TempoDisplayView.h"

#include "ViewNumbers.h"

#include <cstdio>

namespace TarnwellPlugin {

using namespace VSTGUI;

TempoDisplayView::TempoDisplayView() : CView(CRect()) {}

TempoDisplayView::~TempoDisplayView() noexcept = default;

std::string TempoDisplayView::tempoText(double bpm) {
    // snprintf cuts an absurd tempo to the buffer instead of writing past it.
    char text[24];
    std::snprintf(text, sizeof(text), "%.1f BPM", finiteOrZero(bpm));
    return text;
}

void TempoDisplayView::draw(CDrawContext* context) {
    CRect r = finiteRect(getViewSize());
    context->setFillColor(CColor(4, 12, 15, 255));
    context->drawRect(r, kDrawFilled);
    r.inset(1.0, 1.0);
    context->setLineWidth(1.5);
    context->setFrameColor(CColor(55, 205, 215, 190));
    context->drawRect(r, kDrawStroked);

    context->setFont(kNormalFont, 16, kBoldFace);
    context->setFontColor(CColor(126, 231, 234, 255));
    context->drawString(tempoText(tempo), r, kCenterText, true);
    setDirty(false);
}

} // namespace TarnwellPlugin
