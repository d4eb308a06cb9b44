// The README's demo: the render tool plays the bundle as a host and writes a WAV file.
#include "BundleFixture.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(DemoRender, RendersFourBarsThroughTheBundle) {
    const auto out = std::filesystem::path(GRUNDMOOR_TEST_OUTPUT_DIR) / "demo-test.wav";
    std::filesystem::remove(out);
    std::string command = BundleFixture::quoted(GRUNDMOOR_RENDER_TOOL);
    command += " --bundle " + BundleFixture::quoted(BundleFixture::bundlePath());
    command += " --bars 4 --tempo 120 --out " + BundleFixture::quoted(out) + " 2>&1";
    int status = 0;
    const std::string log = BundleFixture::run(command, status);
    ASSERT_EQ(status, 0) << log;
    EXPECT_NE(log.find("Grundmoor Rumble Kick 1.0.3 (Tarnwell)"), std::string::npos) << log;
    EXPECT_EQ(log.find("Peak:      0.000000"), std::string::npos) << "the demo is silent:\n" << log;
    ASSERT_TRUE(std::filesystem::exists(out));
    // 8 s of 32-bit stereo at 48 kHz plus the header.
    EXPECT_GT(std::filesystem::file_size(out), 8u * 48000u * 8u);
}
