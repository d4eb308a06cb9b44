#pragma once

// Renders factory presets through a loaded bundle, applied as the editor applies them, and
// measures what came out. Shared by the preset sound tests and grundmoor-render-presets.

#include "FactoryPresetRenderList.h"

#include "grundmoor/testhost/TestHost.h"

#include <cstdint>
#include <string>
#include <vector>

namespace grundmoor::presetrender {

using Stereo = std::vector<std::vector<float>>; // two channels of equal length

struct RenderSettings {
    double sampleRate = 44100.0;
    int32_t blockSize = 512;
    double tempo = 120.0;
    double bars = 2.0; // of 4/4, transport playing from the start, sequencer following it
    // Rendered on after the bars with the transport stopped, so the last hits ring out.
    double ringOutSeconds = 0.0;
};

// Sets every parameter a factory preset sets, on the controller and for the processor, as the
// editor's preset menu does ("Wave Layer Waveform" mapped onto the current list first).
void applyPreset(testhost::TestHost& host, const TarnwellPlugin::PresetValues& values);

// A render that depends only on the preset: the preset is applied and played for one bar, the
// processor is restarted (setActive off and on clears voices, tails and ramps), then the bars play
// from position 0 with the sequencer on and the manual tempo off. host must be set up at
// settings.sampleRate with blocks of at least settings.blockSize.
Stereo renderPreset(testhost::TestHost& host, const TarnwellPlugin::PresetValues& values,
                    const RenderSettings& settings);

// Samples of the bars (without the ring-out) in a render made with these settings.
int64_t barSamples(const RenderSettings& settings);

struct Measurement {
    bool finite = true;
    double peak = 0.0;           // largest absolute sample of the bars
    double rms = 0.0;            // over both channels of the bars
    double tailRms = 0.0;        // over the last half bar
    double centroidHz = 0.0;     // power-weighted mean frequency of the bars (mid signal)
    double lowShare = 0.0;       // share of the bars' power below 120 Hz
    double ringOutSeconds = -1.0; // after the bars, until 50 ms windows stay 40 dB under the bars'
                                  // RMS; -1 when not rendered, the whole ring-out when never reached
};

Measurement measure(const Stereo& render, const RenderSettings& settings);

double toDb(double linear); // -inf for 0

// "07-Nocturnal_Mass.wav": index and name, with only letters, digits, '-' and '_'.
std::string wavFileName(int32_t index, const char* name);

// A 64-bit FNV-1a hash of the sample bits, channel by channel.
uint64_t hashOf(const Stereo& render);

} // namespace grundmoor::presetrender
