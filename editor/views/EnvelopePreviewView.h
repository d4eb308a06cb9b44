#pragma once

// A live drawing of the amplitude envelope from Attack, Decay, Sustain, Release and Envelope Curve.

#include "vstgui/vstgui.h"

#include "public.sdk/source/vst/vsteditcontroller.h"

#include <cstdint>

namespace TarnwellPlugin {

class EnvelopePreviewView : public VSTGUI::CView {
public:
    // controller is not owned; null draws every value as 0.
    explicit EnvelopePreviewView(Steinberg::Vst::EditController* controller);
    ~EnvelopePreviewView() noexcept override;

    void draw(VSTGUI::CDrawContext* context) override;

    // The curve modes of "Envelope Curve".
    enum CurveMode : int32_t { kExponential = 0, kLinear = 1, kLogarithmic = 2 };

    // Where the envelope's corners lie in a view rectangle, for normalized attack, decay, sustain,
    // release and curve values (each taken as 0 when not finite, and kept to 0..1).
    struct Geometry {
        double yTop, yBase, height, ySustain;
        double xAttack, xDecay, xSustain, xRelease;
        CurveMode mode;
    };
    static Geometry geometry(const VSTGUI::CRect& rect, double attack, double decay, double sustain, double release,
                             double curve);
    // The ramp shape: t^2 for EXP, 1 - (1 - t)^2 for LOG, t otherwise.
    static double shape(CurveMode mode, double t);

private:
    double parameter(Steinberg::Vst::ParamID id) const;

    Steinberg::Vst::EditController* controller = nullptr;
};

} // namespace TarnwellPlugin
