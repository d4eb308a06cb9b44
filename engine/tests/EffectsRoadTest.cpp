// The effects chain as the render road drives it: clears and crossfades from the intake, the
// reverbs' retuning, the tails after the voices and their decay to silence.

#include "EngineFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

using namespace TarnwellPlugin;
using namespace TarnwellPlugin::Testing;

namespace {

double energy(const std::vector<float>& buffer) {
    double sum = 0.0;
    for (float v : buffer) sum += static_cast<double>(v) * v;
    return sum;
}

double delayEnergy(SoundEngine::Impl& e) { return energy(e.delay.line); }

double ambienceEnergy(SoundEngine::Impl& e) {
    double sum = 0.0;
    for (const auto& c : e.ambience.combs) sum += energy(c.buffer);
    for (const auto& a : e.ambience.allpasses) sum += energy(a.buffer);
    return sum;
}

double longReverbEnergy(SoundEngine::Impl& e) {
    double sum = energy(e.longReverb.preDelayLine);
    for (const auto& l : e.longReverb.lines) sum += energy(l.buffer);
    for (const auto& d : e.longReverb.diffusers) sum += energy(d.buffer);
    return sum;
}

double peak(const std::vector<float>& v, size_t from, size_t to) {
    double p = 0.0;
    for (size_t i = from; i < to && i < v.size(); ++i) p = std::max(p, static_cast<double>(std::fabs(v[i])));
    return p;
}

bool allFinite(const std::vector<float>& v) {
    return std::all_of(v.begin(), v.end(), [](float x) { return std::isfinite(x); });
}

// A rig that plays one note and nothing else: the sequencer is off, the tails are long.
void oneKickWithTails(EngineRig& rig) {
    ParameterBlock& p = rig.engine.parameters();
    p.store(kSequencerEnabled, 0.0);
    p.store(kDelayMix, 0.5);
    p.store(kDelayFeedback, 0.6);
    p.store(kAmbienceMix, 0.5);
    p.store(kLongReverbMix, 0.6);
    rig.events.noteOn(0, 1.0f);
}

} // namespace

TEST(EffectsRoad, PresetChangeClearsTheTailsAndCrossfadesOver32Ms) {
    EngineRig rig(44100.0);
    oneKickWithTails(rig);
    rig.renderInBlocks(22050, 512);
    auto& e = rig.engine.impl();
    ASSERT_GT(delayEnergy(e), 0.0);
    ASSERT_GT(ambienceEnergy(e), 0.0);
    ASSERT_GT(longReverbEnergy(e), 0.0);

    // Eight values changing in one block, seen before any sample is rendered.
    const ParamId ids[] = {kKickTune, kKickDecay, kKickPitchDrop, kKickPitchDecay,
                           kKickTransient, kKickPunch, kKickBodyWeight, kKickClickTone};
    for (ParamId id : ids) rig.changes.add(id, 0.37);
    rig.render(0);
    EXPECT_EQ(delayEnergy(e), 0.0);
    EXPECT_EQ(ambienceEnergy(e), 0.0);
    EXPECT_EQ(longReverbEnergy(e), 0.0);
    EXPECT_EQ(e.delay.writeIndex, 0u);
    EXPECT_DOUBLE_EQ(e.delay.smoothedTime, e.delay.timeTarget);
    EXPECT_TRUE(e.outputDeclicker.requested);

    // The crossfade takes floor(0.032 x 44100) = 1411 samples.
    rig.render(1410);
    EXPECT_TRUE(e.outputDeclicker.running());
    rig.render(1);
    EXPECT_FALSE(e.outputDeclicker.running());
}

TEST(EffectsRoad, OrdinaryAutomationLeavesTheTailsSounding) {
    EngineRig rig(44100.0);
    oneKickWithTails(rig);
    rig.renderInBlocks(22050, 512);
    auto& e = rig.engine.impl();
    const double delayBefore = delayEnergy(e);
    const double ambienceBefore = ambienceEnergy(e);
    const double longBefore = longReverbEnergy(e);

    for (int round = 0; round < 20; ++round) { // automation: a few values changing every block
        rig.changes.add(kDelayMix, 0.5 + 0.01 * round);
        rig.changes.add(kLongReverbDamping, 0.3 + 0.01 * round);
        rig.changes.add(kFilterCutoff, 0.9 - 0.005 * round);
        rig.render(0);
        EXPECT_GT(delayEnergy(e), 0.0);
        EXPECT_GT(ambienceEnergy(e), 0.0);
        EXPECT_GT(longReverbEnergy(e), 0.0);
        EXPECT_FALSE(e.outputDeclicker.requested);
        rig.render(64);
        EXPECT_FALSE(e.outputDeclicker.running());
    }
    EXPECT_GT(delayEnergy(e), 0.01 * delayBefore);
    EXPECT_GT(ambienceEnergy(e), 0.01 * ambienceBefore);
    EXPECT_GT(longReverbEnergy(e), 0.01 * longBefore);
    const size_t n = rig.left.size();
    EXPECT_GT(peak(rig.left, n - 1280, n), 1e-4); // still sounding
}

TEST(EffectsRoad, RoomChangesCrossfadeWithoutClearingOrAllocating) {
    const struct { ParamId id; double value; } changes[] = {
        {kAmbienceType, 1.0},     // "Plate"
        {kLongReverbSpace, 0.0},  // "Chamber"
    };
    for (const auto& c : changes) {
        EngineRig rig(48000.0);
        oneKickWithTails(rig);
        rig.renderInBlocks(24000, 480);
        auto& e = rig.engine.impl();
        const float* ambienceData = e.ambience.combs[0].buffer.data();
        const float* longData = e.longReverb.lines[0].buffer.data();
        rig.changes.add(c.id, c.value);
        rig.render(0);
        EXPECT_TRUE(e.outputDeclicker.requested) << c.id;
        EXPECT_GT(ambienceEnergy(e), 0.0) << c.id;
        EXPECT_GT(longReverbEnergy(e), 0.0) << c.id;
        EXPECT_EQ(e.ambience.combs[0].buffer.data(), ambienceData);
        EXPECT_EQ(e.longReverb.lines[0].buffer.data(), longData);
        if (c.id == kAmbienceType) {
            EXPECT_EQ(e.ambience.type, 4);
            EXPECT_EQ(e.ambience.combs[0].length, 1252u); // 0.9 x 29 ms at 48 kHz
        } else {
            EXPECT_EQ(e.longReverb.space, 0);
            EXPECT_EQ(e.longReverb.lines[0].length, 1157u); // 0.65 x 37.1 ms at 48 kHz
        }
        rig.render(4800);
        EXPECT_TRUE(allFinite(rig.left));
    }
}

TEST(EffectsRoad, LongReverbRetunesOnlyWhenItsSpaceIndexChanges) {
    EngineRig rig(44100.0);
    auto& e = rig.engine.impl();
    ASSERT_EQ(e.longReverb.space, 2);
    ASSERT_EQ(e.longReverb.lines[0].length, 2699u);
    // Mark line 0: an update that keeps the rounded space must not recompute the lengths.
    e.longReverb.lines[0].setLength(1000);
    rig.changes.add(kLongReverbSpace, 0.6); // still "Cathedral"
    rig.render(64);
    EXPECT_EQ(e.longReverb.lines[0].length, 1000u);
    rig.changes.add(kLongReverbDecay, 0.2); // other long reverb settings: no retune either
    rig.render(64);
    EXPECT_EQ(e.longReverb.lines[0].length, 1000u);
    rig.changes.add(kLongReverbSpace, 0.75); // "Cavern"
    rig.render(64);
    EXPECT_EQ(e.longReverb.space, 3);
    EXPECT_EQ(e.longReverb.lines[0].length, 3354u);
    EXPECT_EQ(e.longReverb.diffusers[3].length, 1238u);
}

TEST(EffectsRoad, WithoutLayerMixesAndDryReturnsOnlyTheTailsSound) {
    const ParamId mixes[] = {kKickGeneratorMix, k909SampleMix, kOscLayerMix, kSubGeneratorMix};
    // Silent from the start: a kick with every layer mix at 0 gives exactly nothing.
    {
        EngineRig rig(44100.0);
        oneKickWithTails(rig);
        for (ParamId id : mixes) rig.engine.parameters().store(id, 0.0);
        rig.engine.reset(); // ramps snap to the silent mixes
        rig.events.noteOn(0, 1.0f);
        rig.renderInBlocks(44100, 512);
        EXPECT_EQ(peak(rig.left, 0, rig.left.size()), 0.0);
        EXPECT_EQ(peak(rig.right, 0, rig.right.size()), 0.0);
    }
    // Mixes pulled to 0 after the kick: the delay and reverbs go on sounding.
    {
        EngineRig rig(44100.0);
        oneKickWithTails(rig);
        rig.renderInBlocks(8820, 441);
        for (ParamId id : mixes) rig.changes.add(id, 0.0);
        rig.render(441);
        auto& e = rig.engine.impl();
        rig.renderInBlocks(44100, 441);
        for (int32_t i = kRampKickMix; i <= kRampSubMix; ++i) EXPECT_EQ(e.ramps[i].current, 0.0);
        const size_t n = rig.left.size();
        EXPECT_GT(peak(rig.left, n - 4410, n), 1e-4);
        // With the tails cleared nothing is left to sound.
        e.delay.clear();
        e.ambience.clear();
        e.longReverb.clear();
        e.rumble.clear();
        e.mainFilter.reset();
        const size_t before = rig.left.size();
        rig.renderInBlocks(22050, 441);
        EXPECT_LT(peak(rig.left, before + 4410, rig.left.size()), 1e-6);
    }
}

TEST(EffectsRoad, EveryEffectAtItsLongestDecaysToSilenceAndStaysFinite) {
    // 8 kHz keeps the run short; the delay's 1 s repeats at 95 % set the length of the tail
    // (about -0.45 dB a second), so it takes a few minutes to fall below -100 dB.
    EngineRig rig(8000.0);
    ParameterBlock& p = rig.engine.parameters();
    p.store(kSequencerEnabled, 0.0);
    p.store(kDelayTime, 1.0);
    p.store(kDelayFeedback, 1.0);
    p.store(kDelayMix, 1.0);
    p.store(kAmbienceType, 0.75); // "Cathedral"
    p.store(kAmbienceDecay, 1.0);
    p.store(kAmbienceDamping, 0.0);
    p.store(kAmbienceMix, 1.0);
    p.store(kLongReverbSpace, 1.0); // "Endless"
    p.store(kLongReverbDecay, 1.0);
    p.store(kLongReverbDamping, 0.0);
    p.store(kLongReverbPreDelay, 1.0);
    p.store(kLongReverbMix, 1.0);
    p.store(kRumbleAmount, 1.0);
    p.store(kRumbleDecay, 1.0);
    p.store(kTailRhythmEnable, 1.0);
    p.store(kTailRhythmDepth, 1.0);
    for (ParamId id : {kStereoEnhancerEnable, kRiftFoldEnable, kVoidModEnable, kFattenerEnable}) p.store(id, 1.0);
    rig.events.noteOn(0, 1.0f);
    const int32_t second = 8000;
    double firstPeak = 0.0, lastPeak = 0.0;
    for (int s = 0; s < 300; ++s) {
        rig.left.clear();
        rig.right.clear();
        rig.renderInBlocks(second, 500);
        ASSERT_TRUE(allFinite(rig.left) && allFinite(rig.right)) << "second " << s;
        const double pk = std::max(peak(rig.left, 0, rig.left.size()), peak(rig.right, 0, rig.right.size()));
        if (s == 0) firstPeak = pk;
        lastPeak = pk;
    }
    EXPECT_GT(firstPeak, 0.01);
    EXPECT_LT(lastPeak, 1e-5);
}

TEST(EffectsRoad, SixtySecondsOfTailAfterOneKickStayFiniteAndReachSilence) {
    EngineRig rig(44100.0);
    ParameterBlock& p = rig.engine.parameters();
    p.store(kSequencerEnabled, 0.0);
    p.store(kLongReverbMix, 1.0);
    p.store(kLongReverbSpace, 1.0);
    p.store(kAmbienceMix, 0.6);
    rig.events.noteOn(0, 1.0f);
    std::vector<double> peaks;
    for (int s = 0; s < 60; ++s) {
        rig.left.clear();
        rig.right.clear();
        rig.renderInBlocks(44100, 512);
        ASSERT_TRUE(allFinite(rig.left) && allFinite(rig.right)) << "second " << s;
        peaks.push_back(std::max(peak(rig.left, 0, rig.left.size()), peak(rig.right, 0, rig.right.size())));
    }
    EXPECT_GT(peaks.front(), 0.01);
    EXPECT_GT(peaks[5], 0.0); // the 10 s reverb is still audible after five seconds
    EXPECT_LT(peaks.back(), 1e-6);
    EXPECT_LE(peaks[59], peaks[30]);
}

TEST(EffectsRoad, OutputGateFollowsTheHostPosition) {
    // 120 BPM at 44.1 kHz: a beat is 22050 samples. "1/4", depth 1, smooth 0: each beat is open
    // for its first 38 % (8379 samples) and closed after it (0.35 ms edges).
    EngineRig rig(44100.0);
    ParameterBlock& p = rig.engine.parameters();
    p.store(kOutputRhythmGate, 1.0);
    p.store(kOutputGateRate, 1.0 / 3.0);
    p.store(kOutputGateDepth, 1.0);
    p.store(kOutputGateSmooth, 0.0);
    rig.play(120.0, 0.0);
    rig.renderInBlocks(22050 * 4, 512);
    for (int beat = 0; beat < 4; ++beat) {
        const size_t start = static_cast<size_t>(beat) * 22050;
        EXPECT_GT(peak(rig.left, start, start + 8379), 1e-3) << beat;
        EXPECT_LT(peak(rig.left, start + 8379 + 600, start + 22050), 1e-9) << beat;
        EXPECT_LT(peak(rig.right, start + 8379 + 600, start + 22050), 1e-9) << beat;
    }
}

TEST(EffectsRoad, TailGateStepsWithTheSequencer) {
    // Free-running sequencer at 16 steps per second ("Sequence Rate" 15/19) and 32768 Hz: the
    // "1x Step" gate moves one step every 2048 samples, "2x Step" every 1024.
    const struct { double rateValue; int samplesPerStep; } cases[] = {{2.0 / 3.0, 2048}, {1.0, 1024}, {0.0, 8192}};
    for (const auto& c : cases) {
        EngineRig rig(32768.0);
        ParameterBlock& p = rig.engine.parameters();
        p.store(kManualTempo, 1.0);
        p.store(kSequenceRate, 15.0 / 19.0);
        p.store(kTailRhythmEnable, 1.0);
        p.store(kTailRhythmDepth, 1.0);
        p.store(kTailRhythmRate, c.rateValue);
        auto& e = rig.engine.impl();
        rig.render(c.samplesPerStep / 2); // the middle of step 0
        for (int k = 0; k < 12; ++k) {
            EXPECT_EQ(e.tailGate.step, k % 8) << c.rateValue << " " << k;
            rig.render(c.samplesPerStep);
        }
    }
}

TEST(EffectsRoad, OutputGainAtItsStoredDefaultIsUnity) {
    // "Output Gain" as a 32-bit state brings it back: 0.28571430, just above 2/7.
    EngineRig rig(48000.0);
    rig.changes.add(kOutputGain, static_cast<double>(static_cast<float>(2.0 / 7.0)));
    rig.events.noteOn(0, 1.0f);
    rig.renderInBlocks(48000, 480);
    auto& e = rig.engine.impl();
    EXPECT_FALSE(e.outputGain.driveBranch);
    EXPECT_EQ(e.outputGain.plainGain, 1.0);
    EXPECT_GT(e.outputGain.smoothedSetting, 2.0 / 7.0);
}
