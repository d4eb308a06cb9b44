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
    // A drag cannot outlive its knob: leaving the tree or being hidden ends it.
    bool removed(VSTGUI::CView* parent) override;
    void setVisible(bool state) override;

    // Ends an open knob drag (endEdit of its parameter); nothing when none is open.
    void endDrag();
    bool isDragging() const { return dragParamId >= 0; }

    Steinberg::Vst::EditController* controller = nullptr;
    VSTGUI::CBitmap* toggleBitmap = nullptr;
    int32_t dragParamId = -1;
    double dragStartY = 0.0;
    double dragStartValue = 0.0;
    WaveAreaPage page = kWaveAreaExtendedFx; // written by the editor, clamped to 0..2

private:
    enum class HitAction { kNone, kToggle, kSet, kDrag };
    struct Hit {
        HitAction action = HitAction::kNone;
        Steinberg::Vst::ParamID id = 0;
        double value = 0.0;            // kSet
        const char* tooltip = nullptr; // null: the page's own text
    };

    // The page drawn and handled: anything but 0 and 1 is EXTENDED FX.
    int32_t shownPage() const;
    // The view rectangle with non-finite coordinates taken as 0.
    VSTGUI::CRect layoutRect() const;
    // The controller's normalized value in [0, 1]; 0 without a controller or for a non-finite value.
    double value(Steinberg::Vst::ParamID id) const;
    // The first region under `where` on the shown page, in click order or (page 1 differs) tooltip order.
    Hit hitAt(const VSTGUI::CPoint& where, bool tooltipOrder) const;
    const char* tooltipAt(const VSTGUI::CPoint& where) const;
    // One complete edit (begin, set, perform, end), then a redraw.
    void setParameter(Steinberg::Vst::ParamID id, double normalized);

    void drawSubGeneratorPage(VSTGUI::CDrawContext* context, const VSTGUI::CRect& r);
    void drawExtendedMixPage(VSTGUI::CDrawContext* context, const VSTGUI::CRect& r);
    void drawExtendedFxPage(VSTGUI::CDrawContext* context, const VSTGUI::CRect& r);

    int32_t dragPage = -1; // page the open drag started on
};

} // namespace TarnwellPlugin
