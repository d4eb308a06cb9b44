#pragma once

// The sub voice: its own pitch sweep, attack contour, transient noise, body harmonic, swell,
// tone low-pass, drive, a time-driven four-stage envelope with release and a one-knob compressor.
// Every control is a normalized 0..1 value; the formulas in render() give them their meaning.

#include "ParameterBlock.h"
#include "StepRecurrences.h"

#include <cstdint>

namespace TarnwellPlugin {

struct SubGenerator {
    // Control slots, in the order of their parameters.
    enum Control : int32_t {
        kPitch, kDrop, kSweep, kAttack, kTransient, kSoften, kBody, kDecay, kSwell, kTone, kDrive,
        kCompressor, kControlCount
    };
    enum EnvelopeControl : int32_t { kEnvA, kEnvD, kEnvS, kEnvR, kEnvelopeControlCount };

    double sampleRate = 44100.0;
    double phase = 0.0; // radians
    double t = 0.0;     // seconds since the start
    double toneLowpass = 0.0;
    double smoothed[kControlCount];
    double target[kControlCount];
    double envelopeSmoothed[kEnvelopeControlCount];
    double envelopeTarget[kEnvelopeControlCount];
    double envelopeTime = 0.0;
    double releaseTime = 0.0;
    double envelopeLevel = 1.0;
    double releaseStartLevel = 1.0;
    double compressorFollower = 0.0;
    double compressorGain = 1.0;
    uint32_t noiseState = 0x0808BD11u;
    bool active = false;
    bool releasing = false;

    // Per-rate constants (derived from sampleRate in prepare; 44100 Hz values before it).
    double controlCoefficient = 0.0;    // 12 ms
    double compressorCoefficient = 0.0; // 50 ms
    double followerAttack = 0.0;        // exp(-400/sr)
    double followerRelease = 0.0;       // exp(-11.11/sr)
    double gainRise = 0.0;              // exp(-1/(0.075 sr))
    double gainFall = 0.0;              // exp(-1/(0.006 sr))
    double sampleInterval = 1.0 / 44100.0; // 1 / sr: what the times grow by each sample

    SubGenerator(); // smoothed copies and targets start at the parameters' defaults

    void prepare(double sr);
    void reset();
    void updateParameters(const ParameterBlock& p);
    void start();
    void release();
    // The next `count` samples; a start or release takes effect at the start of a call.
    void render(int32_t count, float* out);
    float render(); // one sample

    // Values derived from smoothed controls, recomputed only when those change (the controls
    // settle, so the per-sample path usually skips these exponentials and powers).
    double derivedTone = -1.0, tonePole = 0.0;
    double derivedCompressor = -1.0, compressorThreshold = 1.0, compressorMakeUp = 1.0, compressorExponent = 0.0;
    double derivedDrive = -1.0, driveGain = 1.0, driveNormalizer = 1.0;

    // The per-sample exponentials and quotients with inputs that mostly stand still.
    Math::DecayingExp dropEnvelope, decayEnvelope, transientEnvelope;
    Math::RotatingSine oscillator;
    Math::Reciprocal phaseStep, driveNormalization, compressorRatio, noiseScale;

private:
    // One sample of the voice up to the drive's saturation: its argument, the normalizer it is
    // divided by, the compressor amount of the sample and whether the voice may end after it.
    struct SaturationInput {
        double argument, normalizer, compressor;
        bool mayEnd;
    };
    [[gnu::always_inline]] inline SaturationInput voiceSample();
    // One step of every control's glide, and whether such a step would change none of them.
    void glideControls();
    bool glidesAtRest() const;
    bool glidesSettled = false; // for the run being rendered
    // The compressor's followers advanced by one sample of the driven signal y: the gain it applies.
    [[gnu::always_inline]] inline double compressorGainFor(double y, double co);
    // Samples from the next on, up to `count` or the first after which the voice may end: how many.
    int32_t renderRun(int32_t count, float* out);
    void computeCoefficients();
};

} // namespace TarnwellPlugin
