#include "HeaderArrowButton.h"

namespace TarnwellPlugin {

using namespace VSTGUI;

HeaderArrowButton::HeaderArrowButton(IControlListener* listener, const char* title, int32_t style)
: CTextButton(CRect(), listener, -1, title ? title : "", style == 1 ? kOnOffStyle : kKickStyle),
  label(title ? title : "") {}

HeaderArrowButton::~HeaderArrowButton() noexcept = default;

void HeaderArrowButton::draw(CDrawContext* context) { CTextButton::draw(context); }

} // namespace TarnwellPlugin
