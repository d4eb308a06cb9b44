#include "OutputWaveformView.h"

#include <algorithm>

namespace TarnwellPlugin {

using namespace VSTGUI;

OutputWaveformView::OutputWaveformView() : CView(CRect()) {}

OutputWaveformView::~OutputWaveformView() noexcept = default;

void OutputWaveformView::draw(CDrawContext*) { setDirty(false); }

void OutputWaveformView::setFrozen(bool state) {
    frozen = state;
    invalid();
}

void OutputWaveformView::setWindowSeconds(int32_t seconds) {
    windowSeconds = seconds;
    invalid();
}

void OutputWaveformView::clearCapture() {
    std::fill(std::begin(ring), std::end(ring), 0.0f);
    writePosition = 0;
    sampleCount = 0;
    hasData = false;
    waitingForKick = true;
    armedTriggerCount = latestTriggerCount;
    invalid();
}

} // namespace TarnwellPlugin
