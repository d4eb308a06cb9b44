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

void Fattener::process(const float* in, float* out, int32_t count) {
    Dsp::forEachRun(count, [&](int32_t done, int32_t n) { processRun(in + done, out + done, n); });
}

void Fattener::processRun(const float* in, float* out, int32_t count) {
    // The followers, tracker and oscillator sample by sample in locals; the saturation, which none
    // of them waits for, over the run (and not at all while the fattener is off).
    const double sr = sampleRate;
    const double c = coefficient;
    const double en = enable, to = tone, am = amount;
    const double inPole = inputPole, attack = followerAttack, release = followerRelease;
    const uint32_t minCrossing = minCrossingSamples, maxCrossing = maxCrossingSamples;
    double sEnable = smoothedEnable, sTone = smoothedTone, sAmount = smoothedAmount;
    double inLp = inputLowpass, prevLp = previousLowpass, env = envelope, ph = phase;
    double tracked = trackedFrequency, outLp = outputLowpass;
    uint32_t sinceCrossing = samplesSinceCrossing;
    double dTone = derivedTone, oPole = outputPole, dFrequency = derivedFrequency, step = phaseStep;
    SinePhasor osc = sine;

    double argument[Dsp::kMaxRun];
    double level[Dsp::kMaxRun];
    bool saturates[Dsp::kMaxRun];
    bool anySaturates = false;
    for (int32_t i = 0; i < count; ++i) {
        const double x = in[i];
        sEnable += c * (en - sEnable);
        sTone += c * (to - sTone);
        sAmount += c * (am - sAmount);

        inLp += (1.0 - inPole) * (x - inLp);
        const double lp = inLp;

        ++sinceCrossing;
        if (prevLp <= 0.0 && lp > 0.0 && env > 0.004 && sinceCrossing >= minCrossing) {
            if (sinceCrossing <= maxCrossing) {
                const double estimate = sr / (2.0 * sinceCrossing); // one octave down
                tracked += 0.28 * (estimate - tracked);
            }
            sinceCrossing = 0;
        }
        prevLp = lp;

        const double alp = std::fabs(lp);
        const double q = alp > env ? attack : release;
        env += (1.0 - q) * (alp - env);

        // The tracked frequency moves only at accepted crossings.
        const double f = Dsp::clamp(tracked, 18.0, 90.0);
        if (f != dFrequency) {
            dFrequency = f;
            step = Dsp::kTwoPi * f / sr;
        }
        const double previousPhase = ph;
        ph += step;
        if (ph >= Dsp::kTwoPi) {
            ph -= Dsp::kTwoPi;
            if (ph >= Dsp::kTwoPi) ph = std::fmod(ph, Dsp::kTwoPi);
        }
        osc.moved(previousPhase, ph, step);

        const Fast::SinPair sines = osc.sinAndSin2(ph);
        const double s = sines.sin + 0.16 * sTone * sines.sin2;
        if (sTone != dTone) {
            dTone = sTone;
            oPole = Math::exp((-471.23889803846896 * sTone - 345.57519189487726) / sr);
        }
        outLp += (1.0 - oPole) * (s * std::sqrt(std::max(env, 0.0)) - outLp);

        if (!std::isfinite(inLp) || !std::isfinite(env) || !std::isfinite(outLp)) {
            // A non-finite bus sample must not stick in the followers.
            inLp = prevLp = env = outLp = 0.0;
            out[i] = 0.0f;
            argument[i] = 0.0;
            saturates[i] = false;
            continue;
        }
        const double l = 0.92 * sEnable * sAmount;
        // Switched off (and glided down), the product cannot reach the smallest float: the result is
        // a zero carrying the product's sign, and the saturation need not run (tanh keeps the sign).
        // The fast build gives the zero without that sign (level is never negative): a zero's sign
        // is no difference in the sound.
        if (std::fabs(l) < 0x1p-160) {
            const bool negative = !Math::kFast && std::signbit(outLp);
            out[i] = static_cast<float>(l * (negative ? -1.0 : 1.0));
            argument[i] = 0.0;
            saturates[i] = false;
            continue;
        }
        argument[i] = 1.55 * outLp;
        level[i] = l;
        saturates[i] = true;
        anySaturates = true;
    }

    smoothedEnable = sEnable;
    smoothedTone = sTone;
    smoothedAmount = sAmount;
    inputLowpass = inLp;
    previousLowpass = prevLp;
    envelope = env;
    phase = ph;
    trackedFrequency = tracked;
    outputLowpass = outLp;
    samplesSinceCrossing = sinceCrossing;
    derivedTone = dTone;
    outputPole = oPole;
    derivedFrequency = dFrequency;
    phaseStep = step;
    sine = osc;

    if (!anySaturates) return;
    Math::tanhInPlace(argument, count);
    for (int32_t i = 0; i < count; ++i)
        if (saturates[i]) out[i] = static_cast<float>(level[i] * argument[i]);
}

} // namespace TarnwellPlugin
