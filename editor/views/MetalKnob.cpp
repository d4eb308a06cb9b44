#include "MetalKnob.h"

namespace TarnwellPlugin {

using namespace VSTGUI;

MetalKnob::MetalKnob(IControlListener* listener) : CKnob(CRect(), listener, -1, nullptr, nullptr, CPoint(0, 0), 0) {}

MetalKnob::~MetalKnob() noexcept = default;

void MetalKnob::draw(CDrawContext* context) { CKnob::draw(context); }

} // namespace TarnwellPlugin
