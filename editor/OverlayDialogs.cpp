// The dialogs shown inside the editor's window: about, save, delete and message.

#include "PresetAwareEditor.h"

#include "PluginOverlayView.h"
#include "views/HeaderArrowButton.h"

namespace TarnwellPlugin {

using namespace VSTGUI;

CRect PresetAwareEditor::overlayPanelRect(double) const { return CRect(); }
HeaderArrowButton* PresetAwareEditor::makeOverlayButton(const char*, const CRect&) { return nullptr; }
void PresetAwareEditor::showAboutOverlay() {}
void PresetAwareEditor::showSavePresetOverlay() {}
void PresetAwareEditor::showDeletePresetOverlay() {}
void PresetAwareEditor::showMessageOverlay(std::string, std::string) {}
void PresetAwareEditor::closeOverlay() {}

} // namespace TarnwellPlugin
