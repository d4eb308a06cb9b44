// View creation and verification: the program's own views by custom-view name, the restyling of
// library controls and the editor's slots.

#include "PresetAwareEditor.h"

#include "ParameterIds.h"
#include "views/BrandLockupView.h"
#include "views/CompressionReductionMeterView.h"
#include "views/EnvelopePreviewView.h"
#include "views/EnvelopeValueDisplay.h"
#include "views/HeaderArrowButton.h"
#include "views/ImageTextButton.h"
#include "views/MetalKnob.h"
#include "views/OutputGainFader.h"
#include "views/OutputGateWorkspaceView.h"
#include "views/OutputMeterView.h"
#include "views/OutputWaveformView.h"
#include "views/RecordingDisplayButton.h"
#include "views/SequencerStepButton.h"
#include "views/SignalFlowRailView.h"
#include "views/TarnwellLogoView.h"
#include "views/TempoDisplayView.h"
#include "views/TempoModeSelector.h"
#include "views/TempoSectionBackground.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace TarnwellPlugin {

using namespace VSTGUI;

namespace {

constexpr std::string_view kLfo1ShapePrefix = "Lfo1Shape";
constexpr std::string_view kLfo2ShapePrefix = "Lfo2Shape";
constexpr const char* kLfoShapeBitmaps[4] = {"lfo-wave-sine", "lfo-wave-square", "lfo-wave-triangle",
                                             "lfo-wave-random"};
constexpr const char* kOscAttackTagName = "Osc Layer Attack";

CBitmap* bitmapNamed(const IUIDescription* description, const char* name) {
    return description ? description->getBitmap(name) : nullptr;
}

// Stores a view in a slot: the slot takes a counted reference and drops the one it held.
template <typename T>
void store(SharedPointer<T>& slot, CView* view) {
    slot = dynamic_cast<T*>(view);
}

// What createView makes for a name and what verifyView does with the finished view.
struct CustomViewRow {
    const char* name;
    CView* (*create)(PresetAwareEditor& editor, const IUIDescription* description);
    void (*verify)(PresetAwareEditor& editor, CView* view);
};

void noVerification(PresetAwareEditor&, CView*) {}

CView* headerButton(PresetAwareEditor& editor, const char* title, int32_t style) {
    return new HeaderArrowButton(&editor, title, style);
}

const CustomViewRow kCustomViewTable[] = {
    {"MetalKnob", [](PresetAwareEditor& e, const IUIDescription*) -> CView* { return new MetalKnob(&e); },
     noVerification},
    {"TempoRateKnob", [](PresetAwareEditor& e, const IUIDescription*) -> CView* { return new MetalKnob(&e); },
     [](PresetAwareEditor& e, CView* v) { store(e.tempoRateKnob, v); }},
    {"PresetPrevious", [](PresetAwareEditor& e, const IUIDescription*) { return headerButton(e, "<", 0); },
     [](PresetAwareEditor& e, CView* v) {
         store(e.presetPreviousButton, v);
         if (e.presetPreviousButton) e.presetPreviousButton->setListener(&e);
     }},
    {"PresetNext", [](PresetAwareEditor& e, const IUIDescription*) { return headerButton(e, ">", 0); },
     [](PresetAwareEditor& e, CView* v) {
         store(e.presetNextButton, v);
         if (e.presetNextButton) e.presetNextButton->setListener(&e);
     }},
    {"WaveAuto", [](PresetAwareEditor& e, const IUIDescription*) { return headerButton(e, "MENU", 0); },
     [](PresetAwareEditor& e, CView* v) {
         e.waveAutoButton = e.listenToTextButton(v);
         if (e.waveAutoButton) e.waveAutoButton->setValue(0.0f);
         e.updateWaveAreaControls();
     }},
    {"Wave1s", [](PresetAwareEditor& e, const IUIDescription*) { return headerButton(e, "1 s", 0); },
     [](PresetAwareEditor& e, CView* v) { e.wave1sButton = e.listenToTextButton(v); }},
    {"Wave4s", [](PresetAwareEditor& e, const IUIDescription*) { return headerButton(e, "4 s", 0); },
     [](PresetAwareEditor& e, CView* v) { e.wave4sButton = e.listenToTextButton(v); }},
    {"Wave16s", [](PresetAwareEditor& e, const IUIDescription*) { return headerButton(e, "16 s", 0); },
     [](PresetAwareEditor& e, CView* v) { e.wave16sButton = e.listenToTextButton(v); }},
    {"WaveFreeze", [](PresetAwareEditor& e, const IUIDescription*) { return headerButton(e, "FREEZE", 1); },
     [](PresetAwareEditor& e, CView* v) {
         e.waveFreezeButton = e.listenToTextButton(v);
         if (e.waveFreezeButton) e.waveFreezeButton->setValue(0.0f);
     }},
    {"WaveRetrigger", [](PresetAwareEditor& e, const IUIDescription*) { return headerButton(e, "RETRIGGER", 0); },
     [](PresetAwareEditor& e, CView* v) {
         e.waveRetriggerButton = e.listenToTextButton(v);
         e.updateWaveAreaControls();
     }},
    {"TempoSync", [](PresetAwareEditor& e, const IUIDescription*) { return headerButton(e, "SYNC", 0); },
     [](PresetAwareEditor& e, CView* v) {
         store(e.tempoSyncButton, v);
         if (e.tempoSyncButton) {
             e.tempoSyncButton->setListener(&e);
             e.updateTempoSyncControls();
         }
     }},
    {"SynthSaveButton", [](PresetAwareEditor& e, const IUIDescription*) { return headerButton(e, "SAVE", 0); },
     noVerification},
    {"SynthDeletePreset", [](PresetAwareEditor& e, const IUIDescription*) { return headerButton(e, "DELETE", 0); },
     [](PresetAwareEditor& e, CView* v) {
         store(e.deletePresetButton, v);
         if (e.deletePresetButton) e.deletePresetButton->setListener(&e);
     }},
    {"BrandLockup",
     [](PresetAwareEditor& e, const IUIDescription* d) -> CView* {
         return new BrandLockupView(CRect(), bitmapNamed(d, "grundmoor-flat-brand"),
                                    [editor = &e] { editor->showAboutOverlay(); });
     },
     noVerification},
    {"TarnwellLogo",
     [](PresetAwareEditor& e, const IUIDescription* d) -> CView* {
         return new TarnwellLogoView(CRect(), bitmapNamed(d, "tarnwell-plain-logo"),
                                     [editor = &e] { editor->showAboutOverlay(); });
     },
     noVerification},
    {"OutputWaveform", [](PresetAwareEditor&, const IUIDescription*) -> CView* { return new OutputWaveformView(); },
     [](PresetAwareEditor& e, CView* v) { store(e.outputWaveform, v); }},
    {"OutputGateWorkspace",
     [](PresetAwareEditor& e, const IUIDescription* d) -> CView* {
         return new OutputGateWorkspaceView(CRect(), e.controller, bitmapNamed(d, "toggle-70"));
     },
     [](PresetAwareEditor& e, CView* v) {
         store(e.gateWorkspace, v);
         e.updateWaveAreaControls();
     }},
    {"OutputMeter", [](PresetAwareEditor&, const IUIDescription*) -> CView* { return new OutputMeterView(); },
     [](PresetAwareEditor& e, CView* v) { store(e.outputMeter, v); }},
    {"CompressionReductionMeter",
     [](PresetAwareEditor& e, const IUIDescription*) -> CView* {
         return new CompressionReductionMeterView(CRect(), e.getVisualizationRecord());
     },
     noVerification},
    {"SignalFlowRail", [](PresetAwareEditor&, const IUIDescription*) -> CView* { return new SignalFlowRailView(CRect()); },
     noVerification},
    {"EnvelopePreview",
     [](PresetAwareEditor& e, const IUIDescription*) -> CView* { return new EnvelopePreviewView(e.controller); },
     [](PresetAwareEditor& e, CView* v) { store(e.envelopePreview, v); }},
    {"SynthStepButton", [](PresetAwareEditor& e, const IUIDescription*) -> CView* { return new SequencerStepButton(&e); },
     noVerification},
    {"TempoModeSelector", [](PresetAwareEditor&, const IUIDescription*) -> CView* { return new TempoModeSelector(); },
     [](PresetAwareEditor& e, CView* v) {
         store(e.tempoModeSelector, v);
         e.updateTempoSyncControls();
     }},
    {"TempoSectionBackground",
     [](PresetAwareEditor&, const IUIDescription*) -> CView* { return new TempoSectionBackground(); }, noVerification},
    {"TempoDisplay", [](PresetAwareEditor&, const IUIDescription*) -> CView* { return new TempoDisplayView(); },
     [](PresetAwareEditor& e, CView* v) { store(e.tempoDisplay, v); }},
    {"EnvelopeValueDisplay",
     [](PresetAwareEditor&, const IUIDescription*) -> CView* { return new EnvelopeValueDisplay(); }, noVerification},
    {"OutputGainFader",
     [](PresetAwareEditor& e, const IUIDescription* d) -> CView* {
         return new OutputGainFader(&e, bitmapNamed(d, "gain-fader-handle"));
     },
     noVerification},
    {"SynthTailButton",
     [](PresetAwareEditor& e, const IUIDescription* d) -> CView* {
         return new ImageTextButton(&e, bitmapNamed(d, "tail-button"));
     },
     noVerification},
    {"SynthToggle64",
     [](PresetAwareEditor& e, const IUIDescription* d) -> CView* {
         return new ImageTextButton(&e, bitmapNamed(d, "toggle-64"));
     },
     noVerification},
    {"SynthToggle70",
     [](PresetAwareEditor& e, const IUIDescription* d) -> CView* {
         return new ImageTextButton(&e, bitmapNamed(d, "toggle-70"));
     },
     noVerification},
    {"SynthRecordButton",
     [](PresetAwareEditor& e, const IUIDescription*) -> CView* { return new RecordingDisplayButton(&e); },
     [](PresetAwareEditor&, CView* v) {
         if (!v) return;
         v->setVisible(false);
         v->setMouseEnabled(false);
     }},
};

const CustomViewRow* findCustomView(std::string_view name) {
    for (const CustomViewRow& row : kCustomViewTable)
        if (name == row.name) return &row;
    return nullptr;
}

// The LFO whose shape buttons a name belongs to (1 or 2), or 0.
int lfoOfShapeName(std::string_view name) {
    if (name.substr(0, kLfo1ShapePrefix.size()) == kLfo1ShapePrefix) return 1;
    if (name.substr(0, kLfo2ShapePrefix.size()) == kLfo2ShapePrefix) return 2;
    return 0;
}

// The button index of an LFO shape name: its number N after the prefix (leading digits, 0 when
// none), N below 1 counting as 1 and above 4 as 4.
int lfoShapeIndex(const std::string& name) {
    const long n = std::atol(name.c_str() + kLfo1ShapePrefix.size());
    if (n < 1) return 0;
    if (n > 4) return 3;
    return static_cast<int>(n - 1);
}

} // namespace

CView* PresetAwareEditor::createView(const UIAttributes& attributes, const IUIDescription* description) {
    const std::string* name = attributes.getAttributeValue("custom-view-name");
    if (!name) return VST3Editor::createView(attributes, description);
    if (const CustomViewRow* row = findCustomView(*name)) return row->create(*this, description);
    if (lfoOfShapeName(*name) != 0)
        return new ImageTextButton(this, bitmapNamed(description, kLfoShapeBitmaps[lfoShapeIndex(*name)]));
    return VST3Editor::createView(attributes, description);
}

CView* PresetAwareEditor::verifyView(CView* view, const UIAttributes& attributes, const IUIDescription* description) {
    CView* v = VST3Editor::verifyView(view, attributes, description);
    if (v) {
        if (auto* knob = dynamic_cast<CKnob*>(v)) knob->setDrawStyle(knob->getDrawStyle() & ~CKnob::kCoronaLineDashDot);
        if (auto* imageButton = dynamic_cast<ImageTextButton*>(v)) {
            imageButton->setGradient(nullptr);
            imageButton->setGradientHighlighted(nullptr);
            imageButton->setFrameWidth(0);
            imageButton->setFrameColor(CColor(0, 0, 0, 0));
            imageButton->setFrameColorHighlighted(CColor(0, 0, 0, 0));
        }
        if (auto* control = dynamic_cast<CControl*>(v)) {
            const int32_t tag = control->getTag();
            const std::string* tagName = attributes.getAttributeValue("control-tag");
            if (tagName && *tagName == kOscAttackTagName) {
                control->setTag(static_cast<int32_t>(kOscLayerAttack));
                control->setListener(this);
                oscAttackKnob = dynamic_cast<CKnob*>(v);
            }
            if (tag >= static_cast<int32_t>(kStep1) && tag <= static_cast<int32_t>(kStep16)) colourStepButton(v);
        }
    }
    const std::string* name = attributes.getAttributeValue("custom-view-name");
    if (!name) return v;
    if (const CustomViewRow* row = findCustomView(*name)) {
        row->verify(*this, v);
    } else if (const int lfo = lfoOfShapeName(*name)) {
        auto& slots = lfo == 1 ? lfo1ShapeButtons : lfo2ShapeButtons;
        CTextButton* button = dynamic_cast<CTextButton*>(v);
        if (button) button->setListener(this);
        slots[static_cast<size_t>(lfoShapeIndex(*name))] = button;
        updateLfoShapeButtons();
    } else if (*name == "PresetChooser") {
        store(presetMenu, v);
        if (presetMenu) presetMenu->setListener(this);
        rescanUserPresets();
    }
    return v;
}

CTextButton* PresetAwareEditor::listenToTextButton(CView* view) {
    auto* button = dynamic_cast<CTextButton*>(view);
    if (button) button->setListener(this);
    return button;
}

void PresetAwareEditor::colourStepButton(CView* view) {
    auto* button = dynamic_cast<CTextButton*>(view);
    if (!button) return;
    float x = button->getValueNormalized();
    if (!std::isfinite(x)) x = 0.0f;
    if (x < 0.25f) {
        button->setFrameColor(CColor(48, 57, 68, 255));
        button->setTextColor(CColor(126, 137, 151, 255));
    } else if (x < 0.75f) {
        button->setFrameColor(CColor(55, 205, 215, 255));
        button->setTextColor(CColor(100, 225, 232, 255));
    } else {
        button->setFrameColorHighlighted(CColor(255, 139, 55, 255));
        button->setTextColorHighlighted(CColor(18, 22, 28, 255));
    }
    button->invalid();
}

} // namespace TarnwellPlugin
