#include "BundleFixture.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>

// A host finds the module by its entry points; nothing else may leak out of the module, or two
// plug-ins built on the same SDK would bind to each other's copies.
TEST(BundleModule, ExportsTheEntryPointsAndNothingElse) {
    ASSERT_TRUE(std::filesystem::exists(BundleFixture::modulePath())) << BundleFixture::modulePath();
    int status = 0;
    const std::string table =
        BundleFixture::run("nm -D --defined-only " + BundleFixture::quoted(BundleFixture::modulePath()), status);
    if (status != 0 && table.empty()) GTEST_SKIP() << "nm (binutils) is not available";
    std::set<std::string> defined;
    std::istringstream lines(table);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string address, type, name;
        if (fields >> address >> type >> name) defined.insert(name);
    }
    const std::set<std::string> expected = {"GetPluginFactory", "ModuleEntry", "ModuleExit", "bundleEntry",
                                            "bundleExit"};
    EXPECT_EQ(defined, expected) << table;
}

TEST(BundleModule, LaidOutAsALinuxBundle) {
    const auto bundle = BundleFixture::bundlePath();
    EXPECT_EQ(bundle.filename().string(), "GrundmoorRumbleKick.vst3");
    EXPECT_EQ(BundleFixture::modulePath().parent_path().parent_path(), bundle / "Contents");
    EXPECT_EQ(BundleFixture::modulePath().filename().string(), "GrundmoorRumbleKick.so");
}
