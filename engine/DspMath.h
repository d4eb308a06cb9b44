#pragma once

// Small arithmetic shared by the engine's stages.

#include <bit>
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

// One step of a one-pole glide toward its target.
inline double glideStep(double value, double target, double coefficient) {
    return value + coefficient * (target - value);
}
// True when one more step leaves the value as it is, bit for bit (a -0 that the step turns into +0
// does not rest): then, while the target stands, so does every step after it, and a run of samples
// may skip them.
inline bool glideRests(double value, double target, double coefficient) {
    return std::bit_cast<uint64_t>(glideStep(value, target, coefficient)) == std::bit_cast<uint64_t>(value);
}
// `steps` steps of the glide, stopping early once it rests.
inline void glideOver(double& value, double target, double coefficient, int64_t steps) {
    for (; steps > 0; --steps) {
        const double next = glideStep(value, target, coefficient);
        const bool rests = next == value;
        value = next;
        if (rests) break;
    }
}

// The stages that gather per-sample values on the stack take at most this many samples at once.
inline constexpr int32_t kMaxRun = 128;
// run(offset, length) over [0, count) in pieces of at most kMaxRun samples.
template <typename Run>
inline void forEachRun(int32_t count, Run&& run) {
    for (int32_t done = 0; done < count; done += kMaxRun) run(done, count - done < kMaxRun ? count - done : kMaxRun);
}

} // namespace TarnwellPlugin::Dsp
