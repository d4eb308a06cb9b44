// The visualization message as the host's connection delivers it to the controller.
#include "HostedSupport.h"

#include "pluginterfaces/vst/ivstmessage.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

struct Seen {
    int messages = 0;
    int complete = 0; // with all six attributes of the right types
    uint32 waveformBytes = 0;
    double peakLeft = -1, peakRight = -1, tempo = 0, reduction = 1;
    int64 triggers = -1;
};

void watch(Hosted::TestHost& host, Seen& seen) {
    host.setControllerMessageObserver([&seen](IMessage* m) {
        if (!m || !m->getMessageID() || std::strcmp(m->getMessageID(), "Grundmoor.Visualization") != 0) return;
        ++seen.messages;
        IAttributeList* a = m->getAttributes();
        if (!a) return;
        const void* data = nullptr;
        uint32 size = 0;
        const bool ok = a->getFloat("PeakLeft", seen.peakLeft) == kResultOk &&
                        a->getFloat("PeakRight", seen.peakRight) == kResultOk &&
                        a->getFloat("Tempo", seen.tempo) == kResultOk &&
                        a->getFloat("CompressionReductionDb", seen.reduction) == kResultOk &&
                        a->getInt("TriggerCount", seen.triggers) == kResultOk &&
                        a->getBinary("Waveform", data, size) == kResultOk && data;
        if (ok) ++seen.complete;
        seen.waveformBytes = size;
    });
}

} // namespace

// One message whenever a thirtieth of a second of audio has been rendered since the last one.
TEST(HostedMessages, CadenceAndAttributes) {
    const struct { double rate; int32 block; int blocksPerMessage; } cases[] = {
        {44100.0, 512, 3}, // 1470 samples due
        {48000.0, 512, 4}, // 1600
        {96000.0, 512, 7}, // 3200
        {44100.0, 64, 23}, // 1472 >= 1470
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rate);
        auto host = Hosted::load(c.rate, c.block);
        Seen seen;
        watch(*host, seen);
        for (int b = 1; b <= 5 * c.blocksPerMessage; ++b) {
            ASSERT_EQ(host->processBlock(c.block), kResultOk);
            ASSERT_EQ(seen.messages, b / c.blocksPerMessage) << "after block " << b;
        }
        EXPECT_EQ(seen.complete, seen.messages);
        EXPECT_EQ(seen.waveformBytes, 512u);
        EXPECT_EQ(host->messagesToController(), 5u);
    }
}

TEST(HostedMessages, CarryTheSoundAndTheTempo) {
    auto host = Hosted::load(44100.0, 512);
    Seen seen;
    watch(*host, seen);
    host->transport().playing = true;
    host->transport().tempo = 140.0;
    host->process(44100); // one second at 140 BPM: the default pattern triggers on every beat
    ASSERT_GT(seen.complete, 25);
    EXPECT_EQ(seen.tempo, 140.0);
    EXPECT_GE(seen.triggers, 2);
    EXPECT_GE(seen.peakLeft, 0.0);
    EXPECT_LE(seen.peakLeft, 1.0);
    EXPECT_GE(seen.peakRight, 0.0);
    EXPECT_LE(seen.peakRight, 1.0);
}
