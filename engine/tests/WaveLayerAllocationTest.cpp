#include "FailingAllocator.h"
#include "WaveLayer.h"

#include <gtest/gtest.h>

using namespace TarnwellPlugin;

// Every allocation that loading and deriving the tables makes may fail; none of them may throw
// out of loadSamples, and a failure leaves the layer with no tables, silent.
TEST(WaveLayerAllocation, AnyFailedAllocationLeavesTheLayerSilentWithoutThrowing) {
    int64_t total = 0;
    {
        WaveLayer probe;
        FailingAllocator::Scope scope(-1);
        EXPECT_TRUE(probe.loadSamples());
        total = FailingAllocator::allocationsSinceArm();
    }
    ASSERT_GT(total, 20); // three decodes, copies and 22 derived tables

    for (int64_t failAt = 0; failAt < total; ++failAt) {
        SCOPED_TRACE(failAt);
        WaveLayer w;
        bool loaded = true;
        {
            FailingAllocator::Scope scope(failAt);
            EXPECT_NO_THROW(loaded = w.loadSamples());
            EXPECT_TRUE(FailingAllocator::failed());
        }
        EXPECT_FALSE(loaded);
        for (int32_t k = 0; k < WaveLayer::kTableCount; ++k) ASSERT_TRUE(w.tables[k].empty()) << k;
        w.prepare(48000.0);
        ParameterBlock p;
        w.updateParameters(p);
        w.restart();
        EXPECT_FALSE(w.active);
        EXPECT_EQ(w.render(), 0.0f);
    }
}

TEST(WaveLayerAllocation, ParseWavReportsAFailedReserve) {
    const WavImage image = embeddedRecording(0);
    std::vector<float> samples;
    double rate = 0.0;
    bool ok = true;
    {
        FailingAllocator::Scope scope(0);
        EXPECT_NO_THROW(ok = parseWav(image.data, image.size, samples, rate));
    }
    EXPECT_FALSE(ok);
    EXPECT_TRUE(samples.empty());
}
