// The preset menu: factory presets followed by the user's preset files, and applying, loading,
// saving and deleting them through the controller.

#include "PresetAwareEditor.h"

#include "FactoryPresets.h"
#include "ParameterIds.h"
#include "ProcessorState.h"
#include "UserPresetFile.h"

#include <algorithm>
#include <cmath>

namespace TarnwellPlugin {

using namespace VSTGUI;
using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

// The parameters a preset holds, in the controller's index order, at their current or default values.
std::vector<PresetFileEntry> presetParameters(EditController& controller, bool defaults) {
    std::vector<PresetFileEntry> entries;
    const int32 count = controller.getParameterCount();
    for (int32 i = 0; i < count; ++i) {
        ParameterInfo info{};
        if (controller.getParameterInfo(i, info) != kResultOk || isPresetSkipId(info.id)) continue;
        entries.push_back({info.id, defaults ? info.defaultNormalizedValue : controller.getParamNormalized(info.id)});
    }
    return entries;
}

} // namespace

void PresetAwareEditor::rescanUserPresets() {
    if (!presetMenu) return;
    presetMenu->removeAllEntry();
    for (const FactoryPreset& preset : factoryPresetTable()) presetMenu->addEntry(preset.name);
    userPresetPaths = listUserPresetFiles(userPresetFolder());
    for (const std::string& path : userPresetPaths) presetMenu->addEntry(presetLabel(path));
    const int32_t total = static_cast<int32_t>(factoryPresetTable().size() + userPresetPaths.size());
    presetMenu->setMax(static_cast<float>(std::max(total - 1, 1)));
    presetMenu->setCurrent(0, false); // shown only; nothing is applied
}

void PresetAwareEditor::writeUserPreset(std::string name) {
    const std::string stem = sanitizePresetName(name);
    const std::string folder = userPresetFolder();

    const std::vector<PresetFileEntry> entries = presetParameters(*controller, false);

    std::string path = (folder.empty() ? "" : folder + "/") + stem + kUserPresetExtension;
    if (folder.empty() || !writeNewPresetFile(folder, stem, presetFileText(entries), path)) {
        showMessageOverlay("PRESET SAVE FAILED", "Could not write preset\n" + path);
        return;
    }
    rescanUserPresets();
    const auto found = std::find(userPresetPaths.begin(), userPresetPaths.end(), path);
    if (found != userPresetPaths.end() && presetMenu)
        presetMenu->setCurrent(factoryPresetCount + static_cast<int32_t>(found - userPresetPaths.begin()), false);
}

void PresetAwareEditor::loadUserPreset(int32_t index) {
    if (index < 0 || index >= static_cast<int32_t>(userPresetPaths.size())) return;
    const std::string path = userPresetPaths[static_cast<size_t>(index)];
    std::string text;
    if (!readPresetFile(path, text)) {
        showMessageOverlay("PRESET LOAD FAILED", "Could not read preset\n" + path);
        return;
    }
    // A file sets sound parameters only: not the editor's actions, nor the tempo source.
    for (const PresetFileEntry& e : parsePresetFileText(text)) {
        if (isPresetSkipId(e.id) || !controller->getParameterObject(e.id) || !std::isfinite(e.value)) continue;
        double value = std::clamp(e.value, 0.0, 1.0);
        if (e.id == kWaveLayerWaveform) value = migrateWaveLayerWaveformValue(value);
        editParameter(e.id, value);
    }
}

void PresetAwareEditor::applyFactoryPreset(int32_t index) {
    const FactoryPreset* preset = findFactoryPreset(index);
    if (!preset) return;

    // Every settable parameter at its default, in index order.
    std::vector<PresetFileEntry> values = presetParameters(*controller, true);
    for (const PresetParameterValue& pair : preset->pairs) {
        if (isPresetSkipId(pair.id)) continue;
        const auto entry = std::find_if(values.begin(), values.end(), [&](const PresetFileEntry& e) { return e.id == pair.id; });
        if (entry == values.end()) continue;
        entry->value = pair.id == kWaveLayerWaveform ? migrateWaveLayerWaveformValue(pair.value) : pair.value;
    }
    for (const PresetFileEntry& e : values) editParameter(e.id, e.value);
}

void PresetAwareEditor::confirmSavePreset() {
    if (!overlayNameField) return;
    const std::string name = overlayNameField->getEditText();
    closeOverlay();
    writeUserPreset(name);
}

void PresetAwareEditor::deletePendingUserPreset() {
    const std::string path = std::move(pendingDeletePath);
    pendingDeletePath.clear();
    closeOverlay();
    if (path.empty()) return;
    if (!removePresetFile(path)) {
        showMessageOverlay("PRESET DELETE FAILED", "Could not delete preset\n" + path);
        return;
    }
    rescanUserPresets();
    applyFactoryPreset(0);
    if (presetMenu) presetMenu->setCurrent(0, false);
    if (frame) refreshControlsFromParameters();
}

} // namespace TarnwellPlugin
