#include "grundmoor/testhost/WavFile.h"

#include <cmath>
#include <cstring>
#include <fstream>

namespace grundmoor::testhost {
namespace {

// WAV is little-endian; written byte by byte so the host's byte order does not matter.
void put16 (std::vector<char>& b, std::uint16_t v)
{
	b.push_back (static_cast<char> (v & 0xff));
	b.push_back (static_cast<char> (v >> 8));
}

void put32 (std::vector<char>& b, std::uint32_t v)
{
	for (int i = 0; i < 4; ++i)
		b.push_back (static_cast<char> ((v >> (8 * i)) & 0xff));
}

void putTag (std::vector<char>& b, const char* tag) { b.insert (b.end (), tag, tag + 4); }

std::uint32_t get32 (const unsigned char* p)
{
	return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t> (p[3]) << 24);
}

std::uint16_t get16 (const unsigned char* p) { return static_cast<std::uint16_t> (p[0] | (p[1] << 8)); }

} // namespace

bool writeFloatWav (const std::filesystem::path& path, const std::vector<std::vector<float>>& channels,
                    std::uint32_t sampleRate)
{
	const auto numChannels = static_cast<std::uint16_t> (channels.size ());
	const std::size_t frames = channels.empty () ? 0 : channels[0].size ();
	for (const auto& c : channels)
		if (c.size () != frames)
			return false;
	const std::uint32_t dataBytes = static_cast<std::uint32_t> (frames * numChannels * 4);

	std::vector<char> b;
	b.reserve (64 + dataBytes);
	putTag (b, "RIFF");
	put32 (b, 4 + (8 + 18) + (8 + 4) + (8 + dataBytes));
	putTag (b, "WAVE");
	putTag (b, "fmt ");
	put32 (b, 18);
	put16 (b, 3); // IEEE float
	put16 (b, numChannels);
	put32 (b, sampleRate);
	put32 (b, sampleRate * numChannels * 4);
	put16 (b, static_cast<std::uint16_t> (numChannels * 4));
	put16 (b, 32);
	put16 (b, 0); // no extension
	putTag (b, "fact"); // required for non-PCM data
	put32 (b, 4);
	put32 (b, static_cast<std::uint32_t> (frames));
	putTag (b, "data");
	put32 (b, dataBytes);
	for (std::size_t i = 0; i < frames; ++i)
		for (const auto& c : channels)
		{
			std::uint32_t bits;
			std::memcpy (&bits, &c[i], 4);
			put32 (b, bits);
		}

	// Written beside the target and renamed, so a reader never sees half a file.
	auto partial = path;
	partial += ".tmp";
	{
		std::ofstream out (partial, std::ios::binary | std::ios::trunc);
		if (!out)
			return false;
		out.write (b.data (), static_cast<std::streamsize> (b.size ()));
		if (!out)
			return false;
	}
	std::error_code ec;
	std::filesystem::rename (partial, path, ec);
	return !ec;
}

bool readFloatWav (const std::filesystem::path& path, WavData& out)
{
	std::ifstream in (path, std::ios::binary);
	if (!in)
		return false;
	std::vector<unsigned char> b ((std::istreambuf_iterator<char> (in)), std::istreambuf_iterator<char> ());
	if (b.size () < 12 || std::memcmp (b.data (), "RIFF", 4) != 0 || std::memcmp (b.data () + 8, "WAVE", 4) != 0)
		return false;
	std::uint16_t format = 0, channels = 0, bits = 0;
	std::size_t pos = 12;
	while (pos + 8 <= b.size ())
	{
		const std::uint32_t size = get32 (&b[pos + 4]);
		const unsigned char* body = &b[pos + 8];
		if (pos + 8 + size > b.size ())
			return false;
		if (std::memcmp (&b[pos], "fmt ", 4) == 0 && size >= 16)
		{
			format = get16 (body);
			channels = get16 (body + 2);
			out.sampleRate = get32 (body + 4);
			bits = get16 (body + 14);
		}
		else if (std::memcmp (&b[pos], "data", 4) == 0)
		{
			if (format != 3 || bits != 32 || channels == 0)
				return false;
			const std::size_t frames = size / (4u * channels);
			out.channels.assign (channels, std::vector<float> (frames));
			for (std::size_t i = 0; i < frames; ++i)
				for (std::size_t c = 0; c < channels; ++c)
				{
					const std::uint32_t v = get32 (body + 4 * (i * channels + c));
					std::memcpy (&out.channels[c][i], &v, 4);
				}
			return true;
		}
		pos += 8 + size + (size & 1);
	}
	return false;
}

Levels measureLevels (const std::vector<std::vector<float>>& channels)
{
	Levels levels;
	double sum = 0.0;
	std::size_t n = 0;
	for (const auto& c : channels)
		for (float s : c)
		{
			if (!std::isfinite (s))
			{
				levels.finite = false;
				continue;
			}
			levels.peak = std::max (levels.peak, std::fabs (s));
			sum += static_cast<double> (s) * s;
			++n;
		}
	levels.rms = n ? std::sqrt (sum / static_cast<double> (n)) : 0.0;
	return levels;
}

} // namespace grundmoor::testhost
