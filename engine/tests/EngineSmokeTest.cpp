#include "EngineFixture.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace TarnwellPlugin;
using namespace TarnwellPlugin::Testing;

TEST(EngineSmoke, DefaultPatternWithHostPlayingMakesFiniteSound) {
    EngineRig rig;
    rig.play(120.0);
    rig.renderInBlocks(44100, 512);
    float peak = 0.0f;
    for (float v : rig.left) {
        ASSERT_TRUE(std::isfinite(v));
        peak = std::max(peak, std::fabs(v));
    }
    EXPECT_GT(peak, 0.01f);
    EXPECT_LT(peak, 2.0f);
}
