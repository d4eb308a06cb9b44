// Render cost (CPU time) of two builds of the plug-in side by side, in one run: each bundle is loaded as a
// host loads it and plays the benchmark's "default" and "heaviest" sounds with the sequencer
// following a running transport, 512-sample blocks, at 44.1, 48 and 96 kHz. Prints nanoseconds per
// sample, the real-time factor and the speed-up of the second bundle over the first.
//
//   ./build/bench/compare_bench <old bundle.vst3 or .so> [<new bundle>] [--seconds S] [--repeats N]
//                               [--sound NAME]   (one of the benchmark's sounds instead of the two)
//
// The new bundle defaults to the one of this build. Each figure is the fastest of N timed runs of
// S seconds of audio (after one second of warm-up), the bundles taking turns so that a change in
// the machine's load falls on both.

#include "BenchSoundSettings.h"

#include "grundmoor/testhost/TestHost.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include <time.h>

using grundmoor::testhost::TestHost;
using namespace TarnwellPlugin;

namespace {

constexpr int32_t kBlock = 512;

struct Options {
    std::filesystem::path oldBundle, newBundle;
    double seconds = 10.0;
    int repeats = 3;
    std::vector<std::string> sounds = {"default", "heaviest"};
};

// This thread's CPU time (the other work on the machine counts less than in wall time).
double cpuNanoseconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e9 + static_cast<double>(t.tv_nsec);
}

// CPU nanoseconds per sample frame of the render.
double timeRender(const std::filesystem::path& bundle, const Testing::Sound& sound, double sampleRate,
                  double seconds) {
    TestHost host(bundle);
    host.setConnectsComponents(false);
    host.setup(sampleRate, kBlock, Steinberg::Vst::kRealtime);
    for (const Testing::HostSetting& s : Testing::hostSettings(sound)) host.setParameter(s.id, s.value);
    host.transport().tempo = 120.0;
    host.transport().playing = true;
    host.transport().projectTimeMusic = 0.0;
    const auto warmUp = static_cast<int64_t>(sampleRate);
    for (int64_t done = 0; done < warmUp; done += kBlock) host.processBlock(kBlock);
    const auto samples = static_cast<int64_t>(seconds * sampleRate);
    int64_t done = 0;
    const double start = cpuNanoseconds();
    for (; done < samples; done += kBlock) host.processBlock(kBlock);
    const double elapsed = cpuNanoseconds() - start;
    if (host.failedBlocks() != 0) throw std::runtime_error("a block failed in " + bundle.string());
    return elapsed / static_cast<double>(done);
}

[[noreturn]] void usage() {
    std::fprintf(stderr, "usage: compare_bench <old bundle> [<new bundle>] [--seconds S] [--repeats N] [--sound NAME]\n");
    std::exit(2);
}

Options parse(int argc, char** argv) {
    Options o;
#ifdef GRUNDMOOR_DEFAULT_BUNDLE
    o.newBundle = GRUNDMOOR_DEFAULT_BUNDLE;
#endif
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--seconds" && i + 1 < argc) {
            o.seconds = std::atof(argv[++i]);
        } else if (a == "--repeats" && i + 1 < argc) {
            o.repeats = std::max(1, std::atoi(argv[++i]));
        } else if (a == "--sound" && i + 1 < argc) {
            o.sounds = {argv[++i]};
        } else if (!a.empty() && a[0] == '-') {
            usage();
        } else {
            positional.push_back(a);
        }
    }
    if (positional.empty() || positional.size() > 2 || !(o.seconds > 0.0)) usage();
    o.oldBundle = positional[0];
    if (positional.size() == 2) o.newBundle = positional[1];
    if (o.newBundle.empty()) usage();
    return o;
}

} // namespace

int main(int argc, char** argv) {
    const Options o = parse(argc, argv);
    std::printf("old: %s\nnew: %s\n%g s of audio per run, fastest of %d runs, %d-sample blocks\n\n",
                o.oldBundle.c_str(), o.newBundle.c_str(), o.seconds, o.repeats, kBlock);
    std::printf("%-10s %7s | %12s %9s | %12s %9s | %8s\n", "sound", "rate", "old ns/smp", "old RT", "new ns/smp",
                "new RT", "speed-up");
    try {
        for (const std::string& name : o.sounds) {
            const auto sound = std::find_if(std::begin(Testing::kSounds), std::end(Testing::kSounds),
                                            [&](const Testing::Sound& s) { return name == s.name; });
            if (sound == std::end(Testing::kSounds)) throw std::runtime_error("no benchmark sound " + name);
            for (const double rate : {44100.0, 48000.0, 96000.0}) {
                double oldNs = 1e300, newNs = 1e300;
                for (int r = 0; r < o.repeats; ++r) {
                    oldNs = std::min(oldNs, timeRender(o.oldBundle, *sound, rate, o.seconds));
                    newNs = std::min(newNs, timeRender(o.newBundle, *sound, rate, o.seconds));
                }
                const double oldRt = 1e9 / (oldNs * rate), newRt = 1e9 / (newNs * rate);
                std::printf("%-10s %7.0f | %12.1f %8.1fx | %12.1f %8.1fx | %7.2fx\n", name.c_str(), rate, oldNs, oldRt, newNs,
                            newRt, oldNs / newNs);
                std::fflush(stdout);
            }
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "compare_bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
