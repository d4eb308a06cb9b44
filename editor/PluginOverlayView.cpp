#include "PluginOverlayView.h"

namespace TarnwellPlugin {

using namespace VSTGUI;

PluginOverlayView::PluginOverlayView(const CRect& size, std::string title_, std::string body_, double l, double t,
                                     double r, double b)
: CViewContainer(size), panelLeft(l), panelTop(t), panelRight(r), panelBottom(b), title(std::move(title_)),
  body(std::move(body_)) {
    setTransparency(false);
    setMouseEnabled(true);
}

PluginOverlayView::~PluginOverlayView() noexcept = default;

void PluginOverlayView::drawBackgroundRect(CDrawContext*, const CRect&) {}

} // namespace TarnwellPlugin
