#include "DenormalGuard.h"
#include "DryReturns.h"
#include "DspMath.h"
#include "RoadMath.h"
#include "SoundEngineImpl.h"

#include "pluginterfaces/vst/ivstevents.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"
#include "pluginterfaces/vst/ivstprocesscontext.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace TarnwellPlugin {

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

// Host values beyond these are treated as absent rather than trusted.
constexpr double kMaxHostTempo = 10000.0;
constexpr double kMaxHostPosition = 1.0e12; // quarter notes

// The sample-accurate "Frequency" points of one block.
struct FrequencyPoints {
    IParamValueQueue* queue = nullptr;
    int32 count = 0;
    int32 index = 0;
    int32 nextOffset = 0;
    ParamValue nextValue = 0.0;

    void begin(IParameterChanges* changes, int32 blockLength) {
        nextOffset = blockLength;
        if (!changes) return;
        for (int32 i = changes->getParameterCount() - 1; i >= 0; --i) {
            IParamValueQueue* q = changes->getParameterData(i);
            if (q && q->getParameterId() == kFrequency) {
                queue = q;
                count = q->getPointCount();
                fetch(blockLength);
                return;
            }
        }
    }

    void fetch(int32 blockLength) {
        if (!queue || index >= count || queue->getPoint(index, nextOffset, nextValue) != kResultOk) {
            queue = nullptr;
            nextOffset = blockLength;
        }
    }
};

void applyFrequency(SoundEngine::Impl& e, ParamValue v) {
    e.parameters.store(kFrequency, v);
    e.osc.setFrequencyFromNormalized(ParameterBlock::clampNormalized(v));
}

struct NoteEvents {
    IEventList* list = nullptr;
    int32 count = 0;
    int32 index = 0;
    Event current{};
    bool present = false;

    void begin(IEventList* events) {
        list = events;
        count = events ? events->getEventCount() : 0;
        fetch();
    }

    void fetch() {
        present = list && index < count && list->getEvent(index, current) == kResultOk;
        ++index;
    }
};

} // namespace

void SoundEngine::Impl::trigger(double velocity) {
    if (parameters.on(kEnvelopeRetrigger) || !sequencer.gate) envelope.restart();
    sequencer.gate = true;
    ++capture.triggerCount;
    triggerVelocity = velocity;
    kick.restart();
    if (!parameters.on(kSubGeneratorSequencer)) subStart(velocity);
    wave.restart();
    osc.restart();
    kickBusDeclicker.request();
    lfos.retrigger(parameters);
}

void SoundEngine::Impl::subStart(double velocity) {
    subTriggerVelocity = velocity;
    sub.start();
    subDeclicker.request();
}

void SoundEngine::Impl::subRelease() { sub.release(); }

void SoundEngine::Impl::gateOff() { sequencer.gate = false; }

void SoundEngine::Impl::applyIntake(IParameterChanges* changes) {
    const int32 queueCount = changes ? changes->getParameterCount() : 0;
    // Fewer queues than a preset change cannot change enough values to be one.
    const bool countChanges = queueCount >= kPresetChangeThreshold;
    if (countChanges)
        for (int32_t i = 0; i < ParameterBlock::kSlotCount; ++i)
            valuesBeforeIntake[i] = parameters.raw(kParameterTable[i].id);
    for (int32 i = 0; i < queueCount; ++i) {
        IParamValueQueue* queue = changes->getParameterData(i);
        if (!queue) continue;
        const ParamID id = queue->getParameterId();
        if (id == kFrequency || id == kRenderWAV || !ParameterBlock::holds(id)) continue;
        const int32 points = queue->getPointCount();
        int32 offset = 0;
        ParamValue value = 0.0;
        if (points < 1 || queue->getPoint(points - 1, offset, value) != kResultOk) continue;
        parameters.store(id, value);
    }
    // Values, not queues: several queues for one id are one change.
    int32_t changedValues = 0;
    if (countChanges)
        for (int32_t i = 0; i < ParameterBlock::kSlotCount; ++i)
            if (!(parameters.raw(kParameterTable[i].id) == valuesBeforeIntake[i])) ++changedValues;

    updateParameters();

    const uint32_t restored = restoredState.exchange(0, std::memory_order_acquire);
    if ((restored & kStateRestored) && silent()) {
        // Nothing sounds that a fade would have to hide: the restored sound starts as it was saved,
        // so a render from the first sample after loading a project plays its first hit in full.
        settleRestoredState();
        return;
    }
    if (restored & kStateReplacedSound) changedValues += kPresetChangeThreshold;

    // Only a preset-style change wipes the tails; automating a few parameters must not.
    const bool presetChange = changedValues >= kPresetChangeThreshold;
    if (presetChange) {
        delay.clear();
        ambience.clear();
        longReverb.clear();
    }
    const int32 ambienceType = parameters.listIndex(kAmbienceType, 5);
    const int32 longReverbSpace = parameters.listIndex(kLongReverbSpace, 5);
    const bool roomChanged = ambienceType != appliedAmbienceType || longReverbSpace != appliedLongReverbSpace;
    appliedAmbienceType = ambienceType;
    appliedLongReverbSpace = longReverbSpace;
    // A change during a running fade starts a new one from the last output.
    if (presetChange || roomChanged) outputDeclicker.request();

    for (int32_t i = 0; i < kRampCount; ++i) ramps[i].setTarget(parameters.value(kRampSpecs[i].id));
}

tresult SoundEngine::Impl::process(ProcessData& data) {
    DenormalGuard denormalGuard;

    applyIntake(data.inputParameterChanges);

    // Tempo, sequencer switch and transport.
    const ProcessContext* ctx = data.processContext;
    const bool seqOn = parameters.on(kSequencerEnabled);
    const bool hostMode = seqOn && !parameters.on(kManualTempo);
    const bool playing = hostMode && ctx && (ctx->state & ProcessContext::kPlaying);
    const bool hostTempoOk = ctx && (ctx->state & ProcessContext::kTempoValid) && std::isfinite(ctx->tempo) &&
                             ctx->tempo > 0.0 && ctx->tempo <= kMaxHostTempo;
    const bool hasPosition = playing && (ctx->state & ProcessContext::kProjectTimeMusicValid) &&
                             std::isfinite(ctx->projectTimeMusic) &&
                             std::fabs(ctx->projectTimeMusic) < kMaxHostPosition;
    double blockTempo = 0.0;
    double stepsPerSecond = 0.0;
    if (hostMode && hostTempoOk) {
        blockTempo = ctx->tempo;
        stepsPerSecond = ctx->tempo * 0.06666666666666667;
    } else {
        const double c = parameters.value(kSequenceRate);
        blockTempo = 15.0 + 285.0 * c;
        stepsPerSecond = 1.0 + 19.0 * c;
    }
    sequencer.main.stepsPerSecond = stepsPerSecond;
    sequencer.sub.stepsPerSecond = stepsPerSecond;
    capture.tempo = blockTempo;

    const bool subSequencerOn = parameters.on(kSubGeneratorSequencer);
    if (seqOn != sequencerWasOn) {
        sequencer.restartClocks();
        if (!seqOn) {
            gateOff();
            subRelease();
        }
        sequencerWasOn = seqOn;
    }
    if (playing && !transportWasPlaying) sequencer.restartClocks();
    if (!hostMode) transportWasPlaying = false;
    if (hostMode && !playing && transportWasPlaying) {
        sequencer.restartClocks();
        gateOff();
        subRelease();
    }

    const int32 numSamples = data.numSamples;
    FrequencyPoints frequency;
    frequency.begin(data.inputParameterChanges, numSamples);
    NoteEvents events;
    events.begin(data.inputEvents);

    if (numSamples < 1 || data.numOutputs < 1 || !data.outputs) {
        if (frequency.queue && frequency.count > 0) {
            int32 offset = 0;
            ParamValue value = 0.0;
            if (frequency.queue->getPoint(frequency.count - 1, offset, value) == kResultOk)
                applyFrequency(*this, value);
        }
        return kResultOk;
    }

    const double positionTempo = hostTempoOk ? ctx->tempo : stepsPerSecond * 15.0;
    const double quartersPerSample = positionTempo / (60.0 * sampleRate);
    const bool sequencerSteps = seqOn && (!hostMode || playing);
    const double halfStepVelocity = parameters.value(kHalfStepVelocity);
    const double outputGainSetting = parameters.value(kOutputGain);
    float blockPeak = 0.0f;
    lfos.loadSettings(parameters, sampleRate);
    // The plain cutoff of the last ramp value: the ramp stands still most of the time.
    double cutoffRampValue = std::numeric_limits<double>::quiet_NaN();
    double cutoffHz = 0.0;
    // The usual layout, one stereo bus, is written directly; any other through the general loop.
    Sample32* directLeft = nullptr;
    Sample32* directRight = nullptr;
    if (data.numOutputs == 1 && data.outputs[0].numChannels == 2 && data.outputs[0].channelBuffers32 &&
        data.outputs[0].channelBuffers32[0] && data.outputs[0].channelBuffers32[1]) {
        directLeft = data.outputs[0].channelBuffers32[0];
        directRight = data.outputs[0].channelBuffers32[1];
    }

    // The road in chunks: the sources and the kick bus module by module over segments of the chunk,
    // then the chain after the bus stage by stage (fixed-size buffers on the stack: no allocation).
    constexpr int32 kChunk = 128;
    float chainX[kChunk];
    float chainBus[kChunk];
    float chainVolume[kChunk];
    float chainDry[kChunk];
    float chainKick[kChunk];
    float chainWave[kChunk];
    float chainOsc[kChunk];
    float chainSub[kChunk];
    double chainKickAmplitude[kChunk];
    double chainEnvelope[kChunk];
    double kickControls[4][kChunk];
    // A step that ended a segment fired on the next segment's first sample.
    bool pendingFires = false;
    bool pendingMainFired = false;
    bool pendingSubFired = false;
    // The step clocks of sample s (each called once per sample, in order).
    auto sequencerFires = [&](int32 s, bool& mainFired, bool& subFired) {
        mainFired = subFired = false;
        if (!sequencerSteps) return;
        if (hasPosition) {
            const double ppq = ctx->projectTimeMusic + quartersPerSample * s;
            const auto absolute = static_cast<int64_t>(floorInline(4.0 * ppq + 1e-9));
            mainFired = sequencer.main.positionFires(absolute);
            subFired = sequencer.sub.positionFires(absolute);
        } else {
            mainFired = sequencer.main.countdownFires();
            subFired = sequencer.sub.countdownFires();
        }
    };
    for (int32 chunkStart = 0; chunkStart < numSamples; chunkStart += kChunk) {
        const int32 chunkEnd = std::min(numSamples, chunkStart + kChunk);
        // The sources and the kick bus in segments without events: a step, a note or a "Frequency"
        // point opens a new segment at its sample. Within a segment no source depends on another
        // in the same sample but through values kept per sample here, so each runs over the whole
        // segment in its own loop (the same calls in the same order for each module, so the same
        // samples), free to overlap its samples.
        for (int32 s = chunkStart; s < chunkEnd;) {
            // 1. Steps, notes and "Frequency" points of the segment's first sample.
            bool mainFired = false;
            bool subFired = false;
            if (pendingFires) {
                mainFired = pendingMainFired;
                subFired = pendingSubFired;
                pendingFires = false;
            } else {
                sequencerFires(s, mainFired, subFired);
            }
            if (mainFired) {
                const double value = sequencer.steps[sequencer.main.currentStep];
                const double velocity = value >= 0.75 ? 1.0 : halfStepVelocity;
                if (value > 0.0 && velocity > 1e-6) {
                    trigger(velocity);
                } else {
                    gateOff();
                    if (!subSequencerOn) subRelease();
                }
            }
            if (subFired && subSequencerOn) {
                if (sequencer.subSteps[sequencer.sub.currentStep] > 0.0)
                    subStart(1.0);
                else
                    subRelease();
            }
            while (events.present && events.current.sampleOffset <= s) {
                const Event& e = events.current;
                if (e.type == Event::kNoteOnEvent && e.noteOn.velocity > 0.0f) {
                    trigger(std::min(static_cast<double>(e.noteOn.velocity), 1.0));
                } else if (e.type == Event::kNoteOffEvent || e.type == Event::kNoteOnEvent) {
                    gateOff();
                    if (!subSequencerOn) subRelease();
                }
                events.fetch();
            }
            while (frequency.queue && frequency.nextOffset <= s) {
                applyFrequency(*this, frequency.nextValue);
                ++frequency.index;
                frequency.fetch(numSamples);
            }

            // The segment runs to the next sample with an event (its step clocks taken here, once
            // per sample as always, and kept for it).
            int32 e = s + 1;
            for (; e < chunkEnd; ++e) {
                if ((events.present && events.current.sampleOffset <= e) || (frequency.queue && frequency.nextOffset <= e))
                    break;
                bool m = false, u = false;
                sequencerFires(e, m, u);
                if (m || u) {
                    pendingFires = true;
                    pendingMainFired = m;
                    pendingSubFired = u;
                    break;
                }
            }
            const int32 b = s - chunkStart; // the segment in the chunk's buffers: [b, b + count)
            const int32 count = e - s;

            // 2. LFOs and the kick's per-sample values.
            double* const segmentControls[4] = {kickControls[0] + b, kickControls[1] + b, kickControls[2] + b,
                                                kickControls[3] + b};
            lfos.modulateKickControls(segmentControls, count); // and 22. the LFO phases
            for (int32 i = b; i < b + count; ++i) {
                kickControls[0][i] = 30.0 + 50.0 * kickControls[0][i];
                kickControls[1][i] = 0.08 + 1.12 * kickControls[1][i];
                kickControls[2][i] = 220.0 * kickControls[2][i];
                kickControls[3][i] = 0.003 + 0.117 * kickControls[3][i];
            }

            // 4. Sources.
            kick.render(segmentControls, count, chainKick + b, chainKickAmplitude + b);
            wave.render(count, chainWave + b);
            osc.render(count, chainOsc + b);

            // 5. Sub path.
            const auto subVelocity = static_cast<float>(subTriggerVelocity);
            sub.render(count, chainSub + b);
            for (int32 i = b; i < b + count; ++i) {
                const float subSignal = chainSub[i] * subVelocity;
                chainSub[i] = static_cast<float>(subDeclicker.process(subSignal));
            }

            // 6.-8. Envelope and kick bus, with 3. the ramps of the volume and the mixes.
            envelope.next(chainEnvelope + b, count);
            float chainLayered[kChunk];
            float chainSubOut[kChunk];
            for (int32 i = b; i < b + count; ++i) {
                double r[kRampSubMix + 1];
                for (int32_t j = 0; j <= kRampSubMix; ++j) r[j] = ramps[j].advance();
                const double subMix = r[kRampSubMix];
                const double softClip = Dsp::clamp(5.882352941176469 * subMix - 4.882352941176469, 0.0, 1.0);
                const double subGain = subMix <= 0.83 ? subMix * 1.2048192771084338 : 1.0 + 1.5 * softClip;
                double subOut = chainSub[i] * subGain;
                if (softClip > 0.0) subOut = subOut / (1.0 + 0.42 * softClip * std::fabs(subOut));

                chainSubOut[i] = static_cast<float>(subOut);
                chainLayered[i] = static_cast<float>(chainWave[i] * r[kRampWaveMix] + chainKick[i] * r[kRampKickMix] +
                                                     chainOsc[i] * 0.75 * r[kRampOscMix]);
                chainVolume[i] = static_cast<float>(0.2 * r[kRampVolume]);
            }
            double chainFiltered[kChunk];
            const double smallestReductionGain = kickFilter.process(chainLayered + b, chainFiltered + b, count);
            for (int32 i = b; i < b + count; ++i) {
                const auto filtered = static_cast<float>(chainFiltered[i]);
                const double kickBus = kickBusDeclicker.process(filtered * (triggerVelocity * chainEnvelope[i]));
                chainBus[i] = static_cast<float>(chainSubOut[i] + static_cast<float>(kickBus));
            }
            capture.addReduction(static_cast<float>(KickFilter::decibelsOfGain(smallestReductionGain)));

            // 9.-11. Fattener, rumble and the pre-effects sum.
            fattener.process(chainBus + b, chainX + b, count);
            float chainRumble[kChunk];
            rumble.process(chainBus + b, chainKickAmplitude + b, chainRumble + b, count);
            for (int32 i = b; i < b + count; ++i) chainX[i] = chainX[i] + 0.78f * chainBus[i] + 0.72f * chainRumble[i];

            // 21. The dry returns, from the segment's sources and velocity. With all four at rest at 0
            // the sum is that zero whatever the sources.
            const bool noDryReturns = ramps[kRampKickDryReturn].standsAt(0.0) && ramps[kRampWaveDryReturn].standsAt(0.0) &&
                                      ramps[kRampOscDryReturn].standsAt(0.0) && ramps[kRampSubDryReturn].standsAt(0.0);
            if (noDryReturns) {
                for (int32 i = b; i < b + count; ++i) chainDry[i] = 0.0f * chainVolume[i];
            } else {
                for (int32 i = b; i < b + count; ++i) {
                    const double kickReturn = ramps[kRampKickDryReturn].advance();
                    const double waveReturn = ramps[kRampWaveDryReturn].advance();
                    const double oscReturn = ramps[kRampOscDryReturn].advance();
                    const double subReturn = ramps[kRampSubDryReturn].advance();
                    chainDry[i] = dryReturnSum({chainKick[i], chainWave[i], chainOsc[i], chainSub[i], triggerVelocity,
                                                kickReturn, waveReturn, oscReturn, subReturn}) *
                                  chainVolume[i];
                }
            }
            s = e;
        }
        const int32 n = chunkEnd - chunkStart;

        // 12.-15. Tail gate, delay, ambience and long reverb. Every stage depends only on its input
        // and its own state, so running each over the chunk gives the same samples as running the
        // chain sample by sample, with each stage's short loop free to overlap its samples.
        delay.process(chainX, chainX, n);
        ambience.process(chainX, chainX, n);
        double tailGains[kChunk];
        tailGate.render(tailGains, n, stepsPerSecond);
        longReverb.process(chainX, tailGains, chainX, n);

        // 16. Main filter.
        {
            // The ramps in locals: the stores of their values would otherwise reload them.
            ParamSmoother cutoffRamp = ramps[kRampFilterCutoff];
            ParamSmoother resonanceRamp = ramps[kRampFilterResonance];
            double cutoffs[kChunk];
            double resonances[kChunk];
            for (int32 i = 0; i < n; ++i) {
                const double cutoff = cutoffRamp.advance();
                resonances[i] = resonanceRamp.advance();
                if (!(cutoff == cutoffRampValue)) {
                    cutoffRampValue = cutoff;
                    cutoffHz = logCutoffToPlain(cutoffRampValue);
                }
                cutoffs[i] = cutoffHz;
            }
            ramps[kRampFilterCutoff] = cutoffRamp;
            ramps[kRampFilterResonance] = resonanceRamp;
            mainFilter.process(chainX, chainX, cutoffs, resonances, n);
        }

        // 17.-19. Output gain, declicker, gate, fold and modulation.
        for (int32 i = 0; i < n; ++i) chainX[i] = chainVolume[i] * chainX[i];
        outputGain.process(chainX, chainX, n, outputGainSetting);
        // Stages that are out and at rest let the chunk through untouched (their state included);
        // the test costs a few operations per chunk instead of a loop over it.
        if (outputDeclicker.passesThrough())
            outputDeclicker.lastOutput = chainX[n - 1];
        else
            for (int32 i = 0; i < n; ++i) chainX[i] = static_cast<float>(outputDeclicker.process(chainX[i]));
        if (!outputGate.passesThrough())
            for (int32 i = 0; i < n; ++i) {
                const int32 s = chunkStart + i;
                const double ppq = hasPosition ? ctx->projectTimeMusic + quartersPerSample * s
                                               : std::numeric_limits<double>::quiet_NaN();
                chainX[i] = outputGate.process(chainX[i], ppq);
            }
        if (!riftFold.passesThrough()) riftFold.process(chainX, chainX, n);
        if (voidMod.passesThrough())
            voidMod.advancePhase(n);
        else
            for (int32 i = 0; i < n; ++i) chainX[i] = voidMod.process(chainX[i]);

        // 20.-24. Stereo, dry returns, meters and the output buses, each over the chunk.
        float chainLeft[kChunk];
        float chainRight[kChunk];
        stereo.process(chainX, chainBus, chainLeft, chainRight, n);
        for (int32 i = 0; i < n; ++i) {
            float left = chainLeft[i] + chainDry[i];
            float right = chainRight[i] + chainDry[i];
            // The host must never receive a non-finite sample.
            if (!std::isfinite(left)) left = 0.0f;
            if (!std::isfinite(right)) right = 0.0f;
            chainLeft[i] = left;
            chainRight[i] = right;
        }
        capture.addSamples(chainLeft, chainRight, n);
        // The peak of finite magnitudes does not depend on the order they are taken in.
        blockPeak = VisualizationCapture::runPeak(chainRight, n, VisualizationCapture::runPeak(chainLeft, n, blockPeak));

        // Every channel of every bus: even channels left, odd channels right (in the order of the
        // per-sample loop, so a channel buffer given twice ends with the same samples).
        if (directLeft) {
            std::copy(chainLeft, chainLeft + n, directLeft + chunkStart);
            std::copy(chainRight, chainRight + n, directRight + chunkStart);
            continue;
        }
        for (int32 b = 0; b < data.numOutputs; ++b) {
            const AudioBusBuffers& busBuffers = data.outputs[b];
            if (!busBuffers.channelBuffers32) continue;
            for (int32 c = 0; c < busBuffers.numChannels; ++c) {
                Sample32* channel = busBuffers.channelBuffers32[c];
                if (channel) std::copy_n((c & 1) ? chainRight : chainLeft, n, channel + chunkStart);
            }
        }
    }

    transportWasPlaying = playing;
    lastBlockPeak = blockPeak;
    for (int32 b = 0; b < data.numOutputs; ++b) data.outputs[b].silenceFlags = 0;
    return kResultOk;
}

} // namespace TarnwellPlugin
