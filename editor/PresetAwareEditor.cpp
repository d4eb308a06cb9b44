// The editor's lifecycle: construction with its two timers, open, close and destruction.

#include "PresetAwareEditor.h"

#include "EditorSizeFile.h"
#include "ParameterFollower.h"
#include "ParameterIds.h"
#include "public.sdk/source/common/openurl.h"
#include "ThudderController.h"
#include "views/EnvelopePreviewView.h"
#include "views/OutputGateWorkspaceView.h"
#include "views/OutputMeterView.h"
#include "views/OutputWaveformView.h"
#include "views/TempoDisplayView.h"
#include "views/TempoModeSelector.h"

namespace TarnwellPlugin {

using namespace VSTGUI;

namespace {

constexpr uint32_t kVisualizationIntervalMs = 33;
constexpr uint32_t kWindowPlacementIntervalMs = 100;
constexpr double kWindowPlacementMargin = 30.0;

// What a followed parameter's change brings up to date.
enum FollowedChange : uint32_t {
    kTempoViewsChanged = 1u << 0,
    kLfoButtonsChanged = 1u << 1,
};

// The colours of every option menu of the editor, the preset menu included.
GenericOptionMenuTheme editorMenuTheme() {
    GenericOptionMenuTheme theme;
    theme.font = kNormalFontBig;
    theme.backgroundColor = CColor(6, 15, 20, 252);
    theme.selectedBackgroundColor = CColor(24, 193, 207, 245);
    theme.textColor = CColor(207, 224, 226, 255);
    theme.selectedTextColor = CColor(3, 12, 16, 255);
    theme.disabledTextColor = CColor(75, 96, 104, 255);
    theme.titleTextColor = CColor(255, 145, 56, 255);
    theme.separatorColor = CColor(35, 70, 78, 255);
    theme.checkMarkColor = CColor(53, 205, 215, 255);
    theme.menuBorderWidth = 2.0;
    theme.itemHorizontalInset = 12.0;
    theme.itemVerticalInset = 8.0;
    theme.scrollRepeatMilliseconds = 120;
    return theme;
}

} // namespace

PresetAwareEditor::PresetAwareEditor(Steinberg::Vst::EditController* controller_, const char* templateName,
                                     const char* uiDescFile)
: AspectRatioVST3Editor(controller_, templateName, uiDescFile), controller(controller_) {
    urlOpener = &Steinberg::openURLInDefaultApplication;
    if (auto* ours = dynamic_cast<ThudderController*>(controller_))
        visualizationRecord = &ours->visualizationSnapshot();
    parameterFollower = Steinberg::owned(new ParameterFollower(
        controller_, {{kManualTempo, kTempoViewsChanged}, {kSequencerEnabled, kTempoViewsChanged},
                      {kSequenceRate, kTempoViewsChanged}, {kLfo1Shape, kLfoButtonsChanged},
                      {kLfo2Shape, kLfoButtonsChanged}, {kLFO1Enabled, kLfoButtonsChanged},
                      {kLFO2Enabled, kLfoButtonsChanged}}));
    // The callbacks capture only the editor; both timers die with it.
    visualizationTimer =
        owned(new CVSTGUITimer([this](CVSTGUITimer*) { pollVisualizationSnapshot(); }, kVisualizationIntervalMs, false));
    visualizationTimer->start();
    windowPlacementTimer =
        owned(new CVSTGUITimer([this](CVSTGUITimer*) { reapplyWindowPosition(); }, kWindowPlacementIntervalMs, false));
}

PresetAwareEditor::~PresetAwareEditor() {
    visualizationTimer->stop();
    windowPlacementTimer->stop();
    parameterFollower->detach();
    releaseHostWindowHandle(hostWindow);
    hostWindow = nullptr;
    // The overlay's views belong to the tree that the base tears down.
    resetOverlaySlots();
    closedOverlays.clear();
    userPresetPaths.clear();
    for (auto it = lfo2ShapeButtons.rbegin(); it != lfo2ShapeButtons.rend(); ++it) *it = nullptr;
    for (auto it = lfo1ShapeButtons.rbegin(); it != lfo1ShapeButtons.rend(); ++it) *it = nullptr;
    pendingDeletePath.clear();
    oscAttackKnob = nullptr;
    waveRetriggerButton = nullptr;
    waveFreezeButton = nullptr;
    wave16sButton = nullptr;
    wave4sButton = nullptr;
    wave1sButton = nullptr;
    waveAutoButton = nullptr;
    tempoSyncButton = nullptr;
    tempoRateKnob = nullptr;
    tempoModeSelector = nullptr;
    tempoDisplay = nullptr;
    gateWorkspace = nullptr;
    outputWaveform = nullptr;
    outputMeter = nullptr;
    envelopePreview = nullptr;
    deletePresetButton = nullptr;
    presetNextButton = nullptr;
    presetPreviousButton = nullptr;
    presetMenu = nullptr;
    visualizationTimer = nullptr;
    windowPlacementTimer = nullptr;
}

bool PLUGIN_API PresetAwareEditor::open(void* parent, const PlatformType& platformType) {
    if (!AspectRatioVST3Editor::open(parent, platformType)) return false;
    if (platformType == PlatformType::kNSView) {
        releaseHostWindowHandle(hostWindow);
        hostWindow = createHostWindowHandle(parent);
        savedWindowValid = readEditorSizeFile(&savedWindowX, &savedWindowY);
        windowPlacementTicks = 0;
        moveHostWindow(hostWindow, savedWindowValid, savedWindowX, savedWindowY, kWindowPlacementMargin);
        windowPlacementTimer->start();
    }
    // The effects workspace describes each of its regions in a tooltip.
    if (frame) frame->enableTooltips(true);
    if (frame && frame->getPlatformFrame()) {
        GenericOptionMenuTheme theme = editorMenuTheme();
        frame->getPlatformFrame()->setupGenericOptionMenu(true, &theme);
    }
    return true;
}

void PLUGIN_API PresetAwareEditor::close() {
    double x = 0.0, y = 0.0;
    const bool hasWindow = readHostWindowOrigin(hostWindow, &x, &y);
    writeEditorSizeFile(getZoomFactor(), hasWindow, x, y);
    windowPlacementTimer->stop();
    releaseHostWindowHandle(hostWindow);
    hostWindow = nullptr;
    // The library's close destroys the dialog views these slots point at.
    resetOverlaySlots();
    VST3Editor::close();
    // The frame let go of the closed dialogs that still waited for the timer; these were the last references.
    closedOverlays.clear();
}

void PresetAwareEditor::reapplyWindowPosition() {
    if (hostWindow) moveHostWindow(hostWindow, savedWindowValid, savedWindowX, savedWindowY, kWindowPlacementMargin);
    const int32_t t = windowPlacementTicks++;
    if (t >= 7) windowPlacementTimer->stop();
}

void PresetAwareEditor::applyFollowedParameterChanges() {
    const uint32_t changes = parameterFollower->takeChanges();
    if (changes & kTempoViewsChanged) updateTempoSyncControls();
    if (changes & kLfoButtonsChanged) updateLfoShapeButtons();
}

void PresetAwareEditor::resetOverlaySlots() {
    overlayView = nullptr;
    overlayNameField = nullptr;
    overlayCancelButton = nullptr;
    overlayConfirmButton = nullptr;
    overlayDismissButton = nullptr;
    overlayLinkButton = nullptr;
    overlayDeleteMode = false;
}

} // namespace TarnwellPlugin
