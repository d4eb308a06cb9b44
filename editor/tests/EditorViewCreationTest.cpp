// The custom-view table and the rules verifyView applies to every view the description builds.
#include "EditorTestSupport.h"

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

#include <functional>

namespace TarnwellPlugin::testing {
namespace {

using namespace VSTGUI;

using EditorViewCreation = EditorFixture;

template <typename T>
bool is(CView* v) {
    return dynamic_cast<T*>(v) != nullptr;
}

// Creates a view by name outside any tree and verifies it, as the description would.
struct MadeView {
    SharedPointer<CView> view;
    CView* verified = nullptr;
};
MadeView make(PresetAwareEditor& editor, const std::string& name) {
    UIAttributes attributes;
    attributes.setAttribute("custom-view-name", name);
    MadeView made;
    made.view = owned(editor.createView(attributes, editor.getUIDescription()));
    if (made.view) made.verified = editor.verifyView(made.view, attributes, editor.getUIDescription());
    return made;
}

TEST_F(EditorViewCreation, EveryCustomViewNameGivesItsClassSlotAndListener) {
    using Slot = std::function<CView*(PresetAwareEditor&)>;
    struct Row {
        const char* name;
        std::function<bool(CView*)> isClass;
        Slot slot; // empty: the name fills no slot
        bool listensToEditor;
        const char* label; // a HeaderArrowButton's label, or nullptr
    };
    const Row rows[] = {
        {"MetalKnob", is<MetalKnob>, {}, true, nullptr},
        {"TempoRateKnob", is<MetalKnob>, [](PresetAwareEditor& e) -> CView* { return e.tempoRateKnob; }, true, nullptr},
        {"PresetPrevious", is<HeaderArrowButton>, [](PresetAwareEditor& e) -> CView* { return e.presetPreviousButton; },
         true, "<"},
        {"PresetNext", is<HeaderArrowButton>, [](PresetAwareEditor& e) -> CView* { return e.presetNextButton; }, true,
         ">"},
        {"WaveAuto", is<HeaderArrowButton>, [](PresetAwareEditor& e) -> CView* { return e.waveAutoButton; }, true,
         "MENU"},
        {"Wave1s", is<HeaderArrowButton>, [](PresetAwareEditor& e) -> CView* { return e.wave1sButton; }, true, "1 s"},
        {"Wave4s", is<HeaderArrowButton>, [](PresetAwareEditor& e) -> CView* { return e.wave4sButton; }, true, "4 s"},
        {"Wave16s", is<HeaderArrowButton>, [](PresetAwareEditor& e) -> CView* { return e.wave16sButton; }, true,
         "16 s"},
        {"WaveFreeze", is<HeaderArrowButton>, [](PresetAwareEditor& e) -> CView* { return e.waveFreezeButton; }, true,
         "FREEZE"},
        {"WaveRetrigger", is<HeaderArrowButton>, [](PresetAwareEditor& e) -> CView* { return e.waveRetriggerButton; },
         true, "RETRIGGER"},
        {"TempoSync", is<HeaderArrowButton>, [](PresetAwareEditor& e) -> CView* { return e.tempoSyncButton; }, true,
         nullptr},
        {"SynthSaveButton", is<HeaderArrowButton>, {}, true, "SAVE"},
        {"SynthDeletePreset", is<HeaderArrowButton>, [](PresetAwareEditor& e) -> CView* { return e.deletePresetButton; },
         true, "DELETE"},
        {"BrandLockup", is<BrandLockupView>, {}, false, nullptr},
        {"TarnwellLogo", is<TarnwellLogoView>, {}, false, nullptr},
        {"OutputWaveform", is<OutputWaveformView>, [](PresetAwareEditor& e) -> CView* { return e.outputWaveform; },
         false, nullptr},
        {"OutputGateWorkspace", is<OutputGateWorkspaceView>,
         [](PresetAwareEditor& e) -> CView* { return e.gateWorkspace; }, false, nullptr},
        {"OutputMeter", is<OutputMeterView>, [](PresetAwareEditor& e) -> CView* { return e.outputMeter; }, false,
         nullptr},
        {"CompressionReductionMeter", is<CompressionReductionMeterView>, {}, false, nullptr},
        {"SignalFlowRail", is<SignalFlowRailView>, {}, false, nullptr},
        {"EnvelopePreview", is<EnvelopePreviewView>, [](PresetAwareEditor& e) -> CView* { return e.envelopePreview; },
         false, nullptr},
        {"SynthStepButton", is<SequencerStepButton>, {}, true, nullptr},
        {"TempoModeSelector", is<TempoModeSelector>, [](PresetAwareEditor& e) -> CView* { return e.tempoModeSelector; },
         false, nullptr},
        {"TempoSectionBackground", is<TempoSectionBackground>, {}, false, nullptr},
        {"TempoDisplay", is<TempoDisplayView>, [](PresetAwareEditor& e) -> CView* { return e.tempoDisplay; }, false,
         nullptr},
        {"EnvelopeValueDisplay", is<EnvelopeValueDisplay>, {}, false, nullptr},
        {"OutputGainFader", is<OutputGainFader>, {}, true, nullptr},
        {"SynthTailButton", is<ImageTextButton>, {}, true, nullptr},
        {"SynthToggle64", is<ImageTextButton>, {}, true, nullptr},
        {"SynthToggle70", is<ImageTextButton>, {}, true, nullptr},
        {"SynthRecordButton", is<RecordingDisplayButton>, {}, true, nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        MadeView made = make(*editor, row.name);
        ASSERT_TRUE(made.view);
        EXPECT_TRUE(row.isClass(made.view));
        EXPECT_EQ(made.verified, made.view.get());
        EXPECT_TRUE(made.view->getViewSize().isEmpty()); // the description sizes it afterwards
        if (row.slot) {
            EXPECT_EQ(row.slot(*editor), made.view.get());
        }
        if (auto* control = dynamic_cast<CControl*>(made.view.get())) {
            EXPECT_EQ(control->getTag(), -1);
            EXPECT_EQ(control->getListener() == editor, row.listensToEditor);
        }
        if (row.label) {
            EXPECT_EQ(dynamic_cast<HeaderArrowButton*>(made.view.get())->label, row.label);
        }
    }
    // A later store of the same name replaces the slot's view.
    MadeView first = make(*editor, "OutputMeter");
    MadeView second = make(*editor, "OutputMeter");
    EXPECT_EQ(editor->outputMeter.get(), second.view.get());

    // Names outside the table are left to the description's class.
    for (const char* other : {"metalknob", "Unknown", ""}) {
        UIAttributes attributes;
        attributes.setAttribute("custom-view-name", other);
        EXPECT_EQ(editor->createView(attributes, editor->getUIDescription()), nullptr) << other;
    }
}

TEST_F(EditorViewCreation, BitmapsByNameAndLfoShapeNumbers) {
    struct Row {
        const char* name;
        const char* bitmap;
        int lfo;
        size_t slot;
    };
    const Row rows[] = {
        {"Lfo1Shape1", "lfo-wave-sine", 1, 0},   {"Lfo1Shape0", "lfo-wave-sine", 1, 0},
        {"Lfo1Shape", "lfo-wave-sine", 1, 0},    {"Lfo1Shape2", "lfo-wave-square", 1, 1},
        {"Lfo2Shape3", "lfo-wave-triangle", 2, 2}, {"Lfo2Shape4", "lfo-wave-random", 2, 3},
        {"Lfo2Shape9", "lfo-wave-random", 2, 3}, {"Lfo2Shape-2", "lfo-wave-sine", 2, 0},
        {"SynthTailButton", "tail-button", 0, 0}, {"SynthToggle64", "toggle-64", 0, 0},
        {"SynthToggle70", "toggle-70", 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        MadeView made = make(*editor, row.name);
        auto* button = dynamic_cast<ImageTextButton*>(made.view.get());
        ASSERT_NE(button, nullptr);
        ASSERT_NE(button->getBitmap(), nullptr);
        EXPECT_EQ(button->getBitmap(), editor->getUIDescription()->getBitmap(row.bitmap));
        if (row.lfo != 0) {
            auto& slots = row.lfo == 1 ? editor->lfo1ShapeButtons : editor->lfo2ShapeButtons;
            EXPECT_EQ(slots[row.slot].get(), button);
            EXPECT_EQ(button->getListener(), editor);
        }
    }
    MadeView workspace = make(*editor, "OutputGateWorkspace");
    ASSERT_TRUE(editor->gateWorkspace);
    EXPECT_EQ(editor->gateWorkspace->toggleBitmap, editor->getUIDescription()->getBitmap("toggle-70"));
    EXPECT_EQ(editor->gateWorkspace->controller, controller);
}

TEST_F(EditorViewCreation, VerificationRestylesRetagsAndColoursTheBuiltTree) {
    controller->setParamNormalized(kStep6, 0.5);
    ASSERT_TRUE(open());

    // The dash-dot corona bit is cleared on every knob, the library's and the program's.
    int knobs = 0;
    std::function<void(CView*)> visit = [&](CView* v) {
        if (auto* knob = dynamic_cast<CKnob*>(v)) {
            ++knobs;
            EXPECT_EQ(knob->getDrawStyle() & CKnob::kCoronaLineDashDot, 0) << knob->getTag();
        }
        if (auto* image = dynamic_cast<ImageTextButton*>(v)) {
            EXPECT_EQ(image->getGradient(), nullptr);
            EXPECT_EQ(image->getGradientHighlighted(), nullptr);
            EXPECT_EQ(image->getFrameWidth(), 0);
            EXPECT_EQ(image->getFrameColor(), CColor(0, 0, 0, 0));
            EXPECT_EQ(image->getFrameColorHighlighted(), CColor(0, 0, 0, 0));
        }
        if (auto* c = dynamic_cast<CViewContainer*>(v))
            for (const auto& child : c->getChildren()) visit(child.get());
    };
    ASSERT_NE(root(), nullptr);
    visit(root());
    EXPECT_GE(knobs, 4) << root()->getNbViews();
    CControl* dashDot = controlWithTag(kFilterResonance);
    ASSERT_NE(dashDot, nullptr);
    EXPECT_NE(dynamic_cast<CKnob*>(dashDot)->getDrawStyle() & CKnob::kCoronaDrawing, 0);

    // "Osc Layer Attack" names id 150 in this description; the knob is retagged and bound to 177.
    ASSERT_TRUE(editor->oscAttackKnob);
    EXPECT_EQ(editor->oscAttackKnob->getTag(), static_cast<int32_t>(kOscLayerAttack));
    EXPECT_EQ(editor->oscAttackKnob->getListener(), editor);
    EXPECT_EQ(editor->getBoundControlCount(kOscLayerAttack), 1u);
    EXPECT_EQ(editor->getBoundControlCount(kKickCompression), 0u);

    // Step colours before any click: step 1 is FULL by default, step 2 OFF, step 6 HALF.
    auto* step2 = dynamic_cast<CTextButton*>(controlWithTag(kStep2));
    auto* step6 = dynamic_cast<CTextButton*>(controlWithTag(kStep6));
    auto* step1 = dynamic_cast<CTextButton*>(controlWithTag(kStep1));
    ASSERT_TRUE(step1 && step2 && step6);
    ASSERT_EQ(controller->getParamNormalized(kStep2), 0.0);
    ASSERT_EQ(controller->getParamNormalized(kStep1), 1.0);
    EXPECT_EQ(step2->getFrameColor(), CColor(48, 57, 68, 255));
    EXPECT_EQ(step2->getTextColor(), CColor(126, 137, 151, 255));
    EXPECT_EQ(step6->getFrameColor(), CColor(55, 205, 215, 255));
    EXPECT_EQ(step6->getTextColor(), CColor(100, 225, 232, 255));
    EXPECT_EQ(step1->getFrameColorHighlighted(), CColor(255, 139, 55, 255));
    EXPECT_EQ(step1->getTextColorHighlighted(), CColor(18, 22, 28, 255));

    // The record button stays in the tree, hidden and not clickable.
    CControl* record = controlWithTag(kRenderWAV);
    ASSERT_NE(dynamic_cast<RecordingDisplayButton*>(record), nullptr);
    EXPECT_FALSE(record->isVisible());
    EXPECT_FALSE(record->getMouseEnabled());
    const auto edits = logOf([&] { click(record); });
    EXPECT_TRUE(edits.empty());

    // Every slot of the description was filled.
    EXPECT_TRUE(editor->presetMenu && editor->presetPreviousButton && editor->presetNextButton &&
                editor->deletePresetButton && editor->envelopePreview && editor->outputMeter && editor->outputWaveform &&
                editor->gateWorkspace && editor->tempoDisplay && editor->tempoModeSelector && editor->tempoRateKnob &&
                editor->tempoSyncButton && editor->waveAutoButton && editor->wave1sButton && editor->wave4sButton &&
                editor->wave16sButton && editor->waveFreezeButton && editor->waveRetriggerButton);
    for (size_t k = 0; k < 4; ++k) EXPECT_TRUE(editor->lfo1ShapeButtons[k] && editor->lfo2ShapeButtons[k]) << k;
}

TEST_F(EditorViewCreation, SlotsOfTheWrongKindStayEmpty) {
    // A "TempoSync" that is not a text button, a "PresetChooser" that is not an option menu, and
    // a "Osc Layer Attack" control that is not a knob.
    UIAttributes sync;
    sync.setAttribute("custom-view-name", "TempoSync");
    SharedPointer<CView> plain = owned(new CView(CRect()));
    EXPECT_EQ(editor->verifyView(plain, sync, editor->getUIDescription()), plain.get());
    EXPECT_FALSE(editor->tempoSyncButton);

    UIAttributes chooser;
    chooser.setAttribute("custom-view-name", "PresetChooser");
    EXPECT_EQ(editor->verifyView(plain, chooser, editor->getUIDescription()), plain.get());
    EXPECT_FALSE(editor->presetMenu);

    UIAttributes attack;
    attack.setAttribute("control-tag", "Osc Layer Attack");
    SharedPointer<CTextButton> button = owned(new CTextButton(CRect(), nullptr, 150));
    editor->verifyView(button, attack, editor->getUIDescription());
    EXPECT_EQ(button->getTag(), static_cast<int32_t>(kOscLayerAttack));
    EXPECT_EQ(button->getListener(), editor);
    EXPECT_FALSE(editor->oscAttackKnob);
}

} // namespace
} // namespace TarnwellPlugin::testing
