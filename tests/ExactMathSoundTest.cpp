// The bundle's sound against the same plug-in built on libm's own elementary functions (the
// exact-maths bundle): every factory preset and every benchmark sound, at 44.1 and 48 kHz, with the
// sequencer playing hits and their tails. The bounded-error functions must not be heard: the largest
// sample difference stays below -120 dBFS.
#include "BenchSoundSettings.h"
#include "BundleFixture.h"
#include "PresetRender.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace grundmoor::presetrender;
using grundmoor::testhost::TestHost;

namespace {

constexpr double kLimit = 1e-6; // -120 dBFS

std::filesystem::path exactBundlePath() { return GRUNDMOOR_TEST_EXACT_BUNDLE_DIR; }

// Sounds allowed more (never above -90 dBFS), each with the reason.
struct Exception {
    const char* name;
    double limit;
    const char* reason;
};
const std::vector<Exception> kExceptions = {
    {"bench: every effect driven", 3.1622776601683795e-05, // -90 dBFS
     "\"Output Gain\" 0.8 drives the output saturation by +21.6 dB: the differences in the bus before "
     "it (about -125 dBFS in the same sound undriven, \"heaviest\") come out about 12 times larger "
     "(measured about -105 dBFS)"},
};

double limitFor(const std::string& name) {
    for (const Exception& e : kExceptions)
        if (name == e.name) return e.limit;
    return kLimit;
}

const char* reasonFor(const std::string& name) {
    for (const Exception& e : kExceptions)
        if (name == e.name) return e.reason;
    return "";
}

struct Comparison {
    std::string name;
    double sampleRate = 0.0;
    double largestDifference = 0.0;
    double peak = 0.0; // of the fast render
    bool finite = true;
    bool identical = true;
    int64_t samples = 0;
};

void compareInto(Comparison& c, const Stereo& fast, const Stereo& exact) {
    c.finite = true;
    for (size_t ch = 0; ch < 2; ++ch) {
        c.samples = static_cast<int64_t>(std::min(fast[ch].size(), exact[ch].size()));
        if (fast[ch].size() != exact[ch].size()) {
            c.identical = false;
            c.largestDifference = INFINITY;
        }
        for (size_t s = 0; s < static_cast<size_t>(c.samples); ++s) {
            const double a = fast[ch][s], b = exact[ch][s];
            if (!std::isfinite(a) || !std::isfinite(b)) c.finite = false;
            c.largestDifference = std::max(c.largestDifference, std::fabs(a - b));
            c.peak = std::max(c.peak, std::fabs(a));
            if (a != b) c.identical = false;
        }
    }
}

// One bar of hits (2 s at 120 BPM, after the renderer's bar of warm-up), then 1.5 s of tails.
RenderSettings presetSettings(double sampleRate) {
    RenderSettings s;
    s.sampleRate = sampleRate;
    s.blockSize = 512;
    s.tempo = 120.0;
    s.bars = 1.0;
    s.ringOutSeconds = 1.5;
    return s;
}

std::unique_ptr<TestHost> makeHost(const std::filesystem::path& bundle, double sampleRate) {
    auto host = std::make_unique<TestHost>(bundle);
    host->setConnectsComponents(false);
    host->setup(sampleRate, 512, Steinberg::Vst::kOffline);
    return host;
}

// A benchmark sound over the defaults, the transport playing from 0 for three seconds.
Stereo renderBenchSound(const std::filesystem::path& bundle, const TarnwellPlugin::Testing::Sound& sound,
                        double sampleRate) {
    auto host = makeHost(bundle, sampleRate);
    for (const auto& s : TarnwellPlugin::Testing::hostSettings(sound)) host->setParameter(s.id, s.value);
    host->transport().tempo = 120.0;
    host->transport().playing = true;
    const auto& out = host->process(static_cast<int64_t>(3.0 * sampleRate));
    const size_t last = out.channels.size() - 1;
    return {out.channels[0], out.channels[std::min<size_t>(1, last)]};
}

const std::vector<Comparison>& allComparisons() {
    static const std::vector<Comparison> comparisons = [] {
        const auto presets = TarnwellPlugin::factoryPresetRenderList();
        const auto& sounds = TarnwellPlugin::Testing::kSounds;
        const double rates[] = {44100.0, 48000.0};
        const size_t jobsPerRate = presets.size() + std::size(sounds);
        std::vector<Comparison> out(2 * jobsPerRate);
        const unsigned workers = std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
        std::vector<std::thread> threads;
        for (unsigned w = 0; w < workers; ++w)
            threads.emplace_back([&, w] {
                for (size_t r = 0; r < 2; ++r) {
                    const double rate = rates[r];
                    auto fastHost = makeHost(BundleFixture::bundlePath(), rate);
                    auto exactHost = makeHost(exactBundlePath(), rate);
                    for (size_t j = w; j < jobsPerRate; j += workers) {
                        Comparison& c = out[r * jobsPerRate + j];
                        c.sampleRate = rate;
                        if (j < presets.size()) {
                            c.name = presets[j].name;
                            const RenderSettings settings = presetSettings(rate);
                            compareInto(c, renderPreset(*fastHost, presets[j].values, settings),
                                        renderPreset(*exactHost, presets[j].values, settings));
                        } else {
                            const auto& sound = sounds[j - presets.size()];
                            c.name = std::string("bench: ") + sound.name;
                            compareInto(c, renderBenchSound(BundleFixture::bundlePath(), sound, rate),
                                        renderBenchSound(exactBundlePath(), sound, rate));
                        }
                    }
                }
            });
        for (auto& t : threads) t.join();
        return out;
    }();
    return comparisons;
}

TEST(ExactMathSound, EveryPresetAndBenchmarkSoundMatchesTheExactMathsBuild) {
    const auto& comparisons = allComparisons();
    ASSERT_EQ(comparisons.size(), 2 * (58u + std::size(TarnwellPlugin::Testing::kSounds)));
    double worst = 0.0, worstUnexcepted = 0.0;
    std::string worstName, worstUnexceptedName;
    bool anyDifferent = false;
    for (const Comparison& c : comparisons) {
        SCOPED_TRACE(c.name + " at " + std::to_string(static_cast<int>(c.sampleRate)) + " Hz");
        EXPECT_TRUE(c.finite);
        EXPECT_GT(c.samples, static_cast<int64_t>(2.5 * c.sampleRate)); // hits and tails were played
        EXPECT_GT(c.peak, 0.01);                                          // and were heard
        EXPECT_LE(c.largestDifference, limitFor(c.name))
            << "largest difference " << toDb(c.largestDifference) << " dBFS " << reasonFor(c.name);
        anyDifferent = anyDifferent || !c.identical;
        if (c.largestDifference > worst) {
            worst = c.largestDifference;
            worstName = c.name;
        }
        if (limitFor(c.name) == kLimit && c.largestDifference > worstUnexcepted) {
            worstUnexcepted = c.largestDifference;
            worstUnexceptedName = c.name;
        }
    }
    // The two bundles really are two builds: bit-identical output everywhere would mean the
    // comparison compared the fast maths with itself (or the exact maths with itself).
    EXPECT_TRUE(anyDifferent);
    RecordProperty("largest_difference_dbfs", std::to_string(toDb(worst)));
    RecordProperty("largest_difference_sound", worstName);
    std::printf("largest difference %.1f dBFS (%s); without the named sounds %.1f dBFS (%s)\n", toDb(worst),
                worstName.c_str(), toDb(worstUnexcepted), worstUnexceptedName.c_str());
}

} // namespace
