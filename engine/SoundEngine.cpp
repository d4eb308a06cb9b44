#include "SoundEngine.h"

#include "DspMath.h"
#include "SoundEngineImpl.h"

#include <algorithm>
#include <cmath>

namespace TarnwellPlugin {

namespace {

constexpr double kFallbackSampleRate = 44100.0;
constexpr double kMinSampleRate = 1000.0;
constexpr double kMaxSampleRate = 768000.0;

int32_t samplesOf(double seconds, double sampleRate) {
    return std::max(static_cast<int32_t>(std::floor(seconds * sampleRate)), 1);
}

} // namespace

SoundEngine::Impl::Impl() {
    for (const auto& v : kEngineStartValues) parameters.store(v.id, v.normalized);
    appliedAmbienceType = parameters.listIndex(kAmbienceType, 5);
    appliedLongReverbSpace = parameters.listIndex(kLongReverbSpace, 5);
    // A table that cannot be built leaves the wave layer silent; the engine still plays.
    wave.loadSamples();
}

void SoundEngine::Impl::prepare(double requestedRate) {
    // A host that passes no usable rate gets a working engine at the default rate.
    double sr = requestedRate;
    if (!std::isfinite(sr) || sr <= 0.0) sr = kFallbackSampleRate;
    sr = std::clamp(sr, kMinSampleRate, kMaxSampleRate);

    sampleRate = sr;
    osc.prepare(sr);
    envelope.prepare(sr);
    sequencer.main.sampleRate = sr;
    sequencer.sub.sampleRate = sr;
    sequencer.restartClocks();
    mainFilter.prepare(sr);
    delay.prepare(sr);
    ambience.prepare(sr);
    longReverb.prepare(sr);
    kick.prepare(sr);
    sub.prepare(sr);
    wave.prepare(sr);
    kickFilter.prepare(sr);
    rumble.prepare(sr);
    tailGate.prepare(sr);
    outputGain.prepare(sr);
    outputGate.prepare(sr);
    riftFold.prepare(sr);
    voidMod.prepare(sr);
    stereo.prepare(sr);
    fattener.prepare(sr);

    for (int32_t i = 0; i < kRampCount; ++i) ramps[i].setLength(samplesOf(kRampSpecs[i].seconds, sr));
    outputDeclicker.prepare(samplesOf(0.032, sr));
    kickBusDeclicker.prepare(samplesOf(0.008, sr));
    subDeclicker.prepare(samplesOf(0.008, sr));
    for (int32_t i = 0; i < kRampCount; ++i) ramps[i].snap(parameters.value(kRampSpecs[i].id));

    updateParameters();
}

void SoundEngine::Impl::reset() {
    restSound();
    envelope.reset();
    sequencer.gate = false;
    sequencer.restartClocks();
    tailGate.reset();
    outputGate.reset();
    lfos.reset();
    triggerVelocity = 1.0;
    transportWasPlaying = false;
    sequencerWasOn = parameters.on(kSequencerEnabled);
}

void SoundEngine::Impl::restSound() {
    osc.reset();
    mainFilter.reset();
    delay.reset();
    ambience.clear();
    longReverb.clear();
    rumble.clear();
    kick.reset();
    sub.reset();
    wave.reset();
    kickFilter.reset();
    outputGain.reset();
    riftFold.reset();
    voidMod.reset();
    stereo.reset();
    fattener.reset();
    for (int32_t i = 0; i < kRampCount; ++i) ramps[i].snap(parameters.value(kRampSpecs[i].id));
    outputDeclicker.idle();
    kickBusDeclicker.idle();
    subDeclicker.idle();
    lastBlockPeak = 0.0f;
}

bool SoundEngine::Impl::silent() const {
    return !kick.active && !sub.active && !wave.active && !osc.active && lastBlockPeak <= kSilencePeak;
}

void SoundEngine::Impl::settleRestoredState() {
    restSound();
    updateParameters(); // the resets cleared settings that only the update writes
    // The glides that neither preparing nor activating snap start from the restored values too.
    osc.smoothedDecay = osc.decayTarget;
    wave.smoothedDecay = wave.decayTarget;
    envelope.smoothedAttack = envelope.attackTarget;
    envelope.smoothedDecay = envelope.decayTarget;
    envelope.smoothedSustain = envelope.sustainTarget;
    envelope.smoothedRelease = envelope.releaseTarget;
    for (int32_t i = 0; i < SubGenerator::kControlCount; ++i) sub.smoothed[i] = sub.target[i];
    for (int32_t i = 0; i < SubGenerator::kEnvelopeControlCount; ++i) sub.envelopeSmoothed[i] = sub.envelopeTarget[i];
    appliedAmbienceType = parameters.listIndex(kAmbienceType, 5);
    appliedLongReverbSpace = parameters.listIndex(kLongReverbSpace, 5);
}

void SoundEngine::Impl::updateParameters() {
    const ParameterBlock& p = parameters;
    osc.updateParameters(p);
    envelope.updateParameters(p);
    sequencer.main.stepsPerSecond = 1.0 + 19.0 * p.value(kSequenceRate);
    for (int32_t i = 0; i < 16; ++i) {
        sequencer.steps[i] = p.value(kStep1 + i);
        sequencer.subSteps[i] = p.value(kSubStep1 + i);
    }
    mainFilter.updateParameters(p);
    delay.updateParameters(p);
    ambience.updateParameters(p);
    longReverb.updateParameters(p);
    kick.updateParameters(p);
    wave.updateParameters(p);
    kickFilter.updateParameters(p);
    rumble.updateParameters(p);
    tailGate.updateParameters(p);
    outputGate.updateParameters(p);
    riftFold.updateParameters(p);
    voidMod.updateParameters(p);
    stereo.updateParameters(p);
    fattener.updateParameters(p);
    sub.updateParameters(p);
}

SoundEngine::SoundEngine() : impl_(new Impl) {}
SoundEngine::~SoundEngine() { delete impl_; }

void SoundEngine::prepare(double sampleRate) { impl_->prepare(sampleRate); }
void SoundEngine::reset() { impl_->reset(); }
Steinberg::tresult SoundEngine::process(Steinberg::Vst::ProcessData& data) { return impl_->process(data); }
ParameterBlock& SoundEngine::parameters() { return impl_->parameters; }
const ParameterBlock& SoundEngine::parameters() const { return impl_->parameters; }

bool SoundEngine::takeVisualizationSnapshot(float& peakLeft, float& peakRight, float (&waveform)[kWaveformPoints],
                                            double& tempo, float& compressionReductionDb, uint64_t& triggerCount) {
    VisualizationCapture& c = impl_->capture;
    const auto due = static_cast<uint64_t>(impl_->sampleRate * 0.03333333333333333);
    if (static_cast<uint64_t>(c.samplesSinceSnapshot) < due) return false;
    peakLeft = VisualizationCapture::clampPeak(c.peakLeft);
    peakRight = VisualizationCapture::clampPeak(c.peakRight);
    tempo = c.tempo;
    compressionReductionDb = c.reductionDb;
    triggerCount = c.triggerCount;
    for (uint32_t i = 0; i < VisualizationCapture::kRingSize; ++i)
        waveform[i] = c.ring[(c.writeIndex + i) & (VisualizationCapture::kRingSize - 1)];
    c.peakLeft = c.peakRight = 0.0f;
    c.reductionDb = 0.0f;
    c.samplesSinceSnapshot = 0;
    return true;
}

} // namespace TarnwellPlugin
