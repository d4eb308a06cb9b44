#include "grundmoor/testhost/AllocationCounter.h"

#include <atomic>

namespace grundmoor::testhost {
namespace {

// Plain integers: readable from operator new before any dynamic initialisation.
thread_local int countedDepth = 0;
thread_local int pausedDepth = 0;

std::atomic<std::uint64_t> allocationCount {0};
std::atomic<std::uint64_t> allocationBytes {0};
std::atomic<bool> hooks {false};

} // namespace

bool AllocationCounter::hooksInstalled () noexcept { return hooks.load (std::memory_order_relaxed); }
void AllocationCounter::markHooksInstalled () noexcept { hooks.store (true, std::memory_order_relaxed); }

std::uint64_t AllocationCounter::count () noexcept { return allocationCount.load (std::memory_order_relaxed); }
std::uint64_t AllocationCounter::bytes () noexcept { return allocationBytes.load (std::memory_order_relaxed); }

void AllocationCounter::reset () noexcept
{
	allocationCount.store (0, std::memory_order_relaxed);
	allocationBytes.store (0, std::memory_order_relaxed);
}

bool AllocationCounter::countingOnThisThread () noexcept
{
	return countedDepth > 0 && pausedDepth == 0;
}

void AllocationCounter::noteAllocation (std::size_t size) noexcept
{
	if (countedDepth > 0 && pausedDepth == 0)
	{
		allocationCount.fetch_add (1, std::memory_order_relaxed);
		allocationBytes.fetch_add (size, std::memory_order_relaxed);
	}
}

AllocationCounter::CountedRegion::CountedRegion () noexcept { ++countedDepth; }
AllocationCounter::CountedRegion::~CountedRegion () { --countedDepth; }
AllocationCounter::PausedRegion::PausedRegion () noexcept { ++pausedDepth; }
AllocationCounter::PausedRegion::~PausedRegion () { --pausedDepth; }

} // namespace grundmoor::testhost
