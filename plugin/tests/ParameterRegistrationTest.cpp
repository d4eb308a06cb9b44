#include "ParameterTable.h"
#include "ThudderController.h"

#include "public.sdk/source/vst/vstparameters.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

using namespace TarnwellPlugin;
using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

std::string ascii(const TChar* s) {
    std::string out;
    for (; s && *s; ++s) out.push_back(static_cast<char>(*s));
    return out;
}

struct Controller {
    IPtr<ThudderController> c = owned(new ThudderController);
    Controller() { EXPECT_EQ(c->initialize(nullptr), kResultOk); }
    ~Controller() { c->terminate(); }
    std::string text(ParamID id, ParamValue v) {
        String128 s{};
        EXPECT_EQ(c->getParamStringByValue(id, v, s), kResultOk);
        return ascii(s);
    }
};

// Hand-written rows (not derived from the parameter table) for a cross-section of kinds.
struct ExpectedRow {
    int32 index;
    ParamID id;
    const char* title;
    const char* unit;
    int32 stepCount;
    double defaultNormalized;
    int32 flags;
};
const ExpectedRow kExpectedRows[] = {
    {0, 100, "Frequency", "Hz", 0, 40.0 / 180.0, 1},
    {1, 101, "Volume", "%", 0, 0.8, 1},
    {2, 102, "Volume LFO Rate", "Hz", 0, 0.2 / 4.95, 1},
    {6, 155, "LFO 1 Target", "", 3, 0.0, 9},
    {7, 156, "LFO 2 Target", "", 3, 0.0, 9},
    {8, 106, "Waveform", "", 4, 0.0, 9},
    {11, 158, "Osc Layer Decay", "s", 0, 0.195 / 1.195, 1},
    {13, 159, "Output Gain", "dB", 0, 24.0 / 84.0, 1},
    {17, 110, "Release", "ms", 0, 1.0, 1},
    {18, 160, "Envelope Curve", "", 2, 0.0, 9},
    {19, 161, "Envelope Retrigger", "", 1, 1.0, 1},
    {21, 440, "Sequencer Enabled", "", 1, 1.0, 1},
    {22, 163, "LFO 1 Shape / Phase / Retrig / Smooth", "", 3, 0.0, 9},
    {23, 164, "LFO 1 Shape / Phase / Retrig / Smooth", "deg", 0, 0.0, 1},
    {24, 165, "LFO 1 Shape / Phase / Retrig / Smooth", "", 1, 0.0, 1},
    {25, 166, "LFO 1 Shape / Phase / Retrig / Smooth", "%", 0, 0.0, 1},
    {26, 167, "LFO 2 Shape / Phase / Retrig / Smooth", "", 3, 0.0, 9},
    {29, 170, "LFO 2 Shape / Phase / Retrig / Smooth", "%", 0, 0.0, 1},
    {33, 174, "909 Sample Decay", "s", 0, 0.509 / 1.47, 1},
    {34, 175, "909 Sample Pitch", "st", 0, 0.5, 1},
    {38, 179, "Wave Layer Waveform", "", 23, 0.0, 9},
    {39, 111, "Sequence Rate", "BPM", 0, 105.0 / 285.0, 1},
    {40, 154, "Manual Tempo", "", 1, 0.0, 1},
    {41, 112, "Filter Cutoff", "Hz", 0, 0.9403937698096758, 1},
    {44, 115, "Delay Time", "ms", 0, 249.0 / 999.0, 1},
    {45, 116, "Delay Feedback", "%", 0, 25.0 / 95.0, 1},
    {52, 123, "Long Reverb Decay", "s", 0, 9.5 / 19.5, 1},
    {56, 127, "Factory Sound", "", 4, 0.0, 9},
    {57, 128, "Render WAV", "", 1, 0.0, 16},
    {58, 153, "Save Current Preset", "", 1, 0.0, 0},
    {59, 129, "Kick Tune", "Hz", 0, 13.0 / 50.0, 1},
    {62, 132, "Kick Pitch Decay", "s", 0, 0.022 / 0.117, 1},
    {71, 145, "Kick Click Tone", "%", 0, 0.371429, 1},
    {77, 151, "Kick Comp Attack", "ms", 0, 7.95 / 99.95, 1},
    {80, 183, "Output Gate Rate", "", 3, 0.0, 9},
    {95, 400, "Sub Generator Pitch", "%", 0, 0.42, 1},
    {105, 410, "Sub Generator Drive", "%", 0, 0.12, 1},
    {106, 412, "Sub Generator Compressor", "%", 0, 0.0, 1},
    {107, 411, "Sub Generator Mix", "%", 0, 0.0, 1},
    {110, 415, "Sub Generator ADSR Sustain", "%", 0, 1.0, 1},
    {112, 417, "Sub Generator Sequencer", "", 1, 0.0, 1},
    {113, 420, "Sub Step 1", "", 1, 1.0, 1},
    {114, 421, "Sub Step 2", "", 1, 0.0, 1},
    {117, 424, "Sub Step 5", "", 1, 1.0, 1},
    {128, 435, "Sub Step 16", "", 1, 0.0, 1},
    {131, 438, "Extended Mix OSC Dry Return", "%", 0, 0.0, 1},
    {133, 139, "Tail Rhythm Enable", "", 1, 0.0, 1},
    {134, 140, "Tail Rhythm Rate", "", 3, 0.0, 9},
    {137, 300, "Tail Step 1", "", 1, 1.0, 1},
    {138, 301, "Tail Step 2", "", 1, 0.0, 1},
    {139, 302, "Tail Step 3", "", 1, 1.0, 1},
    {145, 200, "Step 1", "", 2, 1.0, 1},
    {146, 201, "Step 2", "", 2, 0.0, 1},
    {157, 212, "Step 13", "", 2, 1.0, 1},
    {160, 215, "Step 16", "", 2, 0.0, 1},
};

} // namespace

TEST(ParameterRegistration, EveryParameterMatchesTheTableInOrder) {
    Controller ctl;
    ASSERT_EQ(ctl.c->getParameterCount(), 161);
    for (int32 i = 0; i < 161; ++i) {
        const ParameterSpec& p = kParameterTable[i];
        ParameterInfo info{};
        ASSERT_EQ(ctl.c->getParameterInfo(i, info), kResultOk);
        EXPECT_EQ(info.id, p.id) << i;
        EXPECT_EQ(ascii(info.title), p.title) << i;
        EXPECT_EQ(ascii(info.units), p.unit) << i;
        EXPECT_EQ(ascii(info.shortTitle), "") << i;
        EXPECT_EQ(info.stepCount, p.stepCount()) << i;
        EXPECT_NEAR(info.defaultNormalizedValue, defaultNormalized(p), 1e-15) << i;
        EXPECT_EQ(info.flags, p.flags) << i;
        EXPECT_EQ(info.unitId, kRootUnitId) << i;
        // The starting value is what a fresh engine starts with; the default stays the table's.
        EXPECT_NEAR(ctl.c->getParamNormalized(p.id), startNormalized(p), 1e-15) << i;
    }
}

TEST(ParameterRegistration, HandWrittenRowsAgree) {
    Controller ctl;
    for (const auto& row : kExpectedRows) {
        ParameterInfo info{};
        ASSERT_EQ(ctl.c->getParameterInfo(row.index, info), kResultOk);
        EXPECT_EQ(info.id, row.id) << row.index;
        EXPECT_EQ(ascii(info.title), row.title) << row.index;
        EXPECT_EQ(ascii(info.units), row.unit) << row.index;
        EXPECT_EQ(info.stepCount, row.stepCount) << row.index;
        EXPECT_NEAR(info.defaultNormalizedValue, row.defaultNormalized, 1e-6) << row.index;
        EXPECT_EQ(info.flags, row.flags) << row.index;
    }
}

TEST(ParameterRegistration, UnitsAndFlagsAddUp) {
    Controller ctl;
    std::map<std::string, int> units;
    int automatable = 0, lists = 0;
    for (int32 i = 0; i < ctl.c->getParameterCount(); ++i) {
        ParameterInfo info{};
        ctl.c->getParameterInfo(i, info);
        units[ascii(info.units)]++;
        automatable += (info.flags & ParameterInfo::kCanAutomate) ? 1 : 0;
        lists += (info.flags & ParameterInfo::kIsList) ? 1 : 0;
    }
    EXPECT_EQ(units["%"], 60);
    EXPECT_EQ(units["ms"], 11);
    EXPECT_EQ(units["Hz"], 8);
    EXPECT_EQ(units["s"], 6);
    EXPECT_EQ(units["deg"], 2);
    EXPECT_EQ(units["st"], 2);
    EXPECT_EQ(units["dB"], 1);
    EXPECT_EQ(units["BPM"], 1);
    EXPECT_EQ(automatable, 159); // all but "Render WAV" and "Save Current Preset"
    EXPECT_EQ(lists, 14);
}

TEST(ParameterRegistration, DisplayStrings) {
    Controller ctl;
    const struct { ParamID id; double normalized; const char* text; } cases[] = {
        {kFrequency, 40.0 / 180.0, "60.0"},
        {kFrequency, 1.0, "200.0"},
        {kFilterCutoff, 0.9403937698096758, "12000"},
        {kFilterCutoff, 0.0, "20"},
        {kFilterCutoff, 1.0, "18000"},
        {kFilterCutoff, 0.5, "600"},
        {kVolume, 0.8, "80.0000"},
        {kDelayFeedback, 1.0, "95.0000"},
        {kOutputGain, 24.0 / 84.0, "0.0000"},
        {kWaveLayerWaveform, 7.0 / 23.0, "Classic 2"},
        {kWaveLayerWaveform, 1.0, "Dark Boom"},
        {kEnvelopeRetrigger, 1.0, "On"},
        {kManualTempo, 0.0, "Off"},
        {kStep1, 0.5, "0.5000"},
    };
    for (const auto& c : cases) EXPECT_EQ(ctl.text(c.id, c.normalized), c.text) << c.id << " " << c.normalized;
}

TEST(ParameterRegistration, LogarithmicCutoff) {
    Controller ctl;
    Parameter* cutoff = ctl.c->getParameterObject(kFilterCutoff);
    ASSERT_NE(cutoff, nullptr);
    EXPECT_TRUE(cutoff->isA(RangeParameter::getFClassID()));
    EXPECT_EQ(cutoff->getPrecision(), 0);
    // A host resetting the parameter takes the reported default, which must be 12 kHz.
    EXPECT_NEAR(ctl.c->normalizedParamToPlain(kFilterCutoff, cutoff->getInfo().defaultNormalizedValue), 12000.0, 1e-9);
    EXPECT_DOUBLE_EQ(cutoff->getInfo().defaultNormalizedValue, 0.9403937698096758);
    const struct { double normalized; double hz; } mapping[] = {{0.0, 20.0}, {1.0, 18000.0}, {0.5, 600.0}};
    for (const auto& m : mapping) {
        EXPECT_NEAR(ctl.c->normalizedParamToPlain(kFilterCutoff, m.normalized), m.hz, 1e-9);
        EXPECT_NEAR(ctl.c->plainParamToNormalized(kFilterCutoff, m.hz), m.normalized, 1e-12);
    }
    EXPECT_EQ(ctl.c->plainParamToNormalized(kFilterCutoff, 5.0), 0.0);
    EXPECT_NEAR(ctl.c->plainParamToNormalized(kFilterCutoff, 30000.0), 1.0, 1e-15);
    ParamValue v = -1;
    EXPECT_EQ(ctl.c->getParamValueByString(kFilterCutoff, const_cast<TChar*>(u"5"), v), kResultOk);
    EXPECT_EQ(v, 0.0);
    EXPECT_EQ(ctl.c->getParamValueByString(kFilterCutoff, const_cast<TChar*>(u"30000"), v), kResultOk);
    EXPECT_NEAR(v, 1.0, 1e-15);
    EXPECT_EQ(ctl.c->getParamValueByString(kFilterCutoff, const_cast<TChar*>(u"600 Hz"), v), kResultOk);
    EXPECT_NEAR(v, 0.5, 1e-12);
}

TEST(ParameterRegistration, LfoGroupsShareTheirTitleWithDistinctIds) {
    Controller ctl;
    for (ParamID first : {ParamID(kLfo1Shape), ParamID(kLfo2Shape)}) {
        std::string title;
        for (ParamID id = first; id < first + 4; ++id) {
            Parameter* p = ctl.c->getParameterObject(id);
            ASSERT_NE(p, nullptr);
            if (title.empty()) title = ascii(p->getInfo().title);
            EXPECT_EQ(ascii(p->getInfo().title), title);
            EXPECT_EQ(p->getInfo().id, id);
        }
        EXPECT_EQ(title, first == kLfo1Shape ? "LFO 1 Shape / Phase / Retrig / Smooth"
                                             : "LFO 2 Shape / Phase / Retrig / Smooth");
    }
}

// Hosts may run with the user's numeric locale; the displays must not follow it.
TEST(ParameterRegistration, StringsDoNotDependOnTheNumericLocale) {
#ifdef GRUNDMOOR_TEST_LOCALE_DIR
    setenv("LOCPATH", GRUNDMOOR_TEST_LOCALE_DIR, 1);
#endif
    const char* german = nullptr;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE"})
        if (std::setlocale(LC_ALL, name)) {
            german = name;
            break;
        }
    if (!german) GTEST_SKIP() << "no German locale available (localedef missing?)";
    char probe[32];
    std::snprintf(probe, sizeof probe, "%.1f", 60.0);
    const bool commaLocale = std::string(probe) == "60,0";
    {
        Controller ctl;
        EXPECT_EQ(ctl.text(kFrequency, 40.0 / 180.0), "60.0");
        EXPECT_EQ(ctl.text(kVolume, 0.805), "80.5000");
        EXPECT_EQ(ctl.text(kFilterCutoff, 0.9403937698096758), "12000");
        ParamValue v = -1;
        EXPECT_EQ(ctl.c->getParamValueByString(kFrequency, const_cast<TChar*>(u"60.5"), v), kResultOk);
        EXPECT_NEAR(v, 40.5 / 180.0, 1e-12);
        EXPECT_EQ(ctl.c->getParamValueByString(kFrequency, const_cast<TChar*>(u"60,5"), v), kResultOk);
        EXPECT_NEAR(v, 40.5 / 180.0, 1e-12);
    }
    std::setlocale(LC_ALL, "C");
    EXPECT_TRUE(commaLocale) << "the locale " << german << " did not switch printf to a decimal comma";
}

TEST(ParameterRegistration, IndexOutsideTheListIsRefusedNotThrown) {
    Controller ctl;
    for (int32 index : {-1, 161, 1000}) {
        ParameterInfo info{};
        tresult r = kResultOk;
        EXPECT_NO_THROW(r = ctl.c->getParameterInfo(index, info)) << index;
        EXPECT_EQ(r, kResultFalse) << index;
    }
}
