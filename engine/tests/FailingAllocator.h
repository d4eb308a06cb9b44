#pragma once

// Test hook: the test binary replaces the global operator new so that a test can make the
// n-th allocation of a scope throw std::bad_alloc.

#include <cstdint>

namespace FailingAllocator {

// Allocations counted since arm(); the allocation with index failAt (0-based) throws, all later
// ones succeed again. disarm() stops counting.
void arm(int64_t failAt);
void disarm();
int64_t allocationsSinceArm();
bool failed(); // whether the armed failure has happened

struct Scope {
    explicit Scope(int64_t failAt) { arm(failAt); }
    ~Scope() { disarm(); }
};

} // namespace FailingAllocator
