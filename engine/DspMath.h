#pragma once

// Small arithmetic shared by the engine's stages.

#include <cmath>
#include <cstdint>

namespace TarnwellPlugin::Dsp {

inline constexpr double kPi = 3.14159265358979323846;
inline constexpr double kTwoPi = 2.0 * kPi;

// One-pole smoothing coefficient 1 - exp(-rate / sampleRate): rate is 1 / time constant (1/s).
inline double onePoleCoefficient(double ratePerSecond, double sampleRate) {
    return 1.0 - std::exp(-ratePerSecond / sampleRate);
}

inline double clamp(double v, double lo, double hi) { return v < lo ? lo : (v > hi ? hi : v); }
inline double clamp01(double v) { return !(v >= 0.0) ? 0.0 : (v > 1.0 ? 1.0 : v); }

// The linear congruential noise used by every noise source: state := state * 1664525 + 1013904223.
struct NoiseLcg {
    uint32_t state = 0;
    uint32_t next() {
        state = state * 1664525u + 1013904223u;
        return state;
    }
};

} // namespace TarnwellPlugin::Dsp
