// Pins the engine's output bit for bit: every factory preset at 44.1 and 48 kHz and every
// benchmark sound at 44.1, 48 and 96 kHz is rendered through a fixed script (sequencer on the
// transport, odd block sizes, automation and note events inside blocks, stages switched off and on
// again, a preset change, then the transport stopped for the tails) and the FNV-1a 64 hash of the
// output samples' bits and the meter snapshots is compared with the committed table.
//
// Speed-ups of the render must leave every hash as it is. When the sound is changed on purpose,
// write the table again:
//   GRUNDMOOR_WRITE_RENDER_HASHES=engine/tests/hash/RenderHashes.generated.inc ./build/.../render_hash_tests

#include "BenchSounds.h"
#include "EngineFixture.h"
#include "FactoryPresetRenderList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

using namespace TarnwellPlugin;
using namespace TarnwellPlugin::Testing;

namespace {

struct ExpectedHash {
    const char* name;
    uint64_t hash;
};

constexpr ExpectedHash kExpectedHashes[] = {
#include "RenderHashes.generated.inc"
};

struct Fnv1a64 {
    uint64_t value = 0xcbf29ce484222325ull;
    void bytes(const void* data, size_t n) {
        const auto* p = static_cast<const unsigned char*>(data);
        for (size_t i = 0; i < n; ++i) {
            value ^= p[i];
            value *= 0x100000001b3ull;
        }
    }
    void f32(float v) {
        uint32_t bits = 0;
        std::memcpy(&bits, &v, sizeof bits);
        bytes(&bits, sizeof bits);
    }
    void f64(double v) {
        uint64_t bits = 0;
        std::memcpy(&bits, &v, sizeof bits);
        bytes(&bits, sizeof bits);
    }
    void u64(uint64_t v) { bytes(&v, sizeof v); }
};

using Values = std::vector<PresetParameterValue>;

struct RenderCase {
    std::string name;
    double sampleRate = 48000.0;
    Values setup;                     // stored before the engine is prepared (a preset as loaded)
    void (*configure)(ParameterBlock&) = nullptr; // applied after preparing (as the benchmark does)
    Values presetChange;              // sent through the queues at 2.2 s (empty: none)
    bool hostTransport = true;        // false: manual tempo, no process context
};

// Block sizes cycled through: the host's usual sizes and some that split every period.
constexpr int32 kBlockSizes[] = {512, 97, 256, 1, 333, 64, 1024, 7};

double toggled(const ParameterBlock& p, ParamId id) { return p.on(id) ? 0.0 : 1.0; }

// The scripted events of the block that starts at sample `start` and has `n` samples.
void scriptBlock(EngineRig& rig, const RenderCase& c, int64_t start, int32 n) {
    const ParameterBlock& p = rig.engine.parameters();
    auto at = [&](double seconds) {
        const auto s = static_cast<int64_t>(seconds * c.sampleRate);
        return s >= start && s < start + n;
    };
    // An offset inside the block, when the block has room for one.
    const auto mid = [n](int32 wanted) { return n > wanted ? wanted : n - 1; };
    if (at(0.35)) {
        rig.changes.add(kFrequency, 0.8, mid(3));
        rig.events.noteOn(mid(40), 0.6f);
    }
    if (at(0.7)) {
        rig.changes.add(kFattenerEnable, toggled(p, kFattenerEnable), mid(5));
        rig.changes.add(kLFO1Enabled, toggled(p, kLFO1Enabled), mid(9));
        rig.changes.add(kVolumeLFODepth, 0.7, mid(2));
        rig.changes.add(kFrequency, 0.25, mid(11));
        rig.changes.add(kFrequency, 0.6, mid(60));
    }
    if (at(1.3)) {
        rig.changes.add(kFilterCutoff, 0.3, mid(1));
        rig.changes.add(kFilterCutoff, 0.45, mid(70));
        rig.changes.add(kVolume, 0.6, mid(13));
        rig.changes.add(kStereoEnhancerEnable, toggled(p, kStereoEnhancerEnable), mid(20));
        rig.changes.add(kKickGeneratorMix, 0.4, mid(30));
        rig.events.noteOn(mid(10), 0.9f);
    }
    if (at(1.9)) {
        rig.changes.add(kPitchLFODepth, 0.0, mid(4));
        rig.changes.add(kLFO2Enabled, 1.0, mid(4));
        rig.changes.add(kRiftFoldEnable, toggled(p, kRiftFoldEnable), mid(6));
        rig.changes.add(kVoidModEnable, toggled(p, kVoidModEnable), mid(8));
        rig.changes.add(kDelayMix, 0.0, mid(17));
        rig.changes.add(kLFO2Target, 0.34, mid(25));
    }
    if (at(2.2) && !c.presetChange.empty())
        for (const PresetParameterValue& v : c.presetChange) rig.changes.add(v.id, v.value, mid(1));
    if (at(2.6)) {
        rig.changes.add(kFattenerEnable, toggled(p, kFattenerEnable), mid(50));
        rig.changes.add(kLongReverbMix, 0.0, mid(3));
        rig.changes.add(kAmbienceMix, 0.0, mid(3));
        rig.changes.add(kVolumeLFODepth, 0.0, mid(3));
        rig.changes.add(kPitchLFODepth, 0.5, mid(3));
    }
    if (at(3.0) && c.hostTransport) rig.stop();
    if (at(3.3)) {
        rig.changes.add(kLongReverbMix, 0.5, mid(3));
        rig.changes.add(kFattenerEnable, 1.0, mid(3));
        rig.events.noteOn(mid(20), 1.0f);
        rig.events.noteOff(mid(300));
    }
    if (at(3.8)) {
        rig.changes.add(kSequencerEnabled, 0.0, mid(2));
        rig.events.noteOn(mid(5), 0.8f);
    }
}

uint64_t renderHash(const RenderCase& c) {
    EngineRig rig(c.sampleRate);
    ParameterBlock& p = rig.engine.parameters();
    if (!c.setup.empty()) {
        for (const PresetParameterValue& v : c.setup) p.store(v.id, v.value);
        rig.engine.prepare(c.sampleRate);
        rig.engine.reset();
    }
    if (c.configure) c.configure(p);
    if (c.hostTransport) {
        rig.play(120.0);
    } else {
        p.store(kManualTempo, 1.0);
    }

    Fnv1a64 hash;
    const auto total = static_cast<int64_t>(4.5 * c.sampleRate);
    int64_t done = 0;
    for (size_t block = 0; done < total; ++block) {
        const auto n = static_cast<int32>(
            std::min<int64_t>(kBlockSizes[block % std::size(kBlockSizes)], total - done));
        scriptBlock(rig, c, done, n);
        rig.render(n);
        for (size_t i = 0; i < rig.left.size(); ++i) {
            hash.f32(rig.left[i]);
            hash.f32(rig.right[i]);
        }
        rig.left.clear();
        rig.right.clear();
        done += n;

        float peakLeft = 0.0f, peakRight = 0.0f, waveform[kWaveformPoints] = {};
        double tempo = 0.0;
        float reduction = 0.0f;
        uint64_t triggers = 0;
        if (rig.engine.takeVisualizationSnapshot(peakLeft, peakRight, waveform, tempo, reduction, triggers)) {
            hash.f32(peakLeft);
            hash.f32(peakRight);
            for (float w : waveform) hash.f32(w);
            hash.f64(tempo);
            hash.f32(reduction);
            hash.u64(triggers);
        }
    }
    return hash.value;
}

Values toValues(const PresetValues& values) { return Values(values.begin(), values.end()); }

std::vector<RenderCase> allCases() {
    std::vector<RenderCase> cases;
    const auto list = factoryPresetRenderList();
    for (double rate : {44100.0, 48000.0}) {
        for (size_t i = 0; i < list.size(); ++i) {
            RenderCase c;
            char name[160];
            std::snprintf(name, sizeof name, "preset %02d %s @ %.0f", list[i].index, list[i].name, rate);
            c.name = name;
            c.sampleRate = rate;
            c.setup = toValues(list[i].values);
            c.presetChange = toValues(list[(i + 1) % list.size()].values);
            cases.push_back(c);
        }
    }
    for (const Sound& sound : kSounds) {
        for (double rate : {44100.0, 48000.0, 96000.0}) {
            RenderCase c;
            char name[160];
            std::snprintf(name, sizeof name, "sound %s @ %.0f", sound.name, rate);
            c.name = name;
            c.sampleRate = rate;
            c.configure = sound.configure;
            cases.push_back(c);
        }
    }
    for (const Sound& sound : kSounds) {
        RenderCase c;
        c.name = std::string("sound ") + sound.name + " without transport @ 44100";
        c.sampleRate = 44100.0;
        c.configure = sound.configure;
        c.hostTransport = false;
        cases.push_back(c);
    }
    return cases;
}

const std::vector<RenderCase>& cases() {
    static const std::vector<RenderCase> all = allCases();
    return all;
}

class RenderHash : public testing::TestWithParam<size_t> {};

TEST_P(RenderHash, MatchesTheCommittedTable) {
    const RenderCase& c = cases()[GetParam()];
    const ExpectedHash* expected = nullptr;
    for (const ExpectedHash& e : kExpectedHashes)
        if (c.name == e.name) expected = &e;
    ASSERT_NE(expected, nullptr) << "no committed hash for \"" << c.name << "\"";
    char got[32];
    char want[32];
    std::snprintf(got, sizeof got, "0x%016llx", static_cast<unsigned long long>(renderHash(c)));
    std::snprintf(want, sizeof want, "0x%016llx", static_cast<unsigned long long>(expected->hash));
    EXPECT_STREQ(got, want) << c.name;
}

std::string caseTestName(const testing::TestParamInfo<size_t>& info) {
    std::string out;
    for (char ch : cases()[info.param].name) out += (std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_');
    return out;
}

INSTANTIATE_TEST_SUITE_P(All, RenderHash, testing::Range<size_t>(0, cases().size()), caseTestName);

// Every case has a hash and every hash a case: a renamed case cannot slip through unchecked.
TEST(RenderHashTable, CoversExactlyTheCases) {
    std::map<std::string, int> names;
    for (const RenderCase& c : cases()) ++names[c.name];
    for (const auto& [name, count] : names) EXPECT_EQ(count, 1) << name;
    EXPECT_EQ(std::size(kExpectedHashes), cases().size());
    // The presets and the sounds are all there: 58 presets at two rates, 4 sounds at three rates
    // and once without a transport.
    EXPECT_EQ(cases().size(), 58u * 2u + 4u * 3u + 4u);
}

int writeTable(const char* path) {
    std::FILE* f = std::fopen(path, "w");
    if (!f) {
        std::perror(path);
        return 1;
    }
    std::fprintf(f, "// Generated by render_hash_tests with GRUNDMOOR_WRITE_RENDER_HASHES set; do not edit.\n");
    for (const RenderCase& c : cases())
        std::fprintf(f, "{\"%s\", 0x%016llxull},\n", c.name.c_str(), static_cast<unsigned long long>(renderHash(c)));
    std::fclose(f);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (const char* path = std::getenv("GRUNDMOOR_WRITE_RENDER_HASHES"); path && *path) return writeTable(path);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
