#include "OscLayer.h"

#include "DspMath.h"
#include "FastMath.h"

#include <algorithm>
#include <cmath>

namespace TarnwellPlugin {

OscLayer::OscLayer() { smoothingCoefficient = 1.0 - std::exp(-50.0 / sampleRate); }

void OscLayer::prepare(double sr) {
    if (sr > 0.0 && std::isfinite(sr)) sampleRate = sr;
    smoothingCoefficient = 1.0 - std::exp(-50.0 / sampleRate);
    smoothedDecay = decayTarget;
}

void OscLayer::reset() {
    phase = 0.0;
    vibratoPhase = 0.0;
    t = 0.0;
    filter = 0.0;
    delayCountdown = 0;
    noiseState = 0x12345678u;
    active = false;
}

void OscLayer::updateParameters(const ParameterBlock& p) {
    setFrequencyFromNormalized(p.value(kFrequency));
    vibratoRate = 0.1;
    vibratoDepth = 0.0;
    shape = static_cast<int32_t>(4.0 * p.value(kWaveform) + 0.5);
    attack = std::max(0.1 * p.value(kOscLayerAttack), 0.0);
    decayTarget = std::max(0.005 + 1.195 * p.value(kOscLayerDecay), 0.005);
    delay = static_cast<int64_t>(std::round(Dsp::clamp(0.5 * p.value(kOscLayerDelay), 0.0, 0.5) * sampleRate));
}

void OscLayer::setFrequencyFromNormalized(double v) {
    // Clamped like every other setting: an out-of-range point must not push the pitch past 200 Hz.
    const double hz = 20.0 + 180.0 * ParameterBlock::clampNormalized(v);
    if (hz > 0.0) frequency = hz;
}

void OscLayer::restart() {
    phase = 0.0;
    vibratoPhase = 0.0;
    t = 0.0;
    filter = 0.0;
    noiseState = 0x12345678u;
    active = true;
    delayCountdown = delay > 0 ? static_cast<uint64_t>(delay) : 0;
}

namespace {
// Reduces a phase into [0, 2 pi): once in every normal case, fully at rates below the pitch.
inline void wrapPhase(double& phase) {
    if (phase >= Dsp::kTwoPi) {
        phase -= Dsp::kTwoPi;
        if (phase >= Dsp::kTwoPi) phase = std::fmod(phase, Dsp::kTwoPi);
    }
}
} // namespace

double OscLayer::oscillate() {
    double value;
    switch (shape) {
    case kSquare: value = phase >= Dsp::kPi ? -1.0 : 1.0; break;
    case kSaw: value = sawScale.divide(phase, Dsp::kPi) - 1.0; break;
    case kTriangle: value = Math::asinOfSin(phase) * (2.0 / Dsp::kPi); break;
    case kNoise:
        noiseState = noiseState * 1664525u + 1013904223u;
        value = static_cast<double>(noiseState) * 4.656612874161595e-10 - 1.0;
        break;
    default: value = sine.sin(phase); break;
    }
    // Without vibrato depth the exponent is a zero and the factor exactly 1.
    const double vibratoStep = perSample.divide(Dsp::kTwoPi * vibratoRate, sampleRate);
    double vibrato = 1.0;
    if (vibratoDepth != 0.0) vibrato = Math::exp2(vibratoDepth / 12.0 * vibratoSine(vibratoPhase, vibratoStep));
    phase += perSample.divide(Dsp::kTwoPi * frequency * vibrato, sampleRate);
    vibratoPhase += vibratoStep;
    wrapPhase(phase);
    wrapPhase(vibratoPhase);
    return value;
}

namespace {
// The decay's smoothing over `n` samples. It settles on a value it maps to itself, after which the
// remaining steps change nothing.
inline void smoothOver(double& smoothed, double target, double coefficient, int64_t n) {
    for (; n > 0; --n) {
        const double next = smoothed + coefficient * (target - smoothed);
        const bool settled = next == smoothed;
        smoothed = next;
        if (settled) break;
    }
}
} // namespace

void OscLayer::render(int32_t count, float* out) {
    double smoothed = smoothedDecay;
    int32_t i = 0;
    while (i < count) {
        if (!active) {
            smoothOver(smoothed, decayTarget, smoothingCoefficient, count - i);
            for (; i < count; ++i) out[i] = 0.0f;
            break;
        }
        if (delayCountdown != 0) {
            const auto n = static_cast<int32_t>(std::min<uint64_t>(delayCountdown, static_cast<uint64_t>(count - i)));
            smoothOver(smoothed, decayTarget, smoothingCoefficient, n);
            for (const int32_t e = i + n; i < e; ++i) out[i] = 0.0f;
            delayCountdown -= static_cast<uint64_t>(n);
            continue;
        }
        const bool attacking = attack > 1e-6;
        int32_t (OscLayer::*sounding)(int32_t, float*, double&);
        switch (shape) {
        case kSquare: sounding = attacking ? &OscLayer::renderSounding<kSquare, true> : &OscLayer::renderSounding<kSquare, false>; break;
        case kSaw: sounding = attacking ? &OscLayer::renderSounding<kSaw, true> : &OscLayer::renderSounding<kSaw, false>; break;
        case kTriangle:
            sounding = attacking ? &OscLayer::renderSounding<kTriangle, true> : &OscLayer::renderSounding<kTriangle, false>;
            break;
        case kNoise: sounding = attacking ? &OscLayer::renderSounding<kNoise, true> : &OscLayer::renderSounding<kNoise, false>; break;
        default: sounding = attacking ? &OscLayer::renderSounding<kSine, true> : &OscLayer::renderSounding<kSine, false>; break;
        }
        i += (this->*sounding)(count - i, out + i, smoothed);
    }
    smoothedDecay = smoothed;
}

template <int32_t kShape, bool kAttack>
int32_t OscLayer::renderSounding(int32_t count, float* out, double& smoothedDecayNow) {
    if (!(sampleRate == intervalRate)) {
        intervalRate = sampleRate;
        sampleInterval = 1.0 / sampleRate;
    }
    // The settings stand still over the call; so do the phase steps without vibrato.
    const double rate = sampleRate, interval = sampleInterval, target = decayTarget, coefficient = smoothingCoefficient;
    const double attackTime = attack, depth = vibratoDepth, hz = frequency;
    double smoothed = smoothedDecayNow, time = t, ph = phase, vph = vibratoPhase, filt = filter;
    double contour = poleContour, contourRate = poleRate, p = pole;
    uint32_t noise = noiseState;
    Math::DecayingExp decay = decayEnvelope;
    Math::AdvancingSine vibratoWave = vibratoSine;
    Math::RotatingSine wave = sine;
    Math::Reciprocal per = perSample, saw = sawScale;
    const double vibratoStep = per.divide(Dsp::kTwoPi * vibratoRate, rate);
    const double plainStep = per.divide(Dsp::kTwoPi * hz * 1.0, rate);

    // Once the decay's smoothing maps its value to itself it stands still: no step waits on the last.
    const double next = smoothed + coefficient * (target - smoothed);
    const bool settled = next == smoothed;

    int32_t i = 0;
    bool ended = false;
    while (i < count && !ended) {
        if (settled)
            smoothed = next;
        else
            smoothed += coefficient * (target - smoothed);
        // From t >= attack on the quotient is at least 1: the minimum's 1 needs no division.
        const double x = kAttack ? (time >= attackTime ? 1.0 : std::min(time / attackTime, 1.0)) : 1.0;
        const double s = x * x * x * (x * (6.0 * x - 15.0) + 10.0);
        const double d = decay(time, smoothed, interval);

        double o;
        if constexpr (kShape == kSquare) {
            o = ph >= Dsp::kPi ? -1.0 : 1.0;
        } else if constexpr (kShape == kSaw) {
            o = saw.divide(ph, Dsp::kPi) - 1.0;
        } else if constexpr (kShape == kTriangle) {
            o = Math::asinOfSin(ph) * (2.0 / Dsp::kPi);
        } else if constexpr (kShape == kNoise) {
            noise = noise * 1664525u + 1013904223u;
            o = static_cast<double>(noise) * 4.656612874161595e-10 - 1.0;
        } else {
            o = wave.sin(ph);
        }
        double step = plainStep;
        if (depth != 0.0) {
            const double vibrato = Math::exp2(depth / 12.0 * vibratoWave(vph, vibratoStep));
            step = per.divide(Dsp::kTwoPi * hz * vibrato, rate);
        }
        ph += step;
        vph += vibratoStep;
        wrapPhase(ph);
        wrapPhase(vph);

        if constexpr (kAttack) {
            if (!(s == contour && rate == contourRate)) {
                contour = s;
                contourRate = rate;
                p = Math::exp(per.divide(-124532.7327882994 * s - 1130.9733552923256, rate));
            }
            filt += (1.0 - p) * (o - filt);
            o = filt;
        } else {
            filt = o;
        }
        time += interval;
        ended = d < 0.0001;
        out[i++] = static_cast<float>(s * s * d * o);
    }

    if (ended) active = false;
    smoothedDecayNow = smoothed;
    t = time;
    phase = ph;
    vibratoPhase = vph;
    filter = filt;
    poleContour = contour;
    poleRate = contourRate;
    pole = p;
    noiseState = noise;
    decayEnvelope = decay;
    vibratoSine = vibratoWave;
    sine = wave;
    perSample = per;
    sawScale = saw;
    return i;
}

float OscLayer::render() {
    float out = 0.0f;
    render(1, &out);
    return out;
}

} // namespace TarnwellPlugin
