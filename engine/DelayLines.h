#pragma once

// Feedback and allpass delay lines shared by the rumble bank and the reverbs. Buffers are sized
// in prepare for the longest length the owner can need; changing the active length on the audio
// thread never allocates. Every accessor is safe on an unprepared (empty) line.

#include <algorithm>
#include <cstdint>
#include <vector>

namespace TarnwellPlugin {

struct CombLine {
    std::vector<float> buffer;
    uint64_t length = 0;     // active length, at most buffer.size()
    uint64_t writeIndex = 0; // below length
    float damping = 0.0f;    // one-pole low-pass state of the line's output

    // Sizes the buffer (prepare only) and makes the whole buffer active.
    void allocate(uint64_t capacity) {
        buffer.assign(capacity, 0.0f);
        length = capacity;
        writeIndex = 0;
        damping = 0.0f;
    }

    // Keeps the buffer; the write index wraps into the new length.
    void setLength(uint64_t newLength) {
        length = std::min<uint64_t>(newLength, buffer.size());
        writeIndex = length > 0 ? writeIndex % length : 0;
    }

    bool empty() const { return length == 0; }

    // The sample at the write index: written `length` samples ago.
    float read() const { return length > 0 ? buffer[writeIndex] : 0.0f; }

    // Writes at the write index and advances it.
    void write(float v) {
        if (length == 0) return;
        buffer[writeIndex] = v;
        if (++writeIndex >= length) writeIndex = 0;
    }

    // read and write for an owner that knows the line is prepared (length > 0): the per-sample
    // path of the reverbs, which test their preparation once per sample.
    float readPrepared() const { return buffer.data()[writeIndex]; }
    void writePrepared(float v) {
        buffer.data()[writeIndex] = v;
        if (++writeIndex >= length) writeIndex = 0;
    }

    void clear() {
        std::fill(buffer.begin(), buffer.end(), 0.0f);
        writeIndex = 0;
        damping = 0.0f;
    }
};

struct AllpassLine {
    std::vector<float> buffer;
    uint64_t length = 0;
    uint64_t index = 0;

    void allocate(uint64_t capacity) {
        buffer.assign(capacity, 0.0f);
        length = capacity;
        index = 0;
    }

    void setLength(uint64_t newLength) {
        length = std::min<uint64_t>(newLength, buffer.size());
        index = length > 0 ? index % length : 0;
    }

    bool empty() const { return length == 0; }

    // The sample at the index (the owner computes the diffusion and writes back).
    float read() const { return length > 0 ? buffer[index] : 0.0f; }

    void write(float v) {
        if (length == 0) return;
        buffer[index] = v;
        if (++index >= length) index = 0;
    }

    // As CombLine's: for an owner that knows the line is prepared.
    float readPrepared() const { return buffer.data()[index]; }
    void writePrepared(float v) {
        buffer.data()[index] = v;
        if (++index >= length) index = 0;
    }

    void clear() {
        std::fill(buffer.begin(), buffer.end(), 0.0f);
        index = 0;
    }
};

} // namespace TarnwellPlugin
