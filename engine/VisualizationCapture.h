#pragma once

// What the editor shows of the output: peaks and reduction since the last snapshot, the tempo,
// the trigger count and a 128-point trace of every 16th output sample.

#include <algorithm>
#include <cmath>
#include <cstdint>

#include <emmintrin.h>

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

    // addSample for each sample of a run of finite samples: the peaks over the run (a maximum of
    // finite magnitudes does not depend on the order it is taken in) and every 16th point.
    void addSamples(const float* left, const float* right, int32_t count) {
        if (count < 1) return;
        if (decimationCounter >= kDecimation) { // never left so by addSample; step by step to be sure
            for (int32_t i = 0; i < count; ++i) addSample(left[i], right[i]);
            return;
        }
        peakLeft = runPeak(left, count, peakLeft);
        peakRight = runPeak(right, count, peakRight);
        int32_t next = static_cast<int32_t>(kDecimation - 1 - decimationCounter); // the next point's sample
        for (; next < count; next += kDecimation) {
            ring[writeIndex] = (left[next] + right[next]) * 0.5f;
            writeIndex = (writeIndex + 1) & (kRingSize - 1);
        }
        decimationCounter = static_cast<uint32_t>(kDecimation - 1 - (next - count));
        samplesSinceSnapshot += static_cast<uint32_t>(count);
    }

    // std::max(peak, |x[i]|) in turn over the samples, in lanes: with no NaN among the magnitudes
    // the order does not matter, and a NaN is passed over (or kept as the peak) as std::max does.
    static float runPeak(const float* x, int32_t count, float peak) {
        const __m128 magnitude = _mm_castsi128_ps(_mm_set1_epi32(0x7fffffff));
        __m128 lanesA = _mm_set1_ps(peak);
        __m128 lanesB = lanesA;
        int32_t i = 0;
        // _mm_max_ps(v, lane) is v > lane ? v : lane, which is std::max(lane, v).
        for (; i + 8 <= count; i += 8) {
            lanesA = _mm_max_ps(_mm_and_ps(_mm_loadu_ps(x + i), magnitude), lanesA);
            lanesB = _mm_max_ps(_mm_and_ps(_mm_loadu_ps(x + i + 4), magnitude), lanesB);
        }
        alignas(16) float lanes[8];
        _mm_store_ps(lanes, lanesA);
        _mm_store_ps(lanes + 4, lanesB);
        for (; i < count; ++i) lanes[0] = std::max(lanes[0], std::fabs(x[i]));
        for (int32_t k = 1; k < 8; ++k) lanes[0] = std::max(lanes[0], lanes[k]);
        return lanes[0];
    }

    void addReduction(float db) { reductionDb = std::max(reductionDb, db); }

    static float clampPeak(float v) { return v >= 0.0f ? std::min(v, 1.0f) : 0.0f; } // NaN gives 0
};

} // namespace TarnwellPlugin
