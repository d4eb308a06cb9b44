#include "PluginIds.h"
#include "ThudderController.h"
#include "ThudderProcessor.h"

#include "public.sdk/source/common/memorystream.h"
#include "public.sdk/source/vst/hosting/hostclasses.h"

#include "pluginterfaces/vst/ivstprocesscontext.h"
#include "pluginterfaces/vst/vstspeaker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <thread>
#include <vector>

using namespace TarnwellPlugin;
using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

std::string ascii(const TChar* s) {
    std::string out;
    for (; s && *s; ++s) out.push_back(static_cast<char>(*s));
    return out;
}

ProcessSetup setupAt(double rate, int32 sampleSize = kSample32) {
    ProcessSetup s{};
    s.processMode = kRealtime;
    s.symbolicSampleSize = sampleSize;
    s.maxSamplesPerBlock = 512;
    s.sampleRate = rate;
    return s;
}

// A processor wired directly to a controller, as a host without proxies would.
struct Rig {
    HostApplication host; // not reference-counted: it lives as long as the rig
    IPtr<ThudderProcessor> processor = owned(new ThudderProcessor);
    IPtr<ThudderController> controller = owned(new ThudderController);
    std::vector<float> left = std::vector<float>(512), right = std::vector<float>(512);
    float* channels[2] = {left.data(), right.data()};
    AudioBusBuffers out{};
    ProcessContext context{};
    ProcessData data{};

    explicit Rig(bool connect = true, bool withHostApplication = true) {
        FUnknown* ctx = withHostApplication ? static_cast<FUnknown*>(&host) : nullptr;
        EXPECT_EQ(processor->initialize(ctx), kResultOk);
        EXPECT_EQ(controller->initialize(ctx), kResultOk);
        if (connect) {
            processor->connect(controller);
            controller->connect(processor);
        }
        out.numChannels = 2;
        out.channelBuffers32 = channels;
        context.state = ProcessContext::kTempoValid | ProcessContext::kPlaying | ProcessContext::kProjectTimeMusicValid;
        context.tempo = 120.0;
        context.sampleRate = 44100.0;
        data.processMode = kRealtime;
        data.symbolicSampleSize = kSample32;
        data.numOutputs = 1;
        data.outputs = &out;
        data.processContext = &this->context;
    }
    ~Rig() {
        processor->setActive(false);
        processor->disconnect(controller);
        controller->disconnect(processor);
        controller->terminate();
        processor->terminate();
    }
    void start(double rate) {
        ProcessSetup s = setupAt(rate);
        ASSERT_EQ(processor->setupProcessing(s), kResultOk);
        ASSERT_EQ(processor->setActive(true), kResultOk);
        context.sampleRate = rate;
    }
    tresult block(int32 n = 512) {
        data.numSamples = n;
        return processor->process(data);
    }
};

} // namespace

TEST(ThudderProcessor, BusesAndRequirements) {
    Rig rig(false);
    auto* component = static_cast<IComponent*>(rig.processor.get());
    EXPECT_EQ(component->getBusCount(kAudio, kInput), 0);
    ASSERT_EQ(component->getBusCount(kAudio, kOutput), 1);
    ASSERT_EQ(component->getBusCount(kEvent, kInput), 1);
    EXPECT_EQ(component->getBusCount(kEvent, kOutput), 0);
    BusInfo info{};
    ASSERT_EQ(component->getBusInfo(kAudio, kOutput, 0, info), kResultOk);
    EXPECT_EQ(ascii(info.name), "Stereo Out");
    EXPECT_EQ(info.channelCount, 2);
    EXPECT_EQ(info.busType, kMain);
    EXPECT_EQ(info.flags, uint32(BusInfo::kDefaultActive));
    ASSERT_EQ(component->getBusInfo(kEvent, kInput, 0, info), kResultOk);
    EXPECT_EQ(ascii(info.name), "Event In");
    EXPECT_EQ(info.channelCount, 1);
    EXPECT_EQ(info.busType, kMain);
    EXPECT_EQ(info.flags, uint32(BusInfo::kDefaultActive));
    SpeakerArrangement arr = 0;
    EXPECT_EQ(rig.processor->getBusArrangement(kOutput, 0, arr), kResultOk);
    EXPECT_EQ(arr, SpeakerArr::kStereo);
    EXPECT_EQ(rig.processor->getProcessContextRequirements(), 0x444u);
    EXPECT_EQ(rig.processor->getLatencySamples(), 0u);
    TUID cid{};
    ASSERT_EQ(component->getControllerClassId(cid), kResultOk);
    EXPECT_TRUE(FUnknownPrivate::iidEqual(cid, ThudderControllerUID.toTUID()));
}

TEST(ThudderProcessor, OnlyThirtyTwoBitSamples) {
    Rig rig(false);
    EXPECT_EQ(rig.processor->canProcessSampleSize(kSample32), kResultTrue);
    EXPECT_EQ(rig.processor->canProcessSampleSize(kSample64), kResultFalse);
    ProcessSetup s = setupAt(48000.0, kSample64);
    EXPECT_EQ(rig.processor->setupProcessing(s), kResultFalse);
}

TEST(ThudderProcessor, TerminateRemovesTheBuses) {
    Rig rig(false);
    EXPECT_EQ(rig.processor->terminate(), kResultOk);
    EXPECT_EQ(rig.processor->getBusCount(kAudio, kOutput), 0);
    EXPECT_EQ(rig.processor->getBusCount(kEvent, kInput), 0);
}

// At 44100 Hz a snapshot is due every 1470 samples: one message per three blocks of 512.
TEST(ThudderProcessor, MessageCadenceFollowsTheEngineRate) {
    Rig rig;
    rig.start(44100.0);
    const auto& record = rig.controller->visualizationSnapshot();
    const int expectedAfterBlock[] = {0, 0, 1, 1, 1, 2, 2, 2, 3};
    for (int b = 0; b < 9; ++b) {
        ASSERT_EQ(rig.block(), kResultOk);
        EXPECT_EQ(record.sequence.load(), 2u * expectedAfterBlock[b]) << "after block " << b + 1;
    }
}

// A 64-bit set-up is refused, but the engine still follows its rate (96 kHz: every 3200 samples).
TEST(ThudderProcessor, RefusedSetupStillPreparesTheEngine) {
    Rig rig;
    rig.start(44100.0);
    ProcessSetup s = setupAt(96000.0, kSample64);
    EXPECT_EQ(rig.processor->setupProcessing(s), kResultFalse);
    const auto& record = rig.controller->visualizationSnapshot();
    for (int b = 0; b < 6; ++b) ASSERT_EQ(rig.block(), kResultOk);
    EXPECT_EQ(record.sequence.load(), 0u); // 3072 samples: not yet due at 96 kHz
    ASSERT_EQ(rig.block(), kResultOk);
    EXPECT_EQ(record.sequence.load(), 2u);
}

TEST(ThudderProcessor, NullChannelBuffersDoNotCrash) {
    Rig rig;
    rig.start(44100.0);
    rig.channels[1] = nullptr;
    EXPECT_EQ(rig.block(), kResultOk);
    rig.out.channelBuffers32 = nullptr;
    EXPECT_EQ(rig.block(), kResultOk);
    rig.data.outputs = nullptr;
    EXPECT_EQ(rig.block(), kResultOk);
    rig.data.numOutputs = 0;
    EXPECT_EQ(rig.block(), kResultOk);
    rig.data.processContext = nullptr;
    rig.data.outputs = &rig.out;
    rig.data.numOutputs = 1;
    rig.out.channelBuffers32 = rig.channels;
    rig.channels[1] = rig.right.data();
    EXPECT_EQ(rig.block(0), kResultOk);
    EXPECT_EQ(rig.block(), kResultOk);
}

// Without a peer, or with a host that hands out no messages, the render goes on.
TEST(ThudderProcessor, NoPeerOrNoMessagesIsQuiet) {
    {
        Rig rig(false);
        rig.start(44100.0);
        for (int b = 0; b < 6; ++b) EXPECT_EQ(rig.block(), kResultOk);
    }
    {
        Rig rig(true, false); // no IHostApplication: allocateMessage gives nothing
        rig.start(44100.0);
        for (int b = 0; b < 6; ++b) EXPECT_EQ(rig.block(), kResultOk);
        EXPECT_EQ(rig.controller->visualizationSnapshot().sequence.load(), 0u);
    }
}

TEST(ThudderProcessor, StateCallsReachTheEngine) {
    Rig rig(false);
    EXPECT_EQ(rig.processor->getState(nullptr), kResultFalse);
    EXPECT_EQ(rig.processor->setState(nullptr), kResultFalse);
}

namespace {

// Sits between processor and controller as a host's connection does, keeping a copy of what
// each visualization message carried.
class Tap : public IConnectionPoint {
public:
    explicit Tap(IConnectionPoint* destination) : destination_(destination) {}
    tresult PLUGIN_API connect(IConnectionPoint*) override { return kResultOk; }
    tresult PLUGIN_API disconnect(IConnectionPoint*) override { return kResultOk; }
    tresult PLUGIN_API notify(IMessage* message) override {
        IAttributeList* a = message->getAttributes();
        a->getFloat("PeakLeft", peakLeft);
        a->getFloat("PeakRight", peakRight);
        a->getFloat("Tempo", tempo);
        a->getFloat("CompressionReductionDb", reduction);
        a->getInt("TriggerCount", triggers);
        const void* data = nullptr;
        uint32 size = 0;
        if (a->getBinary("Waveform", data, size) == kResultOk && size == sizeof waveform)
            std::memcpy(waveform, data, size);
        ++messages;
        return destination_->notify(message);
    }
    tresult PLUGIN_API queryInterface(const TUID, void** obj) override {
        *obj = nullptr;
        return kNoInterface;
    }
    uint32 PLUGIN_API addRef() override { return 1; }
    uint32 PLUGIN_API release() override { return 1; }

    double peakLeft = -1, peakRight = -1, tempo = -1, reduction = 1;
    int64 triggers = -1;
    float waveform[128] = {};
    int messages = 0;

private:
    IConnectionPoint* destination_;
};

} // namespace

TEST(ThudderProcessor, ControllerPublishesWhatTheProcessorSent) {
    Rig rig(false);
    Tap tap(rig.controller);
    rig.processor->connect(&tap);
    rig.start(44100.0);
    rig.context.state |= ProcessContext::kPlaying;
    rig.context.tempo = 133.0;
    for (int b = 0; b < 90; ++b) ASSERT_EQ(rig.block(), kResultOk); // about a second
    rig.processor->disconnect(&tap);
    ASSERT_EQ(tap.messages, 30);
    const auto& record = rig.controller->visualizationSnapshot();
    VisualizationSnapshotCopy copy;
    uint64_t last = 0;
    ASSERT_TRUE(record.tryCopy(copy, last));
    EXPECT_EQ(copy.sequence, 60u);
    EXPECT_EQ(copy.peakLeft, float(tap.peakLeft));
    EXPECT_EQ(copy.peakRight, float(tap.peakRight));
    EXPECT_EQ(copy.tempo, float(tap.tempo));
    EXPECT_EQ(copy.tempo, 133.0f);
    EXPECT_EQ(copy.compressionReductionDb, float(tap.reduction));
    EXPECT_EQ(copy.triggerCount, uint64_t(tap.triggers));
    EXPECT_GT(copy.triggerCount, 0u);
    EXPECT_EQ(copy.waveformCount, 128u);
    for (int i = 0; i < 128; ++i) EXPECT_EQ(copy.waveform[i], tap.waveform[i]) << i;
}

// The host's state thread and its audio thread at once: the state call only stores values, the
// render applies them; neither disturbs the other. Fixed amounts of work, no timing.
TEST(ThudderProcessor, StateCallsWhileRendering) {
    Rig rig;
    rig.start(44100.0);
    std::vector<std::vector<char>> states;
    for (int k = 0; k < 4; ++k) {
        std::vector<char> bytes;
        for (int i = 0; i < 161; ++i) {
            float f = i == 105 ? 3.0f : static_cast<float>(((i * 7 + k * 13) % 100) / 100.0);
            char b[4];
            std::memcpy(b, &f, 4);
            bytes.insert(bytes.end(), b, b + 4);
        }
        states.push_back(bytes);
    }
    std::atomic<bool> stop{false};
    std::atomic<int> bad{0};
    std::thread audio([&] {
        for (int b = 0; b < 3000 && !stop.load(); ++b) {
            if (rig.block() != kResultOk) ++bad;
            for (float s : rig.left)
                if (!std::isfinite(s)) ++bad;
        }
    });
    for (int round = 0; round < 400; ++round) {
        const auto& bytes = states[round % states.size()];
        auto in = owned(new MemoryStream);
        int32 written = 0;
        in->write(const_cast<char*>(bytes.data()), static_cast<int32>(bytes.size()), &written);
        in->seek(0, IBStream::kIBSeekSet, nullptr);
        EXPECT_EQ(rig.processor->setState(in), kResultOk);
        auto out = owned(new MemoryStream);
        EXPECT_EQ(rig.processor->getState(out), kResultOk);
        EXPECT_EQ(out->getSize(), 644);
    }
    stop.store(true);
    audio.join();
    EXPECT_EQ(bad.load(), 0);
}

TEST(ThudderProcessor, SecondInitializeIsRefusedAndAddsNoBuses) {
    Rig rig(false);
    EXPECT_EQ(rig.processor->initialize(&rig.host), kResultFalse);
    EXPECT_EQ(rig.processor->getBusCount(kAudio, kOutput), 1);
    EXPECT_EQ(rig.processor->getBusCount(kEvent, kInput), 1);
}

// Deactivation leaves the sound where it is; activation starts from silence.
TEST(ThudderProcessor, ActivationClearsTheTailsDeactivationDoesNot) {
    Rig rig(false);
    rig.start(44100.0);
    const auto blockPeak = [&rig] {
        EXPECT_EQ(rig.block(), kResultOk);
        float p = 0.0f;
        for (int i = 0; i < 512; ++i) p = std::fmax(p, std::fmax(std::fabs(rig.left[i]), std::fabs(rig.right[i])));
        return p;
    };
    for (int b = 0; b < 40; ++b) blockPeak(); // the default pattern, following the playing host
    rig.context.state &= ~uint32(ProcessContext::kPlaying);
    EXPECT_GT(blockPeak(), 1e-4f) << "the rumble tail rings on after the transport stops";
    ASSERT_EQ(rig.processor->setActive(false), kResultOk);
    EXPECT_GT(blockPeak(), 1e-4f) << "deactivation keeps the tail";
    ASSERT_EQ(rig.processor->setActive(false), kResultOk);
    ASSERT_EQ(rig.processor->setActive(true), kResultOk);
    EXPECT_EQ(blockPeak(), 0.0f) << "activation starts from silence";
}
