#pragma once

// A real controller with a recording host side, and a workspace view on it, for the workspace tests.

#include "ThudderController.h"
#include "views/OutputGateWorkspaceView.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <vector>

namespace TarnwellPlugin {
namespace workspace_test {

using namespace VSTGUI;
using Steinberg::tresult;
using Steinberg::Vst::ParamID;
using Steinberg::Vst::ParamValue;

struct EditCall {
    enum Kind { kBegin, kPerform, kEnd } kind;
    ParamID id;
    double value = 0.0; // kPerform only

    bool operator==(const EditCall& o) const {
        return kind == o.kind && id == o.id && (kind != kPerform || std::fabs(value - o.value) < 1e-12);
    }
};

inline std::ostream& operator<<(std::ostream& out, const EditCall& c) {
    static const char* names[] = {"begin", "perform", "end"};
    out << names[c.kind] << " " << c.id;
    if (c.kind == EditCall::kPerform) out << " " << c.value;
    return out;
}

inline EditCall begin(ParamID id) { return {EditCall::kBegin, id}; }
inline EditCall perform(ParamID id, double v) { return {EditCall::kPerform, id, v}; }
inline EditCall end(ParamID id) { return {EditCall::kEnd, id}; }

// What the controller tells the host.
class RecordingComponentHandler : public Steinberg::Vst::IComponentHandler {
public:
    std::vector<EditCall> calls;

    tresult PLUGIN_API beginEdit(ParamID id) override {
        calls.push_back(begin(id));
        return Steinberg::kResultOk;
    }
    tresult PLUGIN_API performEdit(ParamID id, ParamValue v) override {
        calls.push_back(perform(id, v));
        return Steinberg::kResultOk;
    }
    tresult PLUGIN_API endEdit(ParamID id) override {
        calls.push_back(end(id));
        return Steinberg::kResultOk;
    }
    tresult PLUGIN_API restartComponent(Steinberg::int32) override { return Steinberg::kResultOk; }
    tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override {
        if (Steinberg::FUnknownPrivate::iidEqual(iid, Steinberg::Vst::IComponentHandler::iid) ||
            Steinberg::FUnknownPrivate::iidEqual(iid, Steinberg::FUnknown::iid)) {
            *obj = this;
            return Steinberg::kResultOk;
        }
        *obj = nullptr;
        return Steinberg::kNoInterface;
    }
    Steinberg::uint32 PLUGIN_API addRef() override { return 1; }
    Steinberg::uint32 PLUGIN_API release() override { return 1; }

    int count(EditCall::Kind kind) const {
        int n = 0;
        for (const EditCall& c : calls) n += c.kind == kind ? 1 : 0;
        return n;
    }
};

// The view's rectangle in its parent: away from the origin, so that every offset is checked against it.
constexpr double kLeft = 20, kTop = 30, kWidth = 1600, kHeight = 180;
constexpr double kRight = kLeft + kWidth, kBottom = kTop + kHeight;

class WorkspaceFixture : public ::testing::Test {
protected:
    void SetUp() override {
        controller = new ThudderController();
        ASSERT_EQ(controller->initialize(nullptr), Steinberg::kResultOk);
        controller->setComponentHandler(&handler);
    }
    void TearDown() override {
        view = nullptr;
        controller->setComponentHandler(nullptr);
        controller->terminate();
        controller->release();
    }

    OutputGateWorkspaceView* makeView(WaveAreaPage page, CRect rect = CRect(kLeft, kTop, kRight, kBottom),
                                      CBitmap* bitmap = nullptr, bool withController = true) {
        view = owned(new OutputGateWorkspaceView(rect, withController ? controller : nullptr, bitmap));
        view->page = page;
        return view.get();
    }

    // A host-side change (automation, preset): no edit is reported.
    void hostSets(ParamID id, double v) { controller->setParamNormalized(id, v); }
    double valueOf(ParamID id) const { return controller->getParamNormalized(id); }

    CMouseEventResult down(double x, double y, int32_t buttons = kLButton) {
        CPoint p(x, y);
        return view->onMouseDown(p, CButtonState(buttons));
    }
    CMouseEventResult move(double x, double y, int32_t buttons = kLButton) {
        CPoint p(x, y);
        return view->onMouseMoved(p, CButtonState(buttons));
    }
    CMouseEventResult up(double x, double y) {
        CPoint p(x, y);
        return view->onMouseUp(p, CButtonState(0));
    }
    // A click without movement; returns what the host saw.
    std::vector<EditCall> clickAt(double x, double y) {
        handler.calls.clear();
        down(x, y);
        up(x, y);
        return handler.calls;
    }

    ThudderController* controller = nullptr;
    RecordingComponentHandler handler;
    SharedPointer<OutputGateWorkspaceView> view;
};

} // namespace workspace_test
} // namespace TarnwellPlugin
