#pragma once

#include "ProcessorState.h"

#include "base/source/fobject.h"
#include "public.sdk/source/common/memorystream.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace TarnwellPlugin::TestSupport {

inline std::vector<uint8_t> littleEndianFloats(const std::vector<float>& values) {
    std::vector<uint8_t> bytes;
    for (float f : values) {
        uint32_t bits;
        std::memcpy(&bits, &f, 4);
        for (int b = 0; b < 4; ++b) bytes.push_back(static_cast<uint8_t>(bits >> (8 * b)));
    }
    return bytes;
}

inline std::vector<float> floatsFromLittleEndian(const std::vector<uint8_t>& bytes) {
    std::vector<float> values;
    for (size_t i = 0; i + 4 <= bytes.size(); i += 4) {
        const uint32_t bits = uint32_t(bytes[i]) | uint32_t(bytes[i + 1]) << 8 | uint32_t(bytes[i + 2]) << 16 |
                              uint32_t(bytes[i + 3]) << 24;
        float f;
        std::memcpy(&f, &bits, 4);
        values.push_back(f);
    }
    return values;
}

inline Steinberg::IPtr<Steinberg::MemoryStream> streamOf(const std::vector<uint8_t>& bytes) {
    auto stream = Steinberg::owned(new Steinberg::MemoryStream);
    Steinberg::int32 written = 0;
    if (!bytes.empty())
        stream->write(const_cast<uint8_t*>(bytes.data()), static_cast<Steinberg::int32>(bytes.size()), &written);
    stream->seek(0, Steinberg::IBStream::kIBSeekSet, nullptr);
    return stream;
}

inline std::vector<uint8_t> contentsOf(Steinberg::MemoryStream& stream) {
    const auto* data = reinterpret_cast<const uint8_t*>(stream.getData());
    return std::vector<uint8_t>(data, data + stream.getSize());
}

// A stream that takes only the first `capacity` bytes written to it.
class ShortStream : public Steinberg::FObject, public Steinberg::IBStream {
public:
    explicit ShortStream(int32_t capacity) : capacity_(capacity) {}
    Steinberg::tresult PLUGIN_API read(void*, Steinberg::int32, Steinberg::int32* n) override {
        if (n) *n = 0;
        return Steinberg::kResultFalse;
    }
    Steinberg::tresult PLUGIN_API write(void*, Steinberg::int32 size, Steinberg::int32* n) override {
        const int32_t take = size < capacity_ - used_ ? size : capacity_ - used_;
        used_ += take;
        if (n) *n = take;
        return take > 0 ? Steinberg::kResultOk : Steinberg::kResultFalse;
    }
    Steinberg::tresult PLUGIN_API seek(Steinberg::int64, Steinberg::int32, Steinberg::int64*) override {
        return Steinberg::kResultFalse;
    }
    Steinberg::tresult PLUGIN_API tell(Steinberg::int64*) override { return Steinberg::kResultFalse; }
    OBJ_METHODS(ShortStream, FObject)
    REFCOUNT_METHODS(FObject)
    DEFINE_INTERFACES
        DEF_INTERFACE(IBStream)
    END_DEFINE_INTERFACES(FObject)

private:
    int32_t capacity_;
    int32_t used_ = 0;
};

// A stream that hands out its bytes a few at a time, as some hosts' streams do.
class TricklingStream : public ShortStream {
public:
    explicit TricklingStream(std::vector<uint8_t> bytes) : ShortStream(0), bytes_(std::move(bytes)) {}
    Steinberg::tresult PLUGIN_API read(void* buffer, Steinberg::int32 size, Steinberg::int32* n) override {
        int32_t take = size < 3 ? size : 3;
        const int32_t left = static_cast<int32_t>(bytes_.size() - pos_);
        take = take < left ? take : left;
        std::memcpy(buffer, bytes_.data() + pos_, static_cast<size_t>(take));
        pos_ += static_cast<size_t>(take);
        if (n) *n = take;
        return take > 0 ? Steinberg::kResultOk : Steinberg::kResultFalse;
    }

private:
    std::vector<uint8_t> bytes_;
    size_t pos_ = 0;
};

} // namespace TarnwellPlugin::TestSupport
