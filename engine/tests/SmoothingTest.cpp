#include "EngineFixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace TarnwellPlugin;
using namespace TarnwellPlugin::Testing;

namespace {

struct LengthCase {
    double sampleRate;
    int32_t ramp12ms, ramp20ms, ramp24ms;
    int32_t outputTotal, outputFade, shortTotal, shortFade;
};

} // namespace

TEST(Smoothing, RampAndDeclickerLengthsFollowTheSampleRate) {
    const LengthCase cases[] = {
        {44100.0, 529, 882, 1058, 1411, 470, 352, 117},
        {48000.0, 576, 960, 1152, 1536, 512, 384, 128},
        {96000.0, 1152, 1920, 2304, 3072, 1024, 768, 256},
    };
    for (const auto& c : cases) {
        SoundEngine engine;
        engine.prepare(c.sampleRate);
        auto& e = engine.impl();
        for (int32_t i = kRampVolume; i <= kRampSubMix; ++i) EXPECT_EQ(e.ramps[i].length, c.ramp12ms) << c.sampleRate;
        for (int32_t i = kRampKickDryReturn; i <= kRampSubDryReturn; ++i)
            EXPECT_EQ(e.ramps[i].length, c.ramp20ms) << c.sampleRate;
        EXPECT_EQ(e.ramps[kRampFilterResonance].length, c.ramp20ms);
        EXPECT_EQ(e.ramps[kRampFilterCutoff].length, c.ramp24ms);
        EXPECT_EQ(e.outputDeclicker.totalLength, c.outputTotal);
        EXPECT_EQ(e.outputDeclicker.fadeOutLength, c.outputFade);
        for (const Declicker* d : {&e.kickBusDeclicker, &e.subDeclicker}) {
            EXPECT_EQ(d->totalLength, c.shortTotal);
            EXPECT_EQ(d->fadeOutLength, c.shortFade);
            EXPECT_FALSE(d->running());
        }
    }
}

TEST(Smoothing, VolumeRampReachesItsTargetAfterItsLengthInEqualSteps) {
    EngineRig rig;
    auto& ramp = rig.engine.impl().ramps[kRampVolume];
    ASSERT_DOUBLE_EQ(ramp.current, 0.8);
    rig.changes.add(kVolume, 0.4);
    rig.render(1);
    EXPECT_NEAR(ramp.current, 0.8 - 0.4 / 529.0, 1e-12);
    rig.render(527);
    EXPECT_NEAR(ramp.current, 0.8 - 528.0 * 0.4 / 529.0, 1e-12);
    EXPECT_EQ(ramp.remaining, 1);
    rig.render(1);
    EXPECT_EQ(ramp.current, 0.4);
    EXPECT_EQ(ramp.remaining, 0);
}

TEST(Smoothing, DeclickerFadesTheHeldValueOutThenTheInputIn) {
    Declicker d;
    d.prepare(9); // fade-out 3, fade-in 6
    for (int i = 0; i < 4; ++i) d.process(1.0);
    d.request();
    std::vector<double> out;
    for (int i = 0; i < 10; ++i) out.push_back(d.process(0.5));
    const auto smoothstep = [](double u) { return u * u * (3.0 - 2.0 * u); };
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(out[i], 1.0 - smoothstep(i / 3.0), 1e-12) << i;
    for (int i = 3; i < 9; ++i) EXPECT_NEAR(out[i], 0.5 * smoothstep((i - 3) / 6.0), 1e-12) << i;
    EXPECT_EQ(out[9], 0.5);
    EXPECT_FALSE(d.running());
}

TEST(Smoothing, OutOfRangeAndNanValuesAreClampedAtUse) {
    EngineRig rig;
    rig.changes.add(kVolume, 7.0);
    rig.changes.add(kKickTune, std::nan(""));
    rig.changes.add(kSequenceRate, -3.0);
    rig.render(64);
    auto& e = rig.engine.impl();
    EXPECT_EQ(e.ramps[kRampVolume].target, 1.0);
    EXPECT_EQ(e.kick.settings.tune, 30.0);
    EXPECT_EQ(e.sequencer.main.stepsPerSecond, 1.0);
    // The stored value stays as it came (the state writes it back unchanged).
    EXPECT_EQ(rig.engine.parameters().raw(kVolume), 7.0);
}

TEST(Smoothing, OrdinaryAutomationKeepsTheOutputRunningWhileAPresetChangeCrossfades) {
    EngineRig rig;
    rig.render(64);
    auto& e = rig.engine.impl();
    // Two or three automated parameters: no crossfade, even when they change.
    rig.changes.add(kRumbleAmount, 0.5);
    rig.changes.add(kKickDrive, 0.3);
    rig.changes.add(kDelayMix, 0.2);
    rig.render(64);
    EXPECT_FALSE(e.outputDeclicker.running());
    // Eight changed values in one block: a preset change.
    const ParamId ids[] = {kKickTune, kKickDecay, kKickPitchDrop, kKickPitchDecay,
                           kKickTransient, kKickPunch, kKickBodyWeight, kKickClickTone};
    for (ParamId id : ids) rig.changes.add(id, 0.61);
    rig.render(64);
    EXPECT_TRUE(e.outputDeclicker.running());
    // The same eight values again change nothing.
    rig.renderInBlocks(2048, 512);
    for (ParamId id : ids) rig.changes.add(id, 0.61);
    rig.render(64);
    EXPECT_FALSE(e.outputDeclicker.running());
}

TEST(Smoothing, RoomChangesCrossfadeOnlyWhenTheRoundedIndexChanges) {
    EngineRig rig;
    auto& e = rig.engine.impl();
    rig.changes.add(kAmbienceType, 0.26); // still "Studio"
    rig.render(64);
    EXPECT_FALSE(e.outputDeclicker.running());
    rig.changes.add(kLongReverbSpace, 0.75); // "Cavern"
    rig.render(64);
    EXPECT_TRUE(e.outputDeclicker.running());
}

TEST(Smoothing, ARoomChangeDuringARunningFadeStartsANewFadeFromTheLastOutput) {
    EngineRig rig;
    rig.engine.parameters().store(kSequencerEnabled, 0.0);
    rig.events.noteOn(0, 1.0f);
    rig.render(2000);
    rig.changes.add(kAmbienceType, 0.5); // "Large Hall"
    rig.render(200);                      // 200 of the 470 fade-out samples
    const double last = rig.left.back();
    ASSERT_GT(std::fabs(last), 0.01);
    rig.changes.add(kLongReverbSpace, 0.75); // "Cavern"
    rig.render(470);
    // The output stages after the fade are off: the output is the held value fading out again.
    const auto smoothstep = [](double u) { return u * u * (3.0 - 2.0 * u); };
    for (int i = 0; i < 470; ++i)
        ASSERT_NEAR(rig.left[2200 + i], last * (1.0 - smoothstep(i / 470.0)), 1e-6) << i;
}

TEST(Smoothing, APresetChangeCountsChangedValuesNotQueues) {
    const ParamId kick[] = {kKickTune,      kKickDecay, kKickPitchDrop,  kKickPitchDecay,
                            kKickTransient, kKickPunch, kKickBodyWeight, kKickClickTone};
    struct Queue {
        ParamId id;
        double value;
    };
    struct Case {
        const char* name;
        std::vector<Queue> queues;
        bool presetChange;
    };
    std::vector<Queue> oneIdEightTimes, eightIds, sevenIdsOneTwice, eightIdsOneBackToItsValue;
    for (int i = 0; i < 8; ++i) oneIdEightTimes.push_back({kKickTune, 0.1 * (i + 1)});
    for (int i = 0; i < 8; ++i) eightIds.push_back({kick[i], 0.61});
    for (int i = 0; i < 7; ++i) sevenIdsOneTwice.push_back({kick[i], 0.61});
    sevenIdsOneTwice.push_back({kick[0], 0.72});
    eightIdsOneBackToItsValue = eightIds;
    eightIdsOneBackToItsValue.push_back({kick[7], 0.0}); // the later queue wins: unchanged
    const Case cases[] = {
        {"eight queues for one id", oneIdEightTimes, false},
        {"eight ids", eightIds, true},
        {"seven ids, one of them twice", sevenIdsOneTwice, false},
        {"eight ids, one set back to its value", eightIdsOneBackToItsValue, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EngineRig rig;
        rig.engine.parameters().store(kKickClickTone, 0.0);
        rig.engine.parameters().store(kSequencerEnabled, 0.0);
        rig.events.noteOn(0, 1.0f);
        rig.render(4096); // the delay line holds the hit
        auto& e = rig.engine.impl();
        const auto delayEnergy = [&e] {
            double sum = 0.0;
            for (float v : e.delay.line) sum += std::fabs(v);
            return sum;
        };
        const double before = delayEnergy();
        ASSERT_GT(before, 0.0);
        for (const Queue& q : c.queues) rig.changes.add(q.id, q.value);
        rig.render(64);
        EXPECT_EQ(e.outputDeclicker.running(), c.presetChange);
        // Cleared, the line holds only the block's 64 new samples.
        EXPECT_EQ(delayEnergy() < 0.1 * before, c.presetChange) << "tails cleared";
    }
}
