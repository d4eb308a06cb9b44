#pragma once

// Builds small RIFF/WAVE byte images for the decoder tests.

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

namespace WavTest {

using Bytes = std::vector<uint8_t>;

inline void put16(Bytes& b, uint32_t v) {
    b.push_back(static_cast<uint8_t>(v & 0xFF));
    b.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}
inline void put32(Bytes& b, uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}
inline void putId(Bytes& b, const char* id) { b.insert(b.end(), id, id + 4); }

// A chunk with its declared length (normally the body size) and a pad byte when the body is odd.
inline Bytes chunk(const char* id, const Bytes& body, int64_t declaredLength = -1, bool pad = true) {
    Bytes b;
    putId(b, id);
    put32(b, declaredLength < 0 ? static_cast<uint32_t>(body.size()) : static_cast<uint32_t>(declaredLength));
    b.insert(b.end(), body.begin(), body.end());
    if (pad && (body.size() & 1u)) b.push_back(0);
    return b;
}

inline Bytes fmtBody(uint32_t tag, uint32_t channels, uint32_t rate, uint32_t bits) {
    Bytes b;
    put16(b, tag);
    put16(b, channels);
    put32(b, rate);
    put32(b, rate * channels * (bits / 8));
    put16(b, channels * (bits / 8));
    put16(b, bits);
    return b;
}

// The 40-byte extensible form: extension size 22, valid bits, channel mask, PCM sub-format.
inline Bytes extensibleFmtBody(uint32_t rate, uint32_t bits) {
    Bytes b = fmtBody(0xFFFE, 1, rate, bits);
    put16(b, 22);
    put16(b, bits);
    put32(b, 4);
    const uint8_t pcm[16] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                             0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    b.insert(b.end(), pcm, pcm + 16);
    return b;
}

inline Bytes pcm16(std::initializer_list<int32_t> values) {
    Bytes b;
    for (int32_t v : values) put16(b, static_cast<uint32_t>(v) & 0xFFFF);
    return b;
}
inline Bytes pcm24(std::initializer_list<int32_t> values) {
    Bytes b;
    for (int32_t v : values) {
        const uint32_t u = static_cast<uint32_t>(v);
        b.push_back(u & 0xFF);
        b.push_back((u >> 8) & 0xFF);
        b.push_back((u >> 16) & 0xFF);
    }
    return b;
}

// "RIFF" size "WAVE" followed by the given chunks.
inline Bytes riff(std::initializer_list<Bytes> chunks, const char* riffId = "RIFF", const char* waveId = "WAVE") {
    Bytes body;
    putId(body, waveId);
    for (const Bytes& c : chunks) body.insert(body.end(), c.begin(), c.end());
    Bytes b;
    putId(b, riffId);
    put32(b, static_cast<uint32_t>(body.size()));
    b.insert(b.end(), body.begin(), body.end());
    return b;
}

// A mono 16-bit image of `count` samples following a decaying ramp, at `rate`.
inline Bytes monoImage16(uint32_t rate, uint32_t count, int32_t scale = 12000) {
    Bytes data;
    for (uint32_t i = 0; i < count; ++i) {
        const int32_t v = static_cast<int32_t>(scale * ((i % 37) - 18) / 18.0 * (1.0 - 0.5 * i / count));
        put16(data, static_cast<uint32_t>(v) & 0xFFFF);
    }
    return riff({chunk("fmt ", fmtBody(1, 1, rate, 16)), chunk("data", data)});
}

} // namespace WavTest
