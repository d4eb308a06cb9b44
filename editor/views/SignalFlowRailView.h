#pragma once

// Arrows between the effect modules of the editor's layout, at fixed positions of the root view.

#include "vstgui/vstgui.h"

namespace TarnwellPlugin {

class SignalFlowRailView : public VSTGUI::CView {
public:
    explicit SignalFlowRailView(const VSTGUI::CRect& size);
    ~SignalFlowRailView() noexcept override;

    void draw(VSTGUI::CDrawContext* context) override;
};

} // namespace TarnwellPlugin
