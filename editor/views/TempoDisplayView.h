#pragma once

// The tempo the sequencer ran at, in BPM.

#include "vstgui/vstgui.h"

#include <string>

namespace TarnwellPlugin {

class TempoDisplayView : public VSTGUI::CView {
public:
    TempoDisplayView();
    ~TempoDisplayView() noexcept override;

    void draw(VSTGUI::CDrawContext* context) override;

    // "128.0 BPM": one decimal, at most 23 characters; a non-finite tempo reads as 0.
    static std::string tempoText(double bpm);

    double tempo = 128.0; // written by the editor from the visualization snapshot
};

} // namespace TarnwellPlugin
