#pragma once

// The button made for "SynthRecordButton": the editor hides it and disables its mouse at once, so
// only its existence under that name matters.

#include "vstgui/vstgui.h"

namespace TarnwellPlugin {

class RecordingDisplayButton : public VSTGUI::CTextButton {
public:
    explicit RecordingDisplayButton(VSTGUI::IControlListener* listener);
    ~RecordingDisplayButton() noexcept override;
};

} // namespace TarnwellPlugin
