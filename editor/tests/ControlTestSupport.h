#pragma once

// Shared pieces of the control tests: a listener that logs what it hears, a parent that counts
// redraw requests, and recording of a view's drawing.

#include "vstgui/vstgui.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace TarnwellPlugin::ControlTests {

using namespace VSTGUI;

// A parent that counts how often a child asks to be redrawn.
class InvalidationCounter : public CViewContainer {
public:
    InvalidationCounter() : CViewContainer(CRect(0, 0, 1000, 1000)) {}
    void invalidRect(const CRect& rect) override {
        ++count;
        CViewContainer::invalidRect(rect);
    }
    int count = 0;
};

// Logs every listener call with the control's state at that moment.
struct LoggingListener : IControlListener {
    struct Event {
        std::string kind; // "begin", "end" or "value"
        float value;      // normalized
        bool editing;
        int invalidations; // of the watched parent, when one is set
    };
    void valueChanged(CControl* c) override { log("value", c); }
    void controlBeginEdit(CControl* c) override { log("begin", c); }
    void controlEndEdit(CControl* c) override { log("end", c); }

    // "begin value end" and so on.
    std::string kinds() const {
        std::string s;
        for (const Event& e : events) s += (s.empty() ? "" : " ") + e.kind;
        return s;
    }
    std::vector<Event> values() const {
        std::vector<Event> v;
        for (const Event& e : events)
            if (e.kind == "value") v.push_back(e);
        return v;
    }

    std::vector<Event> events;
    const InvalidationCounter* watched = nullptr;

private:
    void log(const char* kind, CControl* c) {
        events.push_back({kind, c->getValueNormalized(), c->isEditing(), watched ? watched->count : 0});
    }
};

// Every drawing call of one draw of the view.
inline std::unique_ptr<RecordingDrawContext> recordDraw(CView* view) {
    auto context = std::make_unique<RecordingDrawContext>(CRect(0, 0, 1000, 1000));
    view->draw(context.get());
    return context;
}

inline std::vector<RecordingDrawContext::Call> callsOf(const RecordingDrawContext& context,
                                                       RecordingDrawContext::Op op, CDrawStyle style) {
    std::vector<RecordingDrawContext::Call> result;
    for (const auto& c : context.callsOf(op))
        if (c.style == style) result.push_back(c);
    return result;
}

inline ::testing::AssertionResult sameColour(const CColor& actual, const CColor& expected) {
    if (actual == expected) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "colour (" << int(actual.red) << "," << int(actual.green) << ","
                                         << int(actual.blue) << "," << int(actual.alpha) << "), expected ("
                                         << int(expected.red) << "," << int(expected.green) << ","
                                         << int(expected.blue) << "," << int(expected.alpha) << ")";
}

inline ::testing::AssertionResult rectNear(const CRect& actual, const CRect& expected, double tolerance = 1e-6) {
    if (std::fabs(actual.left - expected.left) <= tolerance && std::fabs(actual.top - expected.top) <= tolerance &&
        std::fabs(actual.right - expected.right) <= tolerance &&
        std::fabs(actual.bottom - expected.bottom) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "rect (" << actual.left << "," << actual.top << "," << actual.right
                                         << "," << actual.bottom << "), expected (" << expected.left << ","
                                         << expected.top << "," << expected.right << "," << expected.bottom << ")";
}

inline ::testing::AssertionResult pointNear(const CPoint& actual, const CPoint& expected, double tolerance = 1e-6) {
    if (std::fabs(actual.x - expected.x) <= tolerance && std::fabs(actual.y - expected.y) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "point (" << actual.x << "," << actual.y << "), expected (" << expected.x
                                         << "," << expected.y << ")";
}

} // namespace TarnwellPlugin::ControlTests
