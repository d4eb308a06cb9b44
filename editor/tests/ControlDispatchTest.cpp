// What each control's change does: the calls the editor makes on its controller (beginEdit,
// setParamNormalized, performEdit, endEdit) and the state of its own controls afterwards.
#include "EditorTestSupport.h"
#include "PluginOverlayView.h"

#include "views/EnvelopePreviewView.h"
#include "views/HeaderArrowButton.h"
#include "views/OutputGateWorkspaceView.h"
#include "views/OutputWaveformView.h"
#include "views/TempoModeSelector.h"

#include "FactoryPresets.h"

#include <filesystem>
#include <fstream>
#include <functional>

namespace TarnwellPlugin::testing {
namespace {

using namespace VSTGUI;

using ControlDispatch = EditorFixture;

// The complete edit of one parameter as the log shows it.
CallLog completeEdit(Steinberg::Vst::ParamID id, double value) {
    return {callText("begin", id), callText("set", id, &value), callText("perform", id, &value), callText("end", id)};
}
CallLog operator+(CallLog a, const CallLog& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST_F(ControlDispatch, StepButtonsCycleOffHalfFull) {
    ASSERT_TRUE(open());
    struct Row {
        double before, after;
    };
    const Row rows[] = {{0.0, 0.5}, {0.5, 1.0}, {1.0, 0.0}, {0.2, 0.5}, {0.3, 1.0}, {0.75, 0.0}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.before);
        controller->setParamNormalized(kStep5, row.before);
        CControl* step = controlWithTag(kStep5);
        const CallLog log = logOf([&] { click(step); });
        EXPECT_EQ(log, completeEdit(kStep5, row.after));
        EXPECT_EQ(controller->getParamNormalized(kStep5), row.after);
        EXPECT_FLOAT_EQ(step->getValueNormalized(), static_cast<float>(row.after));
        EXPECT_FALSE(editor->stepEditGuard);
    }
    // The colours follow the new state: FULL after 0.3.
    auto* step = dynamic_cast<CTextButton*>(controlWithTag(kStep5));
    controller->setParamNormalized(kStep5, 0.3);
    click(step);
    EXPECT_EQ(step->getFrameColorHighlighted(), CColor(255, 139, 55, 255));
    // While the guard is set a step change only recolours.
    editor->stepEditGuard = true;
    step->beginEdit();
    const CallLog guarded = logOf([&] { editor->valueChanged(step); });
    step->endEdit();
    editor->stepEditGuard = false;
    EXPECT_EQ(guarded, CallLog{});
}

TEST_F(ControlDispatch, LfoShapeButtonsSelectEnableAndSwitchOff) {
    ASSERT_TRUE(open());
    struct Row {
        const char* what;
        double shape, enabled; // LFO 1 before
        size_t button;
        CallLog expected;
        double shapeAfter, enabledAfter;
        int lit; // lit button of LFO 1 afterwards, -1 none
    };
    const Row rows[] = {
        {"a disabled LFO selects and enables", 0.0, 0.0, 2,
         completeEdit(kLfo1Shape, 2.0 / 3.0) + completeEdit(kLFO1Enabled, 1.0), 2.0 / 3.0, 1.0, 2},
        {"the lit button turns it off", 2.0 / 3.0, 1.0, 2, completeEdit(kLFO1Enabled, 0.0), 2.0 / 3.0, 0.0, -1},
        {"another button of an enabled LFO selects", 2.0 / 3.0, 1.0, 0,
         completeEdit(kLfo1Shape, 0.0) + completeEdit(kLFO1Enabled, 1.0), 0.0, 1.0, 0},
        {"the shape of the lit button rounds", 0.9, 1.0, 3, completeEdit(kLFO1Enabled, 0.0), 0.9, 0.0, -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        controller->setParamNormalized(kLfo1Shape, row.shape);
        controller->setParamNormalized(kLFO1Enabled, row.enabled);
        controller->setParamNormalized(kLFO2Enabled, 1.0);
        controller->setParamNormalized(kLfo2Shape, 1.0 / 3.0);
        editor->updateLfoShapeButtons();
        const CallLog log = logOf([&] { click(editor->lfo1ShapeButtons[row.button]); });
        EXPECT_EQ(log, row.expected);
        EXPECT_DOUBLE_EQ(controller->getParamNormalized(kLfo1Shape), row.shapeAfter);
        EXPECT_EQ(controller->getParamNormalized(kLFO1Enabled), row.enabledAfter);
        for (int k = 0; k < 4; ++k) {
            EXPECT_EQ(editor->lfo1ShapeButtons[static_cast<size_t>(k)]->getValue(), k == row.lit ? 1.0f : 0.0f) << k;
            EXPECT_EQ(editor->lfo2ShapeButtons[static_cast<size_t>(k)]->getValue(), k == 1 ? 1.0f : 0.0f) << k;
        }
    }
    // LFO 2 has its own parameters.
    controller->setParamNormalized(kLFO2Enabled, 0.0);
    EXPECT_EQ(logOf([&] { click(editor->lfo2ShapeButtons[3]); }),
              completeEdit(kLfo2Shape, 1.0) + completeEdit(kLFO2Enabled, 1.0));
}

TEST_F(ControlDispatch, TempoSyncTogglesManualTempoOnlyWhileTheSequencerRuns) {
    controller->setParamNormalized(kSequenceRate, 0.4);
    ASSERT_TRUE(open());
    auto* sync = dynamic_cast<HeaderArrowButton*>(editor->tempoSyncButton.get());
    ASSERT_NE(sync, nullptr);
    ASSERT_EQ(controller->getParamNormalized(kSequencerEnabled), 1.0);
    EXPECT_EQ(sync->label, "SYNC ON");
    EXPECT_FALSE(editor->tempoModeSelector->manualMode);

    EXPECT_EQ(logOf([&] { click(sync); }), completeEdit(kManualTempo, 1.0));
    EXPECT_EQ(sync->label, "SYNC OFF");
    EXPECT_TRUE(editor->tempoModeSelector->manualMode);
    EXPECT_FLOAT_EQ(editor->tempoRateKnob->getValueNormalized(), 0.4f); // the knob shows the own rate
    EXPECT_EQ(sync->getValue(), 0.0f);

    EXPECT_EQ(logOf([&] { click(sync); }), completeEdit(kManualTempo, 0.0));
    EXPECT_EQ(sync->label, "SYNC ON");

    // The sequencer switched off (here by its toggle) dims the button and makes it unclickable.
    CControl* sequencer = controlWithTag(kSequencerEnabled);
    EXPECT_EQ(logOf([&] { click(sequencer); }), completeEdit(kSequencerEnabled, 0.0));
    EXPECT_EQ(dynamic_cast<CTextButton*>(sequencer)->getTitle(), "OFF");
    EXPECT_FLOAT_EQ(sync->getAlphaValue(), 0.42f);
    EXPECT_FALSE(sync->getMouseEnabled());
    EXPECT_EQ(logOf([&] { click(sync); }), CallLog{});
    // A press that arrives anyway is undone.
    sync->beginEdit();
    sync->setValue(1.0f);
    EXPECT_EQ(logOf([&] { editor->valueChanged(sync); }), CallLog{});
    sync->endEdit();
    EXPECT_EQ(sync->getValue(), 0.0f);
    EXPECT_EQ(controller->getParamNormalized(kManualTempo), 0.0);
}

TEST_F(ControlDispatch, WaveAreaButtonsPickPagesInMenuModeAndWindowsOtherwise) {
    ASSERT_TRUE(open());
    auto header = [](const SharedPointer<CTextButton>& b) { return dynamic_cast<HeaderArrowButton*>(b.get()); };
    EXPECT_FALSE(editor->waveMenuMode);
    EXPECT_TRUE(editor->outputWaveform->isVisible());
    EXPECT_FALSE(editor->gateWorkspace->isVisible());
    EXPECT_EQ(header(editor->wave1sButton)->label, "1 s");
    EXPECT_TRUE(header(editor->wave1sButton)->forcedState);

    // With the default 1 s window, the first page button still takes a press in menu mode.
    click(editor->waveAutoButton);
    click(editor->wave1sButton);
    EXPECT_EQ(editor->waveAreaPage, kWaveAreaSubGenerator);
    click(editor->wave16sButton);
    EXPECT_EQ(editor->waveAreaPage, kWaveAreaExtendedFx);
    click(editor->waveAutoButton);
    EXPECT_EQ(editor->waveWindowSeconds, 1);

    click(editor->wave16sButton);
    EXPECT_EQ(editor->waveWindowSeconds, 16);
    EXPECT_EQ(editor->outputWaveform->windowSeconds, 16);
    EXPECT_TRUE(header(editor->wave16sButton)->forcedState);
    EXPECT_FALSE(header(editor->wave1sButton)->forcedState);

    click(editor->waveAutoButton);
    EXPECT_TRUE(editor->waveMenuMode);
    EXPECT_EQ(header(editor->waveAutoButton)->label, "WAVEFORM");
    EXPECT_FALSE(editor->outputWaveform->isVisible());
    EXPECT_TRUE(editor->gateWorkspace->isVisible() && editor->gateWorkspace->getMouseEnabled());
    EXPECT_EQ(editor->gateWorkspace->page, kWaveAreaExtendedFx);
    const char* pageLabels[3] = {"SUB GENERATOR", "EXTENDED MIX", "EXTENDED FX"};
    const SharedPointer<CTextButton>* pageButtons[3] = {&editor->wave1sButton, &editor->wave4sButton,
                                                        &editor->wave16sButton};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(header(*pageButtons[i])->label, pageLabels[i]);
        EXPECT_EQ(header(*pageButtons[i])->forcedState, i == 2);
    }
    EXPECT_FALSE(editor->waveFreezeButton->isVisible());
    EXPECT_FALSE(editor->waveRetriggerButton->isVisible());

    // A page change ends a drag that is open on the workspace.
    editor->gateWorkspace->dragParamId = static_cast<int32_t>(kRiftFoldAmount);
    const CallLog log = logOf([&] { click(editor->wave1sButton); });
    EXPECT_EQ(log, CallLog{callText("end", kRiftFoldAmount)});
    EXPECT_EQ(editor->gateWorkspace->dragParamId, -1);
    EXPECT_EQ(editor->waveAreaPage, kWaveAreaSubGenerator);
    EXPECT_EQ(editor->gateWorkspace->page, kWaveAreaSubGenerator);
    EXPECT_EQ(editor->waveWindowSeconds, 16); // pages never change the window
    EXPECT_TRUE(header(editor->wave1sButton)->forcedState);

    click(editor->waveAutoButton);
    EXPECT_FALSE(editor->waveMenuMode);
    EXPECT_EQ(header(editor->wave4sButton)->label, "4 s");
    EXPECT_TRUE(header(editor->wave16sButton)->forcedState);
    EXPECT_TRUE(editor->waveFreezeButton->isVisible());
    EXPECT_FALSE(header(editor->waveFreezeButton)->hasForcedState);

    click(editor->waveFreezeButton);
    EXPECT_TRUE(editor->waveFrozen);
    EXPECT_TRUE(editor->outputWaveform->frozen);
    click(editor->waveFreezeButton);
    EXPECT_FALSE(editor->outputWaveform->frozen);

    editor->outputWaveform->latestTriggerCount = 7;
    click(editor->waveRetriggerButton);
    EXPECT_TRUE(editor->outputWaveform->waitingForKick);
    EXPECT_EQ(editor->outputWaveform->armedTriggerCount, 7u);
}

TEST_F(ControlDispatch, OscLayerAttackKnobEditsItsOwnParameterAsOneGesture) {
    ASSERT_TRUE(open());
    CKnob* knob = editor->oscAttackKnob;
    ASSERT_NE(knob, nullptr);
    const CPoint centre = centreOf(knob);
    const CallLog log = logOf([&] {
        mouseDown(CPoint(centre.x - 20, centre.y + 20));
        mouseMove(CPoint(centre.x - 20, centre.y - 20));
        mouseMove(CPoint(centre.x + 20, centre.y - 20));
        mouseUp(CPoint(centre.x + 20, centre.y - 20));
    });
    ASSERT_GE(log.size(), 4u);
    EXPECT_EQ(log.front(), callText("begin", kOscLayerAttack));
    EXPECT_EQ(log.back(), callText("end", kOscLayerAttack));
    int begins = 0, ends = 0, performs = 0;
    for (const std::string& call : log) {
        EXPECT_NE(call.find(" 177"), std::string::npos) << call; // only "Osc Layer Attack"
        begins += call.rfind("begin", 0) == 0;
        ends += call.rfind("end", 0) == 0;
        performs += call.rfind("perform", 0) == 0;
    }
    EXPECT_EQ(begins, 1);
    EXPECT_EQ(ends, 1);
    EXPECT_GE(performs, 1);
    EXPECT_GT(controller->getParamNormalized(kOscLayerAttack), 0.0);
}

TEST_F(ControlDispatch, ASecondMouseDownWithoutAnUpEndsTheOpenEditFirst) {
    ASSERT_TRUE(open());
    CControl* knob = controlWithTag(kFrequency);
    const CPoint centre = centreOf(knob);
    const CallLog log = logOf([&] {
        mouseDown(centre);
        mouseDown(centre); // the up of the first went elsewhere
        mouseUp(centre);
    });
    int open = 0;
    for (const std::string& call : log) {
        if (call.rfind("begin", 0) == 0) {
            EXPECT_EQ(open++, 0) << "a second beginEdit while one is open";
        }
        if (call.rfind("end", 0) == 0) {
            EXPECT_EQ(--open, 0);
        }
    }
    EXPECT_EQ(open, 0);
    EXPECT_FALSE(knob->isEditing());
}

TEST_F(ControlDispatch, OrdinaryControlsGoThroughTheLibraryWithTheirFollowUps) {
    ASSERT_TRUE(open());
    // The save button: the press edits 153 as the library does; the release does nothing more.
    CControl* save = controlWithTag(kSaveCurrentPreset);
    ASSERT_NE(save, nullptr);
    const double one = 1.0, zero = 0.0;
    EXPECT_EQ(logOf([&] { click(save); }),
              (CallLog{callText("begin", kSaveCurrentPreset), callText("set", kSaveCurrentPreset, &one),
                       callText("perform", kSaveCurrentPreset, &one), callText("set", kSaveCurrentPreset, &zero),
                       callText("perform", kSaveCurrentPreset, &zero), callText("end", kSaveCurrentPreset)}));
    // The press opened the save dialog, which covers the editor: cancel it before going on.
    ASSERT_NE(editor->overlayView, nullptr);
    EXPECT_EQ(editor->overlayView->getTitle(), "SAVE PRESET");
    click(editor->overlayCancelButton);
    EXPECT_EQ(editor->overlayView, nullptr);

    // Toggles shown as text buttons read ON / OFF, for the user's clicks and the host's changes.
    for (const Steinberg::Vst::ParamID id : {kTailRhythmEnable, kEnvelopeRetrigger, kLfo1Retrig}) {
        SCOPED_TRACE(id);
        auto* toggle = dynamic_cast<CTextButton*>(controlWithTag(static_cast<int32_t>(id)));
        ASSERT_NE(toggle, nullptr);
        const double before = controller->getParamNormalized(id);
        EXPECT_EQ(logOf([&] { click(toggle); }), completeEdit(id, before >= 0.5 ? 0.0 : 1.0));
        EXPECT_EQ(toggle->getTitle(), before >= 0.5 ? "OFF" : "ON");
        controller->setParamNormalized(id, before);
        EXPECT_EQ(toggle->getTitle(), before >= 0.5 ? "ON" : "OFF");
    }

    // An envelope change redraws the preview; a host change of Manual Tempo updates the tempo views.
    frame()->clearDirtyRect();
    controller->setParamNormalized(kAttack, 0.3);
    EXPECT_TRUE(frame()->getDirtyRect().rectOverlap(editor->envelopePreview->getViewSize()));
    // Host changes of parameters without a bound control reach the editor's own views on its timer.
    controller->setParamNormalized(kManualTempo, 1.0);
    controller->setParamNormalized(kLfo2Shape, 1.0);
    controller->setParamNormalized(kLFO2Enabled, 1.0);
    loop.advance(33);
    EXPECT_EQ(editor->lfo2ShapeButtons[3]->getValue(), 1.0f);
    EXPECT_TRUE(editor->tempoModeSelector->manualMode);
    EXPECT_EQ(dynamic_cast<HeaderArrowButton*>(editor->tempoSyncButton.get())->label, "SYNC OFF");
}

TEST_F(ControlDispatch, RefreshBringsEveryControlInLineWithTheParameters) {
    ASSERT_TRUE(open());
    // Values changed without notifying the views (as a preset load in the controller could).
    auto* step = dynamic_cast<CTextButton*>(controlWithTag(kStep12));
    auto* tail = dynamic_cast<CTextButton*>(controlWithTag(kTailRhythmEnable));
    step->setValue(0.0f);
    tail->setValue(1.0f);
    tail->setTitle("?");
    controller->getParameterObject(kStep12)->setNormalized(0.5);
    controller->getParameterObject(kTailRhythmEnable)->setNormalized(0.0);
    controller->getParameterObject(kLFO1Enabled)->setNormalized(1.0);
    controller->getParameterObject(kLfo1Shape)->setNormalized(1.0);
    editor->refreshControlsFromParameters();
    EXPECT_FLOAT_EQ(step->getValueNormalized(), 0.5f);
    EXPECT_EQ(step->getFrameColor(), CColor(55, 205, 215, 255));
    EXPECT_EQ(tail->getTitle(), "OFF");
    EXPECT_EQ(editor->lfo1ShapeButtons[3]->getValue(), 1.0f);
}

// The value a factory preset gives a parameter: its last pair for that id, else the default.
double factoryValue(int32_t preset, Steinberg::Vst::ParamID id, double defaultValue) {
    double value = defaultValue;
    for (const auto& pair : factoryPresetTable()[static_cast<size_t>(preset)].pairs)
        if (pair.id == id) value = pair.value;
    return value;
}

TEST_F(ControlDispatch, PresetRowsStepAcrossBothEndsPickOnlyWhileEditedAndFactorySoundByName) {
    ASSERT_TRUE(open());
    ASSERT_EQ(factoryPresetCount, 58);
    const auto folder = dataHome.path / "TarnwellPlugin" / "Grundmoor";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "a.thd") << "101 0.3\n";
    std::ofstream(folder / "b.thd") << "101 0.6\n";
    editor->rescanUserPresets();
    ASSERT_EQ(editor->presetMenu->getNbEntries(), 60);
    Steinberg::Vst::ParameterInfo info{};
    for (int32_t i = 0; i < controller->getParameterCount(); ++i)
        if (controller->getParameterInfo(i, info) == Steinberg::kResultOk && info.id == 129) break;
    ASSERT_EQ(info.id, 129u);

    // The arrows wrap at both ends of the whole list, factory and user presets together.
    struct Step {
        int32_t from;
        bool next;
        int32_t to;
    };
    const Step steps[] = {{0, false, 59}, {59, true, 0}, {57, true, 58}, {58, false, 57}, {59, false, 58}, {3, true, 4}};
    for (const Step& step : steps) {
        SCOPED_TRACE(step.from);
        editor->presetMenu->setCurrent(step.from, false);
        const CallLog log = logOf([&] { click(step.next ? editor->presetNextButton.get() : editor->presetPreviousButton.get()); });
        EXPECT_EQ(editor->presetMenu->getCurrentIndex(), step.to);
        EXPECT_FALSE(log.empty());
        if (step.to >= 58)
            EXPECT_EQ(controller->getParamNormalized(kVolume), step.to == 58 ? 0.3 : 0.6);
        else
            EXPECT_DOUBLE_EQ(controller->getParamNormalized(129), factoryValue(step.to, 129, info.defaultNormalizedValue));
    }

    // A value set on the menu by the host or the code applies nothing; the user's pick applies it.
    editor->presetMenu->setValue(59.0f);
    EXPECT_EQ(logOf([&] { editor->valueChanged(editor->presetMenu.get()); }), CallLog{});
    editor->presetMenu->setCurrent(0, false);
    logOf([&] { editor->presetMenu->selectEntry(59); });
    EXPECT_EQ(controller->getParamNormalized(kVolume), 0.6);

    // "Factory Sound" applies the preset whose name its list shows, not menu entry round(4 v).
    auto* factorySound = dynamic_cast<COptionMenu*>(controlWithTag(kFactorySound));
    ASSERT_NE(factorySound, nullptr);
    const char* names[] = {"Init", "Basement Pressure", "Concrete Pulse", "Iron Lung", "Night Transit"};
    for (int32_t entry = 4; entry >= 0; --entry) {
        SCOPED_TRACE(names[entry]);
        const int32_t preset = factoryPresetIndex(names[entry]);
        ASSERT_GE(preset, 0);
        factorySound->selectEntry(entry);
        EXPECT_DOUBLE_EQ(controller->getParamNormalized(129), factoryValue(preset, 129, info.defaultNormalizedValue));
    }
    ASSERT_NE(factoryPresetIndex("Basement Pressure"), 1) << "the case tells a name from an entry index";
    // Set by the host, the list applies nothing.
    factorySound->setValueNormalized(0.5f);
    EXPECT_EQ(logOf([&] { editor->valueChanged(factorySound); }), CallLog{});
}

} // namespace
} // namespace TarnwellPlugin::testing
