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

float OscLayer::render() {
    smoothedDecay += smoothingCoefficient * (decayTarget - smoothedDecay);
    if (!active) return 0.0f;
    if (delayCountdown != 0) {
        --delayCountdown;
        return 0.0f;
    }
    if (!(sampleRate == intervalRate)) {
        intervalRate = sampleRate;
        sampleInterval = 1.0 / sampleRate;
    }
    // From t >= attack on the quotient is at least 1: the minimum's 1 needs no division.
    const double x = attack > 1e-6 ? (t >= attack ? 1.0 : std::min(t / attack, 1.0)) : 1.0;
    const double s = x * x * x * (x * (6.0 * x - 15.0) + 10.0);
    const double d = decayEnvelope(t, smoothedDecay, sampleInterval);
    double o = oscillate();
    if (attack > 1e-6) {
        if (!(s == poleContour && sampleRate == poleRate)) {
            poleContour = s;
            poleRate = sampleRate;
            pole = Math::exp(perSample.divide(-124532.7327882994 * s - 1130.9733552923256, sampleRate));
        }
        const double p = pole;
        filter += (1.0 - p) * (o - filter);
        o = filter;
    } else {
        filter = o;
    }
    t += sampleInterval;
    if (d < 0.0001) active = false;
    return static_cast<float>(s * s * d * o);
}

} // namespace TarnwellPlugin
