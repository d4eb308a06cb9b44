#include "SharedVisualizationSnapshot.h"

namespace TarnwellPlugin {

bool SharedVisualizationSnapshot::publish(float peakL, float peakR, float tempoBpm, float reductionDb,
                                          uint64_t triggers, const float* points, uint32_t count) {
    uint64_t s = sequence.load(std::memory_order_relaxed);
    if ((s & 1u) != 0 || !sequence.compare_exchange_strong(s, s + 1, std::memory_order_acq_rel))
        return false;
    // Keeps the field stores below from becoming visible before the odd counter.
    std::atomic_thread_fence(std::memory_order_release);

    constexpr auto relaxed = std::memory_order_relaxed;
    peakLeft.store(peakL, relaxed);
    peakRight.store(peakR, relaxed);
    tempo.store(tempoBpm, relaxed);
    compressionReductionDb.store(reductionDb, relaxed);
    triggerCount.store(triggers, relaxed);
    const uint32_t n = count > kSnapshotWaveformPoints ? kSnapshotWaveformPoints : count;
    for (uint32_t i = 0; i < n; ++i) waveform[i].store(points[i], relaxed);
    waveformCount.store(n, relaxed);

    sequence.store(s + 2, std::memory_order_release);
    return true;
}

bool SharedVisualizationSnapshot::tryCopy(VisualizationSnapshotCopy& out, uint64_t& lastSequence,
                                          const std::function<void()>* betweenLoads) const {
    const uint64_t before = sequence.load(std::memory_order_acquire);
    if ((before & 1u) != 0 || before == lastSequence) return false;

    VisualizationSnapshotCopy copy;
    constexpr auto relaxed = std::memory_order_relaxed;
    copy.peakLeft = peakLeft.load(relaxed);
    copy.peakRight = peakRight.load(relaxed);
    copy.tempo = tempo.load(relaxed);
    copy.compressionReductionDb = compressionReductionDb.load(relaxed);
    copy.triggerCount = triggerCount.load(relaxed);
    copy.waveformCount = waveformCount.load(relaxed);
    for (int32_t i = 0; i < kSnapshotWaveformPoints; ++i) copy.waveform[i] = waveform[i].load(relaxed);
    if (betweenLoads && *betweenLoads) (*betweenLoads)();

    // Orders the field loads above before the second counter load.
    std::atomic_thread_fence(std::memory_order_acquire);
    if (sequence.load(std::memory_order_relaxed) != before) return false;

    copy.sequence = before;
    out = copy;
    lastSequence = before;
    return true;
}

} // namespace TarnwellPlugin
