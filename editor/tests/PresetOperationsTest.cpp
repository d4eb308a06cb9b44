// The editor's preset operations: the menu, saving, loading, deleting and factory presets, as the
// controller and the host see them and as they leave the user preset folder.

#include "EditorTestSupport.h"
#include "PresetTestSupport.h"

#include "FactoryPresets.h"
#include "ProcessorState.h"
#include "PluginOverlayView.h"
#include "views/HeaderArrowButton.h"
#include "UserPresetFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <map>
#include <regex>

#include <sys/resource.h>

namespace TarnwellPlugin::testing {
namespace {

namespace fs = std::filesystem;
using namespace Steinberg::Vst;

class PresetOperations : public EditorFixture {
protected:
    void SetUp() override {
        EditorFixture::SetUp();
        ASSERT_TRUE(open());
        ASSERT_NE(editor->presetMenu, nullptr);
    }
    fs::path folder() const { return dataHome.path / "TarnwellPlugin" / "Grundmoor"; }
    std::string at(const std::string& name) const { return (folder() / name).string(); }
    void clearFolder() {
        fs::remove_all(folder());
        fs::create_directories(folder());
    }
    std::vector<std::string> menuTitles() const {
        std::vector<std::string> titles;
        for (int32_t i = 0; i < editor->presetMenu->getNbEntries(); ++i)
            titles.push_back(editor->presetMenu->getEntry(i)->getTitle());
        return titles;
    }
    // The ids of a log made only of complete edits, in order; a failure for anything else.
    static std::vector<ParamID> editedIds(const CallLog& log) {
        std::vector<ParamID> ids;
        EXPECT_EQ(log.size() % 4, 0u);
        for (size_t i = 0; i + 3 < log.size(); i += 4) {
            std::istringstream begin(log[i]);
            std::string word;
            ParamID id = 0;
            begin >> word >> id;
            EXPECT_EQ(word, "begin") << log[i];
            EXPECT_EQ(log[i + 1].rfind("set " + std::to_string(id) + " ", 0), 0u) << log[i + 1];
            EXPECT_EQ(log[i + 2].rfind("perform " + std::to_string(id) + " ", 0), 0u) << log[i + 2];
            EXPECT_EQ(log[i + 3], "end " + std::to_string(id));
            ids.push_back(id);
        }
        return ids;
    }
    // The controller's ids in parameter order, without the five a preset never holds.
    std::vector<ParamID> presetIds() const {
        std::vector<ParamID> ids;
        for (int32_t i = 0; i < controller->getParameterCount(); ++i) {
            ParameterInfo info{};
            if (controller->getParameterInfo(i, info) == Steinberg::kResultOk && !isPresetSkipId(info.id))
                ids.push_back(info.id);
        }
        return ids;
    }
    // A dialog is open with this title and body.
    void expectMessage(const std::string& title, const std::string& body) const {
        ASSERT_NE(editor->overlayView, nullptr) << title;
        EXPECT_EQ(editor->overlayView->getTitle(), title);
        EXPECT_EQ(editor->overlayView->getBody(), body);
    }
    int32_t userIndexOf(const std::string& name) const {
        for (size_t k = 0; k < editor->userPresetPaths.size(); ++k)
            if (editor->userPresetPaths[k] == at(name)) return static_cast<int32_t>(k);
        return -1;
    }
};

TEST_F(PresetOperations, MenuListsFactoryPresetsThenUserFilesSorted) {
    ASSERT_EQ(editor->presetMenu->getNbEntries(), 58);
    EXPECT_EQ(editor->presetMenu->getMax(), 57.0f);
    clearFolder();
    for (const char* name : {"b.thd", "A.thd", "a.thd", "x.txt", "-.thd"}) writeText(at(name), "100 0.5\n");
    fs::create_directory(folder() / "x.thd");
    editor->presetMenu->setCurrent(5, false);
    editor->rescanUserPresets();
    const std::vector<std::string> titles = menuTitles();
    ASSERT_EQ(titles.size(), 61u);
    EXPECT_EQ(titles[0], "Init");
    EXPECT_EQ(titles[57], "Prismatic Depth");
    EXPECT_EQ(std::vector<std::string>(titles.begin() + 58, titles.end()), (std::vector<std::string>{"A", "a", "b"}));
    EXPECT_EQ(editor->userPresetPaths, (std::vector<std::string>{at("A.thd"), at("a.thd"), at("b.thd")}));
    EXPECT_EQ(editor->presetMenu->getMax(), 60.0f);
    EXPECT_EQ(editor->presetMenu->getCurrentIndex(), 0);
    for (int32_t i = 0; i < editor->presetMenu->getNbEntries(); ++i) EXPECT_FALSE(editor->presetMenu->getEntry(i)->isSeparator());
}

TEST_F(PresetOperations, PickingOrSteppingToAnEntryAppliesThatEntry) {
    clearFolder();
    writeText(at("a.thd"), "101 0.3");
    writeText(at("b.thd"), "101 0.6");
    editor->rescanUserPresets();
    editor->presetMenu->selectEntry(59);
    EXPECT_EQ(controller->getParamNormalized(kVolume), 0.6);
    editor->presetMenu->setCurrent(57, false);
    click(editor->presetNextButton.get());
    EXPECT_EQ(editor->presetMenu->getCurrentIndex(), 58);
    EXPECT_EQ(controller->getParamNormalized(kVolume), 0.3);
    click(editor->presetNextButton.get());
    click(editor->presetNextButton.get()); // past the last entry: back to Init
    EXPECT_EQ(editor->presetMenu->getCurrentIndex(), 0);
    EXPECT_DOUBLE_EQ(controller->getParamNormalized(kVolume), 0.8);
}

TEST_F(PresetOperations, ASavedDefaultSoundHasOneLinePerPresetParameter) {
    editor->writeUserPreset("Default");
    std::istringstream file(contentOf(at("Default.thd")));
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 156u);
    EXPECT_EQ(lines.front(), "100 0.22222222222222221"); // Frequency 60 Hz of 20-200 Hz: 40/180
    const std::vector<ParamID> ids = presetIds();
    ASSERT_EQ(ids.size(), lines.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        char expected[64];
        std::snprintf(expected, sizeof expected, "%u %.17g", ids[i], controller->getParamNormalized(ids[i]));
        EXPECT_EQ(lines[i], expected);
    }
    EXPECT_EQ(lines.back().substr(0, 4), "215 ");
    EXPECT_EQ(editor->presetMenu->getCurrentIndex(), 58 + userIndexOf("Default.thd"));
    EXPECT_EQ(editor->presetMenu->getCurrent()->getTitle(), "Default");
}

TEST_F(PresetOperations, SavedNamesAreSanitisedAndNeverTakeAnExistingName) {
    const std::regex defaultFile("GRUNDMOOR-[0-9]{4}-[0-9]{2}-[0-9]{2}_[0-9]{2}-[0-9]{2}-[0-9]{2}\\.thd");
    const struct {
        std::vector<std::string> present;
        std::vector<std::string> saved; // one save each
        std::vector<std::string> written; // empty: the default name
    } cases[] = {
        {{}, {"My Kick!"}, {"My-Kick-.thd"}},
        {{}, {"Bass", "Bass", "Bass"}, {"Bass.thd", "Bass_2.thd", "Bass_3.thd"}},
        {{"Bass_2.thd"}, {"Bass"}, {"Bass.thd"}},
        {{"Bass_2.thd"}, {"Bass_2"}, {"Bass_2_2.thd"}},
        {{}, {""}, {""}},
        {{}, {"!"}, {""}},
        {{}, {"-"}, {""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.saved.front());
        clearFolder();
        for (const std::string& name : c.present) writeText(at(name), "keep");
        for (size_t i = 0; i < c.saved.size(); ++i) {
            const std::set<std::string> before = entriesOf(folder());
            editor->writeUserPreset(c.saved[i]);
            std::set<std::string> added;
            for (const std::string& name : entriesOf(folder()))
                if (!before.count(name)) added.insert(name);
            ASSERT_EQ(added.size(), 1u);
            const std::string& name = *added.begin();
            if (c.written[i].empty())
                EXPECT_TRUE(std::regex_match(name, defaultFile)) << name;
            else
                EXPECT_EQ(name, c.written[i]);
            EXPECT_EQ(editor->presetMenu->getCurrentIndex(), 58 + userIndexOf(name));
            EXPECT_EQ(editor->overlayView, nullptr);
        }
        for (const std::string& name : c.present) EXPECT_EQ(contentOf(at(name)), "keep");
    }
}

TEST_F(PresetOperations, ADanglingLinkTakesItsNameAndIsNotFollowed) {
    clearFolder();
    fs::create_symlink(folder() / "elsewhere.thd", folder() / "Bass.thd");
    editor->writeUserPreset("Bass");
    EXPECT_TRUE(fs::is_regular_file(folder() / "Bass_2.thd"));
    EXPECT_FALSE(fs::exists(folder() / "elsewhere.thd"));
    EXPECT_TRUE(fs::is_symlink(folder() / "Bass.thd"));
}

TEST_F(PresetOperations, ConfirmingTheSaveDialogSavesUnderTheTypedName) {
    clearFolder();
    editor->confirmSavePreset(); // no dialog open: nothing
    EXPECT_TRUE(entriesOf(folder()).empty());
    editor->showSavePresetOverlay();
    ASSERT_NE(editor->overlayNameField, nullptr);
    editor->overlayNameField->setText("Deep One");
    editor->confirmSavePreset();
    EXPECT_EQ(editor->overlayView, nullptr);
    EXPECT_EQ(editor->overlayNameField, nullptr);
    EXPECT_EQ(entriesOf(folder()), std::set<std::string>{"Deep-One.thd"});
    EXPECT_EQ(editor->presetMenu->getCurrent()->getTitle(), "Deep-One");
}

TEST_F(PresetOperations, SavingAndLoadingRoundTripEveryValue) {
    const std::vector<ParamID> ids = presetIds();
    std::map<ParamID, double> saved;
    for (size_t i = 0; i < ids.size(); ++i) {
        // Values off any list grid; "Wave Layer Waveform" on the 24-entry grid, which loads unchanged.
        double v = ids[i] == kWaveLayerWaveform ? 5.0 / 23.0 : std::fmod(0.1 + 0.6180339887498949 * i, 1.0);
        controller->setParamNormalized(ids[i], v);
        saved[ids[i]] = controller->getParamNormalized(ids[i]);
    }
    editor->writeUserPreset("Round");
    for (ParamID id : ids) controller->setParamNormalized(id, 0.0);
    const CallLog log = logOf([&] { editor->loadUserPreset(userIndexOf("Round.thd")); });
    EXPECT_EQ(editedIds(log), ids);
    for (ParamID id : ids) EXPECT_EQ(controller->getParamNormalized(id), saved[id]) << id;
}

TEST_F(PresetOperations, SavingAndLoadingIgnoreADecimalCommaLocale) {
    controller->setParamNormalized(kVolume, 0.3);
    {
        GermanLocale german;
        if (!german.active) GTEST_SKIP() << "no German locale installed (setup.sh installs locales-all)";
        editor->writeUserPreset("Comma");
        EXPECT_NE(contentOf(at("Comma.thd")).find("\n101 0.29999999999999999\n"), std::string::npos);
        controller->setParamNormalized(kVolume, 0.9);
        editor->loadUserPreset(userIndexOf("Comma.thd"));
        EXPECT_EQ(controller->getParamNormalized(kVolume), 0.3);
    }
}

TEST_F(PresetOperations, LoadingSetsOnlySoundParametersWithSaneValues) {
    clearFolder();
    const struct {
        ParamID id;
        double before;
    } untouched[] = {{kManualTempo, 0.0}, {kSequencerEnabled, 1.0}, {kFactorySound, 0.25}, {kRenderWAV, 0.0},
                     {kSaveCurrentPreset, 0.0}, {kVolume, 0.4}, {kFrequency, 0.6}};
    for (const auto& u : untouched) controller->setParamNormalized(u.id, u.before);
    writeText(at("Mixed.thd"), "154 1\n440 0\n127 1\n128 1\n153 1\n999 0.5\n101 nan\n100 inf\n"
                               "179 0.42857142857142855\n102 1.5\n103 -0.5\n104 0.25\n");
    editor->rescanUserPresets();
    const CallLog log = logOf([&] { editor->loadUserPreset(0); });
    EXPECT_EQ(editedIds(log), (std::vector<ParamID>{kWaveLayerWaveform, 102, 103, 104}));
    // The host hears the clamped values too, not only the controller.
    for (const auto& [id, value] : {std::pair<ParamID, double>{102, 1.0}, {103, 0.0}, {104, 0.25}})
        EXPECT_NE(std::find(log.begin(), log.end(), callText("perform", id, &value)), log.end()) << id;
    EXPECT_DOUBLE_EQ(controller->getParamNormalized(kWaveLayerWaveform), 3.0 / 23.0); // entry 3 of the old 8
    EXPECT_EQ(controller->getParamNormalized(102), 1.0);
    EXPECT_EQ(controller->getParamNormalized(103), 0.0);
    EXPECT_EQ(controller->getParamNormalized(104), 0.25);
    for (const auto& u : untouched) EXPECT_EQ(controller->getParamNormalized(u.id), u.before) << u.id;
}

TEST_F(PresetOperations, LoadingStopsAtTheFirstBadTokenKeepingWhatCameBefore) {
    const struct {
        const char* text;
        std::vector<ParamID> applied;
    } cases[] = {
        {"101 0.3 abc 0.4 102 0.5", {101}},
        {"101 0.3 102 abc 103 0.5", {101}},
        {"101 0.3 102", {101}},
        {"101 0.3\n102 0.4\n10", {101, 102}},
        {"", {}},
        {"101 0,3 102 0.4", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        clearFolder();
        writeText(at("t.thd"), c.text);
        editor->rescanUserPresets();
        const CallLog log = logOf([&] { editor->loadUserPreset(0); });
        EXPECT_EQ(editedIds(log), c.applied);
        EXPECT_EQ(editor->overlayView, nullptr);
    }
}

TEST_F(PresetOperations, LoadingOutsideTheListDoesNothing) {
    clearFolder();
    writeText(at("a.thd"), "101 0.3");
    editor->rescanUserPresets();
    for (int32_t index : {-1, 1, 100}) EXPECT_EQ(logOf([&] { editor->loadUserPreset(index); }), CallLog{}) << index;
}

TEST_F(PresetOperations, FactoryInitResetsEverythingButTheTempoSourceAndTheActions) {
    controller->setParamNormalized(kManualTempo, 1.0);
    controller->setParamNormalized(kSequencerEnabled, 0.0);
    controller->setParamNormalized(kFactorySound, 0.5);
    for (ParamID id : {kFrequency, kFilterCutoff, kStep2, kDelayMix}) controller->setParamNormalized(id, 0.37);
    const CallLog log = logOf([&] { editor->applyFactoryPreset(0); });
    const std::vector<ParamID> ids = presetIds();
    EXPECT_EQ(editedIds(log), ids);
    const PresetValues expected = effectivePresetValues(*findFactoryPreset(0));
    for (const PresetParameterValue& v : expected) EXPECT_DOUBLE_EQ(controller->getParamNormalized(v.id), v.value) << v.id;
    // Init's own values and the defaults it does not name.
    EXPECT_DOUBLE_EQ(controller->getParamNormalized(kFrequency), 40.0 / 180.0);
    EXPECT_EQ(controller->getParamNormalized(kFilterCutoff), 1.0); // 18000 Hz, the factory presets' value
    EXPECT_EQ(controller->getParamNormalized(kStep1), 1.0);
    EXPECT_EQ(controller->getParamNormalized(kStep2), 0.0);
    EXPECT_EQ(controller->getParamNormalized(kManualTempo), 1.0);
    EXPECT_EQ(controller->getParamNormalized(kSequencerEnabled), 0.0);
    EXPECT_EQ(controller->getParamNormalized(kFactorySound), 0.5);
}

TEST_F(PresetOperations, EveryFactoryPresetSetsItsValuesWithTheWaveformOnTheCurrentList) {
    for (int32_t index = 0; index < factoryPresetCount; ++index) {
        editor->applyFactoryPreset(index);
        for (const PresetParameterValue& v : effectivePresetValues(*findFactoryPreset(index))) {
            const double expected = v.id == kWaveLayerWaveform ? migrateWaveLayerWaveformValue(v.value) : v.value;
            ASSERT_DOUBLE_EQ(controller->getParamNormalized(v.id), expected) << index << ' ' << v.id;
        }
    }
}

TEST_F(PresetOperations, FactoryIndicesOutsideTheTableDoNothing) {
    for (int32_t index : {-1, 58, 1000}) EXPECT_EQ(logOf([&] { editor->applyFactoryPreset(index); }), CallLog{}) << index;
}

TEST_F(PresetOperations, DeletingRemovesThePresetAndReturnsToInit) {
    clearFolder();
    writeText(at("a.thd"), "101 0.3");
    writeText(at("b.thd"), "101 0.3");
    editor->rescanUserPresets();
    editor->presetMenu->setCurrent(59, false);
    controller->setParamNormalized(kVolume, 0.1);
    editor->pendingDeletePath = at("b.thd");
    editor->deletePendingUserPreset();
    EXPECT_TRUE(editor->pendingDeletePath.empty());
    EXPECT_EQ(entriesOf(folder()), std::set<std::string>{"a.thd"});
    EXPECT_EQ(editor->userPresetPaths, std::vector<std::string>{at("a.thd")});
    EXPECT_EQ(editor->presetMenu->getNbEntries(), 59);
    EXPECT_EQ(editor->presetMenu->getCurrentIndex(), 0);
    EXPECT_DOUBLE_EQ(controller->getParamNormalized(kVolume), 0.8); // Init
    EXPECT_EQ(editor->overlayView, nullptr);
    // Nothing pending: nothing happens.
    EXPECT_EQ(logOf([&] { editor->deletePendingUserPreset(); }), CallLog{});
}

TEST_F(PresetOperations, TheDeleteButtonRemovesThePickedEntry) {
    clearFolder();
    for (const char* name : {"a.thd", "b.thd", "c.thd"}) writeText(at(name), "101 0.3");
    editor->rescanUserPresets();
    editor->presetMenu->selectEntry(59);
    click(editor->deletePresetButton.get());
    ASSERT_NE(editor->overlayConfirmButton, nullptr);
    EXPECT_EQ(editor->pendingDeletePath, at("b.thd"));
    click(editor->overlayConfirmButton);
    EXPECT_EQ(entriesOf(folder()), (std::set<std::string>{"a.thd", "c.thd"}));
    EXPECT_EQ(editor->presetMenu->getCurrentIndex(), 0);
}

TEST_F(PresetOperations, FailuresShowTheirDialogAndChangeNothing) {
    clearFolder();
    writeText(at("a.thd"), "101 0.3");
    fs::create_directory(folder() / "dir.thd");
    editor->rescanUserPresets();
    editor->presetMenu->setCurrent(58, false);

    // A preset removed behind the editor's back, and a folder named like a preset.
    for (const std::string& path : {at("gone.thd"), at("dir.thd")}) {
        editor->pendingDeletePath = path;
        EXPECT_EQ(logOf([&] { editor->deletePendingUserPreset(); }), CallLog{});
        expectMessage("PRESET DELETE FAILED", "Could not delete preset\n" + path);
        editor->closeOverlay();
    }
    EXPECT_TRUE(fs::is_directory(folder() / "dir.thd"));
    EXPECT_EQ(editor->presetMenu->getCurrentIndex(), 58);

    // A listed preset that became unreadable: gone, or a folder in its place.
    fs::remove(folder() / "a.thd");
    EXPECT_EQ(logOf([&] { editor->loadUserPreset(0); }), CallLog{});
    expectMessage("PRESET LOAD FAILED", "Could not read preset\n" + at("a.thd"));
    editor->closeOverlay();
    fs::create_directory(folder() / "a.thd");
    EXPECT_EQ(logOf([&] { editor->loadUserPreset(0); }), CallLog{});
    expectMessage("PRESET LOAD FAILED", "Could not read preset\n" + at("a.thd"));
    editor->closeOverlay();
}

TEST_F(PresetOperations, ASaveIntoAFolderThatIsAFileFails) {
    fs::remove_all(folder());
    writeText(folder(), "not a folder");
    editor->presetMenu->setCurrent(3, false);
    editor->writeUserPreset("Kick");
    expectMessage("PRESET SAVE FAILED", "Could not write preset\n" + at("Kick.thd"));
    EXPECT_EQ(editor->presetMenu->getCurrentIndex(), 3); // not rescanned
    EXPECT_EQ(contentOf(folder()), "not a folder");
}

TEST_F(PresetOperations, AnExistingPresetSurvivesAFailedSaveByteForByte) {
    clearFolder();
    const std::string original = "101 0.5\n102 0.25\n";
    writeText(at("Bass.thd"), original);
    editor->rescanUserPresets();
    {
        const FileSizeLimit limit(64); // the new file cannot be written out
        ASSERT_TRUE(limit.active);
        editor->writeUserPreset("Bass");
    }
    expectMessage("PRESET SAVE FAILED", "Could not write preset\n" + at("Bass_2.thd"));
    EXPECT_EQ(entriesOf(folder()), std::set<std::string>{"Bass.thd"}); // no half file, no temporary
    EXPECT_EQ(contentOf(at("Bass.thd")), original);
    EXPECT_EQ(editor->userPresetPaths, std::vector<std::string>{at("Bass.thd")});
}

TEST_F(PresetOperations, AnUnusableDataHomeMeansNoUserPresetsAndAFailedSave) {
    // A data home below a file: no folder can be made there, and nothing moves elsewhere.
    const fs::path blocker = dataHome.path / "file";
    writeText(blocker, "x");
    setenv("XDG_DATA_HOME", (blocker / "data").c_str(), 1);
    editor->rescanUserPresets();
    EXPECT_TRUE(editor->userPresetPaths.empty());
    EXPECT_EQ(editor->presetMenu->getNbEntries(), 58);
    editor->writeUserPreset("Kick");
    expectMessage("PRESET SAVE FAILED",
                  "Could not write preset\n" + (blocker / "data/TarnwellPlugin/Grundmoor/Kick.thd").string());
    EXPECT_FALSE(fs::exists("/tmp/Kick.thd"));
}

} // namespace
} // namespace TarnwellPlugin::testing
