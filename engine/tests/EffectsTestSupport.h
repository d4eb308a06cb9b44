#pragma once

// Helpers shared by the effects tests.

#include <cmath>
#include <vector>

namespace EffectsTest {

// Amplitude of the tone at cyclesPerSample in y (y holds a whole number of its periods).
inline double toneAmplitude(const std::vector<double>& y, double cyclesPerSample) {
    double re = 0.0, im = 0.0;
    for (size_t i = 0; i < y.size(); ++i) {
        const double phase = 2.0 * 3.14159265358979323846 * cyclesPerSample * static_cast<double>(i);
        re += y[i] * std::cos(phase);
        im += y[i] * std::sin(phase);
    }
    return 2.0 * std::sqrt(re * re + im * im) / static_cast<double>(y.size());
}

} // namespace EffectsTest
