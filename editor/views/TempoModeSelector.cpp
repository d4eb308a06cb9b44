#include "TempoModeSelector.h"

namespace TarnwellPlugin {

using namespace VSTGUI;

TempoModeSelector::TempoModeSelector() : CView(CRect()) {}

TempoModeSelector::~TempoModeSelector() noexcept = default;

void TempoModeSelector::draw(CDrawContext*) { setDirty(false); }

} // namespace TarnwellPlugin
