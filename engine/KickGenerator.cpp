#include "KickGenerator.h"

#include "DspMath.h"
#include "FastMath.h"

#include <cmath>

namespace TarnwellPlugin {

void KickGenerator::prepare(double sr) {
    sampleRate = sr;
    coefficient = Dsp::onePoleCoefficient(83.33333333333333, sr);
    reset();
}

void KickGenerator::reset() {
    phase = time = amplitude = clickLowpass = 0.0;
    snapSmoothedCopies();
    smoothedDrive = settings.drive;
    active = false;
    noiseState = 0x12345678;
}

void KickGenerator::restart() {
    time = 0.0;
    phase = 0.0;
    amplitude = 1.0;
    active = true;
}

void KickGenerator::snapSmoothedCopies() {
    smoothedDecay = settings.decay;
    smoothedTransient = settings.transient;
    smoothedPunch = settings.punch;
    smoothedBodyWeight = settings.bodyWeight;
    smoothedClickTone = settings.clickTone;
    smoothedTightness = settings.tightness;
}

void KickGenerator::setSettings(const KickSettings& s) {
    settings = s;
    if (!active) snapSmoothedCopies();
}

void KickGenerator::setModulatedSettings(double tune, double decay, double pitchDrop, double pitchDecay) {
    settings.tune = tune;
    settings.decay = decay;
    settings.pitchDrop = pitchDrop;
    settings.pitchDecay = pitchDecay;
    if (!active) snapSmoothedCopies();
}

void KickGenerator::updateParameters(const ParameterBlock& p) {
    KickSettings s;
    s.tune = 30.0 + 50.0 * p.value(kKickTune);
    s.decay = 0.08 + 1.12 * p.value(kKickDecay);
    s.pitchDrop = 220.0 * p.value(kKickPitchDrop);
    s.pitchDecay = 0.003 + 0.117 * p.value(kKickPitchDecay);
    s.transient = p.value(kKickTransient);
    s.drive = p.value(kKickDrive);
    s.punch = p.value(kKickPunch);
    s.bodyWeight = p.value(kKickBodyWeight);
    s.clickTone = p.value(kKickClickTone);
    s.tightness = p.value(kKickTightness);
    setSettings(s);
}

void KickGenerator::render(const double* const controls[4], int32_t count, float* out, double* amplitudes) {
    Dsp::forEachRun(count, [&](int32_t done, int32_t n) {
        const double* const c[4] = {controls[0] + done, controls[1] + done, controls[2] + done, controls[3] + done};
        renderRun(c, n, out + done, amplitudes + done);
    });
}

void KickGenerator::renderRun(const double* const controls[4], int32_t count, float* out, double* amplitudes) {
    // The samples while the voice sounds: everything but the two saturations, sample by sample
    // (the recurrences), the saturations' arguments gathered so that tanh runs over them at once.
    double bodyArgument[Dsp::kMaxRun], bodyLevel[Dsp::kMaxRun], bodyDivisor[Dsp::kMaxRun];
    double punchTerm[Dsp::kMaxRun], clickTerm[Dsp::kMaxRun], driveFactor[Dsp::kMaxRun];
    int32_t sounding = 0;
    if (active) {
        const double c = coefficient;
        if (!(sampleRate == intervalRate)) {
            intervalRate = sampleRate;
            sampleInterval = 1.0 / sampleRate;
        }
        const double dt = sampleInterval;
        // The glides of the controls the LFOs leave alone: once one more step would change none of
        // them, no step in the run does (their targets change only between calls).
        using Dsp::glideRests;
        const bool glidesSettled =
            glideRests(smoothedDrive, settings.drive, c) && glideRests(smoothedTransient, settings.transient, c) &&
            glideRests(smoothedPunch, settings.punch, c) && glideRests(smoothedBodyWeight, settings.bodyWeight, c) &&
            glideRests(smoothedClickTone, settings.clickTone, c) && glideRests(smoothedTightness, settings.tightness, c);
        while (sounding < count) {
            const int32_t i = sounding;
            setModulatedSettings(controls[0][i], controls[1][i], controls[2][i], controls[3][i]);
            if (glidesSettled) {
                smoothedDecay += c * (settings.decay - smoothedDecay);
            } else {
                smoothedDrive += c * (settings.drive - smoothedDrive);
                smoothedDecay += c * (settings.decay - smoothedDecay);
                smoothedTransient += c * (settings.transient - smoothedTransient);
                smoothedPunch += c * (settings.punch - smoothedPunch);
                smoothedBodyWeight += c * (settings.bodyWeight - smoothedBodyWeight);
                smoothedClickTone += c * (settings.clickTone - smoothedClickTone);
                smoothedTightness += c * (settings.tightness - smoothedTightness);
            }

            // A zero factor times an envelope in (0, 1] is that same zero: the envelope need not be computed.
            const double drop = settings.pitchDrop;
            const double f = settings.tune + (drop == 0.0 ? drop : drop * dropEnvelope(time, settings.pitchDecay, dt));
            phase += phaseStep.divide(f, sampleRate);
            // phase - floor(phase) without the call for the usual phase in [0, 2) (the x86-64 baseline
            // has no rounding instruction): 1 or 0 subtracted, -0 turned into +0 as -0 - floor(-0) does.
            if (phase >= 1.0 && phase < 2.0)
                phase -= 1.0;
            else if (phase >= 0.0 && phase < 1.0)
                phase += 0.0;
            else
                phase -= std::floor(phase);

            const double a = bodyEnvelope(time, smoothedDecay * (1.0 + 0.55 * smoothedBodyWeight), dt);
            amplitude = a;
            amplitudes[i] = a;

            noiseState = static_cast<int32_t>(static_cast<uint32_t>(noiseState) * 1664525u + 1013904223u);
            const double noise = noiseState * 4.656612873077393e-10;

            const double h = noise - clickLowpass;
            clickLowpass += h * (0.05 + 0.35 * smoothedClickTone);
            const double clickLevel = 0.55 * smoothedTransient * h;
            clickTerm[i] = clickLevel == 0.0 ? clickLevel
                                             : clickLevel * clickEnvelope(time, 0.014 - 0.012 * smoothedTightness, dt);

            // The second: sin(2.0 * kTwoPi * phase), the doubling being exact.
            const Fast::SinPair sines = oscillator.sinAndSin2(Dsp::kTwoPi * phase);
            const double s1 = sines.sin;
            const double s2 = sines.sin2;
            bodyArgument[i] = (s1 + 0.16 * smoothedBodyWeight * s2) * (1.0 + 1.8 * smoothedBodyWeight);
            bodyLevel[i] = a;
            bodyDivisor[i] = 1.0 + 0.35 * smoothedBodyWeight;
            const double punchLevel = 0.8 * smoothedPunch;
            punchTerm[i] = punchLevel == 0.0
                               ? punchLevel * s1
                               : punchLevel * punchEnvelope(time, 0.088 - 0.07 * smoothedTightness, dt) * s1;
            driveFactor[i] = 1.0 + 7.0 * smoothedDrive;

            time += dt;
            ++sounding;
            if (a < 0.0001) {
                active = false;
                break;
            }
        }
        Math::tanhInPlace(bodyArgument, sounding);
        double* driven = bodyArgument;
        for (int32_t i = 0; i < sounding; ++i) {
            const double body = bodyNormalization.divide(bodyArgument[i] * bodyLevel[i], bodyDivisor[i]);
            const double x = body + punchTerm[i] + clickTerm[i];
            driven[i] = x * driveFactor[i];
        }
        Math::tanhInPlace(driven, sounding);
        for (int32_t i = 0; i < sounding; ++i) out[i] = static_cast<float>(driven[i]);
    }
    // Silent from here: the settings still follow the controls (and the glided copies jump to them).
    for (int32_t i = sounding; i < count; ++i) {
        setModulatedSettings(controls[0][i], controls[1][i], controls[2][i], controls[3][i]);
        out[i] = 0.0f;
        amplitudes[i] = amplitude;
    }
}

} // namespace TarnwellPlugin
