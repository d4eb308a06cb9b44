#pragma once

// The wave layer: plays one of 24 wave tables under the synthesized kick. Tables 0 and 16 are two
// of the three embedded recordings as decoded, the other 22 are derived from the three recordings
// when the engine is built. A change of table while the layer sounds is crossfaded.

#include "ParameterBlock.h"
#include "StepRecurrences.h"

#include <array>
#include <cstdint>
#include <vector>

namespace TarnwellPlugin {

// One RIFF/WAVE byte image.
struct WavImage {
    const uint8_t* data = nullptr;
    uint64_t size = 0;
};

// Decodes a mono 16- or 24-bit PCM image (tag 1 or extensible) into samples scaled to [-1, 1).
// `sampleRate` receives the rate of the "fmt " chunk as soon as one is read. Returns true when at
// least two samples were decoded. Never throws: a failed allocation returns false with `samples`
// empty.
bool parseWav(const uint8_t* data, uint64_t size, std::vector<float>& samples, double& sampleRate);
// The same, but a failed allocation throws std::bad_alloc (so the table loader can tell "out of
// memory" from "bad image").
bool parseWavOrThrow(const uint8_t* data, uint64_t size, std::vector<float>& samples, double& sampleRate);

// The three recordings carried inside the program (generated from resource/*.wav at build time).
WavImage embeddedRecording(int32_t index); // 0, 1, 2; an empty image for any other index

struct WaveLayer {
    static constexpr int32_t kTableCount = 24;

    std::array<std::vector<float>, kTableCount> tables;
    uint32_t currentTable = 0;
    uint32_t previousTable = 0;
    int32_t crossfadeLength = 1;
    int32_t crossfadeRemaining = 0;
    double sourceRate = 44100.0;
    double sampleRate = 44100.0;
    double position = 0.0; // table samples, shared by the current and the previous table
    double t = 0.0;        // seconds since the sound began (after the delay)
    uint64_t delayCountdown = 0;
    bool active = false;
    double attack = 0.0;        // s
    double decayTarget = 0.539; // s
    double smoothedDecay = 0.539;
    double smoothingCoefficient = 1.0;
    double rate = 1.0;   // table samples per output sample
    uint64_t delay = 0;  // samples
    // 1 / sampleRate, what t grows by each sample (cached for the rate it was computed at).
    double intervalRate = 44100.0, sampleInterval = 1.0 / 44100.0;
    // The squared-time envelopes of the sounding table and of the one faded out.
    Math::GaussianExp currentEnvelope, previousEnvelope;

    // Decodes the embedded recordings into tables 0, 8 and 16 and derives the others.
    // Returns false when the layer has no sound: the first recording could not be decoded, or
    // memory ran out while decoding or deriving. In the out-of-memory case every table is
    // released, so the layer stays silent (each restart leaves it inactive); nothing is thrown.
    bool loadSamples();
    // The same from the given images (first, second, third recording).
    bool loadSamples(const WavImage (&images)[3]);
    // Derives tables 1-7, 8-15 and 17-23. Returns false (all tables released) when memory ran
    // out; true otherwise, also when there is nothing to derive from (table 0 empty).
    bool buildTables();
    void buildSecondFamily();
    void buildThirdFamily();

    void prepare(double sr);
    void reset();
    void updateParameters(const ParameterBlock& p);
    // Selects a table; starts a crossfade when the layer is sounding.
    void selectTable(uint32_t index);
    void restart();
    // The next `count` samples; a restart or a change of table takes effect at the start of a call.
    void render(int32_t count, float* out);
    float render(); // one sample

    // The table index for a normalized "Wave Layer Waveform" value (8-, 16- and 24-entry grids).
    static uint32_t tableIndexForValue(double v);
    // The envelope of table k at time t with decay d.
    static double envelope(uint32_t table, double t, double d);

private:
    // Sounding samples from the next on (after the delay), up to `count` or the one after which
    // the layer falls silent: how many. `smoothed` is the decay's smoothing, carried sample by sample.
    int32_t renderSounding(int32_t count, float* out, double& smoothed);
    void releaseTables();
};

} // namespace TarnwellPlugin
