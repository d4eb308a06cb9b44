#include "RumbleBank.h"

#include "DspMath.h"
#include "FastMath.h"

#include <algorithm>
#include <cmath>

namespace TarnwellPlugin {

RumbleBank::RumbleBank() {
    computeCoefficients();
    computeFeedbackGains();
}

uint64_t RumbleBank::lineLength(int32_t line, double sr) {
    if (line < 0 || line >= kLineCount || !(sr > 0.0)) return 0;
    return static_cast<uint64_t>(kLineSeconds[line] * sr) + 1;
}

void RumbleBank::computeCoefficients() {
    amountCoefficient = 1.0 - std::exp(-50.0 / sampleRate);
    driveCoefficient = 1.0 - std::exp(-83.33333333333333 / sampleRate);
    duckCoefficient = 1.0 - std::exp(-166.66666666666666 / sampleRate);
    derivedTone = -1.0;
}

void RumbleBank::computeFeedbackGains() {
    for (int32_t i = 0; i < kLineCount; ++i)
        feedbackGain[i] = std::pow(10.0, -3.0 * static_cast<double>(lines[i].length) / (decay * sampleRate));
}

void RumbleBank::prepare(double sr) {
    sampleRate = sr > 0.0 && std::isfinite(sr) ? sr : 44100.0;
    computeCoefficients();
    for (int32_t i = 0; i < kLineCount; ++i) lines[i].allocate(lineLength(i, sampleRate));
    computeFeedbackGains();
    clear();
}

void RumbleBank::clear() {
    for (CombLine& line : lines) line.clear();
    smoothedDrive = drive;
    smoothedAmount = amount;
    duck = 1.0;
}

void RumbleBank::updateParameters(const ParameterBlock& p) {
    amount = p.value(kRumbleAmount);
    const double newDecay = 0.4 + 7.6 * p.value(kRumbleDecay);
    tone = 50.0 + 450.0 * p.value(kRumbleTone);
    drive = p.value(kRumbleDrive);
    if (newDecay != decay) {
        decay = newDecay;
        computeFeedbackGains();
    }
}

void RumbleBank::process(const float* bus, const double* kickAmplitudes, float* out, int32_t count) {
    Dsp::forEachRun(count, [&](int32_t done, int32_t n) {
        processRun(bus + done, kickAmplitudes + done, out + done, n);
    });
}

void RumbleBank::processRun(const float* bus, const double* kickAmplitudes, float* out, int32_t count) {
    // The lines sample by sample; the saturation, which no line waits for, over the run.
    float argument[Dsp::kMaxRun];
    double gain[Dsp::kMaxRun];
    for (int32_t i = 0; i < count; ++i) {
        smoothedDrive += driveCoefficient * (drive - smoothedDrive);
        smoothedAmount += amountCoefficient * (amount - smoothedAmount);

        if (tone != derivedTone) {
            derivedTone = tone;
            damping = static_cast<float>(1.0 - std::exp(-Dsp::kTwoPi * tone / sampleRate));
        }
        const float d = damping;
        const double input = 0.52 * bus[i];
        if (lines[0].length != 0 && lines[1].length != 0 && lines[2].length != 0 && lines[3].length != 0) {
            for (CombLine& line : lines) line.damping = line.damping + (line.readPrepared() - line.damping) * d;
            for (int32_t j = 0; j < kLineCount; ++j)
                lines[j].writePrepared(static_cast<float>(lines[j].damping * feedbackGain[j] + input));
        } else {
            // Unprepared lines read 0 and ignore writes, so the bank is silent until prepare.
            for (CombLine& line : lines) line.damping = line.damping + (line.read() - line.damping) * d;
            for (int32_t j = 0; j < kLineCount; ++j)
                lines[j].write(static_cast<float>(lines[j].damping * feedbackGain[j] + input));
        }

        const double m = std::min(1.15 * kickAmplitudes[i], 1.0);
        duck += duckCoefficient * ((1.0 - m) - duck);

        const float sum = lines[0].damping + lines[2].damping - lines[1].damping - lines[3].damping;
        argument[i] = sum * 0.5f * static_cast<float>(1.0 + 8.0 * smoothedDrive);
        gain[i] = smoothedAmount * duck;
        // tanh(argument) * gain is not finite exactly when the argument is NaN or the gain not finite.
        if (std::isnan(argument[i]) || !std::isfinite(gain[i])) {
            // A non-finite bus sample would otherwise circulate in the lines for ever.
            clear();
            argument[i] = 0.0f;
            gain[i] = 0.0;
        }
    }
    Math::tanhInPlace(argument, count);
    for (int32_t i = 0; i < count; ++i) out[i] = static_cast<float>(static_cast<double>(argument[i]) * gain[i]);
}

} // namespace TarnwellPlugin
