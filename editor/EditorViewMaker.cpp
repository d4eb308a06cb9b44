#include "EditorViewMaker.h"

#include "EditorSizeFile.h"
#include "PresetAwareEditor.h"
#include "ThudderController.h"

#include <new>

namespace TarnwellPlugin {

Steinberg::IPlugView* makeEditorView(ThudderController& controller) {
    try {
        auto* editor = new PresetAwareEditor(&controller, "view", "editor.uidesc");
        editor->setZoomFactor(readEditorZoom());
        editor->setMinZoomFactor(kMinEditorZoom);
        editor->setMaxZoomFactor(kMaxEditorZoom);
        return editor;
    } catch (...) {
        return nullptr; // no exception reaches the host
    }
}

} // namespace TarnwellPlugin
