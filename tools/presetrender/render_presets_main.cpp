// grundmoor-render-presets: renders every factory preset through the bundle into a WAV file of its
// own and prints the levels of each render.
#include "PresetRender.h"

#include "grundmoor/testhost/WavFile.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <set>
#include <string>

using namespace grundmoor;
using namespace grundmoor::presetrender;

namespace {

void usage(std::ostream& os) {
    os << "Usage: grundmoor-render-presets [options] OUTDIR\n"
          "  OUTDIR               folder for the WAV files (created when missing)\n"
          "  --bundle DIR         the .vst3 bundle folder (default: the one this build made)\n"
          "  --bars N             bars of 4/4 per preset (default 2)\n"
          "  --tempo BPM          host tempo (default 120)\n"
          "  --sample-rate SR     sample rate in Hz (default 44100)\n"
          "  --block-size N       maximum block size (default 512)\n"
          "  --ring-out SECONDS   render on with the transport stopped and report how long the\n"
          "                       sound takes to fall 40 dB below its RMS (default 0: not measured)\n"
          "  --preset INDEX       render only this menu index; repeatable\n"
          "Each preset is applied as the preset menu applies it, the processor restarted, and the\n"
          "bars played with the sequencer following the transport. Files are 32-bit float stereo,\n"
          "named <index>-<name>.wav. The tail column is the RMS of the last half bar.\n";
}

std::optional<double> number(const std::string& s) {
    try {
        size_t used = 0;
        const double v = std::stod(s, &used);
        if (used != s.size() || !std::isfinite(v)) return std::nullopt;
        return v;
    } catch (...) {
        return std::nullopt;
    }
}

} // namespace

int main(int argc, char** argv) {
    RenderSettings settings;
    std::string bundle = GRUNDMOOR_DEFAULT_BUNDLE;
    std::string outDir;
    std::set<int32_t> only;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            usage(std::cout);
            return 0;
        }
        if (arg.rfind("--", 0) != 0) {
            if (!outDir.empty()) {
                std::cerr << "grundmoor-render-presets: more than one OUTDIR\n";
                return 2;
            }
            outDir = arg;
            continue;
        }
        if (i + 1 >= argc) {
            std::cerr << "grundmoor-render-presets: " << arg << " needs a value\n";
            usage(std::cerr);
            return 2;
        }
        const std::string value = argv[++i];
        if (arg == "--bundle") {
            bundle = value;
            continue;
        }
        const auto n = number(value);
        const bool whole = n && *n == std::floor(*n);
        bool ok = false;
        if (arg == "--bars") {
            ok = n && *n > 0;
            if (ok) settings.bars = *n;
        } else if (arg == "--tempo") {
            ok = n && *n >= 1;
            if (ok) settings.tempo = *n;
        } else if (arg == "--sample-rate") {
            ok = n && *n >= 1000;
            if (ok) settings.sampleRate = *n;
        } else if (arg == "--ring-out") {
            ok = n && *n >= 0 && *n <= 600;
            if (ok) settings.ringOutSeconds = *n;
        } else if (arg == "--block-size") {
            ok = whole && *n >= 1 && *n <= (1 << 20);
            if (ok) settings.blockSize = static_cast<int32_t>(*n);
        } else if (arg == "--preset") {
            ok = whole && *n >= 0 && *n < 1000;
            if (ok) only.insert(static_cast<int32_t>(*n));
        } else {
            std::cerr << "grundmoor-render-presets: unknown option " << arg << "\n";
            usage(std::cerr);
            return 2;
        }
        if (!ok) {
            std::cerr << "grundmoor-render-presets: bad value for " << arg << ": " << value << "\n";
            return 2;
        }
    }
    if (outDir.empty()) {
        std::cerr << "grundmoor-render-presets: OUTDIR is required\n";
        usage(std::cerr);
        return 2;
    }

    const auto presets = TarnwellPlugin::factoryPresetRenderList();
    if (presets.empty()) {
        std::cerr << "grundmoor-render-presets: the factory preset table cannot be built\n";
        return 1;
    }
    for (int32_t index : only)
        if (index >= static_cast<int32_t>(presets.size())) {
            std::cerr << "grundmoor-render-presets: no preset " << index << "\n";
            return 2;
        }

    std::error_code ec;
    std::filesystem::create_directories(outDir, ec);
    if (ec) {
        std::cerr << "grundmoor-render-presets: cannot create " << outDir << ": " << ec.message() << "\n";
        return 1;
    }

    try {
        testhost::TestHost host(bundle);
        host.setup(settings.sampleRate, settings.blockSize, Steinberg::Vst::kOffline);
        std::printf("%d presets, %g bars at %g BPM, %g Hz%s\n", static_cast<int>(only.empty() ? presets.size() : only.size()),
                    settings.bars, settings.tempo, settings.sampleRate,
                    settings.ringOutSeconds > 0 ? ", then ring-out with the transport stopped" : "");
        std::printf("%3s  %-20s %9s %9s %9s %9s %6s%s\n", "#", "name", "peak dB", "RMS dB", "tail dB", "centroid",
                    "<120Hz", settings.ringOutSeconds > 0 ? " ring-out" : "");
        int status = 0;
        for (const auto& preset : presets) {
            if (!only.empty() && !only.count(preset.index)) continue;
            const Stereo render = renderPreset(host, preset.values, settings);
            const Measurement m = measure(render, settings);
            std::printf("%3d  %-20s %9.2f %9.2f %9.2f %7.0fHz %5.0f%%", preset.index, preset.name, toDb(m.peak),
                        toDb(m.rms), toDb(m.tailRms), m.centroidHz, 100.0 * m.lowShare);
            if (settings.ringOutSeconds > 0) std::printf(" %7.2fs", m.ringOutSeconds);
            if (m.peak > 1.0) std::printf("  over 0 dBFS");
            if (!m.finite) std::printf("  NaN/inf");
            std::printf("\n");
            if (!m.finite) status = 3;
            const auto path = std::filesystem::path(outDir) / wavFileName(preset.index, preset.name);
            if (!testhost::writeFloatWav(path, render, static_cast<std::uint32_t>(std::lround(settings.sampleRate)))) {
                std::cerr << "grundmoor-render-presets: cannot write " << path << "\n";
                return 1;
            }
        }
        if (host.failedBlocks() > 0) {
            std::cerr << "grundmoor-render-presets: " << host.failedBlocks() << " blocks did not process\n";
            status = 3;
        }
        return status;
    } catch (const testhost::HostError& e) {
        std::cerr << "grundmoor-render-presets: " << e.what() << "\n";
        return 1;
    }
}
