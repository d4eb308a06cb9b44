#include "OutputGainFader.h"

#include "ControlDrawing.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace TarnwellPlugin {

using namespace VSTGUI;

namespace {

constexpr auto kNotifyInterval = std::chrono::milliseconds(8);
constexpr float kSameValue = 0.00001f;

// Left button, or a double-click (which some platforms report without the button).
bool isLeftPress(const CButtonState& buttons) { return (buttons & kLButton) != 0 || buttons.isDoubleClick(); }

} // namespace

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

OutputGainFader::Geometry OutputGainFader::geometry() const {
    const CRect r = ControlDrawing::finiteRect(getViewSize());
    return {r.left + 0.38 * (r.right - r.left), r.top + 55, r.bottom - 22};
}

bool OutputGainFader::hasTravel() const {
    const Geometry g = geometry();
    return g.bottom > g.top;
}

std::chrono::steady_clock::time_point OutputGainFader::now() const {
    return clock ? clock() : std::chrono::steady_clock::now();
}

void OutputGainFader::setClock(Clock c) { clock = std::move(c); }

float OutputGainFader::valueForY(CCoord y) const {
    const Geometry g = geometry();
    if (!(g.bottom > g.top) || !std::isfinite(y)) return ControlDrawing::normalizedValue(*this);
    return static_cast<float>(std::clamp((g.bottom - y) / (g.bottom - g.top), 0.0, 1.0));
}

void OutputGainFader::setFromPointAndNotify(const CPoint& where) {
    setValueNormalized(valueForY(where.y));
    invalid();
    const auto t = now();
    valueChanged();
    lastNotifyTime = t;
}

CMouseEventResult OutputGainFader::onMouseDown(CPoint& where, const CButtonState& buttons) {
    if (!isLeftPress(buttons)) return kMouseEventNotHandled;
    if (!hasTravel()) return kMouseEventNotHandled;
    SharedPointer<CView> keep(this);
    // A press without a release in between (a lost up) closes the open edit, so that every
    // beginEdit keeps exactly one endEdit.
    if (mouseEditOpen) {
        mouseEditOpen = false;
        endEdit();
    }
    beginEdit();
    mouseEditOpen = true;
    setFromPointAndNotify(where);
    return kMouseEventHandled;
}

CMouseEventResult OutputGainFader::onMouseMoved(CPoint& where, const CButtonState&) {
    if (mouseEditOpen && isEditing()) updateValueFromPoint(where, false);
    return kMouseEventHandled;
}

CMouseEventResult OutputGainFader::onMouseUp(CPoint& where, const CButtonState&) {
    if (!mouseEditOpen) return kMouseEventHandled;
    SharedPointer<CView> keep(this);
    mouseEditOpen = false;
    if (isEditing() && hasTravel()) setFromPointAndNotify(where);
    endEdit();
    return kMouseEventHandled;
}

CMouseEventResult OutputGainFader::onMouseCancel() {
    if (mouseEditOpen) {
        mouseEditOpen = false;
        endEdit();
    }
    return kMouseEventHandled;
}

void OutputGainFader::updateValueFromPoint(const CPoint& where, bool force) {
    if (!hasTravel()) return;
    const float v = valueForY(where.y);
    if (std::fabs(v - getValueNormalized()) < kSameValue && !force) return;
    setValueNormalized(v);
    invalid();
    const auto t = now();
    if (!force && t - lastNotifyTime < kNotifyInterval) return;
    valueChanged();
    lastNotifyTime = t;
}

void OutputGainFader::draw(CDrawContext* context) {
    const CRect r = ControlDrawing::finiteRect(getViewSize());
    const Geometry g = geometry();
    const float v = std::clamp(ControlDrawing::normalizedValue(*this), 0.f, 1.f);
    const CCoord yv = g.bottom - (g.bottom - g.top) * v;
    context->setLineStyle(kLineSolid);

    context->setFillColor(CColor(11, 19, 23, 255));
    context->drawRect(r, kDrawFilled);
    context->setLineWidth(2);
    context->setFrameColor(CColor(51, 65, 71, 255));
    context->drawRect(ControlDrawing::inset(r, 1), kDrawStroked);

    context->setFont(kNormalFont, 13, kBoldFace);
    context->setFontColor(CColor(55, 205, 215, 255));
    context->drawString("GAIN FX", CRect(r.left + 8, r.top + 7, r.right - 8, r.top + 28), kCenterText, true);

    char text[24];
    std::snprintf(text, sizeof(text), "%+.1f dB", 84.0 * v - 24.0);
    context->setFont(kNormalFontSmall, 9, kBoldFace);
    context->setFontColor(CColor(220, 226, 224, 255));
    context->drawString(text, CRect(r.left + 8, r.top + 28, r.right - 8, r.top + 45), kCenterText, true);

    context->setLineWidth(12);
    context->setFrameColor(CColor(3, 7, 9, 255));
    context->drawLine(CPoint(g.x, g.top), CPoint(g.x, g.bottom));
    context->setLineWidth(5);
    context->setFrameColor(CColor(46, 55, 58, 255));
    context->drawLine(CPoint(g.x, g.top), CPoint(g.x, g.bottom));

    context->setLineWidth(3);
    context->setFrameColor(CColor(55, 205, 215, 255));
    context->drawLine(CPoint(g.x, yv), CPoint(g.x, g.bottom));

    static const char* const labels[] = {"+60", "+48", "+36", "+24", "+12", "0", "-12", "-24"};
    constexpr int zeroTick = 10; // 0 dB: 60 of the 84 dB from the top
    for (int i = 0; i <= 14; ++i) {
        const CCoord y = g.top + i * (g.bottom - g.top) / 14;
        const bool major = i % 2 == 0;
        context->setLineWidth(major ? 1.5 : 1.0);
        context->setFrameColor(i == zeroTick ? CColor(255, 126, 42, 255) : CColor(73, 89, 96, 255));
        context->drawLine(CPoint(g.x + 13, y), CPoint(g.x + (major ? 29 : 23), y));
        if (!major) continue;
        const bool zero = i == zeroTick;
        context->setFont(kNormalFontSmall, 9, zero ? kBoldFace : kNormalFace);
        context->setFontColor(zero ? CColor(255, 150, 73, 255) : CColor(151, 164, 168, 255));
        context->drawString(labels[i / 2], CRect(g.x + 35, y - 8, r.right - 8, y + 8), kLeftText, true);
    }

    if (handleBitmap) {
        const CCoord bw = handleBitmap->getWidth(), bh = handleBitmap->getHeight();
        handleBitmap->draw(context, CRect(g.x - bw / 2, yv - bh / 2, g.x + bw / 2, yv + bh / 2), CPoint(0, 0), 1.f);
    }
    setDirty(false);
}

} // namespace TarnwellPlugin
