// The sound sources and kick-bus stages inside the render road.

#include "EngineFixture.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace TarnwellPlugin;
using namespace TarnwellPlugin::Testing;

namespace {

// Every layer audible and every kick-bus stage working.
void allLayersOn(ParameterBlock& p) {
    p.store(kKickGeneratorMix, 1.0);
    p.store(k909SampleMix, 1.0);
    p.store(kOscLayerMix, 1.0);
    p.store(kSubGeneratorMix, 1.0); // the soft-clipped top of the sub gain
    p.store(kWaveform, 0.5);        // Saw
    p.store(kOscLayerAttack, 0.3);
    p.store(kOscLayerDecay, 0.6);
    p.store(kWaveLayerWaveform, 16.0 / 23); // a third-family table
    p.store(k909SamplePitch, 0.7);
    p.store(kSubGeneratorCompressor, 0.8);
    p.store(kSubGeneratorDrive, 1.0);
    p.store(kKickFilterMode, 0.25); // Low Pass
    p.store(kKickFilterResonance, 1.0);
    p.store(kKickCompression, 1.0);
    p.store(kFattenerEnable, 1.0);
    p.store(kFattenerAmount, 1.0);
    p.store(kRumbleAmount, 1.0);
    p.store(kRumbleDrive, 1.0);
    p.store(kRumbleDecay, 1.0);
    p.store(kLFO1Enabled, 1.0);
    p.store(kVolumeLFODepth, 1.0);
    p.store(kVolumeLFORate, 1.0);
    p.store(kLFO2Enabled, 1.0);
    p.store(kPitchLFODepth, 1.0);
    p.store(kLFO2Target, 1.0);
    p.store(kLfo2Shape, 1.0); // Sample & Hold
    for (ParamId id : {kExtendedMixKickDryReturn, kExtendedMixWaveDryReturn, kExtendedMixOSCDryReturn,
                       kExtendedMixSubDryReturn})
        p.store(id, 1.0);
}

} // namespace

TEST(SourcesRoad, EmbeddedTablesAreLoadedInTheEngine) {
    SoundEngine engine;
    const WaveLayer& w = engine.impl().wave;
    EXPECT_EQ(w.tables[0].size(), 23782u);
    EXPECT_EQ(w.tables[16].size(), 69736u);
    for (int32_t k = 0; k < WaveLayer::kTableCount; ++k) EXPECT_FALSE(w.tables[k].empty()) << k;
}

TEST(SourcesRoad, AllLayersOnStayFiniteAndBoundedAtEveryRateAndBlockSize) {
    for (double sr : {22050.0, 32000.0, 44100.0, 48000.0, 88200.0, 96000.0, 176400.0, 192000.0}) {
        for (int32 block : {1, 7, 64, 4096}) {
            SCOPED_TRACE(::testing::Message() << sr << " Hz, blocks of " << block);
            EngineRig rig(sr);
            allLayersOn(rig.engine.parameters());
            rig.engine.parameters().store(kSequencerEnabled, 0.0);
            const auto total = static_cast<int32>(0.6 * sr);
            const auto hitEvery = static_cast<int32>(0.15 * sr);
            float peak = 0.0f;
            for (int32 done = 0; done < total; done += block) {
                const int32 n = std::min(block, total - done);
                // A hit at every 150 ms boundary that falls in this block.
                const int32 next = (done + hitEvery - 1) / hitEvery * hitEvery;
                if (next < done + n) rig.events.noteOn(next - done, 1.0f);
                // Half way, change the kick filter mode and the wave table while sounding.
                if (done <= total / 2 && total / 2 < done + n) {
                    rig.changes.add(kKickFilterMode, 0.75);
                    rig.changes.add(kWaveLayerWaveform, 3.0 / 23);
                }
                rig.render(n);
            }
            for (size_t i = 0; i < rig.left.size(); ++i) {
                ASSERT_TRUE(std::isfinite(rig.left[i]) && std::isfinite(rig.right[i])) << i;
                peak = std::max({peak, std::fabs(rig.left[i]), std::fabs(rig.right[i])});
            }
            EXPECT_GT(peak, 0.01f);
            EXPECT_LT(peak, 4.0f);
            // The kick filter stayed stable: its integrators are small.
            EXPECT_LT(std::fabs(rig.engine.impl().kickFilter.low), 100.0);
            EXPECT_LT(std::fabs(rig.engine.impl().kickFilter.band), 100.0);
        }
    }
}

TEST(SourcesRoad, SnapshotReductionIsTheKickCompressorsMaximumSinceTheLastSnapshot) {
    EngineRig rig(48000.0);
    ParameterBlock& p = rig.engine.parameters();
    p.store(kSequencerEnabled, 0.0);
    p.store(kKickCompression, 0.9);
    p.store(kKickGeneratorMix, 1.0);
    float expectedMax = 0.0f;
    int32_t snapshots = 0;
    for (int32 s = 0; s < 48000; ++s) {
        if (s % 12000 == 0) rig.events.noteOn(0, 1.0f);
        rig.render(1);
        expectedMax = std::max(expectedMax, rig.engine.impl().kickFilter.reductionDb());
        float pl, pr, wave[kWaveformPoints], reduction = -1.0f;
        double tempo;
        uint64_t triggers;
        if (rig.engine.takeVisualizationSnapshot(pl, pr, wave, tempo, reduction, triggers)) {
            ASSERT_EQ(reduction, expectedMax) << s;
            expectedMax = 0.0f;
            ++snapshots;
        }
    }
    EXPECT_EQ(snapshots, 30); // 48000 / 1600
    // The compressor did engage.
    EXPECT_GT(rig.engine.impl().kickFilter.reductionDecibels(), 0.0);

    // Without compression the meter reads 0 dB.
    EngineRig quiet(48000.0);
    quiet.engine.parameters().store(kSequencerEnabled, 0.0);
    quiet.events.noteOn(0, 1.0f);
    quiet.render(2000);
    float pl, pr, wave[kWaveformPoints], reduction = -1.0f;
    double tempo;
    uint64_t triggers;
    ASSERT_TRUE(quiet.engine.takeVisualizationSnapshot(pl, pr, wave, tempo, reduction, triggers));
    EXPECT_EQ(reduction, 0.0f);
}

TEST(SourcesRoad, WaveTableSelectionFollowsTheParameter) {
    EngineRig rig;
    struct Case {
        double v;
        uint32_t table;
    };
    const Case cases[] = {{1.0 / 7, 1}, {7.0 / 15, 8}, {7.0 / 23, 8}, {1.0, 7}, {0.0, 0}, {22.0 / 23, 23}};
    for (const Case& c : cases) {
        rig.changes.add(kWaveLayerWaveform, c.v);
        rig.render(16);
        EXPECT_EQ(rig.engine.impl().wave.currentTable, c.table) << c.v;
    }
}

TEST(SourcesRoad, LfosModulateTheKickAndRetriggerWithTheHit) {
    EngineRig rig;
    ParameterBlock& p = rig.engine.parameters();
    p.store(kSequencerEnabled, 0.0);
    p.store(kKickTune, 0.5);
    p.store(kLFO1Enabled, 1.0);
    p.store(kVolumeLFODepth, 1.0);
    p.store(kLFO1Target, 0.0);    // Tune
    p.store(kLfo1Shape, 1.0 / 3); // Square: +1 for the first half turn
    p.store(kLfo1Retrig, 1.0);
    p.store(kLFO2Enabled, 0.0);
    rig.render(64);
    // 30 + 50 (0.5 + 1 * 1 * 0.5) Hz.
    EXPECT_NEAR(rig.engine.impl().kick.settings.tune, 80.0, 1e-9);
    EXPECT_GT(rig.engine.impl().lfos.phase[0], 0.0);
    rig.events.noteOn(10, 1.0f);
    rig.render(11);
    // The trigger at sample 10 restarted the phase; the sample's advance followed.
    const double step = (p.value(kVolumeLFORate) * 31.101767270538954 + 0.3141592653589793) / 44100.0;
    EXPECT_NEAR(rig.engine.impl().lfos.phase[0], step, 1e-15);
    // Disabled: the kick plays its stored tune.
    p.store(kLFO1Enabled, 0.0);
    rig.render(4);
    EXPECT_NEAR(rig.engine.impl().kick.settings.tune, 55.0, 1e-12);
}
