#include "grundmoor/testhost/WavFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>

using namespace grundmoor::testhost;

namespace {

std::filesystem::path scratch (const char* name) { return std::filesystem::path (GRUNDMOOR_TEST_OUTPUT_DIR) / name; }

std::vector<unsigned char> bytesOf (const std::filesystem::path& p)
{
	std::ifstream in (p, std::ios::binary);
	return {std::istreambuf_iterator<char> (in), std::istreambuf_iterator<char> ()};
}

std::uint32_t le32 (const std::vector<unsigned char>& b, size_t at)
{
	return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t> (b[at + 3]) << 24);
}

} // namespace

TEST (WavFile, WritesAFloatStereoFileThatReadsBackExactly)
{
	const auto path = scratch ("roundtrip.wav");
	const std::vector<std::vector<float>> channels = {{0.0f, 0.5f, -1.0f, 1e-30f}, {1.0f, -0.25f, 0.125f, -0.0f}};
	ASSERT_TRUE (writeFloatWav (path, channels, 48000));
	EXPECT_FALSE (std::filesystem::exists (path.string () + ".tmp"));

	const auto b = bytesOf (path);
	ASSERT_GE (b.size (), 44u);
	EXPECT_EQ (std::memcmp (b.data (), "RIFF", 4), 0);
	EXPECT_EQ (le32 (b, 4), b.size () - 8);
	EXPECT_EQ (std::memcmp (b.data () + 8, "WAVEfmt ", 8), 0);
	EXPECT_EQ (b[20] | (b[21] << 8), 3) << "IEEE float";
	EXPECT_EQ (b[22] | (b[23] << 8), 2) << "channels";
	EXPECT_EQ (le32 (b, 24), 48000u);
	EXPECT_EQ (le32 (b, 28), 48000u * 8) << "byte rate";
	EXPECT_EQ (b[32] | (b[33] << 8), 8) << "block align";
	EXPECT_EQ (b[34] | (b[35] << 8), 32) << "bits";

	WavData read;
	ASSERT_TRUE (readFloatWav (path, read));
	EXPECT_EQ (read.sampleRate, 48000u);
	ASSERT_EQ (read.channels.size (), 2u);
	for (size_t c = 0; c < 2; ++c)
		for (size_t i = 0; i < 4; ++i)
			EXPECT_EQ (std::memcmp (&read.channels[c][i], &channels[c][i], 4), 0) << c << " " << i;
}

TEST (WavFile, RefusesChannelsOfUnequalLength)
{
	EXPECT_FALSE (writeFloatWav (scratch ("unequal.wav"), {{0.0f, 1.0f}, {0.0f}}, 44100));
}

TEST (WavFile, LevelsArePeakAndRmsOverAllChannels)
{
	struct Case
	{
		std::vector<std::vector<float>> channels;
		float peak;
		double rms;
		bool finite;
	};
	const float nan = std::numeric_limits<float>::quiet_NaN ();
	const Case cases[] = {
	    {{{0.0f, 0.0f}}, 0.0f, 0.0, true},
	    {{{1.0f, -1.0f}, {1.0f, -1.0f}}, 1.0f, 1.0, true},
	    {{{0.5f, 0.0f}, {0.0f, -0.5f}}, 0.5f, std::sqrt (0.125), true},
	    {{{0.25f, nan}}, 0.25f, 0.25, false},
	};
	for (const auto& c : cases)
	{
		const Levels l = measureLevels (c.channels);
		EXPECT_FLOAT_EQ (l.peak, c.peak);
		EXPECT_NEAR (l.rms, c.rms, 1e-12);
		EXPECT_EQ (l.finite, c.finite);
	}
}
