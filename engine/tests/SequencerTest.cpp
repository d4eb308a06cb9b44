#include "EngineFixture.h"

#include <gtest/gtest.h>

#include <numeric>

using namespace TarnwellPlugin;
using namespace TarnwellPlugin::Testing;

namespace {

// Renders one sample at a time and returns the sample indices at which a kick was triggered.
std::vector<int64_t> triggerSamples(EngineRig& rig, int64_t samples) {
    std::vector<int64_t> at;
    uint64_t count = rig.engine.impl().capture.triggerCount;
    for (int64_t s = 0; s < samples; ++s) {
        rig.render(1);
        const uint64_t now = rig.engine.impl().capture.triggerCount;
        for (uint64_t i = count; i < now; ++i) at.push_back(s);
        count = now;
    }
    return at;
}

void setAllSteps(EngineRig& rig, double value) {
    for (int i = 0; i < 16; ++i) rig.engine.parameters().store(kStep1 + i, value);
}

} // namespace

TEST(Sequencer, FollowsTheHostPositionInSixteenths) {
    EngineRig rig;
    setAllSteps(rig, 1.0);
    rig.play(120.0, 0.0);
    // A sixteenth at 120 BPM and 44100 Hz is 5512.5 samples; a step fires on the first sample at
    // or after its start.
    const auto at = triggerSamples(rig, 11026);
    EXPECT_EQ(at, (std::vector<int64_t>{0, 5513, 11025}));
}

TEST(Sequencer, PreRollPlaysTheLastStep) {
    EngineRig rig;
    setAllSteps(rig, 0.0);
    rig.engine.parameters().store(kStep1 + 15, 1.0);
    rig.play(120.0, -0.25);
    rig.render(1);
    EXPECT_EQ(rig.engine.impl().sequencer.main.currentStep, 15);
    EXPECT_EQ(rig.engine.impl().capture.triggerCount, 1u);
}

TEST(Sequencer, FreeRunningCountdownAveragesItsStepLength) {
    EngineRig rig;
    setAllSteps(rig, 1.0);
    rig.engine.parameters().store(kManualTempo, 1.0);
    rig.engine.parameters().store(kSequenceRate, 7.0 / 19.0); // 8 steps per second
    const auto at = triggerSamples(rig, 44100 * 3);
    ASSERT_GE(at.size(), 21u);
    EXPECT_EQ(at[0], 0);
    // A firing sample does not count down, so the steps come every 5513.5 samples on average.
    EXPECT_DOUBLE_EQ((at[20] - at[0]) / 20.0, 5513.5);
}

TEST(Sequencer, TransportStartResetsAndStopReleases) {
    EngineRig rig;
    setAllSteps(rig, 1.0);
    rig.play(120.0, 10.1); // mid-step: the first sample still fires the current step
    rig.render(64);
    auto& e = rig.engine.impl();
    EXPECT_EQ(e.capture.triggerCount, 1u);
    EXPECT_EQ(e.sequencer.main.currentStep, 40 & 15);
    EXPECT_TRUE(e.sequencer.gate);
    rig.stop();
    rig.render(64);
    EXPECT_FALSE(e.sequencer.gate);
    EXPECT_EQ(e.sequencer.main.currentStep, -1);
    rig.renderInBlocks(44100, 512);
    EXPECT_EQ(e.capture.triggerCount, 1u); // stopped: no steps
    rig.play(120.0, 10.1);
    rig.render(1);
    EXPECT_EQ(e.capture.triggerCount, 2u);
}

TEST(Sequencer, NoteEventsTriggerAndRelease) {
    EngineRig rig;
    rig.engine.parameters().store(kSequencerEnabled, 0.0);
    rig.render(16);
    auto& e = rig.engine.impl();
    rig.events.noteOn(3, 0.7f);
    rig.render(16);
    EXPECT_EQ(e.capture.triggerCount, 1u);
    EXPECT_FLOAT_EQ(static_cast<float>(e.triggerVelocity), 0.7f);
    EXPECT_TRUE(e.sequencer.gate);
    rig.events.noteOn(2, 0.0f); // velocity 0 is a note-off
    rig.render(16);
    EXPECT_EQ(e.capture.triggerCount, 1u);
    EXPECT_FALSE(e.sequencer.gate);
    rig.events.noteOn(0, 2.0f); // clamped to 1
    rig.render(16);
    EXPECT_EQ(e.triggerVelocity, 1.0);
}

TEST(Sequencer, StepAndNoteOnTheSameSampleAreTwoTriggers) {
    EngineRig rig;
    rig.play(120.0, 0.0);
    rig.events.noteOn(0, 0.5f);
    rig.render(32);
    EXPECT_EQ(rig.engine.impl().capture.triggerCount, 2u);
    EXPECT_FLOAT_EQ(static_cast<float>(rig.engine.impl().triggerVelocity), 0.5f);
}

TEST(Sequencer, HalfStepsUseTheHalfStepVelocityAndZeroMeansEmpty) {
    EngineRig rig;
    setAllSteps(rig, 0.5);
    rig.engine.parameters().store(kHalfStepVelocity, 0.3);
    rig.play(120.0, 0.0);
    rig.render(1);
    EXPECT_EQ(rig.engine.impl().capture.triggerCount, 1u);
    EXPECT_DOUBLE_EQ(rig.engine.impl().triggerVelocity, 0.3);

    EngineRig silent;
    setAllSteps(silent, 0.5);
    silent.engine.parameters().store(kHalfStepVelocity, 0.0);
    silent.play(120.0, 0.0);
    silent.render(64);
    EXPECT_EQ(silent.engine.impl().capture.triggerCount, 0u);
    EXPECT_FALSE(silent.engine.impl().sequencer.gate);
}

TEST(Sequencer, EnvelopeRunsOnWithoutRetriggerWhileTheGateIsHeld) {
    EngineRig rig;
    rig.engine.parameters().store(kSequencerEnabled, 0.0);
    rig.engine.parameters().store(kEnvelopeRetrigger, 0.0);
    rig.events.noteOn(0, 1.0f);
    rig.render(100);
    auto& e = rig.engine.impl();
    const double before = e.envelope.time;
    rig.events.noteOn(0, 1.0f);
    rig.render(1);
    EXPECT_NEAR(e.envelope.time, before + 1.0 / 44100.0, 1e-12); // not restarted
    EXPECT_NEAR(e.kick.time, 1.0 / 44100.0, 1e-12);             // the kick restarted
    EXPECT_EQ(e.capture.triggerCount, 2u);
    rig.events.noteOff(0);
    rig.events.noteOn(1, 1.0f);
    rig.render(2);
    EXPECT_NEAR(e.envelope.time, 1.0 / 44100.0, 1e-12); // gate released: restarted
}

TEST(Sequencer, WithItsOwnPatternTheSubIsNotStartedByNotesOrMainSteps) {
    // A note: the kick starts and its bus crossfades; the sub stays silent.
    EngineRig notes;
    notes.engine.parameters().store(kSequencerEnabled, 0.0);
    notes.engine.parameters().store(kSubGeneratorSequencer, 1.0);
    notes.events.noteOn(0, 1.0f);
    notes.render(64);
    auto& e = notes.engine.impl();
    EXPECT_EQ(e.capture.triggerCount, 1u);
    EXPECT_TRUE(e.kick.active);
    EXPECT_TRUE(e.kickBusDeclicker.running());
    EXPECT_FALSE(e.sub.active);
    EXPECT_FALSE(e.subDeclicker.running());
    // A retrigger while the kick sounds fades the bus's last output out.
    notes.render(2000);
    const double last = e.kickBusDeclicker.lastOutput;
    ASSERT_NE(last, 0.0);
    notes.events.noteOn(0, 1.0f);
    notes.render(1);
    EXPECT_EQ(e.kickBusDeclicker.heldOutput, last);
    EXPECT_EQ(e.kickBusDeclicker.position, 1);

    // A main step, the sub's own pattern empty: the kick only.
    EngineRig steps;
    setAllSteps(steps, 1.0);
    steps.engine.parameters().store(kSubGeneratorSequencer, 1.0);
    for (int i = 0; i < 16; ++i) steps.engine.parameters().store(kSubStep1 + i, 0.0);
    steps.play(120.0, 0.0);
    steps.render(64);
    EXPECT_EQ(steps.engine.impl().capture.triggerCount, 1u);
    EXPECT_TRUE(steps.engine.impl().kick.active);
    EXPECT_FALSE(steps.engine.impl().sub.active);

    // Without its own pattern the same note starts the sub too.
    EngineRig plain;
    plain.engine.parameters().store(kSequencerEnabled, 0.0);
    plain.events.noteOn(0, 1.0f);
    plain.render(64);
    EXPECT_TRUE(plain.engine.impl().sub.active);
    EXPECT_TRUE(plain.engine.impl().subDeclicker.running());
}

TEST(Sequencer, TheSubOnItsOwnPatternIgnoresNoteOffsAndStopsWithItsEmptyStepsOrTheTransport) {
    EngineRig rig;
    ParameterBlock& p = rig.engine.parameters();
    setAllSteps(rig, 0.0); // empty main steps: gate off, but no release of this sub
    p.store(kSubGeneratorSequencer, 1.0);
    for (int i = 0; i < 16; ++i) p.store(kSubStep1 + i, i == 0 ? 1.0 : 0.0);
    auto& e = rig.engine.impl();
    rig.play(120.0, 0.0);
    rig.render(100);
    ASSERT_TRUE(e.sub.active);
    EXPECT_FALSE(e.sub.releasing);
    EXPECT_EQ(e.capture.triggerCount, 0u);
    // A note starts the kick, not the sub (which runs on from its own start).
    rig.events.noteOn(0, 1.0f);
    rig.render(100);
    EXPECT_EQ(e.capture.triggerCount, 1u);
    EXPECT_NEAR(e.sub.t, 200 / 44100.0, 1e-12);
    rig.events.noteOff(0);
    rig.render(100);
    EXPECT_FALSE(e.sub.releasing);
    // Its own empty step 2 (sample 5513) releases it.
    rig.render(5513 - 300);
    EXPECT_FALSE(e.sub.releasing);
    rig.render(1);
    EXPECT_TRUE(e.sub.releasing);

    // The transport stopping releases it whatever its pattern holds.
    EngineRig stop;
    for (int i = 0; i < 16; ++i) stop.engine.parameters().store(kSubStep1 + i, 1.0);
    stop.engine.parameters().store(kSubGeneratorSequencer, 1.0);
    stop.play(120.0, 0.0);
    stop.render(1000);
    ASSERT_TRUE(stop.engine.impl().sub.active);
    EXPECT_FALSE(stop.engine.impl().sub.releasing);
    stop.stop();
    stop.render(64);
    EXPECT_TRUE(stop.engine.impl().sub.releasing);
}
