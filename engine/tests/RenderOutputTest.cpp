#include "EngineFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <vector>

using namespace TarnwellPlugin;
using namespace TarnwellPlugin::Testing;

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

ProcessData blockData(int32 samples, AudioBusBuffers* buses, int32 busCount) {
    ProcessData data{};
    data.symbolicSampleSize = kSample32;
    data.numSamples = samples;
    data.numOutputs = busCount;
    data.outputs = buses;
    return data;
}


} // namespace

TEST(RenderOutput, EvenChannelsGetLeftOddChannelsRightOnEveryBus) {
    for (int32 channels : {1, 2, 3}) {
        SoundEngine engine;
        engine.prepare(44100.0);
        engine.reset();
        engine.parameters().store(kStereoEnhancerEnable, 1.0);
        EventList events;
        events.noteOn(0, 1.0f);
        constexpr int32 n = 256;
        std::vector<std::vector<float>> storage(2 * channels, std::vector<float>(n, 99.0f));
        std::vector<float*> pointers;
        for (auto& s : storage) pointers.push_back(s.data());
        AudioBusBuffers buses[2]{};
        for (int b = 0; b < 2; ++b) {
            buses[b].numChannels = channels;
            buses[b].channelBuffers32 = pointers.data() + b * channels;
            buses[b].silenceFlags = ~0ull;
        }
        ProcessData data = blockData(n, buses, 2);
        data.inputEvents = &events;
        EXPECT_EQ(engine.process(data), kResultOk);
        for (int b = 0; b < 2; ++b) {
            EXPECT_EQ(buses[b].silenceFlags, 0u);
            for (int32 c = 0; c < channels; ++c)
                EXPECT_EQ(storage[b * channels + c], storage[c & 1]) << "bus " << b << " channel " << c;
        }
        EXPECT_NE(storage[0][100], 99.0f);
    }
}

TEST(RenderOutput, SilenceFlagsAreClearedEvenForSilence) {
    EngineRig rig;
    rig.engine.parameters().store(kSequencerEnabled, 0.0);
    float l[64], r[64];
    float* ch[2] = {l, r};
    AudioBusBuffers bus{};
    bus.numChannels = 2;
    bus.channelBuffers32 = ch;
    bus.silenceFlags = 3;
    ProcessData data = blockData(64, &bus, 1);
    rig.engine.process(data);
    EXPECT_EQ(bus.silenceFlags, 0u);
}

TEST(RenderOutput, DegenerateBlocksRenderNothingAndDoNotCrash) {
    SoundEngine engine;
    engine.prepare(44100.0);
    engine.reset();
    float l[16];
    float* oneNull[2] = {l, nullptr};
    AudioBusBuffers shortBus{};
    shortBus.numChannels = 2;
    shortBus.channelBuffers32 = oneNull;
    AudioBusBuffers nullBus{};
    nullBus.numChannels = 2;
    nullBus.channelBuffers32 = nullptr;

    ProcessData zeroSamples = blockData(0, &shortBus, 1);
    ProcessData noOutputs = blockData(16, nullptr, 0);
    ProcessData nullOutputs = blockData(16, nullptr, 1);
    ProcessData nullChannel = blockData(16, &shortBus, 1);
    ProcessData nullChannels = blockData(16, &nullBus, 1);
    ProcessData negative = blockData(-5, &shortBus, 1);
    for (ProcessData* d : {&zeroSamples, &noOutputs, &nullOutputs, &nullChannel, &nullChannels, &negative})
        EXPECT_EQ(engine.process(*d), kResultOk);
    for (float v : l) EXPECT_TRUE(std::isfinite(v));
}

TEST(RenderOutput, FrequencyPointsApplySampleAccuratelyAndEvenWithoutSamples) {
    EngineRig rig;
    auto& e = rig.engine.impl();
    int32 index = 0;
    IParamValueQueue* q = rig.changes.addParameterData(kFrequency, index);
    q->addPoint(0, 0.1, index);
    q->addPoint(100, 0.2, index);
    q->addPoint(600, 0.9, index); // beyond the block: never applied
    rig.render(100);
    EXPECT_EQ(rig.engine.parameters().raw(kFrequency), 0.1);

    q = rig.changes.addParameterData(kFrequency, index);
    q->addPoint(0, 0.3, index);
    q->addPoint(5, 0.4, index);
    float* none[1] = {nullptr};
    AudioBusBuffers bus{};
    bus.channelBuffers32 = none;
    ProcessData data = blockData(0, &bus, 1);
    data.inputParameterChanges = &rig.changes;
    rig.engine.process(data);
    EXPECT_EQ(rig.engine.parameters().raw(kFrequency), 0.4);
    (void)e;
}

TEST(RenderOutput, FiniteAtEverySampleRateAndTheSameWhateverTheBlockSize) {
    for (double sr : {22050.0, 44100.0, 48000.0, 88200.0, 96000.0, 192000.0}) {
        std::vector<float> reference;
        for (int32 block : {4096, 1, 7, 64}) {
            EngineRig rig(sr);
            rig.engine.parameters().store(kManualTempo, 1.0);
            rig.engine.parameters().store(kSequenceRate, 0.9);
            const auto total = static_cast<int32>(sr * 0.5);
            rig.renderInBlocks(total, block);
            for (float v : rig.left) ASSERT_TRUE(std::isfinite(v)) << sr << " " << block;
            if (reference.empty())
                reference = rig.left;
            else
                EXPECT_EQ(rig.left, reference) << sr << " block " << block;
        }
    }
}

TEST(RenderOutput, UnusableSampleRatesAndHostValuesFallBackSafely) {
    for (double sr : {0.0, -48000.0, std::nan(""), kInf, 1e12}) {
        EngineRig rig(sr);
        rig.play(120.0);
        rig.renderInBlocks(4096, 512);
        for (float v : rig.left) ASSERT_TRUE(std::isfinite(v)) << sr;
    }
    for (double tempo : {0.0, -10.0, std::nan(""), kInf, 1e300}) {
        for (double position : {0.0, std::nan(""), kInf, -1e300, 1e300}) {
            EngineRig rig;
            rig.play(tempo, position);
            rig.renderInBlocks(2048, 512);
            for (float v : rig.left) ASSERT_TRUE(std::isfinite(v)) << tempo << " " << position;
        }
    }
}

TEST(Visualization, SnapshotCadenceFollowsAThirtiethOfASecond) {
    EngineRig rig;
    float peakL, peakR, wave[kWaveformPoints], reduction;
    double tempo;
    uint64_t triggers;
    std::vector<int> due;
    for (int block = 1; block <= 70; ++block) {
        rig.render(64);
        if (rig.engine.takeVisualizationSnapshot(peakL, peakR, wave, tempo, reduction, triggers)) due.push_back(block);
    }
    // 1470 samples are due at 44100 Hz: every 23rd block of 64 (the 2-sample surplus is dropped).
    EXPECT_EQ(due, (std::vector<int>{23, 46, 69}));
    EXPECT_EQ(rig.engine.impl().capture.samplesSinceSnapshot, 64u);
    EXPECT_EQ(reduction, 0.0f);
}

TEST(Visualization, SnapshotClampsPeaksOrdersTheRingAndKeepsCountsOverReset) {
    SoundEngine engine;
    engine.prepare(48000.0);
    auto& c = engine.impl().capture;
    c.samplesSinceSnapshot = 1599;
    float peakL, peakR, wave[kWaveformPoints], reduction;
    double tempo;
    uint64_t triggers;
    EXPECT_FALSE(engine.takeVisualizationSnapshot(peakL, peakR, wave, tempo, reduction, triggers));
    for (uint32_t i = 0; i < 128; ++i) c.ring[i] = static_cast<float>(i);
    c.writeIndex = 5;
    c.samplesSinceSnapshot = 1600;
    c.peakLeft = 1.5f;
    c.peakRight = std::nanf("");
    c.reductionDb = 3.0f;
    c.triggerCount = 41;
    engine.reset();
    ASSERT_TRUE(engine.takeVisualizationSnapshot(peakL, peakR, wave, tempo, reduction, triggers));
    EXPECT_EQ(peakL, 1.0f);
    EXPECT_EQ(peakR, 0.0f);
    EXPECT_EQ(reduction, 3.0f);
    EXPECT_EQ(triggers, 41u);
    EXPECT_EQ(tempo, 128.0);
    for (uint32_t i = 0; i < 128; ++i) EXPECT_EQ(wave[i], static_cast<float>((5 + i) & 127));
    EXPECT_EQ(c.peakLeft, 0.0f);
    EXPECT_EQ(c.reductionDb, 0.0f);
    EXPECT_EQ(c.samplesSinceSnapshot, 0u);
}

TEST(Visualization, RingTakesEverySixteenthMidSample) {
    EngineRig rig;
    rig.engine.parameters().store(kSequencerEnabled, 0.0);
    rig.events.noteOn(0, 1.0f);
    rig.render(2048);
    const auto& c = rig.engine.impl().capture;
    EXPECT_EQ(c.writeIndex, 0u); // 128 points written: wrapped once
    for (uint32_t i = 0; i < 128; ++i) {
        const size_t s = 16 * i + 15;
        EXPECT_FLOAT_EQ(c.ring[i], (rig.left[s] + rig.right[s]) * 0.5f) << i;
    }
}

TEST(RenderOutput, FrequencyPointsInsideABlockChangeTheSoundAtTheirOffsets) {
    const auto oscAlone = [](EngineRig& rig) {
        ParameterBlock& p = rig.engine.parameters();
        p.store(kSequencerEnabled, 0.0);
        p.store(kKickGeneratorMix, 0.0);
        p.store(kOscLayerMix, 1.0);
        p.store(kOscLayerDecay, 1.0);
        rig.events.noteOn(0, 1.0f);
    };
    // Points at 0, 300 and 700 of one block.
    EngineRig one;
    oscAlone(one);
    int32 index = 0;
    IParamValueQueue* q = one.changes.addParameterData(kFrequency, index);
    q->addPoint(0, 0.1, index);
    q->addPoint(300, 0.5, index);
    q->addPoint(700, 0.9, index);
    one.render(1024);
    // The same values, each at the start of a block.
    EngineRig split;
    oscAlone(split);
    split.changes.add(kFrequency, 0.1);
    split.render(300);
    split.changes.add(kFrequency, 0.5);
    split.render(400);
    split.changes.add(kFrequency, 0.9);
    split.render(324);
    EXPECT_EQ(one.left, split.left);
    // Holding the first value: the osc's phase advance at sample 300 takes the new frequency, so
    // its value (read before the advance) first differs at sample 301.
    EngineRig held;
    oscAlone(held);
    held.changes.add(kFrequency, 0.1);
    held.render(1024);
    const auto firstDifference = std::mismatch(one.left.begin(), one.left.end(), held.left.begin()).first;
    EXPECT_EQ(firstDifference - one.left.begin(), 301);
}

TEST(Visualization, RunsOfSamplesCaptureAsSingleSamples) {
    // Peaks, ring points and counts of runs of any length and phase of the decimation, a NaN peak
    // kept and NaN samples passed over as std::max does.
    std::vector<float> left(3000), right(left.size());
    for (size_t i = 0; i < left.size(); ++i) {
        left[i] = static_cast<float>(0.9 * std::sin(0.011 * i) * std::exp(-1e-3 * i));
        right[i] = static_cast<float>(-0.8 * std::cos(0.017 * i));
    }
    left[1234] = 2.5f;
    right[77] = -1.75f;
    left[500] = std::nanf("");
    for (const int32_t length : {1, 3, 7, 16, 17, 64, 128, 1000}) {
        for (const bool nanPeak : {false, true}) {
            SCOPED_TRACE(testing::Message() << length << " " << nanPeak);
            VisualizationCapture single, run;
            if (nanPeak) single.peakRight = run.peakRight = std::nanf("");
            for (size_t start = 0; start < left.size(); start += length) {
                const size_t n = std::min(left.size() - start, static_cast<size_t>(length));
                for (size_t i = start; i < start + n; ++i) single.addSample(left[i], right[i]);
                run.addSamples(left.data() + start, right.data() + start, static_cast<int32_t>(n));
                ASSERT_EQ(std::bit_cast<uint32_t>(run.peakLeft), std::bit_cast<uint32_t>(single.peakLeft));
                ASSERT_EQ(std::bit_cast<uint32_t>(run.peakRight), std::bit_cast<uint32_t>(single.peakRight));
                ASSERT_EQ(run.decimationCounter, single.decimationCounter);
            }
            EXPECT_EQ(run.writeIndex, single.writeIndex);
            EXPECT_EQ(run.samplesSinceSnapshot, single.samplesSinceSnapshot);
            for (uint32_t i = 0; i < VisualizationCapture::kRingSize; ++i)
                EXPECT_EQ(std::bit_cast<uint32_t>(run.ring[i]), std::bit_cast<uint32_t>(single.ring[i])) << i;
        }
    }
}
