// Forwarding header: VSTGUIEditor lives with VST3Editor in this library.
#pragma once
#include "vstgui/plugin-bindings/vst3editor.h"
