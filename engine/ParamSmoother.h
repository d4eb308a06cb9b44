#pragma once

// Linear parameter ramps and smoothstep crossfaders: they hide the steps that automation, a
// preset change or a retrigger would otherwise put into the output.

#include <algorithm>
#include <cstdint>

namespace TarnwellPlugin {

struct ParamSmoother {
    double current = 0.0;
    double target = 0.0;
    double step = 0.0;
    int32_t length = 1;
    int32_t remaining = 0;

    void setLength(int32_t samples) { length = std::max(samples, 1); }

    void snap(double value) {
        current = target = value;
        step = 0.0;
        remaining = 0;
    }

    // A new target restarts the ramp from where it stands; an unchanged one keeps it running.
    void setTarget(double value) {
        if (value == target) return;
        target = value;
        remaining = length;
        step = (value - current) / length;
    }

    // True when the ramp is done and holds v: every advance gives v.
    bool standsAt(double v) const { return remaining == 0 && current == v; }
    double advance() {
        if (remaining > 0) {
            current += step;
            if (--remaining == 0) current = target;
        }
        return current;
    }
};

struct Declicker {
    double lastOutput = 0.0;
    double heldOutput = 0.0;
    int32_t totalLength = 1;
    int32_t fadeOutLength = 1;
    int32_t position = 1; // >= totalLength: idle
    bool requested = false;

    // Sets the lengths and goes idle.
    void prepare(int32_t total) {
        totalLength = std::max(total, 1);
        fadeOutLength = std::max(totalLength / 3, 1);
        idle();
    }

    void idle() {
        lastOutput = heldOutput = 0.0;
        position = totalLength;
        requested = false;
    }

    void request() { requested = true; }
    bool running() const { return position < totalLength; }

    // Idle and no fade requested: every sample passes as it is (the caller keeps lastOutput).
    bool passesThrough() const { return !requested && position >= totalLength; }

    // The held output fades out over the first third, then the new input fades in.
    double process(double x) {
        if (requested) {
            heldOutput = lastOutput;
            position = 0;
            requested = false;
        }
        double y = x;
        if (position < totalLength) {
            if (position < fadeOutLength) {
                const double u = static_cast<double>(position) / fadeOutLength;
                y = heldOutput + heldOutput * u * u * (2.0 * u - 3.0);
            } else {
                const int32_t spanSamples = totalLength - fadeOutLength;
                const double span = spanSamples < 2 ? 1.0 : static_cast<double>(spanSamples);
                const double u = std::clamp((position - fadeOutLength) / span, 0.0, 1.0);
                y = x * u * u * (3.0 - 2.0 * u);
            }
            ++position;
        }
        lastOutput = y;
        return y;
    }
};

} // namespace TarnwellPlugin
