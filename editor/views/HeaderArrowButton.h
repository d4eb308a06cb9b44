#pragma once

// The flat text button of the header, the wave area, tempo sync, save/delete and the dialogs: it
// draws its own label (which the editor relabels) and can have its lit state forced by the editor.

#include "vstgui/vstgui.h"

#include <string>

namespace TarnwellPlugin {

class HeaderArrowButton : public VSTGUI::CTextButton {
public:
    // style 0 is the kick (momentary) style, 1 the on-off style; the tag is always -1.
    HeaderArrowButton(VSTGUI::IControlListener* listener, const char* title, int32_t style);
    ~HeaderArrowButton() noexcept override;

    void draw(VSTGUI::CDrawContext* context) override;

    std::string label;         // what draw shows; the text button's own title is not drawn
    bool accent = false;       // label in the accent colour
    bool hasForcedState = false; // when set, forcedState is the lit state instead of the value
    bool forcedState = false;
};

} // namespace TarnwellPlugin
