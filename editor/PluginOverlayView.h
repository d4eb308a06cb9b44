#pragma once

// One overlay dialog: a container over the whole editor that dims it, draws a centred panel with a
// title and a body, and holds the dialog's buttons (and the save dialog's name field).

#include "vstgui/vstgui.h"

#include <string>

namespace TarnwellPlugin {

class PluginOverlayView : public VSTGUI::CViewContainer {
public:
    PluginOverlayView(const VSTGUI::CRect& size, std::string title, std::string body, double panelLeft,
                      double panelTop, double panelRight, double panelBottom);
    ~PluginOverlayView() noexcept override;

    void drawBackgroundRect(VSTGUI::CDrawContext* context, const VSTGUI::CRect& rect) override;

    VSTGUI::CRect getPanelRect() const { return VSTGUI::CRect(panelLeft, panelTop, panelRight, panelBottom); }
    const std::string& getTitle() const { return title; }
    const std::string& getBody() const { return body; }

private:
    double panelLeft, panelTop, panelRight, panelBottom;
    std::string title;
    std::string body;
};

} // namespace TarnwellPlugin
