#pragma once

// Flush-to-zero and denormals-are-zero for the duration of a render, restoring the host's mode
// afterwards: decaying tails and smoothers must never fall into slow subnormal arithmetic.

#if defined(__SSE__) || defined(__x86_64__)
#include <xmmintrin.h>
#endif

namespace TarnwellPlugin {

class DenormalGuard {
public:
    DenormalGuard() {
#if defined(__SSE__) || defined(__x86_64__)
        saved_ = _mm_getcsr();
        _mm_setcsr(saved_ | 0x8040u); // FTZ (bit 15) and DAZ (bit 6)
#elif defined(__aarch64__)
        __asm__ __volatile__("mrs %0, fpcr" : "=r"(saved_));
        __asm__ __volatile__("msr fpcr, %0" : : "r"(saved_ | (1ull << 24)));
#endif
    }
    ~DenormalGuard() {
#if defined(__SSE__) || defined(__x86_64__)
        _mm_setcsr(saved_);
#elif defined(__aarch64__)
        __asm__ __volatile__("msr fpcr, %0" : : "r"(saved_));
#endif
    }
    DenormalGuard(const DenormalGuard&) = delete;
    DenormalGuard& operator=(const DenormalGuard&) = delete;

private:
#if defined(__aarch64__)
    unsigned long long saved_ = 0;
#else
    unsigned int saved_ = 0;
#endif
};

} // namespace TarnwellPlugin
