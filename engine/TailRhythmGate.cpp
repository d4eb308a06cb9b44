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
    // On a local copy: the stores into gains cannot alias its state, which stays in registers.
    TailRhythmGate gate = *this;
    for (int32_t i = 0; i < count; ++i) gains[i] = gate.next(stepsPerSecond);
    *this = gate;
}

} // namespace TarnwellPlugin
