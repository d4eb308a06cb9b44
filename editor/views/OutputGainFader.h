#pragma once

// The vertical "Output Gain" fader (-24 to +60 dB) with its own mouse handling: while it is dragged
// the listener hears of it at most once every 8 ms, and the release always reports the final value.

#include "vstgui/vstgui.h"

#include <chrono>
#include <functional>

namespace TarnwellPlugin {

class OutputGainFader : public VSTGUI::CControl {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    // handleBitmap may be null (no handle is drawn); one reference is kept.
    OutputGainFader(VSTGUI::IControlListener* listener, VSTGUI::CBitmap* handleBitmap);
    OutputGainFader(const OutputGainFader& other);
    ~OutputGainFader() noexcept override;

    VSTGUI::CView* newCopy() const override { return new OutputGainFader(*this); }
    void draw(VSTGUI::CDrawContext* context) override;
    VSTGUI::CMouseEventResult onMouseDown(VSTGUI::CPoint& where, const VSTGUI::CButtonState& buttons) override;
    VSTGUI::CMouseEventResult onMouseUp(VSTGUI::CPoint& where, const VSTGUI::CButtonState& buttons) override;
    VSTGUI::CMouseEventResult onMouseMoved(VSTGUI::CPoint& where, const VSTGUI::CButtonState& buttons) override;
    VSTGUI::CMouseEventResult onMouseCancel() override;

    void updateValueFromPoint(const VSTGUI::CPoint& where, bool force);

    // The fader's value for a mouse y (parent coordinates): 1 at the top of the travel, 0 at its bottom.
    // Without a travel (a view too short for one) or for a non-finite y it is the current value.
    float valueForY(VSTGUI::CCoord y) const;

    // Tests replace the steady clock.
    void setClock(Clock clock);

    std::chrono::steady_clock::time_point lastNotifyTime{};

private:
    struct Geometry {
        VSTGUI::CCoord x, top, bottom; // track x, travel top and bottom
    };
    Geometry geometry() const;
    bool hasTravel() const;
    std::chrono::steady_clock::time_point now() const;
    void setFromPointAndNotify(const VSTGUI::CPoint& where);

    VSTGUI::CBitmap* handleBitmap = nullptr;
    Clock clock;
    bool mouseEditOpen = false; // between our own beginEdit on a press and its endEdit
};

} // namespace TarnwellPlugin
