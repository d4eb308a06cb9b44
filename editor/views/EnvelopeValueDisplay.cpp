#include "EnvelopeValueDisplay.h"

namespace TarnwellPlugin {

using namespace VSTGUI;

EnvelopeValueDisplay::EnvelopeValueDisplay() : CControl(CRect(), nullptr, -1, nullptr) {}

EnvelopeValueDisplay::~EnvelopeValueDisplay() noexcept = default;

void EnvelopeValueDisplay::draw(CDrawContext*) { setDirty(false); }

} // namespace TarnwellPlugin
