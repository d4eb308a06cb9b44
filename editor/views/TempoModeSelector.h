#pragma once

// Shows whether the sequencer follows the host's tempo ("HOST") or its own ("MANUAL").

#include "vstgui/vstgui.h"

namespace TarnwellPlugin {

class TempoModeSelector : public VSTGUI::CView {
public:
    TempoModeSelector();
    ~TempoModeSelector() noexcept override;

    void draw(VSTGUI::CDrawContext* context) override;

    bool manualMode = false; // written by the editor from "Manual Tempo"
};

} // namespace TarnwellPlugin
