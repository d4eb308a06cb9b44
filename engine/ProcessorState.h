#pragma once

// The stored sound: 161 little-endian 32-bit floats without a header, the normalized values of
// 160 parameters in a fixed order that predates the id layout, with one marker value at index 105.
// The processor and the controller decode it the same way through decodeProcessorState, so both
// sides end up with identical values for the same bytes.

#include "ParameterIds.h"

#include "pluginterfaces/base/ftypes.h"

#include <array>
#include <cstdint>

namespace Steinberg { class IBStream; }

namespace TarnwellPlugin {

inline constexpr int32_t kStateValueCount = 161;
inline constexpr int32_t kStateByteCount = kStateValueCount * 4; // 644
inline constexpr int32_t kMandatoryStateValues = 77;
inline constexpr int32_t kStateMarkerIndex = 105;
inline constexpr float kStateMarkerValue = 3.0f;
inline constexpr int32_t kStateRenderWavIndex = 28;
inline constexpr uint32_t kStateMarkerSlot = 0xFFFFFFFFu; // the order entry that is not a parameter

// The first 53 ids of the stream.
inline constexpr std::array<uint32_t, 53> kStateLeadingParamIds = [] {
    std::array<uint32_t, 53> ids{};
    int32_t n = 0;
    for (uint32_t id = 100; id <= 139; ++id) ids[n++] = id;
    for (uint32_t id : {143u, 144u, 145u, 146u, 140u, 141u, 142u, 147u, 148u, 149u, 150u, 151u, 152u})
        ids[n++] = id;
    return ids;
}();

// Id of each stream index (kStateMarkerSlot at the marker).
inline constexpr std::array<uint32_t, kStateValueCount> kStateOrder = [] {
    std::array<uint32_t, kStateValueCount> order{};
    int32_t n = 0;
    for (uint32_t id : kStateLeadingParamIds) order[n++] = id;
    for (uint32_t id = 300; id <= 307; ++id) order[n++] = id;
    for (uint32_t id = 200; id <= 215; ++id) order[n++] = id;
    order[n++] = 154;
    for (uint32_t id = 155; id <= 179; ++id) order[n++] = id;
    order[n++] = 180;
    order[n++] = 181;
    order[n++] = kStateMarkerSlot;
    for (uint32_t id = 182; id <= 197; ++id) order[n++] = id;
    for (uint32_t id = 400; id <= 410; ++id) order[n++] = id;
    order[n++] = 411;
    order[n++] = 412;
    for (uint32_t id = 413; id <= 417; ++id) order[n++] = id;
    for (uint32_t id = 420; id <= 435; ++id) order[n++] = id;
    for (uint32_t id = 436; id <= 439; ++id) order[n++] = id;
    order[n++] = 440;
    return order;
}();
static_assert(kStateOrder[kStateRenderWavIndex] == kRenderWAV);
static_assert(kStateOrder[kStateMarkerIndex] == kStateMarkerSlot);
static_assert(kStateOrder[102] == kWaveLayerWaveform && kStateOrder[103] == kWaveLayerDelay &&
              kStateOrder[104] == kOscLayerDelay && kStateOrder[160] == kSequencerEnabled);

// One value to apply after a successful decode.
struct StateValue {
    uint32_t id;
    double normalized;
};

// What a stream decodes to: the values to apply, in stream order.
struct DecodedState {
    std::array<StateValue, kStateValueCount - 1> values{};
    int32_t count = 0;
};

// Reads the whole stream into a local buffer and decodes it. kResultFalse (and nothing in `out`
// to apply) for a null stream or one shorter than the mandatory values, so a refused stream
// changes nothing. Non-finite values become the parameter's default; "Render WAV" is always 0;
// "Wave Layer Waveform" goes through the migration; ids 180 and 181 count only with the marker.
Steinberg::tresult decodeProcessorState(Steinberg::IBStream* stream, DecodedState& out);

// Encodes the 161 values (normalized value of each id, as `valueOf` reports it) and writes them in
// one piece. kResultFalse when the stream took fewer than 644 bytes.
template <typename ValueOf>
Steinberg::tresult encodeProcessorState(Steinberg::IBStream* stream, ValueOf&& valueOf);

Steinberg::tresult writeStateBytes(Steinberg::IBStream* stream, const float (&values)[kStateValueCount]);

// Maps a "Wave Layer Waveform" value stored on the grid of the older 8- or 16-entry list onto the
// 24-entry list; other values pass unchanged (clamped to [0, 1], NaN as 1).
double migrateWaveLayerWaveformValue(double value);

inline constexpr double kWaveformMigrationTolerance = 1e-6;

template <typename ValueOf>
Steinberg::tresult encodeProcessorState(Steinberg::IBStream* stream, ValueOf&& valueOf) {
    float values[kStateValueCount];
    for (int32_t i = 0; i < kStateValueCount; ++i) {
        const uint32_t id = kStateOrder[i];
        if (i == kStateMarkerIndex)
            values[i] = kStateMarkerValue;
        else if (id == kRenderWAV)
            values[i] = 0.0f;
        else
            values[i] = static_cast<float>(valueOf(id));
    }
    return writeStateBytes(stream, values);
}

} // namespace TarnwellPlugin
