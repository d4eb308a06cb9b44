#pragma once

// Makes the editor for a controller with the zoom of the editor-size file.

#include "pluginterfaces/gui/iplugview.h"

namespace TarnwellPlugin {

class ThudderController;

// A new editor (the caller owns its one reference), or null when it cannot be made.
Steinberg::IPlugView* makeEditorView(ThudderController& controller);

} // namespace TarnwellPlugin
