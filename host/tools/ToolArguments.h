#pragma once

// What the command-line tools share in reading their options.

#include <cmath>
#include <optional>
#include <string>

namespace grundmoor::tools {

// The whole text as a finite number, or nothing (trailing characters, overflow, inf and nan too).
inline std::optional<double> number (const std::string& s)
{
	try
	{
		size_t used = 0;
		const double v = std::stod (s, &used);
		if (used != s.size () || !std::isfinite (v))
			return std::nullopt;
		return v;
	}
	catch (...)
	{
		return std::nullopt;
	}
}

} // namespace grundmoor::tools
