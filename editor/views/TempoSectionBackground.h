#pragma once

// The panel behind the tempo section, with its three dividers.

#include "vstgui/vstgui.h"

namespace TarnwellPlugin {

class TempoSectionBackground : public VSTGUI::CView {
public:
    TempoSectionBackground();
    ~TempoSectionBackground() noexcept override;

    void draw(VSTGUI::CDrawContext* context) override;
};

} // namespace TarnwellPlugin
