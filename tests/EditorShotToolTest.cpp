// grundmoor-editor-shot: a picture of the editor through the built bundle, under its own Xvfb.
#include "BundleFixture.h"

#include "grundmoor/testhost/EditorLayout.h"
#include "grundmoor/testhost/Environment.h"
#include "grundmoor/testhost/Screenshot.h"
#include "grundmoor/testhost/VirtualDisplay.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

#include <sys/wait.h>

using namespace grundmoor::testhost;

namespace {

std::string tool() { return BundleFixture::quoted(GRUNDMOOR_EDITOR_SHOT_TOOL); }
std::string bundleOption() { return " --bundle " + BundleFixture::quoted(BundleFixture::bundlePath()); }

} // namespace

TEST(EditorShotTool, WritesAPictureOfTheWholeEditorAtTheZoom) {
    if (!VirtualDisplay::xvfbInstalled()) GTEST_SKIP() << "no Xvfb";
    const auto layout = EditorLayout::fromFile(EditorLayout::descriptionOfBundle(BundleFixture::bundlePath()));
    const auto base = layout.templateRect();
    ASSERT_TRUE(base.has_value());
    const TemporaryFolder folder("editor-shot-test");
    const auto& dir = folder.path();

    struct Case {
        const char* options;
        double zoom;
    };
    const Case cases[] = {
        {" --zoom 0.5", 0.5},
        {"", 0.65},
        // Clicks beside the brand lockup (a click on it opens the about box, below).
        {" --zoom 0.4 --play 0.3 --click 10,10 --click 5.5,3 --wait 50", 0.4},
    };
    int n = 0;
    for (const auto& c : cases) {
        const auto png = dir / ("shot" + std::to_string(n++) + ".png");
        int status = 0;
        const std::string log =
            BundleFixture::run(tool() + bundleOption() + c.options + " --out " + BundleFixture::quoted(png) + " 2>&1", status);
        ASSERT_EQ(status, 0) << c.options << "\n" << log;
        EXPECT_NE(log.find("Wrote"), std::string::npos) << log;
        const auto image = Image::readPng(png);
        ASSERT_TRUE(image.has_value()) << c.options;
        EXPECT_EQ(image->width(), std::lround(base->width * c.zoom)) << c.options;
        EXPECT_EQ(image->height(), std::lround(base->height * c.zoom)) << c.options;
        EXPECT_EQ(image->pixel(0, 0), layout.templateBackground().value_or(0)) << c.options;
    }
}

TEST(EditorShotTool, AClickOnTheBrandShowsTheAboutBoxOverTheDimmedEditor) {
    if (!VirtualDisplay::xvfbInstalled()) GTEST_SKIP() << "no Xvfb";
    const auto layout = EditorLayout::fromFile(EditorLayout::descriptionOfBundle(BundleFixture::bundlePath()));
    const auto base = layout.templateRect();
    ASSERT_TRUE(base.has_value());
    const TemporaryFolder folder("editor-shot-about");
    const auto png = folder.path() / "about.png";
    int status = 0;
    // The brand lockup sits at the header's left (its top left corner at 20,14 of the template).
    const std::string log = BundleFixture::run(
        tool() + bundleOption() + " --zoom 0.5 --click 100,40 --wait 100 --out " + BundleFixture::quoted(png) + " 2>&1",
        status);
    ASSERT_EQ(status, 0) << log;
    const auto image = Image::readPng(png);
    ASSERT_TRUE(image.has_value());
    // The backdrop darkens the corner; the panel's middle, below the text and above the buttons,
    // is the panel colour (10, 18, 22).
    EXPECT_NE(image->pixel(0, 0), layout.templateBackground().value_or(0));
    const double zoom = 0.5;
    const int x = static_cast<int>(std::lround(base->width / 2 * zoom));
    const int y = static_cast<int>(std::lround(base->height / 2 * zoom));
    EXPECT_EQ(image->pixel(x, y), (10u << 16) | (18u << 8) | 22u);
}

TEST(EditorShotTool, RefusesBadUsage) {
    const char* usage[] = {"",          " --zoom 0", " --zoom x", " --click 5",       " --click 1,2,3",
                           " --wait -1", " --play",  " --frobnicate 1", " --out"};
    for (const char* options : usage) {
        int status = 0;
        const std::string bundle = std::string(options).empty() ? "" : bundleOption();
        BundleFixture::run(tool() + bundle + options + " 2>&1", status);
        EXPECT_EQ(WEXITSTATUS(status), 2) << "'" << options << "'";
    }
    int status = 0;
    BundleFixture::run(tool() + " --help", status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    BundleFixture::run(tool() + " --bundle /nonexistent.vst3 --out /tmp/unused-editor-shot.png 2>&1", status);
    EXPECT_EQ(WEXITSTATUS(status), 1);
}
