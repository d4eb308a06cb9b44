// View creation and verification: the program's own views by custom-view name, the restyling of
// library controls and the editor's slots.

#include "PresetAwareEditor.h"

namespace TarnwellPlugin {

using namespace VSTGUI;

CView* PresetAwareEditor::createView(const UIAttributes& attributes, const IUIDescription* description) {
    return VST3Editor::createView(attributes, description);
}

CView* PresetAwareEditor::verifyView(CView* view, const UIAttributes& attributes, const IUIDescription* description) {
    return VST3Editor::verifyView(view, attributes, description);
}

CTextButton* PresetAwareEditor::listenToTextButton(CView* view) {
    auto* button = dynamic_cast<CTextButton*>(view);
    if (button) button->setListener(this);
    return button;
}

void PresetAwareEditor::colourStepButton(CView*) {}

} // namespace TarnwellPlugin
