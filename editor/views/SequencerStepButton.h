#pragma once

// One step of the 16-step sequencer: OFF, HALF or FULL (values 0, 0.5, 1; the editor cycles it).

#include "vstgui/vstgui.h"

namespace TarnwellPlugin {

class SequencerStepButton : public VSTGUI::CTextButton {
public:
    explicit SequencerStepButton(VSTGUI::IControlListener* listener);
    ~SequencerStepButton() noexcept override;

    void draw(VSTGUI::CDrawContext* context) override;
};

} // namespace TarnwellPlugin
