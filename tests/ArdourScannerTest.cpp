#include "BundleFixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

std::filesystem::path findScanner() {
    std::vector<std::filesystem::path> found;
    std::error_code ec;
    for (const auto& dir : std::filesystem::directory_iterator("/usr/lib", ec)) {
        const std::string name = dir.path().filename().string();
        if (name.rfind("ardour", 0) != 0 || !dir.is_directory(ec)) continue;
        for (const auto& file : std::filesystem::directory_iterator(dir.path(), ec)) {
            const std::string f = file.path().filename().string();
            if (f.rfind("ardour", 0) == 0 && f.size() > 13 && f.substr(f.size() - 13) == "-vst3-scanner")
                found.push_back(file.path());
        }
    }
    std::sort(found.begin(), found.end());
    return found.empty() ? std::filesystem::path() : found.back(); // the newest Ardour
}

} // namespace

// Ardour's own scanner loads the module in a separate process, as Ardour does before listing it.
TEST(ArdourHost, ScannerFindsTheInstrumentWithItsClassId) {
#ifdef GRUNDMOOR_TEST_SANITIZED
    GTEST_SKIP() << "the bundle is built with sanitizers, which Ardour's scanner cannot load";
#endif
    const auto scanner = findScanner();
    if (scanner.empty())
        GTEST_SKIP() << "Ardour is not installed (no /usr/lib/ardour*/ardour*-vst3-scanner); "
                        "apt-get install ardour to run this test";
    const auto home = std::filesystem::temp_directory_path() /
                      ("grundmoor-ardour-scan-" + std::to_string(static_cast<long>(getpid())));
    std::filesystem::create_directories(home);
    const std::string command = "HOME=" + BundleFixture::quoted(home) + " XDG_CACHE_HOME=" +
                                BundleFixture::quoted(home / "cache") + " XDG_CONFIG_HOME=" +
                                BundleFixture::quoted(home / "config") + " LD_LIBRARY_PATH=" +
                                BundleFixture::quoted(scanner.parent_path()) + " " + BundleFixture::quoted(scanner) +
                                " -f -v " + BundleFixture::quoted(BundleFixture::bundlePath()) + " 2>&1";
    int status = 0;
    const std::string out = BundleFixture::run(command, status);
    std::filesystem::remove_all(home);
    EXPECT_EQ(status, 0) << out;
    EXPECT_NE(out.find("Found Plugin: Grundmoor Rumble Kick"), std::string::npos) << out;
    EXPECT_NE(out.find("uid=\"95F0FC494EEA41ACB2981AC6A99D8971\""), std::string::npos) << out;
    EXPECT_NE(out.find("name=\"Grundmoor Rumble Kick\""), std::string::npos) << out;
    EXPECT_NE(out.find("vendor=\"Tarnwell\""), std::string::npos) << out;
    EXPECT_NE(out.find("category=\"Instrument\""), std::string::npos) << out;
    EXPECT_NE(out.find("version=\"1.0.3\""), std::string::npos) << out;
    EXPECT_NE(out.find("sdk-version=\"VST 3.8.0\""), std::string::npos) << out;
    EXPECT_NE(out.find("n_outputs=\"2\""), std::string::npos) << out;
    EXPECT_NE(out.find("n_midi_inputs=\"1\""), std::string::npos) << out;
}
