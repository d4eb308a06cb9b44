#pragma once

// The output rhythm gate: a tempo-synced gate on the host's musical position. Without a valid
// position (NaN) it stays open.

#include "ParameterBlock.h"
#include "RoadMath.h"

#include <cmath>
#include <cstdint>

namespace TarnwellPlugin {

struct OutputRhythmGate {
    static constexpr double kCyclesPerBeat[4] = {0.5, 1.0, 2.0, 4.0};
    static constexpr double kOpenPart = 0.38; // open for the first 38 % of each cycle

    double sampleRate = 44100.0;
    double phase = 0.0;
    double gain = 1.0;
    double depth = 1.0;
    double smooth = 0.2;
    int32_t rate = 2; // "1/8"
    bool enabled = false;
    // exp(-1000 / ((0.35 + 34.65 smooth^2) sr)): 0.35 ms to 35 ms, recomputed with smooth or rate.
    double closeness = 0.0;

    OutputRhythmGate() { updateCoefficient(); }

    void prepare(double sr);
    void reset();
    void updateParameters(const ParameterBlock& p);
    void updateCoefficient();

    // True when the gate is out and fully open: the samples pass unchanged and the gain stays at 1.
    bool passesThrough() const { return (!enabled || depth <= 1e-6) && gain == 1.0 && gain + 0.02 * (1.0 - gain) == gain; }

    // ppq: the host's musical position of this sample in quarter notes, NaN without one.
    float process(float x, double ppq) {
        if (!enabled || depth <= 1e-6) {
            gain += 0.02 * (1.0 - gain); // relax toward open
        } else {
            double target = 1.0;
            const double position = kCyclesPerBeat[rate] * ppq;
            if (std::isfinite(position)) {
                phase = position - floorInline(position);
                if (!(phase < 1.0)) phase = 0.0; // rounding of a tiny negative position
                if (phase >= kOpenPart) {
                    const double open = 1.0 - depth;
                    target = open * open * open;
                }
            }
            gain += (1.0 - closeness) * (target - gain);
        }
        return static_cast<float>(gain * x);
    }
};

} // namespace TarnwellPlugin
