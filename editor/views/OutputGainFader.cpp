#include "OutputGainFader.h"

#include <algorithm>

namespace TarnwellPlugin {

using namespace VSTGUI;

OutputGainFader::OutputGainFader(IControlListener* listener, CBitmap* handle)
: CControl(CRect(), listener, -1, nullptr), handleBitmap(handle) {
    if (handleBitmap) handleBitmap->remember();
}

OutputGainFader::OutputGainFader(const OutputGainFader& other)
: CControl(other), lastNotifyTime(other.lastNotifyTime), handleBitmap(other.handleBitmap), clock(other.clock) {
    if (handleBitmap) handleBitmap->remember();
}

OutputGainFader::~OutputGainFader() noexcept {
    if (handleBitmap) handleBitmap->forget();
}

void OutputGainFader::draw(CDrawContext*) { setDirty(false); }

float OutputGainFader::valueForY(CCoord y) const {
    const CCoord top = getViewSize().top + 55, bottom = getViewSize().bottom - 22;
    if (!(bottom > top)) return 0.0f;
    return static_cast<float>(std::clamp((bottom - y) / (bottom - top), 0.0, 1.0));
}

CMouseEventResult OutputGainFader::onMouseDown(CPoint&, const CButtonState&) { return kMouseEventNotHandled; }
CMouseEventResult OutputGainFader::onMouseUp(CPoint&, const CButtonState&) { return kMouseEventHandled; }
CMouseEventResult OutputGainFader::onMouseMoved(CPoint&, const CButtonState&) { return kMouseEventHandled; }
CMouseEventResult OutputGainFader::onMouseCancel() { return kMouseEventHandled; }

void OutputGainFader::updateValueFromPoint(const CPoint&, bool) {}

void OutputGainFader::setClock(Clock c) { clock = std::move(c); }

} // namespace TarnwellPlugin
