#pragma once

// What the editor shows of the output: peaks and reduction since the last snapshot, the tempo,
// the trigger count and a 128-point trace of every 16th output sample.

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace TarnwellPlugin {

inline constexpr int32_t kWaveformPoints = 128;           // points of the output trace
inline constexpr double kInitialVisualizationTempo = 128.0; // BPM shown before the first block

struct VisualizationCapture {
    static constexpr uint32_t kRingSize = kWaveformPoints;
    static constexpr uint32_t kDecimation = 16;

    float ring[kRingSize] = {};
    uint64_t writeIndex = 0; // next slot, hence the oldest point
    uint32_t decimationCounter = 0;
    uint32_t samplesSinceSnapshot = 0;
    float peakLeft = 0.0f;
    float peakRight = 0.0f;
    double tempo = kInitialVisualizationTempo;
    float reductionDb = 0.0f;
    uint64_t triggerCount = 0;

    void addSample(float left, float right) {
        peakLeft = std::max(peakLeft, std::fabs(left));
        peakRight = std::max(peakRight, std::fabs(right));
        if (++decimationCounter == kDecimation) {
            decimationCounter = 0;
            ring[writeIndex] = (left + right) * 0.5f;
            writeIndex = (writeIndex + 1) & (kRingSize - 1);
        }
        ++samplesSinceSnapshot;
    }

    void addReduction(float db) { reductionDb = std::max(reductionDb, db); }

    static float clampPeak(float v) { return v >= 0.0f ? std::min(v, 1.0f) : 0.0f; } // NaN gives 0
};

} // namespace TarnwellPlugin
