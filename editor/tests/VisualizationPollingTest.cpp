// The editor's 33 ms poll of its controller's visualization record and what it pushes into the
// meter, the waveform capture and the tempo views.
#include "EditorTestSupport.h"

#include "SharedVisualizationSnapshot.h"
#include "views/OutputMeterView.h"
#include "views/OutputWaveformView.h"
#include "views/TempoDisplayView.h"
#include "views/TempoModeSelector.h"

#include <cmath>
#include <limits>
#include <vector>

namespace TarnwellPlugin::testing {
namespace {

using namespace VSTGUI;

class VisualizationPolling : public EditorFixture {
protected:
    void SetUp() override {
        EditorFixture::SetUp();
        ASSERT_TRUE(open());
    }
    SharedVisualizationSnapshot& record() { return controller->visualizationSnapshot(); }
    void publish(float peak, const std::vector<float>& wave, uint64_t triggers = 1, float tempo = 120.0f) {
        ASSERT_TRUE(record().publish(peak, peak / 2, tempo, 0.0f, triggers, wave.data(),
                                     static_cast<uint32_t>(wave.size())));
    }
    void tick() { loop.advance(33); }
    OutputWaveformView& wave() { return *editor->outputWaveform; }
};

TEST_F(VisualizationPolling, OnlyANewEvenCounterIsApplied) {
    publish(0.5f, {0.1f, 0.2f});
    tick();
    EXPECT_FLOAT_EQ(editor->outputMeter->peakLeft, 0.5f);
    EXPECT_FLOAT_EQ(editor->outputMeter->peakRight, 0.25f);
    EXPECT_EQ(wave().sampleCount, 16u);

    // Unchanged counter: the same snapshot is not applied twice.
    editor->outputMeter->peakLeft = 0.0f;
    tick();
    EXPECT_EQ(editor->outputMeter->peakLeft, 0.0f);
    EXPECT_EQ(wave().sampleCount, 16u);

    // An odd counter (a publication in progress) applies nothing, however often it is polled.
    const uint64_t even = record().sequence.load();
    record().sequence.store(even + 1);
    tick();
    tick();
    EXPECT_EQ(editor->outputMeter->peakLeft, 0.0f);
    EXPECT_EQ(editor->lastSnapshotSequence, even);
    record().sequence.store(even + 2);
    tick();
    EXPECT_EQ(editor->lastSnapshotSequence, even + 2);
    EXPECT_FLOAT_EQ(editor->outputMeter->peakLeft, 0.5f);
}

TEST_F(VisualizationPolling, ACopyTornByAPublicationIsDroppedAndTheNextTickAppliesIt) {
    publish(0.1f, {0.1f});
    tick();
    const uint64_t seen = editor->lastSnapshotSequence;
    publish(0.2f, {0.2f});
    bool published = false;
    editor->snapshotCopyHook = [&] {
        if (published) return;
        published = true;
        publish(0.9f, {0.9f}); // lands between the loads of the copy
    };
    tick();
    EXPECT_TRUE(published);
    EXPECT_EQ(editor->lastSnapshotSequence, seen); // the torn copy is not marked as seen
    EXPECT_FLOAT_EQ(editor->outputMeter->peakLeft, 0.1f);
    tick();
    EXPECT_EQ(editor->lastSnapshotSequence, record().sequence.load());
    EXPECT_FLOAT_EQ(editor->outputMeter->peakLeft, 0.9f);
}

TEST_F(VisualizationPolling, EachEditorShowsItsOwnControllersSound) {
    LoggingController* other = new LoggingController;
    ASSERT_EQ(other->initialize(nullptr), Steinberg::kResultOk);
    auto* otherEditor = new PresetAwareEditor(other, "view", description.c_str());
    ASSERT_EQ(otherEditor->attached(reinterpret_cast<void*>(1), Steinberg::Vst::kPlatformTypeOffscreen),
              Steinberg::kResultTrue);
    const float quiet = 0.1f, loud = 0.8f;
    other->visualizationSnapshot().publish(loud, loud, 90.0f, 0.0f, 3, &loud, 1);
    publish(quiet, {quiet}, 1, 140.0f);
    tick();
    EXPECT_FLOAT_EQ(editor->outputMeter->peakLeft, quiet);
    EXPECT_FLOAT_EQ(otherEditor->outputMeter->peakLeft, loud);
    EXPECT_DOUBLE_EQ(editor->tempoDisplay->tempo, 140.0);
    EXPECT_DOUBLE_EQ(otherEditor->tempoDisplay->tempo, 90.0);
    EXPECT_EQ(otherEditor->outputWaveform->latestTriggerCount, 3u);
    otherEditor->removed();
    otherEditor->release();
    other->terminate();
    other->release();
}

TEST_F(VisualizationPolling, NonFiniteValuesCountAsSilence) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    ASSERT_TRUE(record().publish(nan, inf, nan, 0.0f, 2, std::vector<float>{nan, 0.5f, -inf}.data(), 3));
    tick();
    EXPECT_EQ(editor->outputMeter->peakLeft, 0.0f);
    EXPECT_EQ(editor->outputMeter->peakRight, 0.0f);
    EXPECT_EQ(editor->tempoDisplay->tempo, 0.0);
    for (uint64_t i = 0; i < wave().sampleCount; ++i) EXPECT_TRUE(std::isfinite(wave().ring[i])) << i;
    EXPECT_FLOAT_EQ(wave().lastBlockPeak, 0.5f);
    // Peaks above full scale are clamped.
    publish(3.0f, {0.1f});
    tick();
    EXPECT_EQ(editor->outputMeter->peakLeft, 1.0f);
}

TEST_F(VisualizationPolling, EverySnapshotAddsSixteenPeakPointsOfItsSlices) {
    // 32 samples: slice j covers samples 2j and 2j + 1; the larger magnitude wins with its sign,
    // the earlier one on a tie.
    std::vector<float> x(32);
    for (size_t i = 0; i < x.size(); ++i) x[i] = (i % 2 ? -1.0f : 1.0f) * static_cast<float>(i % 5) / 10.0f;
    x[6] = -0.3f;
    x[7] = 0.3f; // a tie: the first in time wins
    publish(0.5f, x);
    tick();
    ASSERT_EQ(wave().sampleCount, 16u);
    EXPECT_TRUE(wave().hasData);
    for (size_t j = 0; j < 16; ++j) {
        const float a = x[2 * j], b = x[2 * j + 1];
        EXPECT_FLOAT_EQ(wave().ring[j], std::fabs(b) > std::fabs(a) ? b : a) << j;
    }
    EXPECT_FLOAT_EQ(wave().ring[3], -0.3f);

    // 5 samples still give 16 points (slices of at least one sample, repeating).
    publish(0.5f, {0.1f, 0.2f, 0.3f, 0.4f, 0.5f}, 1);
    tick();
    EXPECT_EQ(wave().sampleCount, 32u);
    const float expected[16] = {0.1f, 0.1f, 0.1f, 0.1f, 0.2f, 0.2f, 0.2f, 0.3f,
                                0.3f, 0.3f, 0.4f, 0.4f, 0.4f, 0.5f, 0.5f, 0.5f};
    for (size_t j = 0; j < 16; ++j) EXPECT_FLOAT_EQ(wave().ring[16 + j], expected[j]) << j;

    // A snapshot without samples updates the meter and the trigger count, and appends nothing.
    ASSERT_TRUE(record().publish(0.7f, 0.7f, 120.0f, 0.0f, 9, nullptr, 0));
    tick();
    EXPECT_EQ(wave().sampleCount, 32u);
    EXPECT_EQ(wave().latestTriggerCount, 9u);
    EXPECT_FLOAT_EQ(editor->outputMeter->peakLeft, 0.7f);

    // Frozen: nothing is appended, the trigger count still follows.
    wave().setFrozen(true);
    publish(0.5f, x, 10);
    tick();
    EXPECT_EQ(wave().sampleCount, 32u);
    EXPECT_EQ(wave().latestTriggerCount, 10u);
}

TEST_F(VisualizationPolling, RetriggerWaitsForTheNextKickAndStartsAtItsOnset) {
    publish(0.5f, std::vector<float>(128, 0.5f), 4);
    tick();
    wave().clearCapture();
    ASSERT_TRUE(wave().waitingForKick);
    EXPECT_EQ(wave().armedTriggerCount, 4u);

    // The same kick: only the block peak is kept.
    publish(0.5f, std::vector<float>(128, 0.25f), 4);
    tick();
    EXPECT_EQ(wave().sampleCount, 0u);
    EXPECT_FLOAT_EQ(wave().lastBlockPeak, 0.25f);

    // A new kick whose samples cross 0.12 of the block peak at index 64: the ring restarts there.
    std::vector<float> kick(128, 0.0f);
    for (size_t i = 64; i < 128; ++i) kick[i] = (i == 100) ? -1.0f : 0.5f;
    kick[10] = 0.11f; // below 0.12: not the onset
    publish(1.0f, kick, 5);
    tick();
    EXPECT_FALSE(wave().waitingForKick);
    ASSERT_EQ(wave().sampleCount, 16u);
    // 64 samples from the onset, 4 per point; point 9 covers samples 100..103.
    EXPECT_FLOAT_EQ(wave().ring[0], 0.5f);
    EXPECT_FLOAT_EQ(wave().ring[9], -1.0f);

    // A kick whose samples all stay under the threshold floor starts at its last sample.
    wave().clearCapture();
    publish(0.001f, std::vector<float>(128, 0.001f), 6);
    tick();
    EXPECT_EQ(wave().sampleCount, 16u);
    for (size_t j = 0; j < 16; ++j) EXPECT_FLOAT_EQ(wave().ring[j], 0.001f);
}

TEST_F(VisualizationPolling, TempoViewsFollowTheSnapshotUnlessManualOrDragged) {
    publish(0.1f, {0.1f}, 1, 128.0f);
    tick();
    EXPECT_DOUBLE_EQ(editor->tempoDisplay->tempo, 128.0);
    EXPECT_FLOAT_EQ(editor->tempoRateKnob->getValueNormalized(), static_cast<float>((128.0 - 15.0) / 285.0));

    // Changes of at most 0.01 BPM are not shown; 0.011 is.
    publish(0.1f, {0.1f}, 1, 128.0f + 1.0f / 128.0f);
    tick();
    EXPECT_DOUBLE_EQ(editor->tempoDisplay->tempo, 128.0);
    publish(0.1f, {0.1f}, 1, 128.011f);
    tick();
    EXPECT_DOUBLE_EQ(editor->tempoDisplay->tempo, static_cast<double>(128.011f));

    // Out of range tempi pin the knob to its ends.
    publish(0.1f, {0.1f}, 1, 400.0f);
    tick();
    EXPECT_EQ(editor->tempoRateKnob->getValueNormalized(), 1.0f);

    // While the user drags the knob, the host tempo does not move it.
    editor->tempoRateKnob->beginEdit();
    editor->tempoRateKnob->setValueNormalized(0.3f);
    publish(0.1f, {0.1f}, 1, 60.0f);
    tick();
    EXPECT_FLOAT_EQ(editor->tempoRateKnob->getValueNormalized(), 0.3f);
    editor->tempoRateKnob->endEdit();

    // With Manual Tempo the knob shows the own rate; the mode selector follows the parameter.
    controller->setParamNormalized(kManualTempo, 1.0);
    controller->setParamNormalized(kSequenceRate, 0.6);
    publish(0.1f, {0.1f}, 1, 60.0f);
    tick();
    EXPECT_TRUE(editor->tempoModeSelector->manualMode);
    EXPECT_FLOAT_EQ(editor->tempoRateKnob->getValueNormalized(), 0.6f);
}

} // namespace
} // namespace TarnwellPlugin::testing
