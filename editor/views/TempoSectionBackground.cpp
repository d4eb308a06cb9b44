#include "TempoSectionBackground.h"

namespace TarnwellPlugin {

using namespace VSTGUI;

TempoSectionBackground::TempoSectionBackground() : CView(CRect()) { setMouseEnabled(false); }

TempoSectionBackground::~TempoSectionBackground() noexcept = default;

void TempoSectionBackground::draw(CDrawContext*) { setDirty(false); }

} // namespace TarnwellPlugin
