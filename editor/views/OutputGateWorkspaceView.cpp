#include "OutputGateWorkspaceView.h"

namespace TarnwellPlugin {

using namespace VSTGUI;

OutputGateWorkspaceView::OutputGateWorkspaceView(const CRect& size, Steinberg::Vst::EditController* controller_,
                                                 CBitmap* bitmap)
: CView(size), controller(controller_), toggleBitmap(bitmap) {
    if (toggleBitmap) toggleBitmap->remember();
}

OutputGateWorkspaceView::~OutputGateWorkspaceView() noexcept {
    endDrag();
    if (toggleBitmap) toggleBitmap->forget();
}

void OutputGateWorkspaceView::draw(CDrawContext*) { setDirty(false); }

CMouseEventResult OutputGateWorkspaceView::onMouseDown(CPoint&, const CButtonState&) { return kMouseEventNotHandled; }
CMouseEventResult OutputGateWorkspaceView::onMouseUp(CPoint&, const CButtonState&) {
    endDrag();
    return kMouseEventHandled;
}
CMouseEventResult OutputGateWorkspaceView::onMouseMoved(CPoint&, const CButtonState&) { return kMouseEventNotHandled; }
CMouseEventResult OutputGateWorkspaceView::onMouseCancel() {
    endDrag();
    return kMouseEventHandled;
}

void OutputGateWorkspaceView::endDrag() {
    if (dragParamId >= 0 && controller) controller->endEdit(static_cast<Steinberg::Vst::ParamID>(dragParamId));
    dragParamId = -1;
}

} // namespace TarnwellPlugin
