#pragma once

// The last visualization values a controller received, for its editor's timers. One record per
// controller, so two loaded instances each show their own sound. The publisher (the controller's
// notify, on whichever thread the host delivers on) and the readers (editor timers) take no lock:
// `sequence` is odd while a publication is in progress, and a reader keeps a copy only when the
// counter was even and unchanged around it. Every field is an atomic accessed relaxed, ordered by
// the fences around the counter, so the protocol holds on arm64 as well as x86.

#include "VisualizationCapture.h"

#include <atomic>
#include <cstdint>
#include <functional>

namespace TarnwellPlugin {

inline constexpr int32_t kSnapshotWaveformPoints = kWaveformPoints;

// A reader's consistent copy of the record.
struct VisualizationSnapshotCopy {
    uint64_t sequence = 0;
    float peakLeft = 0.0f;
    float peakRight = 0.0f;
    float compressionReductionDb = 0.0f;
    uint32_t waveformCount = 0;
    uint64_t triggerCount = 0;
    float waveform[kSnapshotWaveformPoints] = {};
    float tempo = static_cast<float>(kInitialVisualizationTempo);
};

struct SharedVisualizationSnapshot {
    std::atomic<uint64_t> sequence{0};
    std::atomic<float> peakLeft{0.0f};
    std::atomic<float> peakRight{0.0f};
    std::atomic<float> compressionReductionDb{0.0f};
    std::atomic<uint32_t> waveformCount{0};
    std::atomic<uint64_t> triggerCount{0};
    std::atomic<float> waveform[kSnapshotWaveformPoints] = {};
    std::atomic<float> tempo{static_cast<float>(kInitialVisualizationTempo)};

    // Publishes one message's values: the first `count` waveform points (at most 128) replace the
    // old ones, the rest stay. False, with nothing changed, when another publication is in
    // progress (visualization is lossy; the next message follows within 33 ms).
    bool publish(float peakL, float peakR, float tempoBpm, float reductionDb, uint64_t triggers, const float* points,
                 uint32_t count);

    // The reading rule: false (and `out` untouched) when the counter is odd, equals
    // `lastSequence`, or changed during the copy; otherwise `out` holds a consistent copy and
    // `lastSequence` its counter.
    // `betweenLoads`, when given, runs after the field loads and before the counter is read again
    // (tests publish there to tear a copy).
    bool tryCopy(VisualizationSnapshotCopy& out, uint64_t& lastSequence,
                 const std::function<void()>* betweenLoads = nullptr) const;

    // The reduction meter's own read, without the counter.
    float reductionDb() const { return compressionReductionDb.load(std::memory_order_relaxed); }
};

static_assert(std::atomic<float>::is_always_lock_free && std::atomic<uint64_t>::is_always_lock_free);

} // namespace TarnwellPlugin
