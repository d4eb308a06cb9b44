#include "OutputMeterView.h"

namespace TarnwellPlugin {

using namespace VSTGUI;

OutputMeterView::OutputMeterView() : CView(CRect()) {}

OutputMeterView::~OutputMeterView() noexcept = default;

void OutputMeterView::draw(CDrawContext*) { setDirty(false); }

} // namespace TarnwellPlugin
