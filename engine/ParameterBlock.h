#pragma once

// The engine's normalized parameter block: one value per parameter id but "Save Current Preset".
// The render writes it from the host's queues and the state reader from the host's thread, so each
// slot is an atomic double accessed with relaxed order (a torn value can never be read).
// Values are stored as they arrive; every read for the sound goes through value(), which clamps to
// [0, 1] and maps NaN to 0, so no module ever sees an out-of-range setting.

#include "ParameterTable.h"

#include <atomic>
#include <cmath>
#include <cstdint>

namespace TarnwellPlugin {

class ParameterBlock {
public:
    static constexpr int32_t kSlotCount = kParameterCount; // one slot per registered parameter

    ParameterBlock() { resetToDefaults(); }

    // The parameter table's defaults (the engine's start values are applied on top by the engine).
    void resetToDefaults() {
        for (int32_t i = 0; i < kSlotCount; ++i)
            slots_[i].store(defaultNormalized(kParameterTable[i]), std::memory_order_relaxed);
    }

    // Whether the block holds this id (every parameter but "Save Current Preset").
    static bool holds(uint32_t id) { return id != kSaveCurrentPreset && parameterIndex(id) >= 0; }

    // The value as stored, unclamped (for the state writer).
    double raw(uint32_t id) const {
        const int32_t i = parameterIndex(id);
        return i < 0 ? 0.0 : slots_[i].load(std::memory_order_relaxed);
    }

    void store(uint32_t id, double normalized) {
        const int32_t i = parameterIndex(id);
        if (i >= 0 && id != kSaveCurrentPreset) slots_[i].store(normalized, std::memory_order_relaxed);
    }

    // The value a module may use: clamped to [0, 1], NaN as 0.
    double value(uint32_t id) const { return clampNormalized(raw(id)); }

    // On/off parameters are on at 0.5 and above.
    bool on(uint32_t id) const { return value(id) >= 0.5; }

    // List index of a list with n entries: trunc((n - 1) v + 0.5).
    int32_t listIndex(uint32_t id, int32_t entries) const {
        return static_cast<int32_t>((entries - 1) * value(id) + 0.5);
    }

    static double clampNormalized(double v) {
        if (!(v >= 0.0)) return 0.0; // also NaN
        return v > 1.0 ? 1.0 : v;
    }

private:
    std::atomic<double> slots_[kSlotCount];
};

} // namespace TarnwellPlugin
