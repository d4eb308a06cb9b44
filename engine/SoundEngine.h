#pragma once

// The whole DSP side of the plug-in: one object that the audio processor creates, prepares,
// resets, renders and snapshots. It holds one owning pointer to its state record.

#include "ParameterBlock.h"
#include "VisualizationCapture.h"

#include "pluginterfaces/base/ftypes.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"

#include <cstdint>

namespace Steinberg { class IBStream; }

namespace TarnwellPlugin {


class SoundEngine {
public:
    struct Impl;

    SoundEngine();
    ~SoundEngine();
    SoundEngine(const SoundEngine&) = delete;
    SoundEngine& operator=(const SoundEngine&) = delete;

    // Sample-rate set-up (from setupProcessing). A rate that is not a positive finite number
    // falls back to 44100 Hz.
    void prepare(double sampleRate);

    // Returns every voice, clock, tail and smoother to rest (on activation); settings stay.
    void reset();

    // Renders one host block on the audio thread; always kResultOk.
    Steinberg::tresult process(Steinberg::Vst::ProcessData& data);

    // After process: true (and the values written) when sampleRate/30 samples have passed
    // since the last snapshot.
    bool takeVisualizationSnapshot(float& peakLeft, float& peakRight, float (&waveform)[kWaveformPoints],
                                   double& tempo, float& compressionReductionDb, uint64_t& triggerCount);

    // The processor state stream: the normalized block as little-endian floats.
    Steinberg::tresult writeState(Steinberg::IBStream* stream) const;
    Steinberg::tresult readState(Steinberg::IBStream* stream);

    // The normalized parameter block (shared with the state calls; lock-free).
    ParameterBlock& parameters();
    const ParameterBlock& parameters() const;

    // The state record, for tests and benchmarks that inspect the modules.
    Impl& impl() { return *impl_; }

private:
    Impl* impl_;
};

} // namespace TarnwellPlugin
