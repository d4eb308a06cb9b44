#include "SignalFlowRailView.h"

namespace TarnwellPlugin {

using namespace VSTGUI;

SignalFlowRailView::SignalFlowRailView(const CRect& size) : CView(size) { setMouseEnabled(false); }

SignalFlowRailView::~SignalFlowRailView() noexcept = default;

void SignalFlowRailView::draw(CDrawContext*) { setDirty(false); }

} // namespace TarnwellPlugin
