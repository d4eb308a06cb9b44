#pragma once

// The engine's single state record: every module is a field group at a fixed place.

#include "SoundEngine.h"

#include "AdsrEnvelope.h"
#include "AmbienceReverb.h"
#include "DelayEffect.h"
#include "Fattener.h"
#include "KickFilter.h"
#include "KickGenerator.h"
#include "LongReverb.h"
#include "MainFilter.h"
#include "ModulationLfos.h"
#include "OscLayer.h"
#include "OutputGainStage.h"
#include "OutputRhythmGate.h"
#include "ParamSmoother.h"
#include "RiftFold.h"
#include "RumbleBank.h"
#include "StepSequencer.h"
#include "StereoEnhancer.h"
#include "SubGenerator.h"
#include "TailRhythmGate.h"
#include "VisualizationCapture.h"
#include "VoidMod.h"
#include "WaveLayer.h"

#include <atomic>
#include <cstdint>

namespace TarnwellPlugin {

// The eleven ramped parameters, in ramp order, with their ramp times.
enum RampIndex : int32_t {
    kRampVolume = 0,
    kRampKickMix,
    kRampWaveMix,
    kRampOscMix,
    kRampSubMix,
    kRampKickDryReturn,
    kRampWaveDryReturn,
    kRampOscDryReturn,
    kRampSubDryReturn,
    kRampFilterCutoff,
    kRampFilterResonance,
    kRampCount
};

struct RampSpec {
    ParamId id;
    double seconds;
};

inline constexpr RampSpec kRampSpecs[kRampCount] = {
    {kVolume, 0.012},
    {kKickGeneratorMix, 0.012},
    {k909SampleMix, 0.012},
    {kOscLayerMix, 0.012},
    {kSubGeneratorMix, 0.012},
    {kExtendedMixKickDryReturn, 0.02},
    {kExtendedMixWaveDryReturn, 0.02},
    {kExtendedMixOSCDryReturn, 0.02},
    {kExtendedMixSubDryReturn, 0.02},
    {kFilterCutoff, 0.024},
    {kFilterResonance, 0.02},
};

// A block that changes this many parameter values at once is a preset change: the tails are
// cleared and the output crossfades. Ordinary automation stays far below it.
inline constexpr int32_t kPresetChangeThreshold = 8;

// An output peak at or below this (-120 dBFS) counts as silence: far below audibility, and above
// the slow decay of a reverb tail that would otherwise never count as ended.
inline constexpr float kSilencePeak = 1.0e-6f;

// What the state reader tells the next block (bits).
enum RestoredState : uint32_t {
    kStateRestored = 1u,      // a state was read
    kStateReplacedSound = 2u, // ... and it changed as many values as a preset change
};

struct SoundEngine::Impl {
    Impl();

    void prepare(double sampleRate);
    void reset();
    // Voices, tails, ramps and declickers to rest, with every smoother at its setting; leaves the
    // clocks, the LFOs, the amplitude envelope and the rhythm gates running.
    void restSound();
    // True when no voice sounds and the last block's output stayed at or below kSilencePeak.
    bool silent() const;
    void updateParameters();
    Steinberg::tresult process(Steinberg::Vst::ProcessData& data);

    // Trigger operations of the sequencer and the note events.
    void trigger(double velocity);
    void subStart(double velocity);
    void subRelease();
    void gateOff();

    OscLayer osc;
    AdsrEnvelope envelope;
    StepSequencer sequencer;
    MainFilter mainFilter;
    DelayEffect delay;
    AmbienceReverb ambience;
    LongReverb longReverb;
    KickGenerator kick;
    SubGenerator sub;
    WaveLayer wave;
    KickFilter kickFilter;
    RumbleBank rumble;
    TailRhythmGate tailGate;
    OutputGainStage outputGain;
    OutputRhythmGate outputGate;
    RiftFold riftFold;
    VoidMod voidMod;
    StereoEnhancer stereo;
    Fattener fattener;
    ParamSmoother ramps[kRampCount];
    Declicker outputDeclicker;
    Declicker kickBusDeclicker;
    Declicker subDeclicker;
    VisualizationCapture capture;
    ParameterBlock parameters;
    double subTriggerVelocity = 1.0;
    ModulationLfos lfos;
    double triggerVelocity = 1.0;
    bool transportWasPlaying = false;
    bool sequencerWasOn = true;
    double sampleRate = 44100.0;

    // RestoredState bits, set by the state reader on the host's thread and taken by the next block.
    std::atomic<uint32_t> restoredState{0};
    // The largest output sample of the last rendered block.
    float lastBlockPeak = 0.0f;
    // The room indices the intake last applied, to crossfade only on a real change.
    int32_t appliedAmbienceType = -1;
    int32_t appliedLongReverbSpace = -1;

private:
    void applyIntake(Steinberg::Vst::IParameterChanges* changes);
    // A restored state while nothing sounds: it takes effect at once, as in an instance set up with it.
    void settleRestoredState();
    // Block values before the queues of a block are applied (to count the values they change).
    double valuesBeforeIntake[ParameterBlock::kSlotCount] = {};
};

} // namespace TarnwellPlugin
