// Control dispatch: what a change of each control means, and the helpers that bring the editor's
// own controls in line with the parameters.

#include "PresetAwareEditor.h"

#include "FactoryPresets.h"
#include "ParameterTable.h"
#include "public.sdk/source/common/openurl.h"
#include "views/EnvelopePreviewView.h"
#include "views/HeaderArrowButton.h"
#include "views/OutputGateWorkspaceView.h"
#include "views/OutputWaveformView.h"
#include "views/TempoModeSelector.h"

#include <algorithm>
#include <cmath>

namespace TarnwellPlugin {

using namespace VSTGUI;
using Steinberg::Vst::ParamID;

namespace {

bool isEditing(const CControl* c) { return c->isEditing(); }
// A button press counts while the user edits the control and its value is at least 0.5.
bool isPressed(const CControl* c) { return c->isEditing() && c->getValueNormalized() >= 0.5f; }

bool isStepTag(int32_t tag) { return tag >= static_cast<int32_t>(kStep1) && tag <= static_cast<int32_t>(kStep16); }
bool isEnvelopeTag(int32_t tag) {
    return (tag >= static_cast<int32_t>(kAttack) && tag <= static_cast<int32_t>(kRelease)) ||
           tag == static_cast<int32_t>(kEnvelopeCurve);
}
// Toggles shown as text buttons whose title reads their state.
bool isOnOffTitleTag(int32_t tag) {
    switch (tag) {
    case kTailRhythmEnable:
    case kManualTempo:
    case kEnvelopeRetrigger:
    case kLfo1Retrig:
    case kLfo2Retrig:
    case kSequencerEnabled: return true;
    default: return false;
    }
}

void setOnOffTitle(CControl* c) {
    if (auto* button = dynamic_cast<CTextButton*>(c)) button->setTitle(button->getValueNormalized() >= 0.5f ? "ON" : "OFF");
}

// A list index of n entries for a normalized value: trunc((n - 1) v + 0.5), within the list.
int32_t listIndex(double v, int32_t entries) {
    if (!std::isfinite(v)) v = 0.0;
    const double index = std::trunc(std::clamp(v, 0.0, 1.0) * (entries - 1) + 0.5);
    return static_cast<int32_t>(index);
}

// The step states of a sequencer step: OFF -> HALF -> FULL -> OFF.
double nextStepValue(double p) {
    if (p < 0.25) return 0.5;
    if (p < 0.75) return 1.0;
    return 0.0;
}

struct LfoButtons {
    std::array<SharedPointer<CTextButton>, 4>& buttons;
    ParamID shape;
    ParamID enable;
};

} // namespace

void PresetAwareEditor::valueChanged(CControl* c) {
    if (!c) return;
    const int32_t tag = c->getTag();
    if (overlayClosingGuard && tag < 0) return;

    if (c == oscAttackKnob.get() && isEditing(c)) {
        // The knob is bound to "Osc Layer Attack": the library's edit is framed by the knob's own
        // begin and end, so the host sees beginEdit, setParamNormalized / performEdit, endEdit.
        VST3Editor::valueChanged(c);
        return;
    }
    if (c == overlayCancelButton && isPressed(c)) return closeOverlay();
    if (c == overlayConfirmButton && isPressed(c)) {
        if (overlayDeleteMode)
            deletePendingUserPreset();
        else
            confirmSavePreset();
        return;
    }
    if (c == overlayDismissButton && isPressed(c)) return closeOverlay();
    if (c == overlayLinkButton && isPressed(c)) {
        // Tests put a fake here; without one the system's own opener runs (no shell involved).
        (urlOpener ? urlOpener : &Steinberg::openURLInDefaultApplication)(kMakerWebPage);
        return;
    }
    if (c == overlayNameField) {
        if (overlayNameField->bWasReturnPressed) confirmSavePreset();
        return;
    }

    LfoButtons lfos[2] = {{lfo1ShapeButtons, kLfo1Shape, kLFO1Enabled}, {lfo2ShapeButtons, kLfo2Shape, kLFO2Enabled}};
    for (int32_t k = 0; k < 4; ++k) {
        for (const LfoButtons& lfo : lfos) {
            if (c != lfo.buttons[static_cast<size_t>(k)].get() || !isEditing(c)) continue;
            const double shape = controller->getParamNormalized(lfo.shape);
            const double enable = controller->getParamNormalized(lfo.enable);
            if (enable >= 0.5 && k == listIndex(shape, 4)) {
                editParameter(lfo.enable, 0.0); // the lit button turns its LFO off
            } else {
                editParameter(lfo.shape, k * (1.0 / 3.0));
                editParameter(lfo.enable, 1.0);
            }
            updateLfoShapeButtons();
            return;
        }
    }

    if (c == tempoSyncButton.get() && isPressed(c)) {
        if (controller->getParamNormalized(kSequencerEnabled) < 0.5) {
            c->setValue(0.0f); // dimmed while the sequencer is off: undo a press that arrives anyway
            c->invalid();
            return;
        }
        editParameter(kManualTempo, controller->getParamNormalized(kManualTempo) >= 0.5 ? 0.0 : 1.0);
        refreshControlsFromParameters();
        updateTempoSyncControls();
        return;
    }
    if (c == waveAutoButton.get() && isPressed(c)) {
        waveMenuMode = !waveMenuMode;
        c->setValue(0.0f);
        updateWaveAreaControls();
        return;
    }
    if (c == waveFreezeButton.get()) {
        waveFrozen = c->getValueNormalized() >= 0.5f;
        if (outputWaveform) outputWaveform->setFrozen(waveFrozen);
        return;
    }
    const CTextButton* windowButtons[3] = {wave1sButton.get(), wave4sButton.get(), wave16sButton.get()};
    for (int32_t i = 0; i < 3; ++i) {
        if (c != windowButtons[i] || !c) continue;
        if (waveMenuMode && isEditing(c)) {
            waveAreaPage = static_cast<WaveAreaPage>(i);
            updateWaveAreaControls();
            return;
        }
        if (isPressed(c)) {
            static constexpr int32_t kSeconds[3] = {1, 4, 16};
            waveWindowSeconds = kSeconds[i];
            if (outputWaveform) outputWaveform->setWindowSeconds(waveWindowSeconds);
            updateWaveWindowButtons();
            return;
        }
    }
    if (c == waveRetriggerButton.get() && isPressed(c)) {
        if (outputWaveform) outputWaveform->clearCapture();
        return;
    }
    if ((c == presetPreviousButton.get() || c == presetNextButton.get()) && isPressed(c) && presetMenu) {
        stepPreset(c == presetNextButton.get() ? 1 : -1);
        return;
    }
    if (c == presetMenu.get()) {
        // Only the user's own choice applies a preset, never a value set by the host or the code.
        if (!isEditing(c)) return;
        applyPresetMenuEntry(presetMenu->getCurrentIndex());
        refreshControlsFromParameters();
        return;
    }
    if (isStepTag(tag) && isEditing(c)) {
        if (stepEditGuard) return colourStepButton(c);
        c->setValueNormalized(static_cast<float>(nextStepValue(controller->getParamNormalized(static_cast<ParamID>(tag)))));
        stepEditGuard = true;
        VST3Editor::valueChanged(c);
        stepEditGuard = false;
        colourStepButton(c);
        return;
    }
    libraryValueChanged(c);
}

void PresetAwareEditor::libraryValueChanged(CControl* c) {
    const int32_t tag = c->getTag();
    VST3Editor::valueChanged(c);
    if (envelopePreview && isEnvelopeTag(tag)) {
        envelopePreview->invalid();
    } else if (isStepTag(tag)) {
        colourStepButton(c);
        return;
    }
    switch (tag) {
    case kTailRhythmEnable:
    case kEnvelopeRetrigger:
    case kLfo1Retrig:
    case kLfo2Retrig: setOnOffTitle(c); return;
    case kManualTempo: updateTempoSyncControls(); return;
    case kSequencerEnabled:
        setOnOffTitle(c);
        updateTempoSyncControls();
        return;
    case kRenderWAV: return;
    case kSaveCurrentPreset:
        if (isPressed(c)) showSavePresetOverlay();
        return;
    default: break;
    }
    if (c == deletePresetButton.get()) {
        if (isPressed(c)) showDeletePresetOverlay();
        return;
    }
    if (tag == static_cast<int32_t>(kFactorySound) && isEditing(c)) applyFactorySoundChoice(c->getValueNormalized());
}

void PresetAwareEditor::applyFactorySoundChoice(double value) {
    // The list shows preset names; apply the factory preset whose name the chosen entry shows.
    constexpr int32_t entryCount = static_cast<int32_t>(std::size(ParameterTableData::kFactorySoundEntries));
    if (!std::isfinite(value)) return;
    const auto entry = static_cast<int32_t>(std::clamp(std::round(value * (entryCount - 1)), 0.0, entryCount - 1.0));
    const int32_t preset = factoryPresetIndex(ParameterTableData::kFactorySoundEntries[entry]);
    if (preset >= 0) applyFactoryPreset(preset);
}

void PresetAwareEditor::stepPreset(int32_t direction) {
    const int32_t total = factoryPresetCount + static_cast<int32_t>(userPresetPaths.size());
    if (total <= 0) return;
    int32_t i = presetMenu->getCurrentIndex() + direction;
    if (i < 0) i = total - 1;
    if (i >= total) i = 0;
    presetMenu->setCurrent(i, false); // the menu's own index, without separators, as everywhere
    applyPresetMenuEntry(i);
    refreshControlsFromParameters();
}

void PresetAwareEditor::applyPresetMenuEntry(int32_t index) {
    if (index >= factoryPresetCount)
        loadUserPreset(index - factoryPresetCount);
    else
        applyFactoryPreset(index);
}

void PresetAwareEditor::editParameter(ParamID id, double value) {
    controller->beginEdit(id);
    controller->setParamNormalized(id, value);
    controller->performEdit(id, value);
    controller->endEdit(id);
}

void PresetAwareEditor::refreshControlsFromParameters() {
    if (!frame) return;
    for (const auto& child : frame->getChildren()) refreshControlTree(child.get());
    updateLfoShapeButtons();
}

void PresetAwareEditor::refreshControlTree(CView* view) {
    if (auto* control = dynamic_cast<CControl*>(view)) {
        const int32_t tag = control->getTag();
        if (tag >= 0 && controller->getParameterObject(static_cast<ParamID>(tag))) {
            control->setValueNormalized(static_cast<float>(controller->getParamNormalized(static_cast<ParamID>(tag))));
            if (isStepTag(tag)) colourStepButton(control);
            if (isOnOffTitleTag(tag)) setOnOffTitle(control);
            control->invalid();
        }
    }
    if (auto* container = dynamic_cast<CViewContainer*>(view)) {
        const auto children = container->getChildren(); // a copy: nothing here may change the tree
        for (const auto& child : children) refreshControlTree(child.get());
    }
}

void PresetAwareEditor::updateLfoShapeButtons() {
    const int32_t k1 = listIndex(controller->getParamNormalized(kLfo1Shape), 4);
    const int32_t k2 = listIndex(controller->getParamNormalized(kLfo2Shape), 4);
    const bool on1 = controller->getParamNormalized(kLFO1Enabled) >= 0.5;
    const bool on2 = controller->getParamNormalized(kLFO2Enabled) >= 0.5;
    for (int32_t k = 0; k < 4; ++k) {
        if (CTextButton* b = lfo1ShapeButtons[static_cast<size_t>(k)].get()) {
            b->setValue(k == k1 && on1 ? 1.0f : 0.0f);
            b->invalid();
        }
        if (CTextButton* b = lfo2ShapeButtons[static_cast<size_t>(k)].get()) {
            b->setValue(k == k2 && on2 ? 1.0f : 0.0f);
            b->invalid();
        }
    }
}

void PresetAwareEditor::updateTempoSyncControls() {
    const bool manual = controller->getParamNormalized(kManualTempo) >= 0.5;
    const bool sequencerOn = controller->getParamNormalized(kSequencerEnabled) >= 0.5;
    if (tempoModeSelector && tempoModeSelector->manualMode != manual) {
        tempoModeSelector->manualMode = manual;
        tempoModeSelector->invalid();
    }
    if (tempoSyncButton) {
        const char* text = manual ? "SYNC OFF" : "SYNC ON";
        if (auto* header = dynamic_cast<HeaderArrowButton*>(tempoSyncButton.get())) {
            header->label = text;
            header->invalid();
        } else {
            tempoSyncButton->setTitle(text);
        }
        tempoSyncButton->setValue(0.0f);
        tempoSyncButton->setMouseEnabled(sequencerOn);
        tempoSyncButton->setAlphaValue(sequencerOn ? 1.0f : 0.42f);
        tempoSyncButton->invalid();
    }
    if (tempoRateKnob && manual && !tempoRateKnob->isEditing()) {
        tempoRateKnob->setValueNormalized(static_cast<float>(controller->getParamNormalized(kSequenceRate)));
        tempoRateKnob->invalid();
    }
}

namespace {
// Visibility, mouse and a redraw for every slot; the label and forced state for header buttons.
void showButton(CTextButton* button, bool visible, const char* label, bool forced, bool forcedState) {
    if (!button) return;
    button->setVisible(visible);
    button->setMouseEnabled(visible);
    if (auto* header = dynamic_cast<HeaderArrowButton*>(button)) {
        header->label = label;
        header->hasForcedState = forced;
        header->forcedState = forcedState;
    }
    button->invalid();
}
} // namespace

void PresetAwareEditor::updateWaveAreaControls() {
    if (auto* header = dynamic_cast<HeaderArrowButton*>(waveAutoButton.get())) {
        header->label = waveMenuMode ? "WAVEFORM" : "MENU";
        header->hasForcedState = false;
        header->invalid();
    }
    if (outputWaveform) {
        outputWaveform->setVisible(!waveMenuMode);
        outputWaveform->setMouseEnabled(!waveMenuMode);
        outputWaveform->invalid();
    }
    if (gateWorkspace) {
        gateWorkspace->setVisible(waveMenuMode);
        gateWorkspace->setMouseEnabled(waveMenuMode);
        const auto page = static_cast<WaveAreaPage>(std::clamp<int32_t>(waveAreaPage, 0, 2));
        if (gateWorkspace->page != page) {
            gateWorkspace->endDrag(); // the dragged knob is no longer shown
            gateWorkspace->page = page;
        }
        gateWorkspace->invalid();
    }
    if (waveMenuMode) {
        // The page buttons show their page by the forced state; a value left at its maximum by the
        // window choice would make the kick-style button ignore its next press.
        for (CTextButton* b : {wave1sButton.get(), wave4sButton.get(), wave16sButton.get()})
            if (b) b->setValue(0.0f);
        showButton(wave1sButton.get(), true, "SUB GENERATOR", true, waveAreaPage == kWaveAreaSubGenerator);
        showButton(wave4sButton.get(), true, "EXTENDED MIX", true, waveAreaPage == kWaveAreaExtendedMix);
        showButton(wave16sButton.get(), true, "EXTENDED FX", true, waveAreaPage == kWaveAreaExtendedFx);
        showButton(waveFreezeButton.get(), false, "FREEZE", true, false);
        showButton(waveRetriggerButton.get(), false, "RETRIGGER", true, false);
        return;
    }
    showButton(wave1sButton.get(), true, "1 s", true, waveWindowSeconds == 1);
    showButton(wave4sButton.get(), true, "4 s", true, waveWindowSeconds == 4);
    showButton(wave16sButton.get(), true, "16 s", true, waveWindowSeconds == 16);
    // Freeze and retrigger show their own value again.
    showButton(waveFreezeButton.get(), true, "FREEZE", false, waveFrozen);
    showButton(waveRetriggerButton.get(), true, "RETRIGGER", false, false);
    updateWaveWindowButtons();
}

void PresetAwareEditor::updateWaveWindowButtons() {
    const std::pair<CTextButton*, int32_t> buttons[3] = {
        {wave1sButton.get(), 1}, {wave4sButton.get(), 4}, {wave16sButton.get(), 16}};
    for (const auto& [button, seconds] : buttons) {
        if (!button) continue;
        const bool lit = waveWindowSeconds == seconds;
        button->setValue(lit ? 1.0f : 0.0f);
        if (auto* header = dynamic_cast<HeaderArrowButton*>(button)) {
            header->hasForcedState = true;
            header->forcedState = lit;
        }
        button->invalid();
    }
}

} // namespace TarnwellPlugin
