// Part of the bundle itself: installs the editor into the controller when the module is loaded.

#include "EditorViewMaker.h"
#include "ThudderController.h"

namespace {
const bool editorInstalled = (TarnwellPlugin::setEditorViewMaker(&TarnwellPlugin::makeEditorView), true);
} // namespace
