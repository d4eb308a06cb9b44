// The user preset file on its own: number notation, reading, names, listing and the safe write.

#include "UserPresetFile.h"

#include "EditorTestSupport.h"
#include "PresetTestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <random>
#include <regex>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace TarnwellPlugin::testing {
namespace {

namespace fs = std::filesystem;

TEST(UserPresetFileFormat, ValuesHaveSeventeenSignificantDigitsInGeneralNotation) {
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {1.0, "1"},
        {0.0, "0"},
        {0.5, "0.5"},
        {0.8, "0.80000000000000004"},
        {0.00001, "1.0000000000000001e-05"},
        {0.0001, "0.0001"}, // exponent -4 still in fixed notation
        {2.0 / 9.0, "0.22222222222222221"},
        {1.0 / 3.0, "0.33333333333333331"},
        {3.0 / 23.0, "0.13043478260869565"},
    };
    for (const auto& c : cases) EXPECT_EQ(formatPresetValue(c.value), c.text) << c.value;
}

TEST(UserPresetFileFormat, ValuesMatchTheCNotationAndReadBackExactly) {
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<PresetFileEntry> entries;
    for (uint32_t i = 0; i < 500; ++i) {
        const double v = i % 5 == 0 ? std::ldexp(unit(random), -static_cast<int>(i % 60)) : unit(random);
        entries.push_back({100 + i, v});
        char expected[40];
        std::snprintf(expected, sizeof expected, "%.17g", v); // the test runs in the C locale
        ASSERT_EQ(formatPresetValue(v), expected);
    }
    const std::vector<PresetFileEntry> back = parsePresetFileText(presetFileText(entries));
    ASSERT_EQ(back.size(), entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(back[i].id, entries[i].id);
        EXPECT_EQ(back[i].value, entries[i].value) << i; // bit for bit
    }
}

TEST(UserPresetFileFormat, TextIsOneLinePerEntry) {
    EXPECT_EQ(presetFileText({{100, 2.0 / 9.0}, {101, 0.8}, {215, 1.0}}),
              "100 0.22222222222222221\n101 0.80000000000000004\n215 1\n");
    EXPECT_EQ(presetFileText({}), "");
}

TEST(UserPresetFileFormat, ReadingStopsAtTheFirstTokenThatIsNotANumber) {
    using Pairs = std::vector<std::pair<uint32_t, double>>;
    const struct {
        const char* text;
        Pairs pairs;
    } cases[] = {
        {"100 0.5\n101 1\n", {{100, 0.5}, {101, 1.0}}},
        {"  100\t0.5 \r\n\v101\f1", {{100, 0.5}, {101, 1.0}}}, // any white space
        {"100 0.5 101 0.25", {{100, 0.5}, {101, 0.25}}},       // no final line break
        {"", {}},
        {"\n\n", {}},
        {"100 0.5 abc 0.4 102 0.5", {{100, 0.5}}},  // a bad id
        {"100 0.5 101 abc 102 0.5", {{100, 0.5}}},  // a bad value
        {"100 0.5 101 0.2x", {{100, 0.5}}},         // a number with a tail
        {"100 0.5 101", {{100, 0.5}}},              // truncated after an id
        {"100 0.5 10", {{100, 0.5}}},               // truncated inside an id
        {"100 0,5", {}},                            // a decimal comma is not a number here
        {"-100 0.5", {}},                           // ids are unsigned
        {"4294967296 0.5", {}},                     // beyond 32 bits
        {"4294967295 0.5", {{4294967295u, 0.5}}},   // unknown ids are the loader's business
        {"100 +0.25 101 -0.5 102 1.5", {{100, 0.25}, {101, -0.5}, {102, 1.5}}}, // not clamped here
        {"100 1e-3 101 1E2", {{100, 0.001}, {101, 100.0}}},
        {"100 1e999 101 0.5", {}},                  // not representable
    };
    for (const auto& c : cases) {
        const std::vector<PresetFileEntry> got = parsePresetFileText(c.text);
        ASSERT_EQ(got.size(), c.pairs.size()) << '"' << c.text << '"';
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].id, c.pairs[i].first) << c.text;
            EXPECT_EQ(got[i].value, c.pairs[i].second) << c.text;
        }
    }
}

TEST(UserPresetFileFormat, NonFiniteValuesAreReadForTheLoaderToSkip) {
    const std::vector<PresetFileEntry> got = parsePresetFileText("100 nan 101 inf 102 -inf 103 0.5");
    ASSERT_EQ(got.size(), 4u);
    EXPECT_TRUE(std::isnan(got[0].value));
    EXPECT_EQ(got[1].value, HUGE_VAL);
    EXPECT_EQ(got[2].value, -HUGE_VAL);
    EXPECT_EQ(got[3].value, 0.5);
}

TEST(UserPresetFileFormat, WritingAndReadingIgnoreADecimalCommaLocale) {
    GermanLocale german;
    if (!german.active) GTEST_SKIP() << "no German locale installed (setup.sh installs locales-all)";
    EXPECT_EQ(formatPresetValue(0.8), "0.80000000000000004");
    EXPECT_EQ(formatPresetValue(0.00001), "1.0000000000000001e-05");
    EXPECT_EQ(presetFileText({{100, 0.25}}), "100 0.25\n");
    const std::vector<PresetFileEntry> got = parsePresetFileText("100 0.25 101 0,5");
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].value, 0.25);
}

TEST(UserPresetNames, TypedNamesBecomeSafeFileNames) {
    const struct {
        std::string typed;
        std::string file; // empty: the default name
    } cases[] = {
        {"My Kick!", "My-Kick-"},
        {"Bass", "Bass"},
        {"a_b-C9", "a_b-C9"},
        {"x/../y", "x----y"},
        {"Tief\xC3\xBC", "Tief--"}, // each byte of a two-byte character
        {"--", "--"},
        {"", ""},
        {"!", ""}, // "-" would be a separator line in the menu
        {"-", ""},
        {" ", ""},
    };
    const std::regex defaultName("GRUNDMOOR-[0-9]{4}-[0-9]{2}-[0-9]{2}_[0-9]{2}-[0-9]{2}-[0-9]{2}");
    for (const auto& c : cases) {
        const std::string got = sanitizePresetName(c.typed);
        if (c.file.empty())
            EXPECT_TRUE(std::regex_match(got, defaultName)) << '"' << c.typed << "\" -> " << got;
        else
            EXPECT_EQ(got, c.file) << c.typed;
    }
}

class UserPresetFolder : public ::testing::Test {
protected:
    TemporaryFolder folder;
    std::string dir() const { return folder.path.string(); }
    std::string at(const std::string& name) const { return (folder.path / name).string(); }
};

TEST_F(UserPresetFolder, ListsRegularPresetFilesSortedByteWise) {
    for (const char* name : {"b.thd", "A.thd", "a.thd", "x.txt", "y.THD", ".thd", "-.thd", "ab.thd.bak"}) writeText(at(name), "");
    fs::create_directory(folder.path / "dir.thd");
    fs::create_symlink(folder.path / "missing", folder.path / "dangling.thd");
    fs::create_symlink(folder.path / "a.thd", folder.path / "link.thd"); // a link to a preset is one
    const std::vector<std::string> expected = {at("A.thd"), at("a.thd"), at("b.thd"), at("link.thd")};
    EXPECT_EQ(listUserPresetFiles(dir()), expected);
    EXPECT_TRUE(listUserPresetFiles(at("nothing-here")).empty());
    EXPECT_TRUE(listUserPresetFiles("").empty());
}

TEST_F(UserPresetFolder, ANameIsFreeOnlyWithoutAnyEntryOfThatPath) {
    EXPECT_EQ(freePresetPath(dir(), "Bass"), at("Bass.thd"));
    writeText(at("Bass.thd"), "");
    EXPECT_EQ(freePresetPath(dir(), "Bass"), at("Bass_2.thd"));
    fs::create_directory(folder.path / "Bass_2.thd");
    fs::create_symlink(folder.path / "missing", folder.path / "Bass_3.thd");
    EXPECT_EQ(freePresetPath(dir(), "Bass"), at("Bass_4.thd"));
    EXPECT_FALSE(fs::exists(folder.path / "missing"));
}

TEST_F(UserPresetFolder, ANewFileAppearsWholeAndLeavesNothingElse) {
    std::string path;
    ASSERT_TRUE(writeNewPresetFile(dir(), "Kick", "100 0.5\n", path));
    EXPECT_EQ(path, at("Kick.thd"));
    EXPECT_EQ(contentOf(path), "100 0.5\n");
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);
    ASSERT_TRUE(writeNewPresetFile(dir(), "Kick", "101 1\n", path));
    EXPECT_EQ(path, at("Kick_2.thd"));
    EXPECT_EQ(contentOf(at("Kick.thd")), "100 0.5\n");
    EXPECT_EQ(entriesOf(folder.path), (std::set<std::string>{"Kick.thd", "Kick_2.thd"}));
}

TEST_F(UserPresetFolder, MovingIntoPlaceNeverReplacesAnEntry) {
    // What a save meets when another instance took the name after it was found free.
    writeText(at("taken.thd"), "theirs");
    fs::create_directory(folder.path / "dir.thd");
    fs::create_symlink(folder.path / "missing", folder.path / "dangling.thd");
    for (const char* target : {"taken.thd", "dir.thd", "dangling.thd"}) {
        writeText(at("new"), "ours");
        errno = 0;
        EXPECT_FALSE(moveWithoutReplacing(at("new"), at(target))) << target;
        EXPECT_EQ(errno, EEXIST) << target;
        EXPECT_EQ(contentOf(at("new")), "ours");
    }
    EXPECT_EQ(contentOf(at("taken.thd")), "theirs");
    EXPECT_TRUE(fs::is_empty(folder.path / "dir.thd"));
    EXPECT_FALSE(fs::exists(folder.path / "missing"));
    EXPECT_TRUE(moveWithoutReplacing(at("new"), at("free.thd")));
    EXPECT_EQ(contentOf(at("free.thd")), "ours");
    EXPECT_FALSE(fs::exists(folder.path / "new"));
}

TEST_F(UserPresetFolder, AFolderThatIsAFileTakesNoPreset) {
    writeText(at("plain"), "x");
    std::string path;
    EXPECT_FALSE(writeNewPresetFile(at("plain"), "Kick", "100 0.5\n", path));
    EXPECT_EQ(entriesOf(folder.path), std::set<std::string>{"plain"});
}

TEST_F(UserPresetFolder, AWriteThatFailsHalfWayLeavesNoFile) {
    std::string path;
    bool written = true;
    {
        const FileSizeLimit limit(16); // the write stops after a few bytes
        ASSERT_TRUE(limit.active);
        written = writeNewPresetFile(dir(), "Kick", std::string(4096, '1'), path);
    }
    EXPECT_FALSE(written);
    EXPECT_TRUE(entriesOf(folder.path).empty());
}

TEST_F(UserPresetFolder, ReadingTakesWholeRegularFilesOnly) {
    std::string text = "stale";
    writeText(at("a.thd"), "100 0.5\n");
    EXPECT_TRUE(readPresetFile(at("a.thd"), text));
    EXPECT_EQ(text, "100 0.5\n");
    fs::create_directory(folder.path / "dir.thd");
    EXPECT_FALSE(readPresetFile(at("dir.thd"), text));
    EXPECT_TRUE(text.empty());
    EXPECT_FALSE(readPresetFile(at("missing.thd"), text));
}

TEST_F(UserPresetFolder, RemovingTakesRegularFilesOnly) {
    writeText(at("a.thd"), "");
    fs::create_directory(folder.path / "dir.thd");
    EXPECT_TRUE(removePresetFile(at("a.thd")));
    EXPECT_FALSE(removePresetFile(at("a.thd")));
    EXPECT_FALSE(removePresetFile(at("dir.thd")));
    EXPECT_TRUE(fs::is_directory(folder.path / "dir.thd"));
}

} // namespace
} // namespace TarnwellPlugin::testing
