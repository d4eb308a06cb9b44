#pragma once

// The tempo the sequencer ran at, in BPM.

#include "vstgui/vstgui.h"

namespace TarnwellPlugin {

class TempoDisplayView : public VSTGUI::CView {
public:
    TempoDisplayView();
    ~TempoDisplayView() noexcept override;

    void draw(VSTGUI::CDrawContext* context) override;

    double tempo = 128.0; // written by the editor from the visualization snapshot
};

} // namespace TarnwellPlugin
