#pragma once

// The hand-drawn effects workspace that replaces the waveform in menu mode: the pages SUB GENERATOR,
// EXTENDED MIX and EXTENDED FX, drawn from the controller's current values and edited with the mouse
// (switches, rate buttons and knob drags, each through beginEdit / performEdit / endEdit).

#include "WaveAreaPage.h"

#include "vstgui/vstgui.h"

#include "public.sdk/source/vst/vsteditcontroller.h"

#include <cstdint>

namespace TarnwellPlugin {

class OutputGateWorkspaceView : public VSTGUI::CView {
public:
    // controller is not owned (null: every value reads 0 and the mouse does nothing); toggleBitmap
    // ("toggle-70") may be null, one reference is kept.
    OutputGateWorkspaceView(const VSTGUI::CRect& size, Steinberg::Vst::EditController* controller,
                            VSTGUI::CBitmap* toggleBitmap);
    ~OutputGateWorkspaceView() noexcept override;

    void draw(VSTGUI::CDrawContext* context) override;
    VSTGUI::CMouseEventResult onMouseDown(VSTGUI::CPoint& where, const VSTGUI::CButtonState& buttons) override;
    VSTGUI::CMouseEventResult onMouseUp(VSTGUI::CPoint& where, const VSTGUI::CButtonState& buttons) override;
    VSTGUI::CMouseEventResult onMouseMoved(VSTGUI::CPoint& where, const VSTGUI::CButtonState& buttons) override;
    VSTGUI::CMouseEventResult onMouseCancel() override;

    // Ends an open knob drag (endEdit of its parameter); nothing when none is open.
    void endDrag();
    bool isDragging() const { return dragParamId >= 0; }

    Steinberg::Vst::EditController* controller = nullptr;
    VSTGUI::CBitmap* toggleBitmap = nullptr;
    int32_t dragParamId = -1;
    double dragStartY = 0.0;
    double dragStartValue = 0.0;
    WaveAreaPage page = kWaveAreaExtendedFx; // written by the editor, clamped to 0..2
};

} // namespace TarnwellPlugin
