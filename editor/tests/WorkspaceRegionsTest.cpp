// The effects workspace as a control: its hit regions, the parameters they edit, toggles, rate buttons,
// knob drags with their edit protocol, and the tooltips.
#include "WorkspaceTestSupport.h"

#include "views/OutputGateWorkspaceLayout.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace TarnwellPlugin {
namespace workspace_test {
namespace {

enum class Kind { kKnob, kToggle, kSet };

struct Row {
    std::string name;
    ParamID id;
    int page;
    CRect rect; // in the parent's coordinates, for the fixture's view rectangle
    Kind kind;
    double setValue;     // kSet
    const char* tooltip; // null: the page's own text
};

const char* const kFxPage = "Extended final effects";

double column(int k) { return kLeft - 3.75 + kWidth / 8 + k * (kWidth / 4 + 2.5); }

// Every hit area of the three pages, as the layout gives them for a view at (20, 30) of 1600 x 180.
std::vector<Row> allRows() {
    const double l = kLeft, t = kTop, r = kRight, b = kBottom;
    std::vector<Row> rows = {
        {"region 0", 400, 0, {l + 301, t + 8, l + 359, t + 74}, Kind::kKnob, 0,
         "Sub pitch: tunes the synthesized low body"},
        {"region 1", 401, 0, {l + 401, t + 8, l + 459, t + 74}, Kind::kKnob, 0,
         "Pitch drop: bends the initial pitch down into the body"},
        {"region 2", 402, 0, {l + 501, t + 8, l + 559, t + 74}, Kind::kKnob, 0,
         "Sweep: sets how quickly the pitch settles"},
        {"region 3", 403, 0, {l + 601, t + 8, l + 659, t + 74}, Kind::kKnob, 0,
         "Attack: fades in the synthesized voice"},
        {"region 4", 404, 0, {l + 701, t + 8, l + 759, t + 74}, Kind::kKnob, 0,
         "Transient: adds a short deterministic front impact"},
        {"region 5", 405, 0, {l + 801, t + 8, l + 859, t + 74}, Kind::kKnob, 0,
         "Soften: removes the front while preserving the late body"},
        {"region 6", 406, 0, {l + 301, t + 91, l + 359, t + 157}, Kind::kKnob, 0,
         "Body: adds weight and a controlled second harmonic"},
        {"region 7", 407, 0, {l + 401, t + 91, l + 459, t + 157}, Kind::kKnob, 0,
         "Decay: controls the full synthesized tail length"},
        {"region 8", 408, 0, {l + 501, t + 91, l + 559, t + 157}, Kind::kKnob, 0,
         "Swell: moves emphasis from the hit into a delayed bloom"},
        {"region 9", 409, 0, {l + 601, t + 91, l + 659, t + 157}, Kind::kKnob, 0,
         "Tone: low-pass shapes the complete sub voice"},
        {"region 10", 410, 0, {l + 701, t + 91, l + 759, t + 157}, Kind::kKnob, 0,
         "Drive: adds bounded harmonic saturation"},
        {"region 11", 412, 0, {l + 801, t + 91, l + 859, t + 157}, Kind::kKnob, 0,
         "Compressor: progressively compacts and boosts the Sub Generator body"},
        {"region 12", 413, 0, {l + 1263.5, t + 29, l + 1321.5, t + 95}, Kind::kKnob, 0,
         "Direct ADSR Attack: fades the pure Sub Generator signal in over up to 500 ms"},
        {"region 13", 414, 0, {l + 1348.5, t + 29, l + 1406.5, t + 95}, Kind::kKnob, 0,
         "Direct ADSR Decay: controls the fall from peak to sustain over up to 2 seconds"},
        {"region 14", 415, 0, {l + 1263.5, t + 96, l + 1321.5, t + 162}, Kind::kKnob, 0,
         "Direct ADSR Sustain: sets the held level of the pure Sub Generator signal"},
        {"region 15", 416, 0, {l + 1348.5, t + 96, l + 1406.5, t + 162}, Kind::kKnob, 0,
         "Direct ADSR Release: fades the Sub Generator after note-off; maximum is neutral"},
        {"region 16", 411, 0, {l + 1440, t + 35, r - 10, b - 12}, Kind::kKnob, 0,
         "Mix: blends the Sub Generator; above 3 o'clock adds up to +8 dB of soft overdrive"},
        {"region 17", 436, 1, {column(0) - 55, t + 35, column(0) + 55, b - 10}, Kind::kKnob, 0,
         "Kick dry return: post-FX source return with up to +9.5 dB boost above 3 o'clock"},
        {"region 18", 437, 1, {column(1) - 55, t + 35, column(1) + 55, b - 10}, Kind::kKnob, 0,
         "Wave dry return: post-FX source return with up to +9.5 dB boost above 3 o'clock"},
        {"region 19", 438, 1, {column(2) - 55, t + 35, column(2) + 55, b - 10}, Kind::kKnob, 0,
         "OSC dry return: post-FX source return with up to +9.5 dB boost above 3 o'clock"},
        {"region 20", 439, 1, {column(3) - 55, t + 35, column(3) + 55, b - 10}, Kind::kKnob, 0,
         "Sub dry return: adds the Sub Generator after all FX with up to +15.6 dB progressive boost"},
        {"region 21", 182, 2, {l + 10, t + 50, l + 80, t + 78}, Kind::kToggle, 0, kFxPage},
        {"region 22", 186, 2, {l + 410, t + 50, l + 480, t + 78}, Kind::kToggle, 0, kFxPage},
        {"region 23", 189, 2, {l + 745, t + 50, l + 815, t + 78}, Kind::kToggle, 0, kFxPage},
        {"region 24", 192, 2, {l + 1080, t + 50, l + 1150, t + 78}, Kind::kToggle, 0, kFxPage},
        {"region 25", 195, 2, {l + 1355, t + 50, l + 1425, t + 78}, Kind::kToggle, 0, kFxPage},
        {"region 26", 184, 2, {l + 185, t + 13, l + 237, t + 71}, Kind::kKnob, 0,
         "Gate Depth: attenuation during each closed rhythm phase"},
        {"region 27", 185, 2, {l + 185, t + 76, l + 237, t + 134}, Kind::kKnob, 0,
         "Gate Smooth: softens rhythm edges to prevent clicks"},
        {"region 28", 187, 2, {l + 495, t + 39, l + 547, b - 8}, Kind::kKnob, 0,
         "Rift Fold: controls the number and intensity of waveform folds"},
        {"region 29", 188, 2, {l + 555, t + 39, l + 607, b - 8}, Kind::kKnob, 0,
         "Rift Mix: blends the folded signal with the clean output"},
        {"region 30", 190, 2, {l + 830, t + 39, l + 882, b - 8}, Kind::kKnob, 0,
         "Void Rate: moves from slow pulses to metallic ring modulation"},
        {"region 31", 191, 2, {l + 890, t + 39, l + 942, b - 8}, Kind::kKnob, 0,
         "Void Depth: controls the strength of the output modulation"},
        {"region 32", 193, 2, {l + 1165, t + 39, l + 1217, b - 8}, Kind::kKnob, 0,
         "Stereo Enhancer Width: adds kick-derived side information while retaining mono bass"},
        {"region 33", 194, 2, {l + 1225, t + 39, l + 1277, b - 8}, Kind::kKnob, 0,
         "Stereo Enhancer Space: sets the short decorrelation delay from 1.5 to 18 ms"},
        {"region 34", 196, 2, {l + 1440, t + 39, l + 1492, b - 8}, Kind::kKnob, 0,
         "Fattener Tone: darkens or opens the kick-derived octave-down voice"},
        {"region 35", 197, 2, {l + 1500, t + 39, l + 1552, b - 8}, Kind::kKnob, 0,
         "Fattener Amount: mixes the subharmonic copy of the kick layers"},
        {"SEQ", 417, 0, {l + 35, t + 91, l + 105, t + 120}, Kind::kToggle, 0,
         "Sub sequencer: when ON, only this 4x4 pattern triggers the Sub Generator"},
        {"1/2", 183, 2, {l + 10, t + 89, l + 49, t + 119}, Kind::kSet, 0.0, kFxPage},
        {"1/4", 183, 2, {l + 51, t + 89, l + 90, t + 119}, Kind::kSet, 1.0 / 3.0, kFxPage},
        {"1/8", 183, 2, {l + 92, t + 89, l + 131, t + 119}, Kind::kSet, 2.0 / 3.0, kFxPage},
        {"1/16", 183, 2, {l + 133, t + 89, l + 172, t + 119}, Kind::kSet, 1.0, kFxPage},
    };
    for (int i = 0; i < 16; ++i) {
        const double x = l + 145 + 31 * (i % 4), y = t + 17 + 31 * (i / 4);
        rows.push_back({"step " + std::to_string(i + 1), static_cast<ParamID>(420 + i), 0, {x, y, x + 26, y + 26},
                        Kind::kToggle, 0, "Sub sequencer step: toggles this private Sub Generator trigger"});
    }
    return rows;
}

bool mentions(const std::vector<EditCall>& calls, ParamID id) {
    for (const EditCall& c : calls)
        if (c.id == id) return true;
    return false;
}

class WorkspaceRegions : public WorkspaceFixture {};

TEST_F(WorkspaceRegions, RegionIdTableListsTheThirtySixParametersInRegionOrder) {
    const std::array<uint32_t, 36> expected = {400, 401, 402, 403, 404, 405, 406, 407, 408, 409, 410, 412,
                                               413, 414, 415, 416, 411, 436, 437, 438, 439, 182, 186, 189,
                                               192, 195, 184, 185, 187, 188, 190, 191, 193, 194, 196, 197};
    EXPECT_EQ(workspaceRegionIds, expected);
}

TEST_F(WorkspaceRegions, EveryCornerOfARegionEditsItsParameterAndOnePixelOutsideDoesNot) {
    for (const Row& row : allRows()) {
        SCOPED_TRACE(row.name);
        makeView(static_cast<WaveAreaPage>(row.page));
        const CRect& r = row.rect;
        for (const CPoint& corner : {r.getTopLeft(), r.getTopRight(), r.getBottomLeft(), r.getBottomRight()}) {
            const std::vector<EditCall> calls = clickAt(corner.x, corner.y);
            ASSERT_FALSE(calls.empty()) << "corner " << corner.x << ", " << corner.y;
            EXPECT_EQ(calls.front(), begin(row.id));
            EXPECT_EQ(calls.back(), end(row.id));
        }
        const double cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
        for (const CPoint& outside : {CPoint(r.left - 1, cy), CPoint(r.right + 1, cy), CPoint(cx, r.top - 1),
                                      CPoint(cx, r.bottom + 1)})
            EXPECT_FALSE(mentions(clickAt(outside.x, outside.y), row.id)) << "at " << outside.x << ", " << outside.y;
        // The other pages do not know the region.
        for (int other = 0; other < 3; ++other) {
            if (other == row.page) continue;
            view->page = static_cast<WaveAreaPage>(other);
            EXPECT_FALSE(mentions(clickAt(cx, cy), row.id)) << "on page " << other;
        }
    }
}

TEST_F(WorkspaceRegions, SwitchesAndStepsToggleWithOneCompleteEditAndHalfCountsAsOn) {
    struct Case {
        double before, after;
    };
    const Case cases[] = {{0.0, 1.0}, {0.49, 1.0}, {0.5, 0.0}, {1.0, 0.0}};
    for (const Row& row : allRows()) {
        if (row.kind != Kind::kToggle) continue;
        SCOPED_TRACE(row.name);
        makeView(static_cast<WaveAreaPage>(row.page));
        const double cx = (row.rect.left + row.rect.right) / 2, cy = (row.rect.top + row.rect.bottom) / 2;
        for (const Case& c : cases) {
            hostSets(row.id, c.before);
            EXPECT_EQ(clickAt(cx, cy), (std::vector<EditCall>{begin(row.id), perform(row.id, c.after), end(row.id)}))
                << "from " << c.before;
            EXPECT_EQ(valueOf(row.id), c.after);
        }
    }
}

TEST_F(WorkspaceRegions, RateButtonsSetTheGateRateToTheirListPosition) {
    makeView(kWaveAreaExtendedFx);
    hostSets(183, 0.5);
    for (const Row& row : allRows()) {
        if (row.kind != Kind::kSet) continue;
        SCOPED_TRACE(row.name);
        EXPECT_EQ(clickAt(row.rect.left + 3, row.rect.top + 3),
                  (std::vector<EditCall>{begin(183), perform(183, row.setValue), end(183)}));
        EXPECT_NEAR(valueOf(183), row.setValue, 1e-12);
    }
}

TEST_F(WorkspaceRegions, ToggleRedrawsTheViewButADragStartDoesNot) {
    auto* frame = new CFrame(CRect(0, 0, 1700, 300), nullptr);
    frame->open(nullptr, PlatformType::kOffscreen);
    auto* v = new OutputGateWorkspaceView(CRect(kLeft, kTop, kRight, kBottom), controller, nullptr);
    frame->addView(v);
    v->page = kWaveAreaExtendedFx;
    frame->clearDirtyRect();
    CPoint knob(kLeft + 190, kTop + 20);
    v->onMouseDown(knob, CButtonState(kLButton));
    EXPECT_TRUE(frame->getDirtyRect().isEmpty());
    v->onMouseUp(knob, CButtonState(0));
    CPoint chip(kLeft + 20, kTop + 60);
    v->onMouseDown(chip, CButtonState(kLButton));
    EXPECT_FALSE(frame->getDirtyRect().isEmpty());
    frame->close();
}

// --- knob drags ---

TEST_F(WorkspaceRegions, DragFollowsTheMouseAt110PointsPerFullTurnRelativeToItsStart) {
    makeView(kWaveAreaExtendedFx);
    const double x = kLeft + 200, y0 = kTop + 40; // Output Gate Depth
    hostSets(184, 0.3);
    struct Step {
        double dy;     // from the start, up is negative
        double value;  // 0.3 - dy / 110, held in [0, 1]
    };
    const Step steps[] = {{-11, 0.4}, {-55, 0.8}, {-77, 1.0}, {-200, 1.0}, {11, 0.2}, {33, 0.0}, {500, 0.0}, {0, 0.3}};
    handler.calls.clear();
    ASSERT_EQ(down(x, y0), kMouseEventHandled);
    std::vector<EditCall> expected{begin(184)};
    for (const Step& s : steps) {
        EXPECT_EQ(move(x, y0 + s.dy), kMouseEventHandled);
        expected.push_back(perform(184, s.value));
        EXPECT_NEAR(valueOf(184), s.value, 1e-12) << "dy " << s.dy;
    }
    EXPECT_EQ(up(x, y0), kMouseEventHandled);
    expected.push_back(end(184));
    ASSERT_EQ(handler.calls.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(handler.calls[i].kind, expected[i].kind) << i;
        EXPECT_EQ(handler.calls[i].id, expected[i].id) << i;
        EXPECT_NEAR(handler.calls[i].value, expected[i].value, 1e-12) << i;
    }
}

TEST_F(WorkspaceRegions, DragFromZeroReachesOneAfter110PointsUpOnEveryPage) {
    struct Case {
        WaveAreaPage page;
        double x, y;
        ParamID id;
    };
    const Case cases[] = {{kWaveAreaSubGenerator, kLeft + 330, kTop + 40, 400},
                          {kWaveAreaSubGenerator, kLeft + 1500, kTop + 100, 411},
                          {kWaveAreaExtendedMix, column(2), kTop + 100, 438},
                          {kWaveAreaExtendedFx, kLeft + 1520, kTop + 100, 197}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        makeView(c.page);
        hostSets(c.id, 0.0);
        handler.calls.clear();
        down(c.x, c.y);
        move(c.x, c.y - 55);
        move(c.x, c.y - 110);
        up(c.x, c.y - 110);
        EXPECT_EQ(handler.calls,
                  (std::vector<EditCall>{begin(c.id), perform(c.id, 0.5), perform(c.id, 1.0), end(c.id)}));
    }
}

TEST_F(WorkspaceRegions, ClickOnAKnobWithoutMovementOpensAndClosesTheEditOnly) {
    makeView(kWaveAreaSubGenerator);
    hostSets(407, 0.25);
    EXPECT_EQ(clickAt(kLeft + 430, kTop + 120), (std::vector<EditCall>{begin(407), end(407)}));
    EXPECT_DOUBLE_EQ(valueOf(407), 0.25);
}

TEST_F(WorkspaceRegions, CancelEndsTheDragOnceAndLaterMovesEditNothing) {
    makeView(kWaveAreaExtendedFx);
    handler.calls.clear();
    down(kLeft + 860, kTop + 100);
    move(kLeft + 860, kTop + 89);
    EXPECT_EQ(view->onMouseCancel(), kMouseEventHandled);
    EXPECT_EQ(move(kLeft + 860, kTop + 50), kMouseEventNotHandled);
    up(kLeft + 860, kTop + 50);
    view->onMouseCancel();
    ASSERT_EQ(handler.calls.size(), 3u);
    EXPECT_EQ(handler.calls[0], begin(190));
    EXPECT_EQ(handler.calls[1].id, 190u);
    EXPECT_EQ(handler.calls[2], end(190));
}

TEST_F(WorkspaceRegions, ASecondMouseDownClosesTheOpenDragFirst) {
    struct Case {
        const char* name;
        double x, y;
        int32_t buttons;
        std::vector<EditCall> afterFirst; // what the second down sends after the first drag's moves
    };
    const Case cases[] = {
        {"on another knob", kLeft + 580, kTop + 100, kLButton, {end(187), begin(188)}},
        {"on a switch", kLeft + 20, kTop + 60, kLButton, {end(187), begin(182), perform(182, 1.0), end(182)}},
        {"on nothing", kLeft + 300, kTop + 5, kLButton, {end(187)}},
        {"with the right button", kLeft + 580, kTop + 100, kRButton, {end(187)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        makeView(kWaveAreaExtendedFx);
        hostSets(182, 0.0);
        down(kLeft + 520, kTop + 100);
        move(kLeft + 520, kTop + 90);
        handler.calls.clear();
        down(c.x, c.y, c.buttons);
        EXPECT_EQ(handler.calls, c.afterFirst);
        up(c.x, c.y);
        EXPECT_EQ(handler.count(EditCall::kBegin) + 1, handler.count(EditCall::kEnd));
    }
}

TEST_F(WorkspaceRegions, ADragWhoseKnobVanishesEndsItsEditExactlyOnce) {
    struct Case {
        const char* name;
        std::function<void(OutputGateWorkspaceView&)> vanish;
    };
    const Case cases[] = {
        {"the editor switches the page", [](OutputGateWorkspaceView& v) {
             v.page = kWaveAreaExtendedMix;
             v.endDrag();
         }},
        {"the page changes without endDrag", [](OutputGateWorkspaceView& v) { v.page = kWaveAreaExtendedMix; }},
        {"the view is hidden", [](OutputGateWorkspaceView& v) { v.setVisible(false); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        makeView(kWaveAreaSubGenerator);
        handler.calls.clear();
        down(kLeft + 530, kTop + 40);
        move(kLeft + 530, kTop + 30);
        c.vanish(*view);
        move(kLeft + 530, kTop + 10);
        up(kLeft + 530, kTop + 10);
        view->endDrag();
        ASSERT_EQ(handler.calls.size(), 3u);
        EXPECT_EQ(handler.calls[0], begin(402));
        EXPECT_EQ(handler.calls[1].kind, EditCall::kPerform);
        EXPECT_EQ(handler.calls[2], end(402));
        EXPECT_FALSE(view->isDragging());
    }
}

TEST_F(WorkspaceRegions, RemovingOrDestroyingTheViewDuringADragEndsTheEdit) {
    for (bool destroyOnly : {false, true}) {
        SCOPED_TRACE(destroyOnly ? "destroyed" : "removed");
        handler.calls.clear();
        auto* container = new CViewContainer(CRect(0, 0, 1700, 300));
        auto* v = new OutputGateWorkspaceView(CRect(kLeft, kTop, kRight, kBottom), controller, nullptr);
        v->page = kWaveAreaExtendedMix;
        container->addView(v);
        CPoint p(column(0), kTop + 100);
        v->onMouseDown(p, CButtonState(kLButton));
        if (!destroyOnly) {
            v->remember();
            container->removeView(v); // the container lets go of its reference
            EXPECT_EQ(handler.calls, (std::vector<EditCall>{begin(436), end(436)}));
            v->forget();
        }
        container->forget(); // destroys whatever it still holds
        EXPECT_EQ(handler.calls, (std::vector<EditCall>{begin(436), end(436)}));
    }
}

TEST_F(WorkspaceRegions, OnlyTheLeftButtonOrADoubleClickIsHandled) {
    struct Case {
        const char* name;
        int32_t buttons;
        bool handled;
    };
    const Case cases[] = {{"left", kLButton, true},
                          {"left double", kLButton | kDoubleClick, true},
                          {"double alone", kDoubleClick, true},
                          {"left with shift", kLButton | kShift, true},
                          {"right", kRButton, false},
                          {"right double", kRButton | kDoubleClick, false},
                          {"middle", kMButton, false},
                          {"none", 0, false}};
    makeView(kWaveAreaExtendedFx);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        hostSets(186, 0.0);
        handler.calls.clear();
        EXPECT_EQ(down(kLeft + 440, kTop + 60, c.buttons), c.handled ? kMouseEventHandled : kMouseEventNotHandled);
        EXPECT_EQ(handler.calls.size(), c.handled ? 3u : 0u);
        EXPECT_EQ(valueOf(186), c.handled ? 1.0 : 0.0);
    }
}

TEST_F(WorkspaceRegions, WithoutAControllerTheMouseIsIgnored) {
    makeView(kWaveAreaExtendedFx, CRect(kLeft, kTop, kRight, kBottom), nullptr, false);
    // a switch, a knob and a rate button
    const CPoint points[] = {CPoint(kLeft + 20, kTop + 60), CPoint(kLeft + 200, kTop + 40),
                             CPoint(kLeft + 20, kTop + 100)};
    for (const CPoint& p : points) {
        EXPECT_EQ(down(p.x, p.y), kMouseEventNotHandled);
        EXPECT_EQ(move(p.x, p.y - 30), kMouseEventNotHandled);
        EXPECT_EQ(up(p.x, p.y), kMouseEventNotHandled);
        EXPECT_EQ(view->onMouseCancel(), kMouseEventNotHandled);
        EXPECT_FALSE(view->isDragging());
    }
    EXPECT_TRUE(handler.calls.empty());
}

TEST_F(WorkspaceRegions, AClickOutsideEveryRegionIsNotHandled) {
    const std::pair<WaveAreaPage, CPoint> misses[] = {{kWaveAreaSubGenerator, {kLeft + 5, kTop + 5}},
                                                      {kWaveAreaSubGenerator, {kLeft + 1000, kTop + 100}},
                                                      {kWaveAreaExtendedMix, {kLeft + 5, kTop + 5}},
                                                      {kWaveAreaExtendedFx, {kLeft + 300, kTop + 20}},
                                                      {kWaveAreaExtendedFx, {kLeft + 50, kTop + 150}}};
    for (const auto& [page, p] : misses) {
        makeView(page);
        handler.calls.clear();
        EXPECT_EQ(down(p.x, p.y), kMouseEventNotHandled) << page << ": " << p.x << ", " << p.y;
        EXPECT_TRUE(handler.calls.empty());
    }
}

TEST_F(WorkspaceRegions, PagesOutsideTheRangeBehaveAsExtendedFx) {
    for (int32_t page : {3, -1, 1000}) {
        makeView(static_cast<WaveAreaPage>(page));
        hostSets(195, 0.0);
        EXPECT_EQ(clickAt(kLeft + 1360, kTop + 55), (std::vector<EditCall>{begin(195), perform(195, 1.0), end(195)}));
    }
}

TEST_F(WorkspaceRegions, DegenerateKnobRegionsOfASmallViewEditNothing) {
    struct Case {
        const char* name;
        WaveAreaPage page;
        CRect rect;
        CPoint where; // the region's top-left corner
        ParamID id;
    };
    const Case cases[] = {
        // right - 10 falls before x 1440: the mix knob has no width
        {"mix knob, narrow view", kWaveAreaSubGenerator, CRect(0, 0, 1440, 180), CPoint(1440, 35), 411},
        {"mix knob, zero width", kWaveAreaSubGenerator, CRect(0, 0, 1450, 180), CPoint(1440, 35), 411},
        // bottom - 8 falls above y 39: the page-2 knobs have no height
        {"fold knob, short view", kWaveAreaExtendedFx, CRect(0, 0, 1600, 40), CPoint(495, 39), 187},
        {"fold knob, zero height", kWaveAreaExtendedFx, CRect(0, 0, 1600, 47), CPoint(495, 39), 187},
        {"dry return, short view", kWaveAreaExtendedMix, CRect(0, 0, 1600, 40), CPoint(column(0) - kLeft, 35), 436},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        makeView(c.page, c.rect);
        EXPECT_EQ(clickAt(c.where.x, c.where.y), std::vector<EditCall>{});
        EXPECT_FALSE(view->isDragging());
    }
    // One point more of height and the region holds its edge again.
    makeView(kWaveAreaExtendedFx, CRect(0, 0, 1600, 48));
    EXPECT_EQ(clickAt(495, 39), (std::vector<EditCall>{begin(187), end(187)}));
}

TEST_F(WorkspaceRegions, NonFiniteValuesAndPositionsAreTreatedAsZeroOrIgnored) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    makeView(kWaveAreaExtendedFx);
    // A switch holding NaN reads as off.
    hostSets(192, nan);
    EXPECT_EQ(clickAt(kLeft + 1100, kTop + 60), (std::vector<EditCall>{begin(192), perform(192, 1.0), end(192)}));
    // A drag starting from NaN starts from 0.
    hostSets(193, nan);
    handler.calls.clear();
    down(kLeft + 1190, kTop + 100);
    move(kLeft + 1190, kTop + 45);
    move(kLeft + 1190, nan);
    move(kLeft + 1190, inf);
    up(kLeft + 1190, kTop + 45);
    EXPECT_EQ(handler.calls, (std::vector<EditCall>{begin(193), perform(193, 0.5), end(193)}));
    // Points that are not numbers hit nothing.
    for (const CPoint& p : {CPoint(nan, kTop + 60), CPoint(kLeft + 20, nan), CPoint(-inf, inf)}) {
        handler.calls.clear();
        EXPECT_EQ(down(p.x, p.y), kMouseEventNotHandled);
        EXPECT_TRUE(handler.calls.empty());
        move(p.x, p.y);
        EXPECT_EQ(view->getTooltipText(), kFxPage);
    }
    // A view whose rectangle is not finite lays out from 0.
    makeView(kWaveAreaSubGenerator, CRect(nan, -inf, 1600, 180));
    EXPECT_EQ(clickAt(301, 8), (std::vector<EditCall>{begin(400), end(400)}));
}

// --- tooltips ---

TEST_F(WorkspaceRegions, EachRegionShowsItsTooltipWhileThePointerMoves) {
    for (const Row& row : allRows()) {
        SCOPED_TRACE(row.name);
        makeView(static_cast<WaveAreaPage>(row.page));
        const CRect& r = row.rect;
        for (const CPoint& p : {r.getTopLeft(), r.getCenter(), r.getBottomRight()}) {
            move(p.x, p.y, 0);
            EXPECT_EQ(view->getTooltipText(), row.tooltip);
        }
    }
    const std::pair<WaveAreaPage, const char*> pages[] = {
        {kWaveAreaSubGenerator, "Extended synthesized sub-kick voice"},
        {kWaveAreaExtendedMix, "Extended post-FX source mixer"},
        {kWaveAreaExtendedFx, "Extended final effects"}};
    for (const auto& [page, text] : pages) {
        makeView(page);
        move(kLeft + 3, kTop + 3, 0);
        EXPECT_EQ(view->getTooltipText(), text);
        move(kRight - 3, kBottom - 3, 0);
        EXPECT_EQ(view->getTooltipText(), text);
    }
}

TEST_F(WorkspaceRegions, TooltipFollowsThePointerDuringADrag) {
    makeView(kWaveAreaExtendedFx);
    down(kLeft + 1460, kTop + 100);
    move(kLeft + 1520, kTop + 100);
    EXPECT_EQ(view->getTooltipText(), "Fattener Amount: mixes the subharmonic copy of the kick layers");
    move(kLeft + 1600, kTop + 5);
    EXPECT_EQ(view->getTooltipText(), "Extended final effects");
    up(kLeft + 1600, kTop + 5);
}

} // namespace
} // namespace workspace_test
} // namespace TarnwellPlugin
