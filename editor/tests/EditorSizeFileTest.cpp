// The editor-size file and the user data folder it lives in.
#include "EditorSizeFile.h"
#include "UserDataFolder.h"
#include "PresetTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace TarnwellPlugin {
namespace {

namespace fs = std::filesystem;

// A private data home for one test, with XDG_DATA_HOME pointing at it.
class DataHome : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() / ("grundmoor-editor-size-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        fs::create_directories(root);
        setenv("XDG_DATA_HOME", root.c_str(), 1);
    }
    void TearDown() override {
        unsetenv("XDG_DATA_HOME");
        fs::remove_all(root);
    }
    fs::path folder() const { return root / "TarnwellPlugin" / "Grundmoor"; }
    void writeFile(const std::string& text) {
        fs::create_directories(folder());
        std::ofstream(folder() / "editor-size.conf") << text;
    }
    std::string readFile() const {
        std::ifstream in(folder() / "editor-size.conf");
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    fs::path root;
};

TEST_F(DataHome, ZoomReadFromTheFileIsClampedAndFallsBack) {
    struct Case {
        const char* content; // nullptr: no file
        double zoom;
    };
    const Case cases[] = {{nullptr, 0.65}, {"3.5\n", 2.0},     {"0.1\n", 0.3}, {"1.2\n", 1.2},
                          {"abc\n", 0.65}, {"0.8 10 20\n", 0.8}, {"", 0.65}};
    for (const Case& c : cases) {
        fs::remove_all(folder());
        if (c.content) writeFile(c.content);
        EXPECT_DOUBLE_EQ(readEditorZoom(), c.zoom) << (c.content ? c.content : "(no file)");
    }
}

TEST_F(DataHome, WritesTheClampedZoomWithSeventeenDigitsAndKeepsAnOldPosition) {
    writeEditorSizeFile(2.5, false, 0, 0);
    EXPECT_EQ(readFile(), "2\n");
    writeEditorSizeFile(0.1, false, 0, 0);
    EXPECT_EQ(readFile(), "0.29999999999999999\n");

    // "1.2" alone is no position; a file with three numbers keeps its position at the next write.
    writeFile("1.2\n");
    double x = -1, y = -1;
    EXPECT_FALSE(readEditorSizeFile(&x, &y));
    EXPECT_EQ(x, -1);
    writeFile("1 150.5 -20\n");
    ASSERT_TRUE(readEditorSizeFile(&x, &y));
    EXPECT_EQ(x, 150.5);
    EXPECT_EQ(y, -20);
    writeEditorSizeFile(0.65, false, 0, 0);
    EXPECT_EQ(readFile(), "0.65000000000000002 150.5 -20\n");
    writeEditorSizeFile(1.0, true, 3, 4);
    EXPECT_EQ(readFile(), "1 3 4\n");
}

TEST_F(DataHome, ZoomIsWrittenAndReadWithAPointUnderADecimalCommaLocale) {
    TarnwellPlugin::testing::GermanLocale german;
    if (!german.active) GTEST_SKIP() << "no German locale installed";
    writeEditorSizeFile(1.25, true, 10.5, 20);
    EXPECT_EQ(readFile(), "1.25 10.5 20\n");
    EXPECT_EQ(readEditorZoom(), 1.25);
    writeFile("0.8 1.5 2.5\n");
    double x = 0, y = 0;
    ASSERT_TRUE(readEditorSizeFile(&x, &y));
    EXPECT_EQ(x, 1.5);
    EXPECT_EQ(y, 2.5);
    EXPECT_EQ(readEditorZoom(), 0.8);
}

TEST_F(DataHome, FolderFollowsTheDataHomeAndIsCreatedWithItsParents) {
    const fs::path nested = root / "deeper" / "share";
    setenv("XDG_DATA_HOME", nested.c_str(), 1);
    EXPECT_EQ(userDataFolderPath(), (nested / "TarnwellPlugin" / "Grundmoor").string());
    EXPECT_FALSE(fs::exists(nested));
    EXPECT_EQ(createUserDataFolder(), (nested / "TarnwellPlugin" / "Grundmoor").string());
    EXPECT_TRUE(fs::is_directory(nested / "TarnwellPlugin" / "Grundmoor"));
    EXPECT_EQ(fs::status(nested / "TarnwellPlugin").permissions() & fs::perms::all,
              fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec | fs::perms::others_read |
                  fs::perms::others_exec);

    // Unset, empty or relative XDG_DATA_HOME: HOME's .local/share.
    const char* home = std::getenv("HOME");
    const std::string savedHome = home ? home : "";
    setenv("HOME", root.c_str(), 1);
    for (const char* xdg : {"", "relative/path"}) {
        setenv("XDG_DATA_HOME", xdg, 1);
        EXPECT_EQ(userDataFolderPath(), (root / ".local/share/TarnwellPlugin/Grundmoor").string()) << xdg;
    }
    unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(userDataFolderPath(), (root / ".local/share/TarnwellPlugin/Grundmoor").string());
    // Without HOME the password database names the home; never a shared folder.
    unsetenv("HOME");
    EXPECT_NE(userDataFolderPath().rfind("/tmp", 0), 0u);
    if (!savedHome.empty()) setenv("HOME", savedHome.c_str(), 1);
}

} // namespace
} // namespace TarnwellPlugin
