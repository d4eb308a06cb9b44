#include "KickFilter.h"

#include "DspMath.h"
#include "FastMath.h"

#include <algorithm>
#include <cmath>

namespace TarnwellPlugin {

namespace {

// x / d for a divisor whose reciprocal is cached: the fast build multiplies by the reciprocal
// (within an ulp of the quotient).
inline double divideByCached(double x, double d, double reciprocal) {
    if constexpr (Math::kFast) {
        (void)d;
        return x * reciprocal;
    } else {
        (void)reciprocal;
        return x / d;
    }
}

// -20 log10 g for the reduction meter (g a positive normal number): the fast build takes the
// table-driven logarithm (absolute error about 2e-16) that is short enough not to hold up the
// samples behind it.
inline double decibelsBelowUnity(double g) {
    if constexpr (Math::kFast)
        return -8.6858896380650365530 * Fast::Detail::logForPow(g); // 20 / ln 10
    else
        return -20.0 * std::log10(g);
}

} // namespace

double KickFilter::decibelsOfGain(double g) {
    return g < 1.0 ? std::max(decibelsBelowUnity(std::max(g, 1e-6)), 0.0) : 0.0;
}

KickFilter::KickFilter() {
    cutoffCoefficient = 1.0 - std::exp(-55.55555555555556 / sampleRate);
    amountCoefficient = 1.0 - std::exp(-50.0 / sampleRate);
    crossfadeLength = std::max(static_cast<int32_t>(0.01 * sampleRate), 1);
}

void KickFilter::prepare(double sr) {
    sampleRate = std::max(sr, 1.0);
    if (!std::isfinite(sampleRate)) sampleRate = 44100.0;
    crossfadeLength = std::max(static_cast<int32_t>(0.01 * sampleRate), 1);
    cutoffCoefficient = 1.0 - std::exp(-55.55555555555556 / sampleRate);
    amountCoefficient = 1.0 - std::exp(-50.0 / sampleRate);
    derived = Derived{}; // rate-dependent values are computed afresh
    reset();
}

void KickFilter::reset() {
    low = band = envelope = lastOutput = crossfadeJump = 0.0;
    reductionGain = 1.0;
    crossfadeRemaining = 0;
    modeChanged = false;
    smoothedCutoff = cutoffTarget;
    smoothedAmount = amount;
}

void KickFilter::updateParameters(const ParameterBlock& p) {
    const int32_t newMode = static_cast<int32_t>(4.0 * p.value(kKickFilterMode) + 0.5);
    if (newMode != mode) {
        mode = newMode;
        modeChanged = true;
    }
    cutoffTarget = 30.0 + 4970.0 * p.value(kKickFilterCutoff);
    resonance = p.value(kKickFilterResonance);
    amount = p.value(kKickCompression);
    attack = 0.05 + 99.95 * p.value(kKickCompAttack);
    release = 10.0 + 990.0 * p.value(kKickCompRelease);
}

double KickFilter::stableFrequencyCoefficient(double q) {
    // State update with x = 0: [low, band] -> [[1, f], [-f, 1 + f q - f^2]]. Its poles stay inside
    // the unit circle while f^2 - 2 f q < 4, i.e. f < sqrt(q^2 + 4) + q (q is negative here).
    // 0.95 of that bound leaves the poles clearly inside; at 44.1 kHz and above the cutoff limit
    // of 0.22 sr and 5 kHz never come near it, so this only acts at low rates.
    return 0.95 * (std::sqrt(q * q + 4.0) + q);
}

KickFilter::Saturation KickFilter::step(float xf) {
    const double x = xf;
    smoothedCutoff += cutoffCoefficient * (cutoffTarget - smoothedCutoff);
    Derived& dv = derived;
    if (smoothedCutoff != dv.cutoff || resonance != dv.resonance) {
        dv.cutoff = smoothedCutoff;
        dv.resonance = resonance;
        dv.q = 1.85 * resonance - 2.0;
        const double unlimited = 2.0 * std::sin(Dsp::kPi * std::min(0.22 * sampleRate, smoothedCutoff) / sampleRate);
        dv.f = std::min(unlimited, stableFrequencyCoefficient(dv.q));
    }
    const double f = dv.f;
    const double q = dv.q;

    low = low + f * band;
    const double high = x + q * band - low;
    band = band + f * high;
    if (!std::isfinite(low) || !std::isfinite(band)) {
        // A non-finite input must not stay in the integrators (they run in every mode).
        low = 0.0;
        band = 0.0;
    }

    double y;
    switch (mode) {
    case kLowPass: y = low; break;
    case kHighPass: y = high; break;
    case kBandPass: y = band; break;
    case kNotch: y = high + low; break;
    default: y = x; break;
    }

    if (modeChanged) {
        crossfadeJump = lastOutput - y;
        crossfadeRemaining = crossfadeLength;
        modeChanged = false;
    }
    if (crossfadeRemaining >= 1) {
        const double r = static_cast<double>(crossfadeRemaining) / crossfadeLength;
        y = y + r * r * (3.0 - 2.0 * r) * crossfadeJump;
        --crossfadeRemaining;
    }
    lastOutput = std::isfinite(y) ? y : 0.0;

    smoothedAmount += amountCoefficient * (amount - smoothedAmount);
    const double a = smoothedAmount;
    if (a <= 1e-6) {
        reductionGain = 1.0;
        return {y, 0.0, 1.0, 1.0, 0.0, false};
    }

    if (attack != dv.attackMs || release != dv.releaseMs) {
        dv.attackMs = attack;
        dv.releaseMs = release;
        const double tA = Dsp::clamp(0.125 * attack * attack, 0.005, 1000.0);
        const double tR = Dsp::clamp(90.0 * std::pow(release / 90.0, 1.8), 1.0, 5000.0);
        dv.attackCoefficient = std::exp(-1000.0 / (tA * sampleRate));
        dv.releaseCoefficient = std::exp(-1000.0 / (tR * sampleRate));
    }
    const double ay = std::fabs(y);
    const double c = ay > envelope ? dv.attackCoefficient : dv.releaseCoefficient;
    envelope = ay + (envelope - ay) * c;
    if (!std::isfinite(envelope)) envelope = 0.0;

    if (a != dv.amount) {
        dv.amount = a;
        // Recomputed each sample while the amount glides.
        dv.threshold = Math::pow(10.0, -0.1 - 2.0 * Math::pow(a, 1.35));
        dv.ratio = 1.0 + 49.0 * a * a;
        dv.drive = 1.0 + 11.0 * a * a;
        dv.tanhDrive = Math::tanh(dv.drive);
        dv.inverseRatio = 1.0 / dv.ratio;
        dv.inverseTanhDrive = 1.0 / dv.tanhDrive;
        dv.makeUp = Math::pow(10.0, 0.9 * a * a);
        dv.wet = std::min(1.2 * a, 1.0);
    }
    const double h = dv.threshold;
    double g = 1.0;
    if (envelope > h) g = (divideByCached(envelope - h, dv.ratio, dv.inverseRatio) + h) / std::max(envelope, 1e-6);
    reductionGain = g;

    return {y, y * dv.drive * g * dv.makeUp, dv.tanhDrive, dv.inverseTanhDrive, dv.wet, true};
}

double KickFilter::process(float x) {
    double out = 0.0;
    process(&x, &out, 1);
    return out;
}

double KickFilter::process(const float* in, double* out, int32_t count) {
    // The filter and the compressor's followers sample by sample; the saturation, which neither
    // waits for, over the run.
    double smallestGain = 1.0;
    Dsp::forEachRun(count, [&](int32_t done, int32_t n) {
        Saturation sat[Dsp::kMaxRun];
        double driven[Dsp::kMaxRun];
        bool compressing = false;
        for (int32_t i = 0; i < n; ++i) {
            sat[i] = step(in[done + i]);
            smallestGain = std::min(smallestGain, reductionGain);
            driven[i] = sat[i].compressed ? sat[i].argument : 0.0;
            compressing = compressing || sat[i].compressed;
        }
        if (compressing) Math::tanhInPlace(driven, n);
        for (int32_t i = 0; i < n; ++i) {
            const Saturation& q = sat[i];
            if (!q.compressed) {
                out[done + i] = q.input;
                continue;
            }
            const double z = divideByCached(driven[i], q.tanhDrive, q.inverseTanhDrive);
            out[done + i] = q.input + q.wet * (z - q.input);
        }
    });
    return smallestGain;
}

} // namespace TarnwellPlugin
