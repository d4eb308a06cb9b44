#include "RecordingDisplayButton.h"

namespace TarnwellPlugin {

using namespace VSTGUI;

RecordingDisplayButton::RecordingDisplayButton(IControlListener* listener)
: CTextButton(CRect(), listener, -1, "", kOnOffStyle) {}

RecordingDisplayButton::~RecordingDisplayButton() noexcept = default;

} // namespace TarnwellPlugin
