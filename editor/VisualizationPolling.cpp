// The reader side of the controller's visualization record: one consistent copy per 33 ms tick,
// pushed into the meter, the waveform capture and the tempo views.

#include "PresetAwareEditor.h"

#include "ParameterIds.h"
#include "SharedVisualizationSnapshot.h"
#include "views/OutputGateWorkspaceView.h"
#include "views/OutputMeterView.h"
#include "views/OutputWaveformView.h"
#include "views/TempoDisplayView.h"
#include "views/TempoModeSelector.h"

#include <algorithm>
#include <cmath>

namespace TarnwellPlugin {

using namespace VSTGUI;

namespace {

constexpr int32_t kPointsPerSnapshot = 16;
constexpr float kOnsetThresholdShare = 0.12f;
constexpr float kOnsetThresholdFloor = 0.006f;
constexpr double kTempoRedrawStep = 0.01;
constexpr double kTempoKnobMinBpm = 15.0;
constexpr double kTempoKnobSpanBpm = 285.0; // 15 BPM at 0, 300 BPM at 1

// Non-finite values from the audio side count as silence.
float finiteOrZero(float x) { return std::isfinite(x) ? x : 0.0f; }
double finiteOrZero(double x) { return std::isfinite(x) ? x : 0.0; }

void redrawIfShown(CView* view) {
    if (view && view->isVisible() && view->getAlphaValue() > 0.0f) {
        view->setDirty(false);
        view->invalidRect(view->getViewSize());
    }
}

// Appends the samples from onset on as 16 points: each slice's sample of largest magnitude, sign
// kept, the earliest one winning a tie.
void appendPoints(OutputWaveformView& view, const float* x, uint64_t count, uint64_t onset) {
    const uint64_t length = count - onset;
    for (uint64_t j = 0; j < kPointsPerSnapshot; ++j) {
        uint64_t start = onset + j * length / kPointsPerSnapshot;
        uint64_t end = onset + (j + 1) * length / kPointsPerSnapshot;
        end = std::min(std::max(end, start + 1), count);
        start = std::min(start, count - 1);
        float point = x[start];
        for (uint64_t i = start + 1; i < end; ++i)
            if (std::fabs(x[i]) > std::fabs(point)) point = x[i];
        view.ring[view.writePosition] = point;
        view.writePosition = (view.writePosition + 1) % OutputWaveformView::kRingSize;
        view.sampleCount = std::min(view.sampleCount + 1, OutputWaveformView::kRingSize);
    }
}

void pushWaveform(OutputWaveformView& view, const float* x, uint64_t count, uint64_t triggerCount) {
    view.latestTriggerCount = triggerCount;
    if (count == 0 || !x || view.frozen) return;
    float blockPeak = 0.0f;
    for (uint64_t i = 0; i < count; ++i) blockPeak = std::max(blockPeak, std::fabs(x[i]));
    uint64_t onset = 0;
    if (view.waitingForKick) {
        if (view.armedTriggerCount == triggerCount) {
            view.lastBlockPeak = blockPeak; // no new kick since the capture was armed
            return;
        }
        // A new kick: the capture restarts at its onset.
        const float threshold = std::max(kOnsetThresholdShare * blockPeak, kOnsetThresholdFloor);
        onset = count - 1;
        for (uint64_t i = 0; i + 1 < count; ++i)
            if (std::fabs(x[i]) >= threshold) {
                onset = i;
                break;
            }
        view.waitingForKick = false;
        std::fill(std::begin(view.ring), std::end(view.ring), 0.0f);
        view.writePosition = 0;
        view.sampleCount = 0;
    }
    view.lastBlockPeak = blockPeak;
    appendPoints(view, x, count, onset);
    view.hasData = true;
    view.invalid();
}

} // namespace

void PresetAwareEditor::pollVisualizationSnapshot() {
    removeClosedOverlays();
    applyFollowedParameterChanges();
    if (visualizationRecord) {
        VisualizationSnapshotCopy copy;
        if (visualizationRecord->tryCopy(copy, lastSnapshotSequence, &snapshotCopyHook)) {
            const uint64_t n = std::min<uint64_t>(copy.waveformCount, kSnapshotWaveformPoints);
            float samples[kSnapshotWaveformPoints] = {};
            for (uint64_t i = 0; i < n; ++i) samples[i] = finiteOrZero(copy.waveform[i]);
            applyVisualizationSnapshot(samples, n, copy.peakLeft, copy.peakRight, static_cast<double>(copy.tempo),
                                       copy.triggerCount);
        }
    }
    redrawIfShown(outputWaveform.get());
    redrawIfShown(gateWorkspace.get());
}

void PresetAwareEditor::applyVisualizationSnapshot(const float* samples, uint64_t count, float peakLeft,
                                                   float peakRight, double tempo, uint64_t triggerCount) {
    if (outputMeter) {
        outputMeter->peakLeft = std::clamp(finiteOrZero(peakLeft), 0.0f, 1.0f);
        outputMeter->peakRight = std::clamp(finiteOrZero(peakRight), 0.0f, 1.0f);
        outputMeter->invalid();
    }
    if (outputWaveform) pushWaveform(*outputWaveform, samples, count, triggerCount);

    tempo = finiteOrZero(tempo);
    if (tempoDisplay && std::fabs(tempoDisplay->tempo - tempo) > kTempoRedrawStep) {
        tempoDisplay->tempo = tempo;
        tempoDisplay->invalid();
    }
    const bool manual = controller->getParamNormalized(kManualTempo) >= 0.5;
    if (tempoModeSelector && tempoModeSelector->manualMode != manual) {
        tempoModeSelector->manualMode = manual;
        tempoModeSelector->invalid();
    }
    // Following the host's tempo, the knob shows it; a knob the user is dragging is left alone.
    if (tempoRateKnob && !manual && !tempoRateKnob->isEditing()) {
        const double v = std::clamp(tempo / kTempoKnobSpanBpm - kTempoKnobMinBpm / kTempoKnobSpanBpm, 0.0, 1.0);
        tempoRateKnob->setValueNormalized(static_cast<float>(v));
        tempoRateKnob->invalid();
    }
}

} // namespace TarnwellPlugin
