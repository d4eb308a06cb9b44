#include "TempoDisplayView.h"

namespace TarnwellPlugin {

using namespace VSTGUI;

TempoDisplayView::TempoDisplayView() : CView(CRect()) {}

TempoDisplayView::~TempoDisplayView() noexcept = default;

void TempoDisplayView::draw(CDrawContext*) { setDirty(false); }

} // namespace TarnwellPlugin
