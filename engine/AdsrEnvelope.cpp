#include "AdsrEnvelope.h"

#include "DspMath.h"
#include "FastMath.h"

#include <algorithm>
#include <cmath>

namespace TarnwellPlugin {

void AdsrEnvelope::prepare(double sr) {
    sampleRate = sr;
    coefficient = Dsp::onePoleCoefficient(83.33333333333333, sr);
}

void AdsrEnvelope::reset() {
    level = time = attackProgress = 0.0;
    stage = kIdle;
}

void AdsrEnvelope::restart() {
    time = 0.0;
    attackProgress = 0.0;
    if (smoothedAttack > 0.0) {
        level = 0.0;
        stage = kAttackStage;
    } else {
        level = 1.0;
        stage = kDecayStage;
    }
}

void AdsrEnvelope::updateParameters(const ParameterBlock& p) {
    attackTarget = 0.25 * p.value(kAttack);
    decayTarget = p.value(kDecay);
    sustainTarget = p.value(kSustain);
    releaseTarget = p.value(kRelease);
    curve = std::clamp(static_cast<int32_t>(2.0 * p.value(kEnvelopeCurve) + 0.5), 0, 2);
}

double AdsrEnvelope::shape(int32_t c, double p) {
    switch (c) {
    case kLin: return p;
    case kLog: return 1.0 - (1.0 - p) * (1.0 - p);
    default: return p * p;
    }
}

double AdsrEnvelope::next() {
    smoothedAttack += coefficient * (attackTarget - smoothedAttack);
    smoothedDecay += coefficient * (decayTarget - smoothedDecay);
    smoothedSustain += coefficient * (sustainTarget - smoothedSustain);
    smoothedRelease += coefficient * (releaseTarget - smoothedRelease);
    if (!(sampleRate == intervalRate)) {
        intervalRate = sampleRate;
        sampleInterval = 1.0 / sampleRate;
    }
    time += sampleInterval;

    if (smoothedRelease < 0.999999 && time >= 0.002 + 1.998 * smoothedRelease * smoothedRelease &&
        (stage == kAttackStage || stage == kDecayStage || stage == kSustainStage)) {
        releaseStartLevel = level;
        releaseProgress = 0.0;
        stage = kReleaseStage;
    }

    if (!(smoothedDecay == derivedDecay && sampleRate == derivedRate)) {
        derivedDecay = smoothedDecay;
        derivedRate = sampleRate;
        decayPower = Math::pow(smoothedDecay, 0.7);
        decayCoefficient = Math::exp(-1.0 / (sampleRate * (0.005 + 0.12 * smoothedDecay)));
    }
    const double sustainLevel =
        smoothedDecay <= 0.0 ? smoothedSustain : std::min(1.0 - 0.95 * decayPower, smoothedSustain);
    switch (stage) {
    case kIdle:
        level = 0.0;
        return 0.0;
    case kAttackStage:
        if (!(smoothedAttack == incrementAttack && sampleRate == incrementRate)) {
            incrementAttack = smoothedAttack;
            incrementRate = sampleRate;
            attackIncrement = 1.0 / (std::max(smoothedAttack, 1.0 / sampleRate) * sampleRate);
        }
        attackProgress += attackIncrement;
        level = shape(curve, std::min(attackProgress, 1.0));
        if (attackProgress >= 1.0) {
            level = 1.0;
            stage = kDecayStage;
            return 1.0;
        }
        break;
    case kDecayStage: {
        if (smoothedDecay <= 0.0) {
            level = smoothedSustain;
            stage = kSustainStage;
            return level;
        }
        const double k = decayCoefficient;
        const double remainingDistance = (level - sustainLevel) * k;
        level = remainingDistance + sustainLevel;
        if (std::fabs(remainingDistance) < 0.0001) {
            level = sustainLevel;
            stage = kSustainStage;
        }
        break;
    }
    case kSustainStage:
        level = sustainLevel;
        break;
    case kReleaseStage:
        if (!(smoothedRelease == incrementRelease && sampleRate == releaseIncrementRate)) {
            incrementRelease = smoothedRelease;
            releaseIncrementRate = sampleRate;
            releaseIncrement = 1.0 / ((0.05 * smoothedRelease + 0.0005) * sampleRate);
        }
        releaseProgress += releaseIncrement;
        level = std::max(1.0 - shape(curve, std::min(releaseProgress, 1.0)), 0.0) * releaseStartLevel;
        if (releaseProgress >= 1.0) {
            level = 0.0;
            stage = kIdle;
            return 0.0;
        }
        break;
    default: break;
    }
    return level;
}

void AdsrEnvelope::next(double* __restrict out, int32_t count) {
    for (int32_t i = 0; i < count; ++i) out[i] = next();
}

} // namespace TarnwellPlugin
