// grundmoor-render-presets: one WAV per preset and a level table, through the built bundle.
#include "BundleFixture.h"
#include "PresetRender.h"

#include "grundmoor/testhost/WavFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>

#include <sys/wait.h>

using grundmoor::presetrender::wavFileName;

TEST(PresetRenderTool, FileNamesAreSafeAndKeepTheMenuOrder) {
    EXPECT_EQ(wavFileName(7, "Nocturnal Mass"), "07-Nocturnal_Mass.wav");
    EXPECT_EQ(wavFileName(57, "Prismatic Depth"), "57-Prismatic_Depth.wav");
    EXPECT_EQ(wavFileName(3, "a/b: \"c\"  d."), "03-a_b_c_d.wav");
    EXPECT_EQ(wavFileName(0, "../"), "00-preset.wav");
    EXPECT_EQ(wavFileName(12, "Caf\xc3\xa9 Noir"), "12-Caf_Noir.wav");
}

TEST(PresetRenderTool, RendersTheChosenPresetsToWavFilesAndPrintsTheirLevels) {
    const auto dir = std::filesystem::path(GRUNDMOOR_TEST_OUTPUT_DIR) / "preset-render-test";
    std::filesystem::remove_all(dir);
    std::string command = BundleFixture::quoted(GRUNDMOOR_RENDER_PRESETS_TOOL);
    command += " --bundle " + BundleFixture::quoted(BundleFixture::bundlePath());
    command += " --bars 1 --preset 0 --preset 29 " + BundleFixture::quoted(dir) + " 2>&1";
    int status = 0;
    const std::string log = BundleFixture::run(command, status);
    ASSERT_EQ(status, 0) << log;
    EXPECT_NE(log.find("peak dB"), std::string::npos) << log;
    EXPECT_NE(log.find(" 29  Concrete Cathedral"), std::string::npos) << log;
    EXPECT_EQ(log.find("Abyss Engine"), std::string::npos) << "only the chosen presets:\n" << log;

    grundmoor::testhost::WavData wav;
    ASSERT_TRUE(grundmoor::testhost::readFloatWav(dir / "29-Concrete_Cathedral.wav", wav));
    EXPECT_EQ(wav.sampleRate, 44100u);
    ASSERT_EQ(wav.channels.size(), 2u);
    EXPECT_EQ(wav.channels[0].size(), 88200u); // one bar at 120 BPM
    EXPECT_GT(grundmoor::testhost::measureLevels(wav.channels).rms, 0.003);
    EXPECT_TRUE(std::filesystem::exists(dir / "00-Init.wav"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()), 2);
}

TEST(PresetRenderTool, RefusesBadUsage) {
    int status = 0;
    const std::string tool = BundleFixture::quoted(GRUNDMOOR_RENDER_PRESETS_TOOL);
    BundleFixture::run(tool + " 2>&1", status); // no output folder
    EXPECT_EQ(WEXITSTATUS(status), 2);
    BundleFixture::run(tool + " --preset 58 /tmp/unused-preset-render 2>&1", status);
    EXPECT_EQ(WEXITSTATUS(status), 2);
    BundleFixture::run(tool + " --bundle /nonexistent.vst3 /tmp/unused-preset-render 2>&1", status);
    EXPECT_EQ(WEXITSTATUS(status), 1);
}
