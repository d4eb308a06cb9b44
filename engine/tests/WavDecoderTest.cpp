#include "WaveLayer.h"
#include "WavImageBuilder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace TarnwellPlugin;
using namespace WavTest;

namespace {

struct DecodeCase {
    std::string name;
    Bytes image;
    bool ok;
    std::vector<float> samples; // expected decoded samples (checked when ok, or when non-empty)
    double rate;                // expected out rate (-1: untouched)
};

Bytes fmt16(uint32_t rate = 44100) { return chunk("fmt ", fmtBody(1, 1, rate, 16)); }

std::vector<DecodeCase> decodeCases() {
    std::vector<DecodeCase> c;
    Bytes shortFmt = fmtBody(1, 1, 44100, 16);
    shortFmt.resize(14);
    const Bytes good = riff({fmt16(), chunk("data", pcm16({0, 16384, -32768, 32767}))});
    c.push_back({"well formed 16-bit", good, true, {0.0f, 0.5f, -1.0f, 32767.0f / 32768.0f}, 44100});

    Bytes tooShort = riff({fmt16(), chunk("data", pcm16({}))});
    tooShort.resize(43);
    c.push_back({"43 bytes", tooShort, false, {}, -1});

    c.push_back({"not RIFF", riff({fmt16(), chunk("data", pcm16({1, 2, 3, 4}))}, "RIFX"), false, {}, -1});
    c.push_back({"not WAVE", riff({fmt16(), chunk("data", pcm16({1, 2, 3, 4}))}, "RIFF", "AVI "), false, {}, -1});
    c.push_back({"stereo", riff({chunk("fmt ", fmtBody(1, 2, 44100, 16)), chunk("data", pcm16({1, 2, 3, 4}))}),
                 false, {}, 44100});
    c.push_back({"8-bit", riff({chunk("fmt ", fmtBody(1, 1, 44100, 8)), chunk("data", pcm16({1, 2, 3, 4}))}), false,
                 {}, 44100});
    c.push_back({"32-bit PCM",
                 riff({chunk("fmt ", fmtBody(1, 1, 44100, 32)), chunk("data", pcm16({1, 2, 3, 4, 5, 6}))}), false, {},
                 44100});
    c.push_back({"float (tag 3), 32-bit",
                 riff({chunk("fmt ", fmtBody(3, 1, 44100, 32)), chunk("data", pcm16({1, 2, 3, 4, 5, 6}))}), false, {},
                 44100});
    c.push_back({"float tag even at 16 bits",
                 riff({chunk("fmt ", fmtBody(3, 1, 44100, 16)), chunk("data", pcm16({1, 2, 3, 4, 5, 6}))}), false, {},
                 44100});
    c.push_back({"rate 0", riff({chunk("fmt ", fmtBody(1, 1, 0, 16)), chunk("data", pcm16({1, 2, 3, 4, 5, 6}))}),
                 false, {}, 0});
    c.push_back({"single sample", riff({fmt16(), chunk("data", pcm16({8192})), chunk("junk", Bytes(20, 0))}), false,
                 {0.25f}, 44100});
    c.push_back({"empty data", riff({fmt16(), chunk("data", {}), chunk("junk", Bytes(20, 0))}), false, {}, 44100});

    // Data of odd length 9 first: four samples, a pad byte, then the "fmt " chunk (found only
    // when the pad byte is skipped).
    Bytes oddData = pcm16({4096, -4096, 8192, -8192});
    oddData.push_back(0x7F);
    c.push_back({"odd data length with pad byte", riff({chunk("data", oddData), fmt16(22050)}), true,
                 {0.125f, -0.125f, 0.25f, -0.25f}, 22050});

    c.push_back({"chunk running past the end after the data",
                 riff({fmt16(), chunk("data", pcm16({100, -100, 200})), chunk("junk", Bytes(8, 0), 5000)}), true,
                 {100.0f / 32768, -100.0f / 32768, 200.0f / 32768}, 44100});
    c.push_back({"data running past the end",
                 riff({fmt16(), chunk("junk", Bytes(30, 0)), chunk("data", pcm16({1, 2, 3, 4}), 400)}), false, {},
                 44100});
    c.push_back({"fmt running past the end after the data",
                 riff({chunk("data", pcm16({1, 2, 3, 4, 5, 6, 7, 8, 9, 10})), chunk("fmt ", fmtBody(1, 1, 44100, 16), 60)}),
                 false, {}, -1});
    c.push_back({"missing fmt", riff({chunk("data", pcm16({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}))}), false, {}, -1});
    c.push_back({"fmt shorter than 16 bytes is skipped",
                 riff({chunk("fmt ", shortFmt),
                       chunk("data", pcm16({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}))}),
                 false, {}, -1});
    c.push_back({"later fmt replaces the earlier",
                 riff({chunk("fmt ", fmtBody(1, 2, 48000, 16)), chunk("data", pcm16({16384, 8192, 0, 0, 0})),
                       fmt16(32000)}),
                 true, {0.5f, 0.25f, 0.0f, 0.0f, 0.0f}, 32000});
    c.push_back({"extensible 24-bit",
                 riff({chunk("fmt ", extensibleFmtBody(44100, 24)), chunk("LIST", Bytes(26, 0x20)),
                       chunk("data", pcm24({0x7FFFFF, -0x800000, 0x400000, -1, 0, 0}))}),
                 true, {8388607.0f / 8388608.0f, -1.0f, 0.5f, -1.0f / 8388608.0f, 0.0f, 0.0f}, 44100});
    // Seven bytes of 24-bit data: two whole samples, the partial third is ignored.
    Bytes partial = pcm24({0x200000, -0x200000});
    partial.push_back(0x55);
    c.push_back({"24-bit with a trailing partial sample",
                 riff({chunk("fmt ", fmtBody(1, 1, 44100, 24)), chunk("data", partial), chunk("junk", Bytes(10, 0))}),
                 true, {0.25f, -0.25f}, 44100});
    return c;
}

} // namespace

TEST(ParseWav, TableOfCraftedImages) {
    for (const DecodeCase& tc : decodeCases()) {
        SCOPED_TRACE(tc.name);
        std::vector<float> samples;
        double rate = -1.0;
        EXPECT_EQ(parseWav(tc.image.data(), tc.image.size(), samples, rate), tc.ok);
        EXPECT_EQ(rate, tc.rate);
        if (tc.ok || !tc.samples.empty()) {
            ASSERT_EQ(samples.size(), tc.samples.size());
            for (size_t i = 0; i < samples.size(); ++i) EXPECT_EQ(samples[i], tc.samples[i]) << i;
        }
    }
}

TEST(ParseWav, NullDataFails) {
    std::vector<float> samples{1.0f};
    double rate = 7.0;
    EXPECT_FALSE(parseWav(nullptr, 100, samples, rate));
    EXPECT_EQ(rate, 7.0);
    EXPECT_EQ(samples.size(), 1u); // refused before anything is touched
}

TEST(ParseWav, EmbeddedRecordingsDecodeToTheirFormsAndLengths) {
    struct Expected {
        uint64_t size;
        size_t samples;
    };
    const Expected expected[3] = {{47708, 23782}, {9220, 4538}, {209310, 69736}};
    for (int32_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const WavImage image = embeddedRecording(i);
        ASSERT_NE(image.data, nullptr);
        EXPECT_EQ(image.size, expected[i].size);
        std::vector<float> samples;
        double rate = 0.0;
        ASSERT_TRUE(parseWav(image.data, image.size, samples, rate));
        EXPECT_EQ(samples.size(), expected[i].samples);
        EXPECT_EQ(rate, 44100.0);
        float peak = 0.0f;
        for (float s : samples) {
            ASSERT_TRUE(std::isfinite(s));
            peak = std::max(peak, std::fabs(s));
        }
        EXPECT_GT(peak, 0.5f); // a real hit, not silence
        EXPECT_LE(peak, 1.0f);
        // Each hit dies away: the last 5 ms are far below the peak.
        float tail = 0.0f;
        for (size_t k = samples.size() - 220; k < samples.size(); ++k) tail = std::max(tail, std::fabs(samples[k]));
        EXPECT_LT(tail, 0.02f * peak);
    }
    EXPECT_EQ(embeddedRecording(3).data, nullptr);
    EXPECT_EQ(embeddedRecording(-1).size, 0u);
}

TEST(ParseWav, EmbeddedRecordingsCarryTheirChunkLayout) {
    // Chunk ids and lengths in order, walked independently of the decoder.
    const std::vector<std::pair<std::string, uint32_t>> layouts[3] = {
        {{"fmt ", 16}, {"LIST", 24}, {"data", 47564}, {"smpl", 60}},
        {{"fmt ", 16}, {"LIST", 24}, {"data", 9076}, {"smpl", 60}},
        {{"fmt ", 40}, {"LIST", 26}, {"data", 209208}},
    };
    for (int32_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const WavImage image = embeddedRecording(i);
        std::vector<std::pair<std::string, uint32_t>> found;
        uint64_t offset = 12;
        while (offset + 8 <= image.size) {
            const uint8_t* h = image.data + offset;
            const uint32_t length = h[4] | (h[5] << 8) | (h[6] << 16) | (static_cast<uint32_t>(h[7]) << 24);
            found.emplace_back(std::string(reinterpret_cast<const char*>(h), 4), length);
            offset += 8 + length + (length & 1u);
        }
        EXPECT_EQ(offset, image.size);
        EXPECT_EQ(found, layouts[i]);
    }
    const uint8_t* first = embeddedRecording(0).data;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(first) + 48, 16), std::string("INAM\x0c\0\0\0" "909BD02 ", 16));
    const uint8_t* third = embeddedRecording(2).data;
    EXPECT_EQ(third[20] | (third[21] << 8), 0xFFFE); // extensible
    EXPECT_EQ(third[34] | (third[35] << 8), 24);     // bits per sample
}
