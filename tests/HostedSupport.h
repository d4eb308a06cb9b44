#pragma once

// Shared pieces of the tests that load the bundle through the test host.

#include "BundleFixture.h"

#include "grundmoor/testhost/TestHost.h"

#include "public.sdk/source/common/memorystream.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace Hosted {

using grundmoor::testhost::TestHost;

inline std::unique_ptr<TestHost> load(double rate = 44100.0, Steinberg::int32 block = 512) {
    auto host = std::make_unique<TestHost>(BundleFixture::bundlePath());
    host->setup(rate, block);
    return host;
}

inline float peak(const TestHost::Output& out) {
    float p = 0.0f;
    for (const auto& ch : out.channels)
        for (float s : ch) p = std::fmax(p, std::fabs(s));
    return p;
}

inline bool allFinite(const TestHost::Output& out) {
    for (const auto& ch : out.channels)
        for (float s : ch)
            if (!std::isfinite(s)) return false;
    return true;
}

inline std::vector<char> floatsToBytes(const std::vector<float>& values) {
    std::vector<char> bytes;
    for (float f : values) {
        uint32_t bits;
        std::memcpy(&bits, &f, 4);
        for (int b = 0; b < 4; ++b) bytes.push_back(static_cast<char>(bits >> (8 * b)));
    }
    return bytes;
}

inline std::vector<float> bytesToFloats(const std::vector<char>& bytes) {
    std::vector<float> values;
    for (size_t i = 0; i + 4 <= bytes.size(); i += 4) {
        uint32_t bits = 0;
        for (int b = 0; b < 4; ++b) bits |= uint32_t(static_cast<uint8_t>(bytes[i + b])) << (8 * b);
        float f;
        std::memcpy(&f, &bits, 4);
        values.push_back(f);
    }
    return values;
}

inline Steinberg::IPtr<Steinberg::MemoryStream> streamOf(const std::vector<char>& bytes) {
    auto stream = Steinberg::owned(new Steinberg::MemoryStream);
    Steinberg::int32 written = 0;
    if (!bytes.empty()) stream->write(const_cast<char*>(bytes.data()), static_cast<Steinberg::int32>(bytes.size()), &written);
    stream->seek(0, Steinberg::IBStream::kIBSeekSet, nullptr);
    return stream;
}

} // namespace Hosted
