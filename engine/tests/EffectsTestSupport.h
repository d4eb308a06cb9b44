#pragma once

// Helpers shared by the effects tests.

#include <cmath>
#include <cstdint>
#include <vector>

#if defined(__SSE__) || defined(__x86_64__)
#include <xmmintrin.h>
#endif

namespace EffectsTest {

// Flush-to-zero and denormals-are-zero for the scope, as the engine sets them around a render.
class FlushDenormals {
public:
    FlushDenormals() {
#if defined(__SSE__) || defined(__x86_64__)
        saved_ = _mm_getcsr();
        _mm_setcsr(saved_ | 0x8040u);
#endif
    }
    ~FlushDenormals() {
#if defined(__SSE__) || defined(__x86_64__)
        _mm_setcsr(saved_);
#endif
    }
    FlushDenormals(const FlushDenormals&) = delete;
    FlushDenormals& operator=(const FlushDenormals&) = delete;

private:
    uint32_t saved_ = 0;
};

// Amplitude of the component at `cycles` cycles per `n` samples of y (n a whole number of periods).
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
