#include "EnvelopePreviewView.h"

#include "ParameterIds.h"
#include "ViewNumbers.h"

#include <algorithm>
#include <cmath>

namespace TarnwellPlugin {

using namespace VSTGUI;

namespace {

double unit(double v) { return std::clamp(finiteOrZero(v), 0.0, 1.0); }

constexpr int kRampSteps = 12;

} // namespace

EnvelopePreviewView::EnvelopePreviewView(Steinberg::Vst::EditController* c) : CView(CRect()), controller(c) {}

EnvelopePreviewView::~EnvelopePreviewView() noexcept = default;

double EnvelopePreviewView::parameter(Steinberg::Vst::ParamID id) const {
    return controller ? unit(controller->getParamNormalized(id)) : 0.0;
}

double EnvelopePreviewView::shape(CurveMode mode, double t) {
    if (mode == kExponential) return t * t;
    if (mode == kLogarithmic) return 1.0 - (1.0 - t) * (1.0 - t);
    return t;
}

EnvelopePreviewView::Geometry EnvelopePreviewView::geometry(const CRect& rect, double attack, double decay,
                                                            double sustain, double release, double curve) {
    const CRect r = finiteRect(rect);
    const double w = (r.right - 8.0) - (r.left + 8.0);
    Geometry g{};
    g.yTop = r.top + 20.0;
    g.yBase = r.bottom - 18.0;
    g.height = g.yBase - g.yTop;
    g.ySustain = g.yTop + g.height * (1.0 - unit(sustain));
    g.xAttack = r.left + 18.0 + 0.22 * w * unit(attack);
    g.xDecay = g.xAttack + 18.0 + 0.22 * w * unit(decay);
    g.xSustain = std::max(g.xDecay + 18.0, r.left + 8.0 + 0.66 * w);
    g.xRelease = std::min(g.xSustain + 10.0 + 0.28 * w * unit(release), r.right - 12.0);
    g.mode = static_cast<CurveMode>(static_cast<int32_t>(2.0 * unit(curve) + 0.5));
    return g;
}

void EnvelopePreviewView::draw(CDrawContext* context) {
    const CRect r = finiteRect(getViewSize());
    const Geometry g = geometry(r, parameter(kAttack), parameter(kDecay), parameter(kSustain), parameter(kRelease),
                                parameter(kEnvelopeCurve));

    // The baseline sets its own width: siblings drawn before leave theirs in the context.
    context->setLineWidth(1.0);
    context->setFrameColor(CColor(53, 61, 66, 255));
    context->drawLine(CPoint(r.left + 8.0, g.yBase), CPoint(r.right - 8.0, g.yBase));

    context->setLineWidth(1.0);
    context->setFrameColor(CColor(222, 93, 24, 175));
    for (const double x : {g.xAttack, g.xDecay, g.xSustain, g.xRelease})
        drawVerticalDashes(context, x, r.top + 13.0, g.yBase, g.yBase);

    context->setLineWidth(2.0);
    context->setFrameColor(CColor(245, 126, 35, 255));
    const CPoint attackStart(r.left + 11.0, g.yBase);
    const CPoint attackEnd(g.xAttack, g.yTop);
    CPoint previous = attackStart;
    for (int k = 1; k <= kRampSteps; ++k) {
        const double t = static_cast<double>(k) / kRampSteps;
        const CPoint next = k == kRampSteps ? attackEnd
                                            : CPoint(attackStart.x + (attackEnd.x - attackStart.x) * t,
                                                     g.yBase - g.height * shape(g.mode, t));
        context->drawLine(previous, next);
        previous = next;
    }
    const CPoint decayEnd(g.xDecay, g.ySustain);
    const CPoint sustainEnd(g.xSustain, g.ySustain);
    context->drawLine(attackEnd, decayEnd);
    context->drawLine(decayEnd, sustainEnd);
    const CPoint releaseEnd(g.xRelease, g.yBase);
    previous = sustainEnd;
    for (int k = 1; k <= kRampSteps; ++k) {
        const double t = static_cast<double>(k) / kRampSteps;
        const CPoint next = k == kRampSteps ? releaseEnd
                                            : CPoint(sustainEnd.x + (releaseEnd.x - sustainEnd.x) * t,
                                                     g.ySustain + (g.yBase - g.ySustain) * shape(g.mode, t));
        context->drawLine(previous, next);
        previous = next;
    }

    context->setFillColor(CColor(255, 139, 48, 255));
    for (const CPoint& handle : {attackEnd, decayEnd, sustainEnd, releaseEnd})
        context->drawEllipse(CRect(handle.x - 3.0, handle.y - 3.0, handle.x + 3.0, handle.y + 3.0), kDrawFilled);

    setDirty(false);
}

} // namespace TarnwellPlugin
