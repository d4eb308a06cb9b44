#include "ProcessorState.h"

#include "ParameterTable.h"

#include "pluginterfaces/base/ibstream.h"

#include <cmath>
#include <cstring>

namespace TarnwellPlugin {

namespace {

float floatFromLittleEndian(const unsigned char* b) {
    const uint32_t bits = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

void floatToLittleEndian(float f, unsigned char* b) {
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    b[0] = static_cast<unsigned char>(bits);
    b[1] = static_cast<unsigned char>(bits >> 8);
    b[2] = static_cast<unsigned char>(bits >> 16);
    b[3] = static_cast<unsigned char>(bits >> 24);
}

// Reads up to `size` bytes, tolerating streams that hand them out in pieces.
int32_t readUpTo(Steinberg::IBStream* stream, unsigned char* buffer, int32_t size) {
    int32_t total = 0;
    while (total < size) {
        Steinberg::int32 got = 0;
        const Steinberg::tresult r = stream->read(buffer + total, size - total, &got);
        if (got > 0) total += got > size - total ? size - total : got;
        if (r != Steinberg::kResultOk || got <= 0) break;
    }
    return total;
}

double finiteOrDefault(uint32_t id, float stored) {
    if (std::isfinite(stored)) return stored;
    const ParameterSpec* spec = findParameter(id);
    return spec ? defaultNormalized(*spec) : 0.0;
}

} // namespace

double migrateWaveLayerWaveformValue(double value) {
    double v = value > 1.0 ? 1.0 : value;
    v = v < 0.0 ? 0.0 : v;
    if (std::isnan(value)) v = 1.0;

    const auto nearest = [](double x, double hi) {
        double k = std::round(x); // halves away from zero
        k = k > hi ? hi : k;
        return k < 0.0 ? 0.0 : k;
    };
    const double k7 = nearest(7.0 * v, 7.0);
    if (std::fabs(v - k7 / 7.0) < kWaveformMigrationTolerance) return k7 == 7.0 ? 1.0 : k7 / 23.0;
    const double k15 = nearest(15.0 * v, 15.0);
    if (std::fabs(v - k15 / 15.0) < kWaveformMigrationTolerance) return k15 == 15.0 ? 1.0 : k15 / 23.0;
    return v;
}

Steinberg::tresult decodeProcessorState(Steinberg::IBStream* stream, DecodedState& out) {
    out.count = 0;
    if (!stream) return Steinberg::kResultFalse;

    unsigned char bytes[kStateByteCount];
    const int32_t available = readUpTo(stream, bytes, kStateByteCount) / 4;
    if (available < kMandatoryStateValues) return Steinberg::kResultFalse;

    float stored[kStateValueCount];
    for (int32_t i = 0; i < available; ++i) stored[i] = floatFromLittleEndian(bytes + 4 * i);

    const bool markerPresent = available > kStateMarkerIndex && stored[kStateMarkerIndex] == kStateMarkerValue;
    for (int32_t i = 0; i < kStateValueCount; ++i) {
        const uint32_t id = kStateOrder[i];
        if (i == kStateMarkerIndex) continue;
        double value;
        if (id == kWaveLayerDelay || id == kOscLayerDelay) {
            // Older streams held other values at these places; only the marker vouches for them.
            value = markerPresent ? finiteOrDefault(id, stored[i]) : 0.0;
        } else if (i >= available) {
            continue; // missing optional value: the parameter keeps what it has
        } else if (id == kRenderWAV) {
            value = 0.0;
        } else {
            value = finiteOrDefault(id, stored[i]);
            if (id == kWaveLayerWaveform) value = migrateWaveLayerWaveformValue(value);
        }
        out.values[out.count++] = {id, value};
    }
    return Steinberg::kResultOk;
}

Steinberg::tresult writeStateBytes(Steinberg::IBStream* stream, const float (&values)[kStateValueCount]) {
    if (!stream) return Steinberg::kResultFalse;
    unsigned char bytes[kStateByteCount];
    for (int32_t i = 0; i < kStateValueCount; ++i) floatToLittleEndian(values[i], bytes + 4 * i);
    int32_t total = 0;
    while (total < kStateByteCount) {
        Steinberg::int32 written = 0;
        const Steinberg::tresult r = stream->write(bytes + total, kStateByteCount - total, &written);
        if (written > 0) total += written;
        if (r != Steinberg::kResultOk || written <= 0) break;
    }
    return total >= kStateByteCount ? Steinberg::kResultOk : Steinberg::kResultFalse;
}

} // namespace TarnwellPlugin
