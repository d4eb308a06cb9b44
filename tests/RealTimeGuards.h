#pragma once

// Counts lock and file-open calls made on a thread while the test host counts its allocations
// (inside the plug-in's process, outside the host's own callbacks). The C library functions are
// interposed by this executable, so calls from the loaded module are seen too.

#include <cstdint>

namespace RealTimeGuards {

std::uint64_t locks();
std::uint64_t fileOpens();
void reset();

} // namespace RealTimeGuards
