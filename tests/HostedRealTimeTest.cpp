// What process does on the audio thread once warmed up: no heap allocation, no lock, no file.
#include "HostedSupport.h"
#include "RealTimeGuards.h"

#include "grundmoor/testhost/AllocationCounter.h"

#include <gtest/gtest.h>

#include <fstream>
#include <mutex>

using grundmoor::testhost::AllocationCounter;

// The guards themselves must see what they are meant to catch, also from inside other libraries.
TEST(RealTimeGuards, SeeLocksAndFileOpensInACountedRegion) {
    ASSERT_TRUE(AllocationCounter::hooksInstalled());
    RealTimeGuards::reset();
    {
        AllocationCounter::CountedRegion counted;
        std::mutex m;
        m.lock();
        m.unlock();
        std::ifstream file("/dev/null"); // opened inside libstdc++
    }
    EXPECT_GE(RealTimeGuards::locks(), 1u);
    EXPECT_GE(RealTimeGuards::fileOpens(), 1u);
    RealTimeGuards::reset();
    {
        std::mutex m;
        m.lock();
        m.unlock();
    }
    EXPECT_EQ(RealTimeGuards::locks(), 0u);
}

TEST(HostedRealTime, ProcessNeitherAllocatesNorLocksNorOpensFiles) {
    ASSERT_TRUE(AllocationCounter::hooksInstalled());
    auto host = Hosted::load(48000.0, 512);
    host->transport().playing = true;
    host->addNoteOn(0, 36, 1.0f);
    host->process(48000); // warm-up: a second of audio, several messages
    host->resetProcessAllocations();
    RealTimeGuards::reset();

    const Steinberg::Vst::ParamID automated[] = {101, 112, 113, 115, 118, 122, 130, 159, 179, 183, 204, 440};
    for (int block = 0; block < 400; ++block) {
        if (block % 16 == 0) host->addNoteOn(block % 512, 36, 0.8f);
        if (block % 16 == 8) host->addNoteOff(3, 36);
        if (block % 5 == 0)
            for (size_t i = 0; i < std::size(automated); ++i)
                host->queueParameter(automated[i], static_cast<int64_t>(i * 17), (block % 10 + i) / 20.0);
        if (block % 7 == 0) host->queueParameter(100, 100, (block % 9) / 9.0); // sample-accurate
        if (block == 200) host->transport().tempo = 97.0;
        if (block == 300) host->transport().playing = false;
        ASSERT_EQ(host->processBlock(512), Steinberg::kResultOk);
    }
    EXPECT_GT(host->messagesToController(), 100u);
    EXPECT_EQ(host->processAllocations(), 0u);
    EXPECT_EQ(RealTimeGuards::locks(), 0u);
    EXPECT_EQ(RealTimeGuards::fileOpens(), 0u);
}
