// RIFF/WAVE decoding of the embedded recordings.

#include "WaveLayer.h"

#include <cstring>
#include <new>
#include <stdexcept>

namespace TarnwellPlugin {

namespace {

uint32_t readLe16(const uint8_t* p) { return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8); }
uint32_t readLe32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}
bool idIs(const uint8_t* p, const char* id) { return std::memcmp(p, id, 4) == 0; }

} // namespace

bool parseWavOrThrow(const uint8_t* data, uint64_t size, std::vector<float>& samples, double& sampleRate) {
    if (data == nullptr || size < 44) return false;
    if (!idIs(data, "RIFF") || !idIs(data + 8, "WAVE")) return false;

    uint32_t formatTag = 0, channels = 0, bitsPerSample = 0, rate = 0;
    bool haveData = false;
    uint64_t dataOffset = 0, dataLength = 0;

    uint64_t offset = 12;
    while (offset + 8 <= size) {
        const uint8_t* header = data + offset;
        const uint64_t length = readLe32(header + 4);
        if (offset + 8 + length > size) break; // a chunk running past the end ends the walk
        const uint8_t* body = header + 8;
        if (idIs(header, "fmt ") && length >= 16) {
            formatTag = readLe16(body);
            channels = readLe16(body + 2);
            rate = readLe32(body + 4);
            sampleRate = static_cast<double>(rate);
            bitsPerSample = readLe16(body + 14);
        } else if (idIs(header, "data")) {
            haveData = true;
            dataOffset = offset + 8;
            dataLength = length;
        }
        offset += 8 + length + (length & 1u);
    }

    if (!haveData) return false;
    if ((formatTag != 1 && formatTag != 0xFFFE) || channels != 1 || (bitsPerSample != 16 && bitsPerSample != 24) ||
        rate == 0)
        return false;

    const uint64_t bytesPerSample = bitsPerSample / 8;
    const uint64_t count = dataLength / bytesPerSample;
    samples.clear();
    samples.reserve(count);

    const uint8_t* p = data + dataOffset;
    if (bytesPerSample == 2) {
        for (uint64_t i = 0; i < count; ++i, p += 2) {
            const int16_t v = static_cast<int16_t>(readLe16(p));
            samples.push_back(static_cast<float>(v) * 3.0517578125e-5f);
        }
    } else {
        for (uint64_t i = 0; i < count; ++i, p += 3) {
            int32_t v = static_cast<int32_t>(static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                                             (static_cast<uint32_t>(p[2]) << 16));
            if (v & 0x800000) v -= 0x1000000;
            samples.push_back(static_cast<float>(v) * 1.1920928955078125e-7f);
        }
    }
    return samples.size() >= 2;
}

bool parseWav(const uint8_t* data, uint64_t size, std::vector<float>& samples, double& sampleRate) {
    try {
        return parseWavOrThrow(data, size, samples, sampleRate);
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    std::vector<float>().swap(samples);
    return false;
}

} // namespace TarnwellPlugin
