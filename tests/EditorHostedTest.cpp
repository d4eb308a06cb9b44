// The editor as a Linux host shows it: through the bundle, embedded in a window of a private Xvfb
// (skipped where Xvfb is not installed), driven with XTest, seen through pictures.
#include "BundleFixture.h"

#include "grundmoor/testhost/EditorSession.h"

#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <X11/keysym.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

using namespace grundmoor::testhost;
using Steinberg::ViewRect;
using Steinberg::Vst::ParamID;

namespace {

#define SKIP_WITHOUT_XVFB()                                                                                     \
    do {                                                                                                        \
        if (!EditorSession::virtualDisplayAvailable()) GTEST_SKIP() << "no Xvfb";                              \
    } while (0)

std::unique_ptr<EditorSession> makeSession(EditorSession::DisplayMode display = EditorSession::DisplayMode::kVirtual) {
    EditorSession::Options o;
    o.bundle = BundleFixture::bundlePath();
    o.display = display;
    return std::make_unique<EditorSession>(o);
}

EditorLayout bundleLayout() { return EditorLayout::fromFile(EditorLayout::descriptionOfBundle(BundleFixture::bundlePath())); }

// The template's colour shows at one of the corners at least (the panel's own views may cover
// the others).
void expectBackgroundAtACorner(EditorSession& s, const Image& shot) {
    const auto background = s.layout().templateBackground();
    ASSERT_TRUE(background.has_value()) << "the template has a background colour";
    const std::uint32_t corners[] = {shot.pixel(0, 0), shot.pixel(shot.width() - 1, 0),
                                     shot.pixel(0, shot.height() - 1),
                                     shot.pixel(shot.width() - 1, shot.height() - 1)};
    EXPECT_NE(std::find(std::begin(corners), std::end(corners), *background), std::end(corners))
        << std::hex << "background " << *background << ", top left " << corners[0];
}

void expectDrawn(EditorSession& s) {
    const Image shot = s.screenshot();
    const ViewRect size = s.viewSize();
    ASSERT_EQ(shot.width(), size.getWidth());
    ASSERT_EQ(shot.height(), size.getHeight());
    expectBackgroundAtACorner(s, shot);
    EXPECT_EQ(shot.count(s.viewHost().window().background()), 0u) << "the editor covers the host's window";
    // A panel with views draws more than its background.
    if (s.layout().views().size() > 1) {
        EXPECT_GT(shot.distinctColours(), 1u);
    }
}

// The edits of one parameter in the handler's log.
std::vector<ComponentHandler::Edit> editsOf(EditorSession& s, ParamID id) {
    std::vector<ComponentHandler::Edit> out;
    for (const auto& e : s.componentHandler().edits())
        if (e.id == id) out.push_back(e);
    return out;
}

bool editEnded(EditorSession& s, ParamID id) {
    const auto edits = editsOf(s, id);
    return !edits.empty() && edits.back().kind == ComponentHandler::Edit::kEnd;
}

// beginEdit, one performEdit or more, endEdit; the last value performed is the controller's.
void expectOneGesture(EditorSession& s, ParamID id, double before) {
    const auto edits = editsOf(s, id);
    std::string seen;
    for (const auto& e : edits)
        seen += (e.kind == ComponentHandler::Edit::kBegin     ? " begin"
                 : e.kind == ComponentHandler::Edit::kPerform ? " perform " + std::to_string(e.value)
                                                              : " end");
    ASSERT_GE(edits.size(), 3u) << "parameter " << id << ":" << seen;
    EXPECT_EQ(edits.front().kind, ComponentHandler::Edit::kBegin);
    EXPECT_EQ(edits.back().kind, ComponentHandler::Edit::kEnd);
    double performed = -1;
    for (size_t i = 1; i + 1 < edits.size(); ++i) {
        EXPECT_EQ(edits[i].kind, ComponentHandler::Edit::kPerform) << i;
        performed = edits[i].value;
    }
    const double now = s.host().controller()->getParamNormalized(id);
    EXPECT_DOUBLE_EQ(performed, now);
    EXPECT_NE(now, before) << "parameter " << id;
}

std::set<ParamID> parameterIds(EditorSession& s) {
    std::set<ParamID> ids;
    auto* c = s.host().controller();
    for (Steinberg::int32 i = 0; i < c->getParameterCount(); ++i) {
        Steinberg::Vst::ParameterInfo info{};
        if (c->getParameterInfo(i, info) == Steinberg::kResultOk) ids.insert(info.id);
    }
    return ids;
}

Image areaOf(const Image& shot, const EditorRect& r, double zoom) {
    return shot.crop(static_cast<int>(std::floor(r.left * zoom)), static_cast<int>(std::floor(r.top * zoom)),
                     static_cast<int>(std::ceil(r.width * zoom)), static_cast<int>(std::ceil(r.height * zoom)));
}

} // namespace

TEST(EditorHosted, DrawsIsRemovedLeavesNothingRegisteredAndOpensAgain) {
    SKIP_WITHOUT_XVFB();
    auto s = makeSession();
    auto* view = s->createView();
    EXPECT_EQ(view->isPlatformTypeSupported(Steinberg::kPlatformTypeX11EmbedWindowID), Steinberg::kResultTrue);
    s->open();
    auto& loop = s->runLoop();
    EXPECT_GE(loop.eventHandlerCount(), 1u) << "the editor reads its window's events on the host's loop";
    EXPECT_GE(loop.timerCount(), 1u);
    expectDrawn(*s);

    // removed, then attached again: the same view draws again.
    s->removeOnly();
    EXPECT_EQ(loop.eventHandlerCount(), 0u);
    EXPECT_EQ(s->viewHost().childWindow(), 0u) << "its window went with it";
    s->attach();
    ASSERT_TRUE(s->waitForDrawn());
    expectDrawn(*s);

    // removed, setFrame (nullptr), release: nothing of the editor stays on the loop.
    s->close();
    EXPECT_EQ(loop.eventHandlerCount(), 0u);
    EXPECT_EQ(loop.timerCount(), 0u);
    EXPECT_EQ(loop.totals().timersRegistered, loop.totals().timersUnregistered);
    EXPECT_EQ(loop.totals().eventHandlersRegistered, loop.totals().eventHandlersUnregistered);
    EXPECT_EQ(loop.referenceCount(), 1u) << "the editor gave back every reference to the frame";

    // And a new editor opens in the same window.
    s->open();
    expectDrawn(*s);
    s->close();
    EXPECT_EQ(loop.timerCount(), 0u);
    EXPECT_EQ(loop.referenceCount(), 1u);
}

TEST(EditorHosted, TakesItsZoomFromTheEditorSizeFile) {
    struct Case {
        std::optional<std::string> file;
        double zoom;
    };
    const Case cases[] = {{std::nullopt, 0.65}, {"3.5\n", 2.0}, {"0.1\n", 0.3}, {"1.25 40 60\n", 1.25}, {"abc\n", 0.65}};
    for (const auto& c : cases) {
        const std::string what = c.file ? "file \"" + *c.file + "\"" : "no file";
        // Sizing needs no X server; where there is one, the window and the picture follow.
        std::vector<EditorSession::DisplayMode> modes = {EditorSession::DisplayMode::kNone};
        if (EditorSession::virtualDisplayAvailable()) modes.push_back(EditorSession::DisplayMode::kVirtual);
        for (const auto mode : modes) {
            auto s = makeSession(mode);
            if (c.file) s->writeEditorSizeFile(*c.file);
            s->createView();
            const auto base = s->layout().templateRect();
            ASSERT_TRUE(base.has_value());
            ViewRect size;
            ASSERT_EQ(s->view()->getSize(&size), Steinberg::kResultTrue);
            EXPECT_EQ(size.getWidth(), std::lround(base->width * c.zoom)) << what;
            EXPECT_EQ(size.getHeight(), std::lround(base->height * c.zoom)) << what;
            EXPECT_NEAR(s->zoom(), c.zoom, 1e-3) << what;
            if (!s->hasDisplay()) {
                EXPECT_THROW(s->attach(), HostError);
                continue;
            }
            s->open();
            EXPECT_EQ(s->viewHost().window().width(), size.getWidth()) << what;
            const Image shot = s->screenshot();
            EXPECT_EQ(shot.width(), size.getWidth()) << what;
            EXPECT_EQ(shot.height(), size.getHeight()) << what;
            expectBackgroundAtACorner(*s, shot);
        }
    }
}

TEST(EditorHosted, AClickOnStep1ChangesItsParameterThroughTheHost) {
    SKIP_WITHOUT_XVFB();
    const auto step = bundleLayout().findControlTag(200);
    ASSERT_TRUE(step) << "the editor has a control tagged 200 (Step 1)";
    auto s = makeSession();
    s->open();
    const double before = s->host().controller()->getParamNormalized(200);
    s->componentHandler().clearLog();
    s->click(step->centre());
    ASSERT_TRUE(s->pumpUntil([&] { return editEnded(*s, 200); }, 5000)) << "no endEdit of parameter 200";
    expectOneGesture(*s, 200, before);
    for (const auto& e : s->componentHandler().edits()) EXPECT_EQ(e.id, 200u) << "only Step 1 was edited";
    // The step cycles OFF -> HALF -> FULL -> OFF: the default FULL goes OFF, then HALF.
    ASSERT_EQ(before, 1.0);
    EXPECT_EQ(s->host().controller()->getParamNormalized(200), 0.0);
    s->componentHandler().clearLog();
    s->click(step->centre());
    ASSERT_TRUE(s->pumpUntil([&] { return editEnded(*s, 200); }, 5000));
    EXPECT_EQ(s->host().controller()->getParamNormalized(200), 0.5);
}

TEST(EditorHosted, ADragOnAKnobChangesItsParameterThroughTheHost) {
    SKIP_WITHOUT_XVFB();
    // Visible knobs with a numeric control tag ("Osc Layer Attack" is tagged by its name).
    std::vector<std::pair<EditorRect, ParamID>> knobs;
    const auto layout = bundleLayout();
    for (const auto& v : layout.views()) {
        const bool isKnob = v.viewClass == "CKnob" || v.attribute("custom-view-name") == "MetalKnob";
        const auto tag = layout.tagNumber(v.attribute("control-tag"));
        if (isKnob && v.visible && tag && *tag >= 0 && *tag != 177) knobs.emplace_back(v.rect, static_cast<ParamID>(*tag));
    }
    ASSERT_FALSE(knobs.empty()) << "the editor has knobs with control tags";
    auto s = makeSession();
    // The first one bound: its tag names a parameter.
    const auto ids = parameterIds(*s);
    const auto bound = std::find_if(knobs.begin(), knobs.end(), [&](const auto& k) { return ids.count(k.second) > 0; });
    ASSERT_NE(bound, knobs.end()) << "a knob is bound to a parameter";
    const EditorRect knob = bound->first;
    const ParamID id = bound->second;
    s->open();
    const double before = s->host().controller()->getParamNormalized(id);
    s->componentHandler().clearLog();
    // Up and to the right raises a knob, down and to the left lowers it.
    const EditorPoint from = knob.centre();
    const double d = before < 0.5 ? 40 : -40;
    s->drag(from, {from.x + d, from.y - d});
    ASSERT_TRUE(s->pumpUntil([&] { return editEnded(*s, id); }, 5000)) << "no endEdit of parameter " << id;
    expectOneGesture(*s, id, before);
}

TEST(EditorHosted, PlayingSendsTheProcessorsMessagesWhileTheEditorRuns) {
    SKIP_WITHOUT_XVFB();
    auto s = makeSession();
    s->open();
    const auto messages = s->host().messagesToController();
    const auto timerCalls = s->runLoop().totals().timerCallbacks;
    s->playAndPump(0.5);
    // About 30 messages a second of audio, and the editor's timers ran meanwhile.
    EXPECT_GE(s->host().messagesToController() - messages, 10u);
    EXPECT_GE(s->runLoop().totals().timerCallbacks - timerCalls, 5u);
    EXPECT_EQ(s->host().failedBlocks(), 0u);
    EXPECT_TRUE(s->waitForDrawn());
    s->close();
}

TEST(EditorHosted, PlayingShowsSoundInTheWaveformAndTheMeter) {
    SKIP_WITHOUT_XVFB();
    std::vector<std::pair<std::string, EditorRect>> areas;
    for (const char* name : {"OutputWaveform", "OutputMeter"})
        if (const auto r = bundleLayout().findCustomView(name)) areas.emplace_back(name, *r);
    ASSERT_EQ(areas.size(), 2u) << "the editor has its waveform and its meter";
    auto s = makeSession();
    s->open();
    const Image silent = s->screenshot();
    s->playAndPump(1.5);
    ASSERT_TRUE(s->waitForDrawn());
    const Image playing = s->screenshot();
    for (const auto& [name, r] : areas)
        EXPECT_FALSE(areaOf(silent, r, s->zoom()) == areaOf(playing, r, s->zoom())) << name << " shows the sound";
}

TEST(EditorHosted, AWorkspaceKnobDragEditsItsParameterAndHostAutomationMovesItsDrawing) {
    SKIP_WITHOUT_XVFB();
    const auto layout = bundleLayout();
    const auto menu = layout.findCustomView("WaveAuto");
    const auto workspace = layout.findCustomView("OutputGateWorkspace");
    ASSERT_TRUE(menu && workspace);
    auto s = makeSession();
    s->open();
    s->click(menu->centre()); // the wave area shows the effects workspace, EXTENDED FX
    s->pumpUntil([] { return false; }, 200);
    // "RIFT FOLD" amount: its knob region from 495 to 547 across, 39 down from the workspace's top.
    const EditorPoint knob{workspace->left + 521, workspace->top + 80};
    const ParamID riftFoldAmount = 187;
    const double before = s->host().controller()->getParamNormalized(riftFoldAmount);
    s->componentHandler().clearLog();
    s->drag(knob, {knob.x, knob.y - 40});
    ASSERT_TRUE(s->pumpUntil([&] { return editEnded(*s, riftFoldAmount); }, 5000));
    expectOneGesture(*s, riftFoldAmount, before);
    EXPECT_NEAR(s->host().controller()->getParamNormalized(riftFoldAmount), std::min(before + 40.0 / 110.0, 1.0),
                2.0 / 110.0);

    // The host automates the parameter: the knob's picture follows within a few editor ticks.
    const EditorRect knobArea{workspace->left + 495, workspace->top + 39, 52, 60};
    const Image drawn = areaOf(s->screenshot(), knobArea, s->zoom());
    s->host().setParameter(riftFoldAmount, 0.0);
    s->pumpUntil([] { return false; }, 300);
    const Image automated = areaOf(s->screenshot(), knobArea, s->zoom());
    EXPECT_FALSE(drawn == automated) << "the knob's drawing follows host automation";
}

namespace {

// The editor's parameters and their values as the host's controller holds them.
std::map<ParamID, double> controllerValues(EditorSession& s) {
    std::map<ParamID, double> values;
    auto* c = s.host().controller();
    for (const ParamID id : parameterIds(s)) values[id] = c->getParamNormalized(id);
    return values;
}

// The dialogs' panel is centred in the root: 760 wide, 340 high (template coordinates).
EditorPoint dialogConfirmButton(const EditorRect& root) {
    const double w = std::min(std::max(root.width - 70, 420.0), 760.0);
    const double h = std::min(std::max(root.height - 60, 225.0), 340.0);
    const double right = (root.width - w) / 2 + w, bottom = (root.height - h) / 2 + h;
    return {right - 97, bottom - 44}; // "SAVE" / "DELETE": (R - 162, B - 66) to (R - 32, B - 22)
}

} // namespace

TEST(EditorHosted, PresetNextAppliesTheNextFactoryPresetThroughTheHost) {
    SKIP_WITHOUT_XVFB();
    const auto next = bundleLayout().findCustomView("PresetNext");
    ASSERT_TRUE(next);
    auto s = makeSession();
    s->open();
    const auto before = controllerValues(*s);
    s->componentHandler().clearLog();
    s->click(next->centre());
    // Every parameter but the five a preset never touches comes as one complete edit.
    const std::set<ParamID> skipped = {127, 128, 153, 154, 440};
    ASSERT_TRUE(s->pumpUntil([&] { return editEnded(*s, 215); }, 5000)) << "the preset reached Step 16";
    std::map<ParamID, int> ends;
    for (const auto& e : s->componentHandler().edits())
        if (e.kind == ComponentHandler::Edit::kEnd) ++ends[e.id];
    EXPECT_EQ(ends.size(), parameterIds(*s).size() - skipped.size());
    for (const ParamID id : skipped) EXPECT_EQ(ends.count(id), 0u) << id;
    int changed = 0;
    for (const auto& [id, value] : controllerValues(*s)) changed += value != before.at(id);
    EXPECT_GE(changed, 10) << "factory preset 1 is another sound than the default";
}

TEST(EditorHosted, SaveStepLoadAndDeleteAUserPresetThroughClicksAndTypedText) {
    SKIP_WITHOUT_XVFB();
    const auto layout = bundleLayout();
    const auto save = layout.findCustomView("SynthSaveButton");
    const auto remove = layout.findCustomView("SynthDeletePreset");
    const auto previous = layout.findCustomView("PresetPrevious");
    const auto next = layout.findCustomView("PresetNext");
    const auto root = layout.templateRect();
    ASSERT_TRUE(save && remove && previous && next && root);
    auto s = makeSession();
    s->open();
    const ParamID frequency = 100, cutoff = 113;
    s->host().setParameter(frequency, 0.61);
    s->host().setParameter(cutoff, 0.37);
    s->pump(100);

    // SAVE opens the dialog with its name field focused; a typed name and Return save the sound.
    s->click(save->centre());
    s->pump(200);
    s->typeText("My Kick");
    s->input().key(XK_Return);
    const auto folder = s->dataHome() / "TarnwellPlugin" / "Grundmoor";
    const auto file = folder / "My-Kick.thd";
    ASSERT_TRUE(s->pumpUntil([&] { return std::filesystem::exists(file); }, 5000)) << file;

    // Another sound, then back to the user preset by the arrows: the saved sound returns.
    s->host().setParameter(frequency, 0.2);
    s->host().setParameter(cutoff, 0.9);
    s->pump(100);
    s->click(previous->centre());
    s->waitPastDoubleClick();
    s->componentHandler().clearLog();
    s->click(next->centre());
    ASSERT_TRUE(s->pumpUntil([&] { return editEnded(*s, frequency) && editEnded(*s, cutoff); }, 5000));
    EXPECT_DOUBLE_EQ(s->host().controller()->getParamNormalized(frequency), 0.61);
    EXPECT_DOUBLE_EQ(s->host().controller()->getParamNormalized(cutoff), 0.37);

    // DELETE asks, its DELETE removes the file and leaves the "Init" sound.
    s->waitPastDoubleClick();
    s->click(remove->centre());
    s->pump(200);
    s->componentHandler().clearLog();
    s->click(dialogConfirmButton(*root));
    ASSERT_TRUE(s->pumpUntil([&] { return !std::filesystem::exists(file); }, 5000)) << "the preset is gone";
    ASSERT_TRUE(s->pumpUntil([&] { return editEnded(*s, frequency); }, 5000));
    auto* c = s->host().controller();
    Steinberg::Vst::ParameterInfo info{};
    for (Steinberg::int32 i = 0; i < c->getParameterCount(); ++i)
        if (c->getParameterInfo(i, info) == Steinberg::kResultOk && info.id == frequency) break;
    EXPECT_DOUBLE_EQ(c->getParamNormalized(frequency), info.defaultNormalizedValue) << "Init";
    EXPECT_EQ(s->host().failedBlocks(), 0u);
}
