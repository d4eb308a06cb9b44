#include "EnvelopePreviewView.h"

namespace TarnwellPlugin {

using namespace VSTGUI;

EnvelopePreviewView::EnvelopePreviewView(Steinberg::Vst::EditController* c) : CView(CRect()), controller(c) {}

EnvelopePreviewView::~EnvelopePreviewView() noexcept = default;

void EnvelopePreviewView::draw(CDrawContext*) { setDirty(false); }

} // namespace TarnwellPlugin
