#include "SequencerStepButton.h"

namespace TarnwellPlugin {

using namespace VSTGUI;

SequencerStepButton::SequencerStepButton(IControlListener* listener)
: CTextButton(CRect(), listener, -1, "", kOnOffStyle) {}

SequencerStepButton::~SequencerStepButton() noexcept = default;

void SequencerStepButton::draw(CDrawContext* context) { CTextButton::draw(context); }

} // namespace TarnwellPlugin
