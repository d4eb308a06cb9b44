#pragma once

// Every rotary knob of the editor: the library knob's mouse handling, drawn as a metal knob with a
// value arc in the knob's corona colour.

#include "vstgui/vstgui.h"

namespace TarnwellPlugin {

class MetalKnob : public VSTGUI::CKnob {
public:
    explicit MetalKnob(VSTGUI::IControlListener* listener);
    ~MetalKnob() noexcept override;

    void draw(VSTGUI::CDrawContext* context) override;
};

} // namespace TarnwellPlugin
