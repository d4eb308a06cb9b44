// The installed UI description (editor.uidesc with its bitmaps in the bundle's Contents/Resources):
// every parameter reachable by exactly one control, the editor's own views present, bitmaps of the
// right size, and a layout in which nothing overlaps, nothing sticks out of its parent and no
// text is cut off.

#include "FactoryPresets.h"
#include "ParameterTable.h"
#include "PresetAwareEditor.h"
#include "ThudderController.h"
#include "views/EnvelopeValueDisplay.h"
#include "views/ImageTextButton.h"
#include "views/MetalKnob.h"
#include "views/OutputGainFader.h"
#include "views/SequencerStepButton.h"

#include "vstgui/vstgui.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace TarnwellPlugin {
namespace {

using namespace VSTGUI;

const std::string kResources = GRUNDMOOR_EDITOR_RESOURCES;

// ---------------------------------------------------------------------------------------------
// What the editor makes of the description's views.

enum class Made {
    Knob,         // MetalKnob, TempoRateKnob
    Fader,        // OutputGainFader
    ImageButton,  // the toggles, the tail button, the LFO shapes
    StepButton,   // SynthStepButton
    HeaderButton, // the editor's flat text buttons
    RecordButton, // hidden at once by the editor
    Display,      // shows a parameter, does not edit it
    Plain,        // a view that is no control
};

const std::map<std::string, Made>& editorViewNames() {
    static const std::map<std::string, Made> names = {
        {"MetalKnob", Made::Knob},
        {"TempoRateKnob", Made::Knob},
        {"PresetPrevious", Made::HeaderButton},
        {"PresetNext", Made::HeaderButton},
        {"WaveAuto", Made::HeaderButton},
        {"Wave1s", Made::HeaderButton},
        {"Wave4s", Made::HeaderButton},
        {"Wave16s", Made::HeaderButton},
        {"WaveFreeze", Made::HeaderButton},
        {"WaveRetrigger", Made::HeaderButton},
        {"TempoSync", Made::HeaderButton},
        {"SynthSaveButton", Made::HeaderButton},
        {"SynthDeletePreset", Made::HeaderButton},
        {"BrandLockup", Made::Plain},
        {"TarnwellLogo", Made::Plain},
        {"OutputWaveform", Made::Plain},
        {"OutputGateWorkspace", Made::Plain},
        {"OutputMeter", Made::Plain},
        {"CompressionReductionMeter", Made::Plain},
        {"SignalFlowRail", Made::Plain},
        {"EnvelopePreview", Made::Plain},
        {"SynthStepButton", Made::StepButton},
        {"TempoModeSelector", Made::Plain},
        {"TempoSectionBackground", Made::Plain},
        {"TempoDisplay", Made::Plain},
        {"EnvelopeValueDisplay", Made::Display},
        {"OutputGainFader", Made::Fader},
        {"SynthTailButton", Made::ImageButton},
        {"SynthToggle64", Made::ImageButton},
        {"SynthToggle70", Made::ImageButton},
        {"SynthRecordButton", Made::RecordButton},
        {"PresetChooser", Made::Plain}, // the library's option menu, filled by the editor
    };
    return names;
}

bool isLfoShapeName(const std::string& name) {
    return name.size() == 10 && (name.rfind("Lfo1Shape", 0) == 0 || name.rfind("Lfo2Shape", 0) == 0) &&
           name[9] >= '1' && name[9] <= '4';
}

// The bitmap an image button of this name shows.
std::string bitmapOfImageButton(const std::string& name) {
    if (name == "SynthToggle64") return "toggle-64";
    if (name == "SynthToggle70") return "toggle-70";
    if (name == "SynthTailButton") return "tail-button";
    static const char* const waves[] = {"lfo-wave-sine", "lfo-wave-square", "lfo-wave-triangle", "lfo-wave-random"};
    if (isLfoShapeName(name)) return waves[name[9] - '1'];
    return {};
}

// Parameters the effects workspace edits (its knob and switch regions, the sub steps, the
// sub sequencer switch and the gate rate buttons): the description gives them no view.
bool editedByWorkspace(uint32_t id) {
    return (id >= 400 && id <= 417) || (id >= 420 && id <= 439) || (id >= 182 && id <= 197);
}

// Parameters the editor's own buttons set (with tag -1): "Manual Tempo" by the SYNC button, the
// LFO shapes and enables by the shape buttons.
const std::set<uint32_t> kEditedByEditorButtons = {kManualTempo, kLfo1Shape, kLfo2Shape, kLFO1Enabled, kLFO2Enabled};

// ---------------------------------------------------------------------------------------------
// The description, built once without the editor: custom views stay their description class.

struct Entry {
    CView* view {nullptr};
    const Entry* parent {nullptr};
    int childIndex {0};
    CRect rect;      // in the root's coordinates
    UIAttributes attributes;

    std::string attr(const std::string& name) const {
        const std::string* v = attributes.getAttributeValue(name);
        return v ? *v : std::string();
    }
    std::string customName() const { return attr("custom-view-name"); }
    std::string className() const {
        const std::string c = attr("class");
        return c.empty() ? "CView" : c;
    }
    bool visible() const {
        for (const Entry* e = this; e; e = e->parent)
            if (!e->view->isVisible()) return false;
        return true;
    }
};

class Recorder : public IController {
public:
    void valueChanged(CControl*) override {}
    CView* verifyView(CView* view, const UIAttributes& attributes, const IUIDescription*) override {
        attributesOf[view] = attributes;
        return view;
    }
    std::map<CView*, UIAttributes> attributesOf;
};

struct Layout {
    SharedPointer<UIDescription> description;
    SharedPointer<CView> root;
    std::vector<std::unique_ptr<Entry>> entries; // parents before their children
    std::string error;

    std::optional<int32_t> tagOf(const Entry& e) const {
        if (!e.attributes.hasAttribute("control-tag")) return std::nullopt;
        const std::string name = e.attr("control-tag");
        int32_t tag = description->getTagForName(name.c_str());
        if (tag >= 0) return tag;
        char* end = nullptr;
        const long v = std::strtol(name.c_str(), &end, 10);
        if (end && *end == 0 && !name.empty()) return static_cast<int32_t>(v);
        return -1;
    }

    // What the editor will make of the view.
    Made madeOf(const Entry& e) const {
        const std::string name = e.customName();
        if (isLfoShapeName(name)) return Made::ImageButton;
        if (auto it = editorViewNames().find(name); it != editorViewNames().end() && name != "PresetChooser")
            return it->second;
        const std::string c = e.className();
        if (c == "CKnob") return Made::Knob;
        if (c == "CTextButton" || c == "COptionMenu" || c == "CTextEdit") return Made::HeaderButton; // edits
        if (c == "CParamDisplay" || c == "CTextLabel") return Made::Display;
        return Made::Plain;
    }
    bool editsItsParameter(const Entry& e) const {
        const Made m = madeOf(e);
        return m != Made::Display && m != Made::Plain;
    }

    std::vector<const Entry*> named(const std::string& customName) const {
        std::vector<const Entry*> out;
        for (const auto& e : entries)
            if (e->customName() == customName) out.push_back(e.get());
        return out;
    }
    // Views with a control tag that edit the parameter.
    std::vector<const Entry*> controlsOf(uint32_t id) const {
        std::vector<const Entry*> out;
        for (const auto& e : entries)
            if (auto tag = tagOf(*e); tag && *tag == static_cast<int32_t>(id) && editsItsParameter(*e))
                out.push_back(e.get());
        return out;
    }
    std::vector<const Entry*> taggedWith(uint32_t id) const {
        std::vector<const Entry*> out;
        for (const auto& e : entries)
            if (auto tag = tagOf(*e); tag && *tag == static_cast<int32_t>(id)) out.push_back(e.get());
        return out;
    }
};

void collect(Layout& layout, CView* view, const Entry* parent, int index, const Recorder& recorder) {
    auto entry = std::make_unique<Entry>();
    entry->view = view;
    entry->parent = parent;
    entry->childIndex = index;
    entry->rect = view->getViewSize();
    if (parent) entry->rect.offset(parent->rect.left, parent->rect.top);
    if (auto it = recorder.attributesOf.find(view); it != recorder.attributesOf.end())
        entry->attributes = it->second;
    const Entry* self = entry.get();
    layout.entries.push_back(std::move(entry));
    if (auto* container = dynamic_cast<CViewContainer*>(view)) {
        int i = 0;
        for (const auto& child : container->getChildren())
            collect(layout, child.get(), self, i++, recorder);
    }
}

const Layout& layout() {
    static Layout built = [] {
        Layout l;
        l.description = owned(new UIDescription(kResources + "/editor.uidesc"));
        if (!l.description->parse()) {
            l.error = "parse: " + l.description->getError();
            return l;
        }
        Recorder recorder;
        CView* root = l.description->createView("view", &recorder);
        if (!root) {
            l.error = "build: " + l.description->getError();
            return l;
        }
        l.root = owned(root);
        collect(l, root, nullptr, 0, recorder);
        return l;
    }();
    return built;
}

#define REQUIRE_LAYOUT()                                   \
    const Layout& L = layout();                            \
    ASSERT_TRUE(L.error.empty()) << L.error;               \
    ASSERT_FALSE(L.entries.empty())

std::string describe(const Entry& e) {
    std::string s = e.className();
    if (!e.customName().empty()) s += " \"" + e.customName() + "\"";
    if (e.attributes.hasAttribute("control-tag")) s += " tag " + e.attr("control-tag");
    if (e.attributes.hasAttribute("title")) s += " title \"" + e.attr("title") + "\"";
    char buf[96];
    std::snprintf(buf, sizeof buf, " at (%g, %g, %g, %g)", e.rect.left, e.rect.top, e.rect.right, e.rect.bottom);
    return s + buf;
}

bool overlaps(const CRect& a, const CRect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

bool contains(const CRect& outer, const CRect& inner) {
    constexpr double e = 1e-9;
    return inner.left >= outer.left - e && inner.top >= outer.top - e && inner.right <= outer.right + e &&
           inner.bottom <= outer.bottom + e;
}

const ParameterSpec* specOf(uint32_t id) {
    for (const auto& p : kParameterTable)
        if (p.id == id) return &p;
    return nullptr;
}

// ---------------------------------------------------------------------------------------------

TEST(EditorDescription, BuildsTheViewTemplateOnADarkRoot) {
    REQUIRE_LAYOUT();
    const Entry& root = *L.entries.front();
    EXPECT_GE(root.rect.getWidth(), 1600);
    EXPECT_GE(root.rect.getHeight(), 800);
    auto* container = dynamic_cast<CViewContainer*>(root.view);
    ASSERT_NE(container, nullptr);
    const CColor bg = container->getBackgroundColor();
    EXPECT_LT(bg.red, 40);
    EXPECT_LT(bg.green, 40);
    EXPECT_LT(bg.blue, 40);
    EXPECT_EQ(bg.alpha, 255);
}

TEST(EditorDescription, EveryAutomatableParameterHasExactlyOneControl) {
    REQUIRE_LAYOUT();
    int checked = 0;
    for (const auto& p : kParameterTable) {
        if (!(p.flags & kFlagCanAutomate) || editedByWorkspace(p.id) || kEditedByEditorButtons.count(p.id))
            continue;
        ++checked;
        const auto controls = L.controlsOf(p.id);
        EXPECT_EQ(controls.size(), 1u) << p.id << " \"" << p.title << "\"";
        for (const Entry* c : controls) {
            EXPECT_TRUE(c->visible()) << describe(*c);
            EXPECT_TRUE(c->view->getMouseEnabled()) << describe(*c);
        }
    }
    EXPECT_EQ(checked, 100);
}

TEST(EditorDescription, TheWorkspaceParametersHaveNoViewOfTheirOwn) {
    REQUIRE_LAYOUT();
    int checked = 0;
    for (const auto& p : kParameterTable) {
        if (!editedByWorkspace(p.id)) continue;
        ++checked;
        for (const Entry* e : L.taggedWith(p.id)) ADD_FAILURE() << p.id << " \"" << p.title << "\": " << describe(*e);
    }
    EXPECT_EQ(checked, 54);
    EXPECT_EQ(L.named("OutputGateWorkspace").size(), 1u);
}

TEST(EditorDescription, TheEditorsOwnButtonsSetTheirParametersWithoutATag) {
    REQUIRE_LAYOUT();
    for (uint32_t id : kEditedByEditorButtons)
        for (const Entry* e : L.taggedWith(id)) ADD_FAILURE() << id << ": " << describe(*e);
    EXPECT_EQ(L.named("TempoSync").size(), 1u);
    for (const char* lfo : {"Lfo1Shape", "Lfo2Shape"})
        for (int k = 1; k <= 4; ++k) {
            const auto buttons = L.named(lfo + std::to_string(k));
            ASSERT_EQ(buttons.size(), 1u) << lfo << k;
            EXPECT_FALSE(buttons[0]->attributes.hasAttribute("control-tag")) << describe(*buttons[0]);
            EXPECT_EQ(buttons[0]->className(), "CTextButton") << describe(*buttons[0]);
        }
}

TEST(EditorDescription, TheActionsHaveTheirButtons) {
    REQUIRE_LAYOUT();
    const auto save = L.taggedWith(kSaveCurrentPreset);
    ASSERT_EQ(save.size(), 1u);
    EXPECT_EQ(save[0]->customName(), "SynthSaveButton");
    for (const Entry* e : L.taggedWith(kRenderWAV)) EXPECT_EQ(e->customName(), "SynthRecordButton") << describe(*e);
    EXPECT_LE(L.taggedWith(kRenderWAV).size(), 1u);
    // The editor's own buttons carry no tag, but for the save button's.
    for (const char* name : {"PresetPrevious", "PresetNext", "SynthDeletePreset", "TempoSync", "WaveAuto", "Wave1s",
                             "Wave4s", "Wave16s", "WaveFreeze", "WaveRetrigger"})
        for (const Entry* e : L.named(name)) EXPECT_FALSE(e->attributes.hasAttribute("control-tag")) << describe(*e);
    for (const Entry* e : L.named("PresetChooser")) {
        EXPECT_EQ(e->className(), "COptionMenu");
        EXPECT_FALSE(e->attributes.hasAttribute("control-tag")) << describe(*e);
    }
}

TEST(EditorDescription, EveryControlFitsItsParameterKind) {
    REQUIRE_LAYOUT();
    for (const auto& e : L.entries) {
        const auto tag = L.tagOf(*e);
        if (!tag) continue;
        const ParameterSpec* p = tag >= 0 ? specOf(static_cast<uint32_t>(*tag)) : nullptr;
        ASSERT_NE(p, nullptr) << "a tag that names no parameter: " << describe(*e);
        const Made m = L.madeOf(*e);
        EXPECT_NE(m, Made::Plain) << "a tag on a view that is no control: " << describe(*e);
        if (!L.editsItsParameter(*e)) continue;
        switch (p->kind) {
        case ParamKind::Range:
        case ParamKind::LogRange:
            EXPECT_TRUE(m == Made::Knob || m == Made::Fader) << describe(*e);
            break;
        case ParamKind::List:
            EXPECT_EQ(e->className(), "COptionMenu") << describe(*e);
            EXPECT_TRUE(e->customName().empty()) << describe(*e);
            break;
        case ParamKind::Toggle:
            EXPECT_EQ(m, Made::ImageButton) << describe(*e);
            EXPECT_EQ(e->className(), "CTextButton") << describe(*e);
            break;
        case ParamKind::Step:
            EXPECT_EQ(m, Made::StepButton) << describe(*e);
            break;
        case ParamKind::Action:
            EXPECT_TRUE(m == Made::HeaderButton || m == Made::RecordButton) << describe(*e);
            break;
        }
        if (m == Made::Knob) {
            EXPECT_EQ(e->className(), "CKnob") << describe(*e);
            EXPECT_TRUE(e->attributes.hasAttribute("corona-color")) << describe(*e);
        }
    }
}

TEST(EditorDescription, TheOscLayerAttackKnobIsTaggedByName) {
    REQUIRE_LAYOUT();
    EXPECT_EQ(L.description->getTagForName("Osc Layer Attack"), 177);
    int byName = 0;
    for (const auto& e : L.entries) {
        if (e->attr("control-tag") == "Osc Layer Attack") {
            ++byName;
            EXPECT_EQ(e->customName(), "MetalKnob") << describe(*e);
            EXPECT_EQ(e->className(), "CKnob") << describe(*e);
        } else if (e->attributes.hasAttribute("control-tag")) {
            EXPECT_NE(L.tagOf(*e), 177) << describe(*e);
        }
    }
    EXPECT_EQ(byName, 1);
}

TEST(EditorDescription, SixteenStepButtonsTagged200To215) {
    REQUIRE_LAYOUT();
    const auto steps = L.named("SynthStepButton");
    EXPECT_EQ(steps.size(), 16u);
    for (int i = 0; i < 16; ++i) {
        const auto tagged = L.taggedWith(200 + i);
        ASSERT_EQ(tagged.size(), 1u) << 200 + i;
        EXPECT_EQ(tagged[0]->customName(), "SynthStepButton");
        EXPECT_EQ(tagged[0]->className(), "CTextButton");
        EXPECT_EQ(tagged[0]->attr("title"), std::to_string(i + 1));
    }
}

TEST(EditorDescription, TheEditorsViewsArePresent) {
    REQUIRE_LAYOUT();
    const std::vector<std::pair<std::string, size_t>> expected = {
        {"BrandLockup", 1}, {"TarnwellLogo", 1}, {"PresetChooser", 1}, {"PresetPrevious", 1}, {"PresetNext", 1},
        {"SynthSaveButton", 1}, {"SynthDeletePreset", 1}, {"EnvelopePreview", 1}, {"EnvelopeValueDisplay", 4},
        {"CompressionReductionMeter", 1}, {"SynthStepButton", 16}, {"TempoSectionBackground", 1},
        {"TempoModeSelector", 1}, {"TempoDisplay", 1}, {"TempoRateKnob", 1}, {"TempoSync", 1},
        {"SynthTailButton", 1}, {"OutputWaveform", 1}, {"OutputGateWorkspace", 1}, {"WaveAuto", 1}, {"Wave1s", 1},
        {"Wave4s", 1}, {"Wave16s", 1}, {"WaveFreeze", 1}, {"WaveRetrigger", 1}, {"OutputGainFader", 1},
        {"OutputMeter", 1}, {"SignalFlowRail", 1},
    };
    for (const auto& [name, count] : expected) EXPECT_EQ(L.named(name).size(), count) << name;

    // Ids that the editor's views are bound to.
    auto tagOfOnly = [&](const char* name) {
        const auto v = L.named(name);
        return v.size() == 1 ? L.tagOf(*v[0]) : std::nullopt;
    };
    EXPECT_EQ(tagOfOnly("TempoRateKnob"), 111);
    EXPECT_EQ(tagOfOnly("OutputGainFader"), 159);
    EXPECT_EQ(tagOfOnly("SynthTailButton"), 139);
    std::set<int32_t> stages;
    for (const Entry* e : L.named("EnvelopeValueDisplay")) stages.insert(L.tagOf(*e).value_or(-1));
    EXPECT_EQ(stages, (std::set<int32_t> {107, 108, 109, 110}));
    for (const char* name : {"SignalFlowRail", "TempoSectionBackground"})
        for (const Entry* e : L.named(name)) EXPECT_FALSE(e->view->getMouseEnabled()) << name;
}

TEST(EditorDescription, EveryCustomViewNameIsOneOfTheEditors) {
    REQUIRE_LAYOUT();
    for (const auto& e : L.entries) {
        const std::string name = e->customName();
        if (name.empty()) continue;
        EXPECT_TRUE(editorViewNames().count(name) || isLfoShapeName(name)) << describe(*e);
    }
}

TEST(EditorDescription, TheTogglesTellOnFromOff) {
    REQUIRE_LAYOUT();
    // The editor retitles these ON and OFF; the tail steps keep their numbers.
    for (uint32_t id : {kTailRhythmEnable, kEnvelopeRetrigger, kLfo1Retrig, kLfo2Retrig, kSequencerEnabled}) {
        const auto c = L.controlsOf(id);
        ASSERT_EQ(c.size(), 1u) << id;
        const std::string title = c[0]->attr("title");
        EXPECT_TRUE(title == "ON" || title == "OFF") << describe(*c[0]);
    }
    for (int i = 0; i < 8; ++i) {
        const auto c = L.controlsOf(300 + i);
        ASSERT_EQ(c.size(), 1u) << 300 + i;
        EXPECT_EQ(c[0]->attr("title"), std::to_string(i + 1));
    }
}

TEST(EditorDescription, BitmapsAreInstalledInTheSizesOfTheirViews) {
    REQUIRE_LAYOUT();
    const char* const names[] = {"toggle-70", "toggle-64", "tail-button", "gain-fader-handle", "grundmoor-flat-brand",
                                 "tarnwell-plain-logo", "lfo-wave-sine", "lfo-wave-square", "lfo-wave-triangle",
                                 "lfo-wave-random"};
    for (const char* name : names) {
        CBitmap* b = L.description->getBitmap(name);
        ASSERT_NE(b, nullptr) << name;
        EXPECT_TRUE(std::filesystem::exists(kResources + "/" + name + ".png")) << name;
        EXPECT_EQ(std::filesystem::path(b->getPath()).parent_path(), std::filesystem::path(kResources)) << name;
    }
    // Two-frame strips: as wide as the view, twice as high.
    std::set<std::string> shown;
    for (const auto& e : L.entries) {
        const std::string bitmap = bitmapOfImageButton(e->customName());
        if (bitmap.empty()) continue;
        CBitmap* b = L.description->getBitmap(bitmap.c_str());
        ASSERT_NE(b, nullptr) << bitmap;
        EXPECT_EQ(b->getWidth(), e->rect.getWidth()) << bitmap << " for " << describe(*e);
        EXPECT_EQ(b->getHeight(), 2 * e->rect.getHeight()) << bitmap << " for " << describe(*e);
        shown.insert(bitmap);
    }
    for (const char* strip : {"toggle-64", "toggle-70", "tail-button", "lfo-wave-sine", "lfo-wave-square",
                              "lfo-wave-triangle", "lfo-wave-random"})
        EXPECT_TRUE(shown.count(strip)) << strip << " is shown by no view";
    // The effects workspace draws the top frame of "toggle-70" into its 70 x 28 switches.
    CBitmap* toggle70 = L.description->getBitmap("toggle-70");
    ASSERT_NE(toggle70, nullptr);
    EXPECT_EQ(toggle70->getWidth(), 70);
    EXPECT_EQ(toggle70->getHeight(), 56);
    // The brand and the logo are drawn unscaled into their views.
    for (auto [view, bitmap] : {std::pair {"BrandLockup", "grundmoor-flat-brand"}, {"TarnwellLogo", "tarnwell-plain-logo"}}) {
        const auto v = L.named(view);
        CBitmap* b = L.description->getBitmap(bitmap);
        ASSERT_EQ(v.size(), 1u);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->getWidth(), v[0]->rect.getWidth()) << view;
        EXPECT_EQ(b->getHeight(), v[0]->rect.getHeight()) << view;
    }
    // The fader's handle rides its track at 0.38 of the fader's width.
    const auto fader = L.named("OutputGainFader");
    CBitmap* handle = L.description->getBitmap("gain-fader-handle");
    ASSERT_EQ(fader.size(), 1u);
    ASSERT_NE(handle, nullptr);
    EXPECT_LE(handle->getWidth() / 2, 0.38 * fader[0]->rect.getWidth());
    EXPECT_LE(handle->getHeight(), 40);
}

TEST(EditorDescription, EveryViewLiesInsideItsParent) {
    REQUIRE_LAYOUT();
    for (const auto& e : L.entries) {
        if (!e->parent) continue;
        EXPECT_TRUE(contains(e->parent->rect, e->rect)) << describe(*e) << " sticks out of " << describe(*e->parent);
        EXPECT_GT(e->rect.getWidth(), 0) << describe(*e);
        EXPECT_GT(e->rect.getHeight(), 0) << describe(*e);
    }
}

// Views drawn first that other views may cover on purpose.
bool isBackground(const Entry& e) {
    return e.customName() == "SignalFlowRail" || e.customName() == "TempoSectionBackground";
}

TEST(EditorDescription, VisibleSiblingsDoNotOverlap) {
    REQUIRE_LAYOUT();
    for (size_t i = 0; i < L.entries.size(); ++i)
        for (size_t j = i + 1; j < L.entries.size(); ++j) {
            const Entry& a = *L.entries[i];
            const Entry& b = *L.entries[j];
            if (a.parent != b.parent || !a.parent || !a.visible() || !b.visible() || !overlaps(a.rect, b.rect))
                continue;
            const std::set<std::string> pair = {a.customName(), b.customName()};
            if (pair == std::set<std::string> {"OutputWaveform", "OutputGateWorkspace"}) continue; // one takes the other's place
            const Entry& first = a.childIndex < b.childIndex ? a : b;
            if (isBackground(first)) continue; // drawn behind the others
            ADD_FAILURE() << describe(a) << " overlaps " << describe(b);
        }
    for (const Entry* bg : L.named("TempoSectionBackground")) EXPECT_EQ(bg->childIndex, 0);
    for (const Entry* rail : L.named("SignalFlowRail")) {
        EXPECT_EQ(rail->childIndex, 0);
        EXPECT_EQ(rail->parent, L.entries.front().get());
    }
}

TEST(EditorDescription, TheWaveAreaIsWideEnoughForTheWorkspace) {
    REQUIRE_LAYOUT();
    const auto wave = L.named("OutputWaveform");
    const auto workspace = L.named("OutputGateWorkspace");
    ASSERT_EQ(wave.size(), 1u);
    ASSERT_EQ(workspace.size(), 1u);
    EXPECT_EQ(wave[0]->rect, workspace[0]->rect);
    EXPECT_EQ(wave[0]->parent, workspace[0]->parent);
    EXPECT_GE(workspace[0]->rect.getWidth(), 1600);  // page 2 runs to 1590, the sub mixer from 1440
    EXPECT_GE(workspace[0]->rect.getHeight(), 175);  // the sub page's knobs reach 162
    for (const char* name : {"WaveAuto", "Wave1s", "Wave4s", "Wave16s", "WaveFreeze", "WaveRetrigger"}) {
        const auto b = L.named(name);
        ASSERT_EQ(b.size(), 1u) << name;
        EXPECT_EQ(b[0]->parent, wave[0]->parent) << name;
        EXPECT_LE(b[0]->rect.right, wave[0]->rect.left) << name;
    }
}

TEST(EditorDescription, SignalFlowArrowsSitInGapsBetweenModules) {
    REQUIRE_LAYOUT();
    const auto rails = L.named("SignalFlowRail");
    ASSERT_EQ(rails.size(), 1u);
    const Entry& rail = *rails[0];
    const Entry& root = *L.entries.front();
    const double rowY = rail.rect.top + 0.48 * rail.rect.getHeight();
    std::vector<CPoint> arrows;
    for (double x : {516, 756, 906, 1046, 1206, 1476, 1636}) arrows.emplace_back(x, rowY);
    for (double y : {300, 455, 555}) arrows.emplace_back(426, y);
    for (const CPoint& a : arrows) {
        const CRect box(a.x, a.y - 5, a.x + 14, a.y + 5);
        EXPECT_TRUE(contains(rail.rect, box)) << "arrow at " << a.x << ", " << a.y << " is cut off by the rail";
        for (const auto& e : L.entries)
            if (e.get() != &rail && e.get() != &root && e->visible() && overlaps(e->rect, box))
                ADD_FAILURE() << "arrow at " << a.x << ", " << a.y << " is covered by " << describe(*e);
        // A module ends just before the arrow and the next one starts just after it.
        bool before = false, after = false;
        for (const auto& e : L.entries) {
            if (e->parent != &root || e.get() == &rail || e->rect.top > a.y || e->rect.bottom < a.y) continue;
            before = before || (e->rect.right <= a.x && e->rect.right >= a.x - 16);
            after = after || (e->rect.left >= a.x + 14 && e->rect.left <= a.x + 30);
        }
        EXPECT_TRUE(before && after) << "arrow at " << a.x << ", " << a.y << " points into no gap";
    }
}

TEST(EditorDescription, TheTempoDividersSeparateTheTempoSection) {
    REQUIRE_LAYOUT();
    const auto bgs = L.named("TempoSectionBackground");
    ASSERT_EQ(bgs.size(), 1u);
    const Entry& bg = *bgs[0];
    const double q = bg.rect.left + 0.5;
    const double dividers[] = {q + 128, q + 224, q + 354};
    EXPECT_GT(bg.rect.right, dividers[2] + 60);
    auto compartment = [&](const CRect& r) {
        int k = 0;
        for (double d : dividers) {
            if (r.left < d + 1 && r.right > d - 1) return -1; // crosses the divider
            if (r.left >= d) ++k;
        }
        return k;
    };
    std::set<int> used;
    for (const char* name : {"TempoDisplay", "TempoModeSelector", "TempoRateKnob", "TempoSync"}) {
        const auto v = L.named(name);
        ASSERT_EQ(v.size(), 1u) << name;
        EXPECT_EQ(v[0]->parent, bg.parent) << name;
        EXPECT_TRUE(contains(bg.rect, v[0]->rect)) << name;
        const int k = compartment(v[0]->rect);
        EXPECT_GE(k, 0) << name << " crosses a divider";
        EXPECT_TRUE(used.insert(k).second) << name << " shares a compartment";
    }
    for (const auto& e : L.entries) {
        if (e->parent == bg.parent && e.get() != &bg) {
            EXPECT_GE(compartment(e->rect), 0) << describe(*e);
        }
    }
}

TEST(EditorDescription, KnobsAreLargeEnoughToGrabAtTheDefaultZoom) {
    REQUIRE_LAYOUT();
    int knobs = 0;
    for (const auto& e : L.entries)
        if (L.madeOf(*e) == Made::Knob) {
            ++knobs;
            EXPECT_GE(std::min(e->rect.getWidth(), e->rect.getHeight()) * 0.65, 28.0) << describe(*e);
        }
    EXPECT_EQ(knobs, 59); // every range parameter with a control but the gain, which has its fader
}

// ---------------------------------------------------------------------------------------------
// Text: at least 12 pt, and every text the views show fits them.

CCoord widthOf(const CFontDesc& font, const std::string& text) { return FontMetrics::stringWidth(font, text); }

CCoord heightOf(const CFontDesc& font) {
    CCoord ascent = 0, descent = 0;
    FontMetrics::extents(font, ascent, descent);
    return ascent + descent;
}

void expectFits(const Entry& e, const CFontDesc& font, const std::string& text, CCoord room, const char* what) {
    EXPECT_LE(widthOf(font, text), room) << what << " \"" << text << "\" is cut off in " << describe(e);
}

TEST(EditorDescription, TextIsAtLeastTwelvePoint) {
    REQUIRE_LAYOUT();
    for (const auto& e : L.entries) {
        CFontRef font = nullptr;
        if (auto* d = dynamic_cast<CParamDisplay*>(e->view)) font = d->getFont();
        else if (auto* b = dynamic_cast<CTextButton*>(e->view)) font = b->getFont();
        if (!font || L.madeOf(*e) == Made::StepButton) continue; // step buttons draw their own fonts
        if (e->attr("title").empty() && dynamic_cast<CTextLabel*>(e->view)) continue;
        EXPECT_GE(font->getSize(), 12) << describe(*e);
        EXPECT_LE(heightOf(*font), e->rect.getHeight() + 1) << describe(*e);
    }
}

TEST(EditorDescription, LabelsAndTitlesFit) {
    REQUIRE_LAYOUT();
    for (const auto& e : L.entries) {
        if (auto* label = dynamic_cast<CTextLabel*>(e->view); label && !dynamic_cast<COptionMenu*>(e->view)) {
            ASSERT_NE(label->getFont(), nullptr);
            expectFits(*e, *label->getFont(), label->getText(), e->rect.getWidth() - 2 * label->getTextInset().x,
                       "label");
        }
        auto* button = dynamic_cast<CTextButton*>(e->view);
        if (!button || L.madeOf(*e) == Made::StepButton) continue;
        ASSERT_NE(button->getFont(), nullptr);
        std::vector<std::string> titles = {button->getTitle()};
        // What the editor writes on its buttons besides their titles.
        const std::map<std::string, std::vector<std::string>> relabelled = {
            {"WaveAuto", {"MENU", "WAVEFORM"}}, {"Wave1s", {"1 s", "SUB GENERATOR"}},
            {"Wave4s", {"4 s", "EXTENDED MIX"}}, {"Wave16s", {"16 s", "EXTENDED FX"}},
            {"WaveFreeze", {"FREEZE"}}, {"WaveRetrigger", {"RETRIGGER"}}, {"TempoSync", {"SYNC ON", "SYNC OFF"}},
            {"SynthSaveButton", {"SAVE"}}, {"SynthDeletePreset", {"DELETE"}}, {"PresetPrevious", {"<"}},
            {"PresetNext", {">"}}};
        if (auto it = relabelled.find(e->customName()); it != relabelled.end())
            titles.insert(titles.end(), it->second.begin(), it->second.end());
        if (auto t = L.tagOf(*e); t && (*t == 139 || *t == 154 || *t == 161 || *t == 165 || *t == 169 || *t == 440))
            titles.insert(titles.end(), {"ON", "OFF"});
        for (const auto& t : titles) expectFits(*e, *button->getFont(), t, e->rect.getWidth() - 8, "title");
    }
}

TEST(EditorDescription, MenuEntriesFit) {
    REQUIRE_LAYOUT();
    int menus = 0;
    for (const auto& e : L.entries) {
        auto* m = dynamic_cast<COptionMenu*>(e->view);
        if (!m) continue;
        ++menus;
        ASSERT_NE(m->getFont(), nullptr);
        const CCoord room = e->rect.getWidth() - 2 * m->getTextInset().x - 2;
        if (e->customName() == "PresetChooser") {
            for (const auto& preset : factoryPresetTable()) expectFits(*e, *m->getFont(), preset.name, room, "preset");
            continue;
        }
        const auto tag = L.tagOf(*e);
        ASSERT_TRUE(tag) << describe(*e);
        const ParameterSpec* p = specOf(static_cast<uint32_t>(*tag));
        ASSERT_NE(p, nullptr);
        ASSERT_EQ(p->kind, ParamKind::List);
        for (int i = 0; i < p->entryCount; ++i) expectFits(*e, *m->getFont(), p->entries[i], room, "entry");
    }
    int lists = 0;
    for (const auto& p : kParameterTable)
        if (p.kind == ParamKind::List && !editedByWorkspace(p.id) && !kEditedByEditorButtons.count(p.id)) ++lists;
    EXPECT_EQ(menus, lists + 1); // and the preset menu
}

// The editor's views draw fixed texts in fixed fonts: their rectangles must hold them.
TEST(EditorDescription, TheEditorsViewsHoldTheirOwnTexts) {
    REQUIRE_LAYOUT();
    const CFontDesc bold16("Arial", 16, kBoldFace), bold13("Arial", 13, kBoldFace), bold12("Arial", 12, kBoldFace),
        bold11("Arial", 11, kBoldFace), small9("Arial", 9, kNormalFace), bold9("Arial", 9, kBoldFace);
    for (const Entry* e : L.named("TempoDisplay")) expectFits(*e, bold16, "300.0 BPM", e->rect.getWidth() - 4, "tempo");
    for (const Entry* e : L.named("TempoModeSelector"))
        for (const char* t : {"MANUAL", "HOST"}) expectFits(*e, bold11, t, e->rect.getWidth() - 22, "mode");
    for (const Entry* e : L.named("EnvelopeValueDisplay")) {
        expectFits(*e, bold12, "2000 ms", e->rect.getWidth() - 4, "value");
        EXPECT_GE(e->rect.getHeight(), heightOf(bold12)) << describe(*e);
    }
    for (const Entry* e : L.named("SynthStepButton")) {
        for (const char* t : {"OFF", "HALF", "FULL"}) expectFits(*e, bold16, t, e->rect.getWidth() - 6, "state");
        expectFits(*e, bold13, "16", e->rect.getWidth() - 6, "step");
        EXPECT_GE(e->rect.getHeight(), heightOf(bold16) + heightOf(bold13)) << describe(*e);
    }
    for (const Entry* e : L.named("OutputGainFader")) {
        const CCoord w = e->rect.getWidth();
        expectFits(*e, bold13, "GAIN FX", w - 16, "fader title");
        expectFits(*e, bold9, "+60.0 dB", w - 16, "fader value");
        for (const char* t : {"+60", "+48", "-24"}) expectFits(*e, small9, t, w - 8 - (0.38 * w + 35), "fader scale");
        EXPECT_GE(e->rect.getHeight(), 55 + 22 + 200) << describe(*e); // a travel of 200 points at least
    }
    for (const Entry* e : L.named("OutputMeter")) {
        EXPECT_GE(e->rect.getWidth() - 22, 6 * 22) << describe(*e); // seven scale labels, 20 wide, apart
        EXPECT_GE(e->rect.getHeight(), 40) << describe(*e);
    }
    for (const Entry* e : L.named("CompressionReductionMeter")) {
        EXPECT_GE(e->rect.getWidth(), 40) << describe(*e);
        EXPECT_GE(e->rect.getHeight(), 18 * 8) << describe(*e);
    }
}

// ---------------------------------------------------------------------------------------------
// The editor itself on the installed description.

class EditorOnTheInstalledDescription : public ::testing::Test {
protected:
    void SetUp() override {
        RunLoop::set(&loop);
        char pattern[] = "/tmp/grundmoor-panel-XXXXXX";
        if (const char* p = mkdtemp(pattern)) dataHome = p;
        setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
        controller = new ThudderController;
        ASSERT_EQ(controller->initialize(nullptr), Steinberg::kResultOk);
        editor = new PresetAwareEditor(controller, "view", (kResources + "/editor.uidesc").c_str());
        ASSERT_EQ(editor->attached(reinterpret_cast<void*>(1), Steinberg::Vst::kPlatformTypeOffscreen),
                  Steinberg::kResultTrue);
    }
    void TearDown() override {
        if (editor) {
            if (editor->getFrame()) editor->removed();
            editor->release();
        }
        if (controller) {
            controller->terminate();
            controller->release();
        }
        unsetenv("XDG_DATA_HOME");
        std::error_code ignored;
        if (!dataHome.empty()) std::filesystem::remove_all(dataHome, ignored);
        RunLoop::clear(&loop);
    }
    CViewContainer* root() const {
        return editor->getFrame() ? dynamic_cast<CViewContainer*>(editor->getFrame()->getView(0)) : nullptr;
    }
    template <typename F>
    static void forEachView(CView* view, F&& f) {
        f(view);
        if (auto* c = dynamic_cast<CViewContainer*>(view))
            for (const auto& child : c->getChildren()) forEachView(child.get(), f);
    }

    ManualRunLoop loop;
    std::string dataHome;
    ThudderController* controller = nullptr;
    PresetAwareEditor* editor = nullptr;
};

TEST_F(EditorOnTheInstalledDescription, FillsEverySlotOfTheEditor) {
    ASSERT_NE(root(), nullptr);
    EXPECT_TRUE(editor->presetMenu && editor->presetPreviousButton && editor->presetNextButton &&
                editor->deletePresetButton);
    EXPECT_TRUE(editor->envelopePreview && editor->outputMeter && editor->outputWaveform && editor->gateWorkspace);
    EXPECT_TRUE(editor->tempoDisplay && editor->tempoModeSelector && editor->tempoRateKnob && editor->tempoSyncButton);
    EXPECT_TRUE(editor->waveAutoButton && editor->wave1sButton && editor->wave4sButton && editor->wave16sButton &&
                editor->waveFreezeButton && editor->waveRetriggerButton);
    ASSERT_TRUE(editor->oscAttackKnob);
    EXPECT_EQ(editor->oscAttackKnob->getTag(), 177);
    for (int k = 0; k < 4; ++k) {
        EXPECT_TRUE(editor->lfo1ShapeButtons[k]) << k;
        EXPECT_TRUE(editor->lfo2ShapeButtons[k]) << k;
    }
}

TEST_F(EditorOnTheInstalledDescription, BindsEachParameterToOneOfItsOwnControls) {
    ASSERT_NE(root(), nullptr);
    std::map<int32_t, std::vector<CControl*>> byTag;
    int knobs = 0, images = 0;
    forEachView(root(), [&](CView* v) {
        if (dynamic_cast<CKnob*>(v)) {
            ++knobs;
            EXPECT_NE(dynamic_cast<MetalKnob*>(v), nullptr) << "a knob that is not the editor's";
        }
        if (auto* image = dynamic_cast<ImageTextButton*>(v)) {
            ++images;
            ASSERT_NE(image->getBitmap(), nullptr);
            EXPECT_EQ(image->getBitmap()->getWidth(), image->getWidth());
            EXPECT_EQ(image->getBitmap()->getHeight(), 2 * image->getHeight());
        }
        auto* c = dynamic_cast<CControl*>(v);
        if (c && c->getTag() >= 0 && !dynamic_cast<EnvelopeValueDisplay*>(v)) byTag[c->getTag()].push_back(c);
    });
    EXPECT_EQ(knobs, 59); // the range parameters but the gain, the tempo knob among them
    EXPECT_EQ(images, 8 + 2 + 2 + 8 + 1); // LFO shapes, LFO retrigs, the sequencer's toggles, tail steps, tail button
    for (const auto& p : kParameterTable) {
        if (editedByWorkspace(p.id) || kEditedByEditorButtons.count(p.id)) {
            EXPECT_EQ(byTag.count(static_cast<int32_t>(p.id)), 0u) << p.id;
            continue;
        }
        if (!(p.flags & kFlagCanAutomate)) continue;
        const auto it = byTag.find(static_cast<int32_t>(p.id));
        ASSERT_NE(it, byTag.end()) << p.id << " \"" << p.title << "\"";
        ASSERT_EQ(it->second.size(), 1u) << p.id;
        CControl* c = it->second.front();
        EXPECT_TRUE(c->isVisible() && c->getMouseEnabled()) << p.id;
        if (p.kind == ParamKind::Step) {
            EXPECT_NE(dynamic_cast<SequencerStepButton*>(c), nullptr) << p.id;
        } else if (p.kind == ParamKind::List) {
            EXPECT_NE(dynamic_cast<COptionMenu*>(c), nullptr) << p.id;
        } else if (p.kind == ParamKind::Toggle) {
            EXPECT_NE(dynamic_cast<ImageTextButton*>(c), nullptr) << p.id;
        } else if (p.id == kOutputGain) {
            EXPECT_NE(dynamic_cast<OutputGainFader*>(c), nullptr);
        } else {
            EXPECT_NE(dynamic_cast<MetalKnob*>(c), nullptr) << p.id;
        }
    }
    // The hidden record button keeps "Render WAV"; the save button "Save Current Preset".
    EXPECT_EQ(byTag[kSaveCurrentPreset].size(), 1u);
    for (CControl* c : byTag[kRenderWAV]) EXPECT_FALSE(c->isVisible());
}

TEST_F(EditorOnTheInstalledDescription, ListsShowTheirEntries) {
    ASSERT_NE(root(), nullptr);
    forEachView(root(), [&](CView* v) {
        auto* m = dynamic_cast<COptionMenu*>(v);
        if (!m || m == editor->presetMenu.get()) return;
        const ParameterSpec* p = specOf(static_cast<uint32_t>(m->getTag()));
        ASSERT_NE(p, nullptr) << m->getTag();
        EXPECT_EQ(m->getNbEntries(), p->entryCount) << p->title;
    });
}

} // namespace
} // namespace TarnwellPlugin
