#include "TailRhythmGate.h"

#include "DspMath.h"

namespace TarnwellPlugin {

void TailRhythmGate::prepare(double sr) {
    sampleRate = sr > 0.0 ? sr : 44100.0;
    gainCoefficient = Dsp::onePoleCoefficient(200.0, sampleRate); // 5 ms
    reset();
}

void TailRhythmGate::reset() {
    phase = 0.0;
    step = 0;
    gain = 1.0;
}

void TailRhythmGate::updateParameters(const ParameterBlock& p) {
    static constexpr ParamId kSteps[8] = {kTailStep1, kTailStep2, kTailStep3, kTailStep4,
                                          kTailStep5, kTailStep6, kTailStep7, kTailStep8};
    for (int i = 0; i < 8; ++i) stepFlags[i] = p.on(kSteps[i]) ? 1 : 0;
    enabled = p.on(kTailRhythmEnable);
    rate = static_cast<int32_t>(3.0 * p.value(kTailRhythmRate) + 0.5);
    depth = p.value(kTailRhythmDepth);
    smooth = p.value(kTailRhythmSmooth);
}

void TailRhythmGate::render(double* gains, int32_t count, double stepsPerSecond) {
    if (count <= 0) return;
    // The first step settles the phase increment for the whole run (the rate is the same for
    // every sample); the rest run next's operations with the phase, step, gain and divisor in
    // locals, which the stores into gains could otherwise alias.
    gains[0] = next(stepsPerSecond);
    const double inc = increment, coefficient = gainCoefficient, sm = smooth;
    const bool shaped = enabled && depth > 0.0;
    const double open = 1.0 + 0.5 * depth, closed = 1.0 - 0.9 * depth;
    uint8_t flags[8];
    for (int k = 0; k < 8; ++k) flags[k] = stepFlags[k];
    double ph = phase, g = gain;
    int32_t st = step;
    CachedDivisor divisor = smoothDivisor;
    for (int32_t i = 1; i < count; ++i) {
        ph += inc;
        if (!(ph < 1.0)) {
            if (!std::isfinite(ph)) ph = 0.0;
            const double whole = std::floor(ph);
            ph -= whole;
            if (!(ph >= 0.0 && ph < 1.0)) ph = 0.0;
            st = static_cast<int32_t>((static_cast<double>(st) + std::fmod(whole, 8.0))) & 7;
        }
        double target = 1.0;
        if (shaped) {
            target = flags[st & 7] ? open : closed;
            if (sm > 0.0 && ph < sm) {
                const double u = divisor.divideBy(ph, sm);
                const double previous = flags[(st + 7) & 7] ? open : closed;
                target = previous + (target - previous) * u * u * (3.0 - 2.0 * u);
            }
        }
        g += coefficient * (target - g);
        gains[i] = g;
    }
    phase = ph;
    gain = g;
    step = st;
    smoothDivisor = divisor;
}

} // namespace TarnwellPlugin
