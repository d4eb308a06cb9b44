#pragma once

// A read-only text display of an envelope parameter (its control tag) in milliseconds or percent.

#include "vstgui/vstgui.h"

namespace TarnwellPlugin {

class EnvelopeValueDisplay : public VSTGUI::CControl {
public:
    EnvelopeValueDisplay();
    ~EnvelopeValueDisplay() noexcept override;

    VSTGUI::CView* newCopy() const override { return new EnvelopeValueDisplay(*this); }
    void draw(VSTGUI::CDrawContext* context) override;
};

} // namespace TarnwellPlugin
