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

struct SoundEngine::Impl {
    Impl();

    void prepare(double sampleRate);
    void reset();
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

    // Set by the state reader on the host's thread; the next block treats it as a preset change.
    std::atomic<bool> stateReplaced{false};
    // The room indices the intake last applied, to crossfade only on a real change.
    int32_t appliedAmbienceType = -1;
    int32_t appliedLongReverbSpace = -1;

private:
    void applyIntake(Steinberg::Vst::IParameterChanges* changes);
};

} // namespace TarnwellPlugin
