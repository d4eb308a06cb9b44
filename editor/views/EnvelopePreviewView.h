#pragma once

// A live drawing of the amplitude envelope from Attack, Decay, Sustain, Release and Envelope Curve.

#include "vstgui/vstgui.h"

#include "public.sdk/source/vst/vsteditcontroller.h"

namespace TarnwellPlugin {

class EnvelopePreviewView : public VSTGUI::CView {
public:
    // controller is not owned; null draws every value as 0.
    explicit EnvelopePreviewView(Steinberg::Vst::EditController* controller);
    ~EnvelopePreviewView() noexcept override;

    void draw(VSTGUI::CDrawContext* context) override;

private:
    Steinberg::Vst::EditController* controller = nullptr;
};

} // namespace TarnwellPlugin
