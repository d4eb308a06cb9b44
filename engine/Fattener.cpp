#include "Fattener.h"

#include "DspMath.h"
#include "FastMath.h"

#include <algorithm>
#include <cmath>

namespace TarnwellPlugin {

Fattener::Fattener() { computeCoefficients(); }

void Fattener::computeCoefficients() {
    const double sr = sampleRate;
    coefficient = 1.0 - std::exp(-55.55555555555556 / sr);
    inputPole = std::exp(-1068.1415022205297 / sr);             // 170 Hz
    followerAttack = std::exp(-166.66666666666666 / sr);        // 6 ms
    followerRelease = std::exp(-16.666666666666668 / sr);       // 60 ms
    minCrossingSamples = static_cast<uint32_t>(sr / 220.0);
    maxCrossingSamples = static_cast<uint32_t>(sr / 24.0);
    derivedTone = -1.0;
    derivedFrequency = -1.0;
}

void Fattener::prepare(double sr) {
    sampleRate = std::max(sr, 1.0);
    if (!std::isfinite(sampleRate)) sampleRate = 44100.0;
    computeCoefficients();
    reset();
}

void Fattener::reset() {
    inputLowpass = previousLowpass = envelope = phase = 0.0;
    trackedFrequency = 45.0;
    outputLowpass = 0.0;
    samplesSinceCrossing = 0;
    smoothedEnable = smoothedTone = smoothedAmount = 0.0;
    enable = tone = amount = 0.0; // the next parameter update writes them again
}

void Fattener::updateParameters(const ParameterBlock& p) {
    enable = p.on(kFattenerEnable) ? 1.0 : 0.0;
    tone = p.value(kFattenerTone);
    amount = p.value(kFattenerAmount);
}

float Fattener::process(float xf) {
    const double x = xf;
    const double sr = sampleRate;
    smoothedEnable += coefficient * (enable - smoothedEnable);
    smoothedTone += coefficient * (tone - smoothedTone);
    smoothedAmount += coefficient * (amount - smoothedAmount);

    inputLowpass += (1.0 - inputPole) * (x - inputLowpass);
    const double lp = inputLowpass;

    ++samplesSinceCrossing;
    if (previousLowpass <= 0.0 && lp > 0.0 && envelope > 0.004 &&
        samplesSinceCrossing >= minCrossingSamples) {
        if (samplesSinceCrossing <= maxCrossingSamples) {
            const double estimate = sr / (2.0 * samplesSinceCrossing); // one octave down
            trackedFrequency += 0.28 * (estimate - trackedFrequency);
        }
        samplesSinceCrossing = 0;
    }
    previousLowpass = lp;

    const double alp = std::fabs(lp);
    const double q = alp > envelope ? followerAttack : followerRelease;
    envelope += (1.0 - q) * (alp - envelope);

    // The tracked frequency moves only at accepted crossings.
    const double f = Dsp::clamp(trackedFrequency, 18.0, 90.0);
    if (f != derivedFrequency) {
        derivedFrequency = f;
        phaseStep = Dsp::kTwoPi * f / sr;
    }
    const double previousPhase = phase;
    phase += phaseStep;
    if (phase >= Dsp::kTwoPi) {
        phase -= Dsp::kTwoPi;
        if (phase >= Dsp::kTwoPi) phase = std::fmod(phase, Dsp::kTwoPi);
    }
    sine.moved(previousPhase, phase, phaseStep);

    const Fast::SinPair sines = sine.sinAndSin2(phase);
    const double s = sines.sin + 0.16 * smoothedTone * sines.sin2;
    if (smoothedTone != derivedTone) {
        derivedTone = smoothedTone;
        outputPole = Math::exp((-471.23889803846896 * smoothedTone - 345.57519189487726) / sr);
    }
    outputLowpass += (1.0 - outputPole) * (s * std::sqrt(std::max(envelope, 0.0)) - outputLowpass);

    if (!std::isfinite(inputLowpass) || !std::isfinite(envelope) || !std::isfinite(outputLowpass)) {
        // A non-finite bus sample must not stick in the followers.
        inputLowpass = previousLowpass = envelope = outputLowpass = 0.0;
        return 0.0f;
    }
    const double level = 0.92 * smoothedEnable * smoothedAmount;
    // Switched off (and glided down), the product cannot reach the smallest float: the result is a
    // zero carrying the product's sign, and the saturation need not run (tanh keeps the sign).
    // The fast build gives the zero without that sign (level is never negative): the sum after this
    // stage need not wait for the follower chain, and a zero's sign is no difference in the sound.
    if (std::fabs(level) < 0x1p-160) {
        if constexpr (Math::kFast) return static_cast<float>(level);
        return static_cast<float>(level * (std::signbit(outputLowpass) ? -1.0 : 1.0));
    }
    return static_cast<float>(level * Math::tanh(1.55 * outputLowpass));
}

} // namespace TarnwellPlugin
