// 32-bit float WAV files (format 3, IEEE float), interleaved, as the render tool writes them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace grundmoor::testhost {

struct WavData
{
	std::uint32_t sampleRate = 0;
	std::vector<std::vector<float>> channels;
};

/** Writes channels (equal lengths) as 32-bit float; false when the file cannot be written. */
bool writeFloatWav (const std::filesystem::path& path, const std::vector<std::vector<float>>& channels,
                    std::uint32_t sampleRate);

/** Reads a file written by writeFloatWav (32-bit float only); false for anything else. */
bool readFloatWav (const std::filesystem::path& path, WavData& out);

struct Levels
{
	float peak = 0.0f; // largest absolute sample, all channels
	double rms = 0.0;  // over all samples of all channels
	bool finite = true; // no NaN or infinity anywhere
};

Levels measureLevels (const std::vector<std::vector<float>>& channels);

} // namespace grundmoor::testhost
