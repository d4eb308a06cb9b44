#include "FailingAllocator.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<bool> gArmed{false};
std::atomic<int64_t> gCount{0};
std::atomic<int64_t> gFailAt{-1};
std::atomic<bool> gFailed{false};
} // namespace

namespace FailingAllocator {
void arm(int64_t failAt) {
    gCount = 0;
    gFailAt = failAt;
    gFailed = false;
    gArmed = true;
}
void disarm() { gArmed = false; }
int64_t allocationsSinceArm() { return gCount; }
bool failed() { return gFailed; }
} // namespace FailingAllocator

void* operator new(std::size_t size) {
    if (gArmed.load(std::memory_order_relaxed)) {
        const int64_t index = gCount.fetch_add(1);
        if (index == gFailAt.load()) {
            gFailed = true;
            throw std::bad_alloc();
        }
    }
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
