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
    // The lines sample by sample, their state in locals (a store into a line could otherwise alias
    // the members and force them to be read again every sample); the saturation, which no line
    // waits for, over the run.
    float argument[Dsp::kMaxRun];
    double gain[Dsp::kMaxRun];
    if (tone != derivedTone) { // the tone changes only between calls
        derivedTone = tone;
        damping = static_cast<float>(1.0 - std::exp(-Dsp::kTwoPi * tone / sampleRate));
    }
    const float d = damping;
    const bool prepared = lines[0].length != 0 && lines[1].length != 0 && lines[2].length != 0 && lines[3].length != 0;
    float* data[kLineCount];
    uint64_t length[kLineCount], index[kLineCount];
    float lineDamping[kLineCount];
    double sDrive = 0.0, sAmount = 0.0, ducked = 0.0;
    const auto load = [&] {
        for (int32_t j = 0; j < kLineCount; ++j) {
            data[j] = lines[j].buffer.data();
            length[j] = lines[j].length;
            index[j] = lines[j].writeIndex;
            lineDamping[j] = lines[j].damping;
        }
        sDrive = smoothedDrive;
        sAmount = smoothedAmount;
        ducked = duck;
    };
    const auto store = [&] {
        for (int32_t j = 0; j < kLineCount; ++j) {
            lines[j].writeIndex = index[j];
            lines[j].damping = lineDamping[j];
        }
        smoothedDrive = sDrive;
        smoothedAmount = sAmount;
        duck = ducked;
    };
    load();
    for (int32_t i = 0; i < count; ++i) {
        sDrive += driveCoefficient * (drive - sDrive);
        sAmount += amountCoefficient * (amount - sAmount);

        const double input = 0.52 * bus[i];
        if (prepared) {
            for (int32_t j = 0; j < kLineCount; ++j)
                lineDamping[j] = lineDamping[j] + (data[j][index[j]] - lineDamping[j]) * d;
            for (int32_t j = 0; j < kLineCount; ++j) {
                data[j][index[j]] = static_cast<float>(lineDamping[j] * feedbackGain[j] + input);
                if (++index[j] >= length[j]) index[j] = 0;
            }
        } else {
            // Unprepared lines read 0 and ignore writes, so the bank is silent until prepare.
            for (int32_t j = 0; j < kLineCount; ++j) lineDamping[j] = lineDamping[j] + (0.0f - lineDamping[j]) * d;
        }

        const double m = std::min(1.15 * kickAmplitudes[i], 1.0);
        ducked += duckCoefficient * ((1.0 - m) - ducked);

        const float sum = lineDamping[0] + lineDamping[2] - lineDamping[1] - lineDamping[3];
        argument[i] = sum * 0.5f * static_cast<float>(1.0 + 8.0 * sDrive);
        gain[i] = sAmount * ducked;
        // tanh(argument) * gain is not finite exactly when the argument is NaN or the gain not finite.
        if (std::isnan(argument[i]) || !std::isfinite(gain[i])) {
            // A non-finite bus sample would otherwise circulate in the lines for ever.
            store();
            clear();
            load();
            argument[i] = 0.0f;
            gain[i] = 0.0;
        }
    }
    store();
    Math::tanhInPlace(argument, count);
    for (int32_t i = 0; i < count; ++i) out[i] = static_cast<float>(static_cast<double>(argument[i]) * gain[i]);
}

} // namespace TarnwellPlugin
