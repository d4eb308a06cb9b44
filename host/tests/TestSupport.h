#pragma once

#include "grundmoor/testhost/TestHost.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace testsupport {

inline const char* instrumentBundle () { return GRUNDMOOR_TEST_INSTRUMENT_BUNDLE; }

// The instrument's burst starts with sin(0) = 0, so its first sample is silent: a trigger at
// sample i shows as the first non-zero sample i + 1.
inline std::int64_t triggerAt (const std::vector<float>& samples, std::int64_t from = 0)
{
	for (std::int64_t i = from; i < static_cast<std::int64_t> (samples.size ()); ++i)
		if (samples[static_cast<size_t> (i)] != 0.0f)
			return i - 1;
	return -1;
}

// Trigger positions: starts of non-silent runs after at least minGap silent samples.
inline std::vector<std::int64_t> triggers (const std::vector<float>& samples, std::int64_t minGap = 100)
{
	std::vector<std::int64_t> found;
	std::int64_t silent = minGap;
	for (std::int64_t i = 0; i < static_cast<std::int64_t> (samples.size ()); ++i)
	{
		if (samples[static_cast<size_t> (i)] == 0.0f)
			++silent;
		else
		{
			if (silent >= minGap)
				found.push_back (i - 1);
			silent = 0;
		}
	}
	return found;
}

inline float peak (const std::vector<float>& samples, std::int64_t from, std::int64_t to)
{
	float p = 0;
	for (std::int64_t i = from; i < to && i < static_cast<std::int64_t> (samples.size ()); ++i)
		p = std::max (p, std::fabs (samples[static_cast<size_t> (i)]));
	return p;
}

} // namespace testsupport
