#include "SubGenerator.h"

#include "DspMath.h"
#include "FastMath.h"

#include <algorithm>
#include <cmath>

namespace TarnwellPlugin {

namespace {

constexpr uint32_t kControlIds[SubGenerator::kControlCount] = {
    kSubGeneratorPitch,  kSubGeneratorDrop,  kSubGeneratorSweep, kSubGeneratorAttack,
    kSubGeneratorTransient, kSubGeneratorSoften, kSubGeneratorBody, kSubGeneratorDecay,
    kSubGeneratorSwell,  kSubGeneratorTone,  kSubGeneratorDrive, kSubGeneratorCompressor};
constexpr uint32_t kEnvelopeIds[SubGenerator::kEnvelopeControlCount] = {
    kSubGeneratorADSRAttack, kSubGeneratorADSRDecay, kSubGeneratorADSRSustain, kSubGeneratorADSRRelease};

double smoothstep(double u) { return u * u * (3.0 - 2.0 * u); }

double tableDefault(uint32_t id) {
    const ParameterSpec* spec = findParameter(id);
    return spec ? ParameterBlock::clampNormalized(defaultNormalized(*spec)) : 0.0;
}

} // namespace

SubGenerator::SubGenerator() {
    for (int32_t i = 0; i < kControlCount; ++i) smoothed[i] = target[i] = tableDefault(kControlIds[i]);
    for (int32_t i = 0; i < kEnvelopeControlCount; ++i)
        envelopeSmoothed[i] = envelopeTarget[i] = tableDefault(kEnvelopeIds[i]);
    computeCoefficients();
}

void SubGenerator::computeCoefficients() {
    const double sr = sampleRate;
    controlCoefficient = 1.0 - std::exp(-83.33333333333333 / sr);
    compressorCoefficient = 1.0 - std::exp(-20.0 / sr);
    followerAttack = std::exp(-400.0 / sr);
    followerRelease = std::exp(-11.11111111111111 / sr);
    gainRise = std::exp(-1.0 / (0.075 * sr));
    gainFall = std::exp(-1.0 / (0.006 * sr));
    sampleInterval = 1.0 / sr;
    derivedTone = derivedCompressor = derivedDrive = -1.0; // rate-dependent: computed afresh
}

void SubGenerator::prepare(double sr) {
    sampleRate = std::max(sr, 1.0);
    if (!std::isfinite(sampleRate)) sampleRate = 44100.0;
    computeCoefficients();
    reset();
}

void SubGenerator::reset() {
    phase = 0.0;
    t = 0.0;
    toneLowpass = 0.0;
    envelopeTime = 0.0;
    releaseTime = 0.0;
    envelopeLevel = 1.0;
    releaseStartLevel = 1.0;
    compressorFollower = 0.0;
    compressorGain = 1.0;
    active = false;
    releasing = false;
}

void SubGenerator::updateParameters(const ParameterBlock& p) {
    for (int32_t i = 0; i < kControlCount; ++i) target[i] = p.value(kControlIds[i]);
    for (int32_t i = 0; i < kEnvelopeControlCount; ++i) envelopeTarget[i] = p.value(kEnvelopeIds[i]);
}

void SubGenerator::start() {
    phase = 0.0;
    t = 0.0;
    toneLowpass = 0.0;
    envelopeTime = 0.0;
    releaseTime = 0.0;
    envelopeLevel = 0.0;
    releaseStartLevel = 0.0;
    noiseState = 0x0808BD11u;
    active = true;
    releasing = false;
}

void SubGenerator::release() {
    if (!active || releasing) return;
    releasing = true;
    releaseTime = 0.0;
    releaseStartLevel = envelopeLevel;
}

void SubGenerator::render(int32_t count, float* out) {
    for (int32_t done = 0; done < count;) done += renderRun(count - done, out + done);
}

float SubGenerator::render() {
    float out = 0.0f;
    render(1, &out);
    return out;
}

void SubGenerator::glideControls() {
    static_assert(kCompressor == kControlCount - 1, "the compressor glides at its own rate, after the others");
    for (int32_t i = 0; i < kCompressor; ++i) smoothed[i] += controlCoefficient * (target[i] - smoothed[i]);
    smoothed[kCompressor] += compressorCoefficient * (target[kCompressor] - smoothed[kCompressor]);
    for (int32_t i = 0; i < kEnvelopeControlCount; ++i)
        envelopeSmoothed[i] += controlCoefficient * (envelopeTarget[i] - envelopeSmoothed[i]);
}

bool SubGenerator::glidesAtRest() const {
    // A glide whose next step leaves its value as it is gives that value on every step after it
    // (the targets change only between calls).
    bool rest = Dsp::glideRests(smoothed[kCompressor], target[kCompressor], compressorCoefficient);
    for (int32_t i = 0; i < kCompressor; ++i) rest = rest && Dsp::glideRests(smoothed[i], target[i], controlCoefficient);
    for (int32_t i = 0; i < kEnvelopeControlCount; ++i)
        rest = rest && Dsp::glideRests(envelopeSmoothed[i], envelopeTarget[i], controlCoefficient);
    return rest;
}

SubGenerator::SaturationInput SubGenerator::voiceSample() {
    if (!glidesSettled) glideControls();

    const double pi = smoothed[kPitch], dr = smoothed[kDrop], sw = smoothed[kSweep];
    const double at = smoothed[kAttack], tr = smoothed[kTransient], so = smoothed[kSoften];
    const double bo = smoothed[kBody], de = smoothed[kDecay], sl = smoothed[kSwell];
    const double to = smoothed[kTone], dv = smoothed[kDrive], co = smoothed[kCompressor];
    const double envA = envelopeSmoothed[kEnvA], envD = envelopeSmoothed[kEnvD];
    const double envS = envelopeSmoothed[kEnvS], envR = envelopeSmoothed[kEnvR];
    const double sr = sampleRate;
    const double dt = sampleInterval;

    // Pitch sweep.
    // A zero factor times an envelope in (0, 1] is that same zero: such envelopes are not computed.
    const double dropDepth = 260.0 * dr * dr;
    const double f =
        28.0 + 42.0 * pi + (dropDepth == 0.0 ? dropDepth : dropDepth * dropEnvelope(t, 0.004 + 0.18 * sw * sw, dt));
    phase += phaseStep.divide(Dsp::kTwoPi * f, sr);
    if (phase >= Dsp::kTwoPi) {
        phase -= Dsp::kTwoPi;
        if (phase >= Dsp::kTwoPi) phase = std::fmod(phase, Dsp::kTwoPi); // only at absurdly low rates
    }

    const double decayTime = 0.09 + 2.71 * de * de;
    const double e = decayEnvelope(t, decayTime, dt);

    const double attackTime = 0.42 * so * so + 0.18 * at * at;
    // From t >= attackTime on the quotient is at least 1: the clamp's 1 needs no division.
    const double a = attackTime > 1e-6 ? (t >= attackTime ? 1.0 : Dsp::clamp(t / attackTime, 0.0, 1.0)) : 1.0;
    const double ca = smoothstep(a);

    const double swellDelay = 0.32 * sl * sl;
    // Without swell the blend adds a zero to ca, which is never -0.
    double contour = ca;
    if (sl != 0.0) {
        const double swellTime = 0.025 + 0.28 * sl;
        const double sinceDelay = t - swellDelay;
        const double b = t > swellDelay ? (sinceDelay >= swellTime ? 1.0 : Dsp::clamp(sinceDelay / swellTime, 0.0, 1.0))
                                        : 0.0;
        const double cs = smoothstep(b);
        contour = ca + sl * (cs - ca);
    }

    const Fast::SinPair sines = oscillator.sinAndSin2(phase);
    const double s1 = sines.sin;
    const double s2 = sines.sin2;

    noiseState = noiseState * 1664525u + 1013904223u;
    const double k16 = static_cast<double>((noiseState >> 8) & 0xFFFFu);
    const double n = noiseScale.divide(2.0 * k16, 65535.0) - 1.0;

    const double transientLevel = 0.32 * tr * (1.0 - at) * (1.0 - so);
    const double transient =
        transientLevel == 0.0 ? transientLevel : transientLevel * transientEnvelope(t, 0.0112 - 0.01 * tr, dt);
    const double v = (s1 + e * (0.04 + 0.22 * bo) * s2) * e * (0.72 + 0.38 * bo) * contour + transient * n;

    // Envelope, driven by time since the start rather than by stages.
    const double tA = 0.5 * envA * envA;
    const double tD = 2.0 * envD * envD;
    double level;
    if (tA > 1e-6 && envelopeTime < tA) {
        level = smoothstep(Dsp::clamp(envelopeTime / tA, 0.0, 1.0));
    } else if (tD > 1e-6) {
        const double sinceAttack = envelopeTime - tA;
        const double u = sinceAttack >= tD ? 1.0 : Dsp::clamp(sinceAttack / tD, 0.0, 1.0);
        level = 1.0 + (envS - 1.0) * smoothstep(u);
    } else {
        level = envS;
    }
    if (releasing && envR < 0.999999) {
        const double releaseDuration = 0.002 + 3.0 * envR * envR;
        const double u = releaseTime >= releaseDuration ? 1.0 : Dsp::clamp(releaseTime / releaseDuration, 0.0, 1.0);
        level = releaseStartLevel * (1.0 - smoothstep(u));
        releaseTime += dt;
    }
    envelopeLevel = level;
    envelopeTime += dt;

    // Tone low-pass, 90 Hz .. 9 kHz.
    if (to != derivedTone) {
        derivedTone = to;
        tonePole = Math::exp(-565.4866776461628 * Math::exp2(6.643856189774724 * to) / sr);
    }
    toneLowpass += (1.0 - tonePole) * (level * v - toneLowpass);

    if (dv != derivedDrive) {
        derivedDrive = dv;
        driveGain = 1.0 + 8.0 * dv * dv;
        driveNormalizer = Math::tanh(driveGain);
    }
    t += dt;
    return {toneLowpass * driveGain, driveNormalizer, co, t > std::max(5.0 * decayTime + swellDelay, 0.25)};
}

double SubGenerator::compressorGainFor(double y, double co) {
    const double ay = std::fabs(y);
    const double q = ay > compressorFollower ? followerAttack : followerRelease;
    compressorFollower += (1.0 - q) * (ay - compressorFollower);
    if (co != derivedCompressor) {
        derivedCompressor = co;
        compressorThreshold = Math::pow(10.0, -0.3 - 1.2 * co);
        compressorExponent = 1.0 / (1.0 + 11.0 * co) - 1.0;
        compressorMakeUp = Math::pow(10.0, 0.65 * co);
    }
    const double threshold = compressorThreshold;
    // Any base to the power 0 is exactly 1 (the compressor at 0).
    double gain = compressorFollower > threshold && compressorExponent != 0.0
                      ? Math::pow(compressorRatio.divide(compressorFollower, threshold), compressorExponent)
                      : 1.0;
    gain *= compressorMakeUp;
    const double r = gain >= compressorGain ? gainRise : gainFall;
    compressorGain += (1.0 - r) * (gain - compressorGain);
    return compressorGain;
}

int32_t SubGenerator::renderRun(int32_t count, float* out) {
    if (!active) {
        for (int32_t i = 0; i < count; ++i) out[i] = 0.0f;
        return count;
    }
    if (count > Dsp::kMaxRun) count = Dsp::kMaxRun;
    glidesSettled = glidesAtRest();

    // The voice sample by sample (its recurrences) up to the first sample after which it may end,
    // which depends on that sample's output; the two saturations, which no recurrence waits for,
    // each over the whole run.
    double drive[Dsp::kMaxRun], normalizer[Dsp::kMaxRun], amount[Dsp::kMaxRun], driven[Dsp::kMaxRun], compressed[Dsp::kMaxRun];
    int32_t run = 0;
    bool mayEnd = false;
    while (run < count && !mayEnd) {
        const SaturationInput in = voiceSample();
        drive[run] = in.argument;
        normalizer[run] = in.normalizer;
        amount[run] = in.compressor;
        mayEnd = in.mayEnd;
        ++run;
    }
    Math::tanhInPlace(drive, run);
    bool compressing = false;
    for (int32_t i = 0; i < run; ++i) {
        const double y = driveNormalization.divide(drive[i], normalizer[i]);
        driven[i] = y;
        compressed[i] = compressorGainFor(y, amount[i]) * y;
        compressing = compressing || amount[i] != 0.0;
    }
    if (compressing) Math::tanhInPlace(compressed, run);
    double last = 0.0;
    for (int32_t i = 0; i < run; ++i) {
        const double y = driven[i];
        const double co = amount[i];
        // Without compression the blend adds a zero; tanh(g y) - y is +0 whenever y is a zero, and
        // its sign does not matter otherwise.
        last = co == 0.0 ? y + co * 0.0 : y + co * (compressed[i] - y);
        out[i] = static_cast<float>(last);
    }
    if (mayEnd && std::fabs(last) < 5e-7) active = false;
    return run;
}

} // namespace TarnwellPlugin
