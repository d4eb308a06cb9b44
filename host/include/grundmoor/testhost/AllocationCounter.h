// Counts heap allocations made on a thread while it is inside a counted region (the plug-in's
// process call) and not inside a paused region (the host's own callbacks, e.g. message creation).
//
// The counting replacement of the global operator new lives in the object library
// grundmoor_testhost_allocation_hooks; link it (with ENABLE_EXPORTS, so a loaded plug-in's
// allocations resolve to it) through grundmoor_count_allocations(<executable>). Without it
// hooksInstalled() is false and nothing is counted.
#pragma once

#include <cstddef>
#include <cstdint>

namespace grundmoor::testhost {

class AllocationCounter
{
public:
	/** True when the counting operator new is linked into this executable. */
	static bool hooksInstalled () noexcept;

	/** Allocations (and their bytes) counted since the start or the last reset, all threads. */
	static std::uint64_t count () noexcept;
	static std::uint64_t bytes () noexcept;
	static void reset () noexcept;

	/** Whether an allocation on this thread right now would be counted. */
	static bool countingOnThisThread () noexcept;

	/** Counts this thread's allocations while alive (nests). */
	class CountedRegion
	{
	public:
		CountedRegion () noexcept;
		~CountedRegion ();
		CountedRegion (const CountedRegion&) = delete;
		CountedRegion& operator= (const CountedRegion&) = delete;
	};

	/** Suspends counting on this thread while alive (nests): the host's own work. */
	class PausedRegion
	{
	public:
		PausedRegion () noexcept;
		~PausedRegion ();
		PausedRegion (const PausedRegion&) = delete;
		PausedRegion& operator= (const PausedRegion&) = delete;
	};

	// Called by the hooks only.
	static void noteAllocation (std::size_t size) noexcept;
	static void markHooksInstalled () noexcept;
};

} // namespace grundmoor::testhost
