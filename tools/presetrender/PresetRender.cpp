#include "PresetRender.h"

#include "ProcessorState.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstring>
#include <limits>
#include <numbers>

namespace grundmoor::presetrender {

using namespace TarnwellPlugin;
using testhost::TestHost;

namespace {

// Plays blocks of at most blockSize and appends the main bus's first two channels (a mono bus
// feeds both sides).
void renderInto(TestHost& host, int64_t samples, int32_t blockSize, Stereo& out) {
    const int32_t channels = host.outputChannelCount(0);
    if (channels <= 0) throw testhost::HostError("the plug-in has no main audio output");
    for (int64_t done = 0; done < samples;) {
        const auto n = static_cast<int32_t>(std::min<int64_t>(blockSize, samples - done));
        host.processBlock(n);
        for (int32_t c = 0; c < 2; ++c) {
            const float* src = host.blockOutput(0, std::min(c, channels - 1));
            out[static_cast<size_t>(c)].insert(out[static_cast<size_t>(c)].end(), src, src + n);
        }
        done += n;
    }
}

void restartProcessor(TestHost& host) {
    host.processor()->setProcessing(false);
    host.componentPtr()->setActive(false);
    host.componentPtr()->setActive(true);
    host.processor()->setProcessing(true);
}

// In-place radix-2 FFT; size a power of two.
void fft(std::vector<std::complex<double>>& a) {
    const size_t n = a.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(a[i], a[j]);
    }
    for (size_t len = 2; len <= n; len <<= 1) {
        const double angle = -2.0 * std::numbers::pi / static_cast<double>(len);
        const std::complex<double> wlen(std::cos(angle), std::sin(angle));
        for (size_t i = 0; i < n; i += len) {
            std::complex<double> w(1.0);
            for (size_t k = 0; k < len / 2; ++k) {
                const auto u = a[i + k];
                const auto v = a[i + k + len / 2] * w;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
                w *= wlen;
            }
        }
    }
}

double rmsOf(const Stereo& s, size_t begin, size_t end) {
    double sum = 0.0;
    size_t count = 0;
    for (const auto& ch : s)
        for (size_t i = begin; i < std::min(end, ch.size()); ++i, ++count) sum += double(ch[i]) * ch[i];
    return count ? std::sqrt(sum / static_cast<double>(count)) : 0.0;
}

} // namespace

void applyPreset(TestHost& host, const PresetValues& values) {
    for (const PresetParameterValue& p : values) {
        const double v = p.id == kWaveLayerWaveform ? migrateWaveLayerWaveformValue(p.value) : p.value;
        host.setParameter(p.id, v);
    }
}

int64_t barSamples(const RenderSettings& settings) {
    return std::llround(settings.bars * 4.0 * 60.0 / settings.tempo * settings.sampleRate);
}

Stereo renderPreset(TestHost& host, const PresetValues& values, const RenderSettings& settings) {
    auto& transport = host.transport();
    transport.playing = false;
    transport.tempo = settings.tempo;
    transport.projectTimeMusic = 0.0;
    // The session's tempo mode, which presets leave alone: follow the host's transport.
    host.setParameter(kSequencerEnabled, 1.0);
    host.setParameter(kManualTempo, 0.0);
    applyPreset(host, values);

    // One bar played before the render proper. Some settings (the sub generator's) glide to their
    // new values only while their voice sounds, and a restart keeps where they were; one bar of
    // playing lets them arrive, so that the render does not depend on the preset played before.
    Stereo out(2);
    transport.playing = true;
    renderInto(host, std::llround(4.0 * 60.0 / settings.tempo * settings.sampleRate), settings.blockSize, out);
    transport.playing = false;
    restartProcessor(host); // voices, tails, ramps and declickers start from rest

    const int64_t bars = barSamples(settings);
    const auto ringOut = std::llround(settings.ringOutSeconds * settings.sampleRate);
    for (auto& ch : out) {
        ch.clear();
        ch.reserve(static_cast<size_t>(bars + ringOut));
    }
    transport.projectTimeMusic = 0.0;
    transport.playing = true;
    renderInto(host, bars, settings.blockSize, out);
    transport.playing = false;
    if (ringOut > 0) renderInto(host, ringOut, settings.blockSize, out);
    return out;
}

Measurement measure(const Stereo& render, const RenderSettings& settings) {
    Measurement m;
    const auto bars = static_cast<size_t>(std::min<int64_t>(barSamples(settings), render.empty() ? 0 : render[0].size()));
    for (const auto& ch : render)
        for (float s : ch) {
            if (!std::isfinite(s)) m.finite = false;
        }
    for (const auto& ch : render)
        for (size_t i = 0; i < bars; ++i) m.peak = std::max(m.peak, double(std::fabs(ch[i])));
    m.rms = rmsOf(render, 0, bars);
    const auto halfBar = static_cast<size_t>(std::llround(2.0 * 60.0 / settings.tempo * settings.sampleRate));
    m.tailRms = rmsOf(render, bars > halfBar ? bars - halfBar : 0, bars);

    // Long frames, so that the lowest partials of a 30-60 Hz kick fall into bins of their own.
    constexpr size_t frame = 8192;
    std::vector<double> power(frame / 2 + 1, 0.0);
    std::vector<std::complex<double>> buffer(frame);
    for (size_t start = 0; start + frame <= bars; start += frame / 2) {
        for (size_t i = 0; i < frame; ++i) {
            const double window = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * double(i) / double(frame));
            buffer[i] = 0.5 * (double(render[0][start + i]) + double(render[1][start + i])) * window;
        }
        fft(buffer);
        for (size_t k = 0; k < power.size(); ++k) power[k] += std::norm(buffer[k]);
    }
    double total = 0.0, weighted = 0.0, low = 0.0;
    for (size_t k = 1; k < power.size(); ++k) {
        const double hz = double(k) * settings.sampleRate / double(frame);
        total += power[k];
        weighted += hz * power[k];
        if (hz < 120.0) low += power[k];
    }
    if (total > 0.0) {
        m.centroidHz = weighted / total;
        m.lowShare = low / total;
    }

    if (settings.ringOutSeconds > 0.0 && !render.empty() && render[0].size() > bars) {
        const auto window = static_cast<size_t>(std::llround(0.05 * settings.sampleRate));
        const double floor = m.rms * 0.01;
        size_t lastLoud = bars;
        for (size_t start = bars; start < render[0].size(); start += window) {
            const size_t end = std::min(start + window, render[0].size());
            if (rmsOf(render, start, end) > floor) lastLoud = end;
        }
        m.ringOutSeconds = double(lastLoud - bars) / settings.sampleRate;
    }
    return m;
}

double toDb(double linear) {
    return linear > 0.0 ? 20.0 * std::log10(linear) : -std::numeric_limits<double>::infinity();
}

std::string wavFileName(int32_t index, const char* name) {
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "%02d-", static_cast<int>(index));
    std::string file = prefix;
    bool gap = false;
    for (const char* c = name; *c; ++c) {
        const auto u = static_cast<unsigned char>(*c);
        if (std::isalnum(u) && u < 0x80) {
            if (gap && file.back() != '-') file += '_';
            file += static_cast<char>(u);
            gap = false;
        } else {
            gap = true; // blanks, punctuation and anything outside ASCII become one '_'
        }
    }
    if (file.back() == '-') file += "preset";
    return file + ".wav";
}

uint64_t hashOf(const Stereo& render) {
    uint64_t h = 1469598103934665603ull;
    for (const auto& ch : render)
        for (float s : ch) {
            uint32_t bits;
            std::memcpy(&bits, &s, sizeof bits);
            for (int b = 0; b < 4; ++b) {
                h ^= (bits >> (8 * b)) & 0xffu;
                h *= 1099511628211ull;
            }
        }
    return h;
}

} // namespace grundmoor::presetrender
