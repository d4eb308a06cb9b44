#include "OscLayer.h"

#include "DspMath.h"
#include "FastMath.h"
#include "LayerSegment.h"

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

void OscLayer::render(int32_t count, float* out) {
    renderLayerSegment(*this, count, out, [this](int32_t n, float* o, double& smoothed) {
        switch (shape) {
        case kSquare: return renderShape<kSquare>(n, o, smoothed);
        case kSaw: return renderShape<kSaw>(n, o, smoothed);
        case kTriangle: return renderShape<kTriangle>(n, o, smoothed);
        case kNoise: return renderShape<kNoise>(n, o, smoothed);
        default: return renderShape<kSine>(n, o, smoothed);
        }
    });
}

template <int32_t kShape>
int32_t OscLayer::renderShape(int32_t count, float* out, double& smoothed) {
    return attack > 1e-6 ? renderSounding<kShape, true>(count, out, smoothed)
                         : renderSounding<kShape, false>(count, out, smoothed);
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
    const bool settled = Dsp::glideRests(smoothed, target, coefficient);

    int32_t i = 0;
    bool ended = false;
    while (i < count && !ended) {
        if (!settled) smoothed = Dsp::glideStep(smoothed, target, coefficient);
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
