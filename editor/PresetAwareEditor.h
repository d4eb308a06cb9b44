#pragma once

// The plug-in's editor: the UI description "editor.uidesc" (template "view") with the program's own
// views, the control dispatch, the visualization views fed from the controller's record, the preset
// menu with the user presets, the overlay dialogs and the remembered zoom.
//
// Everything here runs on the host's UI thread: construction, open, close, destruction, both timer
// callbacks and every control notification.

#include "HostWindow.h"
#include "views/WaveAreaPage.h"

#include "vstgui/plugin-bindings/vst3editor.h"
#include "vstgui/vstgui.h"

#include "base/source/fobject.h"
#include "public.sdk/source/vst/vsteditcontroller.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace TarnwellPlugin {

class EnvelopePreviewView;
class HeaderArrowButton;
class OutputGateWorkspaceView;
class OutputMeterView;
class OutputWaveformView;
class ParameterFollower;
class PluginOverlayView;
class TempoDisplayView;
class TempoModeSelector;
struct SharedVisualizationSnapshot;

class PresetAwareEditor : public VSTGUI::AspectRatioVST3Editor {
public:
    PresetAwareEditor(Steinberg::Vst::EditController* controller, const char* templateName, const char* uiDescFile);
    ~PresetAwareEditor() override;

    // Called by the host through the library's plug-in view (attached / removed).
    bool PLUGIN_API open(void* parent, const VSTGUI::PlatformType& platformType) override;
    void PLUGIN_API close() override;

    // While the library builds the view tree during open.
    VSTGUI::CView* createView(const VSTGUI::UIAttributes& attributes,
                              const VSTGUI::IUIDescription* description) override;
    VSTGUI::CView* verifyView(VSTGUI::CView* view, const VSTGUI::UIAttributes& attributes,
                              const VSTGUI::IUIDescription* description) override;

    // Every control's listener.
    void valueChanged(VSTGUI::CControl* control) override;

    //--- View creation -----------------------------------------------------------------------
    VSTGUI::CTextButton* listenToTextButton(VSTGUI::CView* view);
    void colourStepButton(VSTGUI::CView* view);

    //--- Dispatch helpers ----------------------------------------------------------------------
    // beginEdit, setParamNormalized, performEdit, endEdit on the controller.
    void editParameter(Steinberg::Vst::ParamID id, double value);
    void refreshControlsFromParameters();
    void refreshControlTree(VSTGUI::CView* view);
    void updateLfoShapeButtons();
    void updateTempoSyncControls();
    void updateWaveAreaControls();
    void updateWaveWindowButtons();

    //--- Visualization ---------------------------------------------------------------------------
    void pollVisualizationSnapshot();
    void applyVisualizationSnapshot(const float* samples, uint64_t count, float peakLeft, float peakRight,
                                    double tempo, uint64_t triggerCount);

    //--- Window placement (acts only for an NSView parent) -----------------------------------------
    void reapplyWindowPosition();

    //--- Presets -----------------------------------------------------------------------------------
    void rescanUserPresets();
    void writeUserPreset(std::string name);
    void loadUserPreset(int32_t index);
    void applyFactoryPreset(int32_t index);
    void confirmSavePreset();
    void deletePendingUserPreset();

    //--- Overlay dialogs ---------------------------------------------------------------------------
    VSTGUI::CRect overlayPanelRect(double maxHeight) const;
    HeaderArrowButton* makeOverlayButton(const char* title, const VSTGUI::CRect& rect);
    void showAboutOverlay();
    void showSavePresetOverlay();
    void showDeletePresetOverlay();
    void showMessageOverlay(std::string title, std::string body);
    void closeOverlay();
    // Takes closed dialogs out of the view tree (on the UI timer, never inside their own events).
    void removeClosedOverlays();

    //--- Read access for tests -----------------------------------------------------------------------
    Steinberg::Vst::EditController* getEditController() const { return controller; }
    VSTGUI::CVSTGUITimer* getVisualizationTimer() const { return visualizationTimer.get(); }
    VSTGUI::CVSTGUITimer* getWindowPlacementTimer() const { return windowPlacementTimer.get(); }
    const SharedVisualizationSnapshot* getVisualizationRecord() const { return visualizationRecord; }

    // The members of the editor, named as the rest of the editor's code uses them.
    Steinberg::Vst::EditController* controller;
    VSTGUI::SharedPointer<VSTGUI::CVSTGUITimer> visualizationTimer;
    VSTGUI::SharedPointer<VSTGUI::CVSTGUITimer> windowPlacementTimer;
    HostWindowHandle* hostWindow = nullptr;
    double savedWindowX = 0.0;
    double savedWindowY = 0.0;
    bool savedWindowValid = false;
    int32_t windowPlacementTicks = 0;
    VSTGUI::SharedPointer<VSTGUI::COptionMenu> presetMenu;
    VSTGUI::SharedPointer<VSTGUI::CTextButton> presetPreviousButton;
    VSTGUI::SharedPointer<VSTGUI::CTextButton> presetNextButton;
    VSTGUI::SharedPointer<VSTGUI::CTextButton> deletePresetButton;
    VSTGUI::SharedPointer<EnvelopePreviewView> envelopePreview;
    VSTGUI::SharedPointer<OutputMeterView> outputMeter;
    VSTGUI::SharedPointer<OutputWaveformView> outputWaveform;
    VSTGUI::SharedPointer<OutputGateWorkspaceView> gateWorkspace;
    VSTGUI::SharedPointer<TempoDisplayView> tempoDisplay;
    VSTGUI::SharedPointer<TempoModeSelector> tempoModeSelector;
    VSTGUI::SharedPointer<VSTGUI::CKnob> tempoRateKnob;
    VSTGUI::SharedPointer<VSTGUI::CTextButton> tempoSyncButton;
    VSTGUI::SharedPointer<VSTGUI::CTextButton> waveAutoButton;
    VSTGUI::SharedPointer<VSTGUI::CTextButton> wave1sButton;
    VSTGUI::SharedPointer<VSTGUI::CTextButton> wave4sButton;
    VSTGUI::SharedPointer<VSTGUI::CTextButton> wave16sButton;
    VSTGUI::SharedPointer<VSTGUI::CTextButton> waveFreezeButton;
    VSTGUI::SharedPointer<VSTGUI::CTextButton> waveRetriggerButton;
    VSTGUI::SharedPointer<VSTGUI::CKnob> oscAttackKnob;
    PluginOverlayView* overlayView = nullptr;
    VSTGUI::CTextEdit* overlayNameField = nullptr;
    HeaderArrowButton* overlayCancelButton = nullptr;
    HeaderArrowButton* overlayConfirmButton = nullptr;
    HeaderArrowButton* overlayDismissButton = nullptr;
    HeaderArrowButton* overlayLinkButton = nullptr;
    bool overlayDeleteMode = false;
    std::string pendingDeletePath;
    std::array<VSTGUI::SharedPointer<VSTGUI::CTextButton>, 4> lfo1ShapeButtons;
    std::array<VSTGUI::SharedPointer<VSTGUI::CTextButton>, 4> lfo2ShapeButtons;
    int32_t waveWindowSeconds = 1;
    bool waveMenuMode = false;
    WaveAreaPage waveAreaPage = kWaveAreaExtendedFx;
    bool waveFrozen = false;
    uint64_t lastSnapshotSequence = 0;
    bool overlayClosingGuard = false;
    std::vector<std::string> userPresetPaths;
    bool stepEditGuard = false;

    // Runs inside each snapshot copy, between its loads (tests publish there to tear a copy).
    std::function<void()> snapshotCopyHook;
    // Opens the maker's web page (the about dialog's link); tests replace it.
    bool (*urlOpener)(const std::string& address) = nullptr;
    // Dialogs that closed and still wait to leave the view tree (counted references).
    std::vector<VSTGUI::SharedPointer<VSTGUI::CViewContainer>> closedOverlays;

private:
    void resetOverlaySlots();
    // The view the dialogs cover: the frame's first child when it is a container, else the frame.
    VSTGUI::CViewContainer* overlayRoot() const;
    // Adds the dialog, its controls already inside, on top of the root.
    void presentOverlay(PluginOverlayView* overlay);
    void libraryValueChanged(VSTGUI::CControl* control);
    void applyFactorySoundChoice(double value);
    void stepPreset(int32_t direction);
    void applyPresetMenuEntry(int32_t index);
    void applyFollowedParameterChanges();
    // Host changes of the parameters that unbound controls show, applied on the UI timer.
    Steinberg::IPtr<ParameterFollower> parameterFollower;
    // The record of this editor's own controller (null when the controller is not ours).
    const SharedVisualizationSnapshot* visualizationRecord = nullptr;
};

// The maker's web page, shown on the about dialog's link and opened by it.
inline constexpr const char* kMakerWebPage = "https://www.tarnwell-audio.com";

} // namespace TarnwellPlugin
