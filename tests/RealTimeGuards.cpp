#include "RealTimeGuards.h"

#include "grundmoor/testhost/AllocationCounter.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <pthread.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>

namespace {

std::atomic<std::uint64_t> gLocks{0};
std::atomic<std::uint64_t> gOpens{0};

void noteLock() {
    if (grundmoor::testhost::AllocationCounter::countingOnThisThread()) ++gLocks;
}
void noteOpen() {
    if (grundmoor::testhost::AllocationCounter::countingOnThisThread()) ++gOpens;
}

// The C library's own function; looked up on first use without a guarded static, since the
// lookup itself may lock.
template <typename F>
F next(std::atomic<void*>& slot, const char* name) {
    void* p = slot.load(std::memory_order_relaxed);
    if (!p) {
        p = dlsym(RTLD_NEXT, name);
        slot.store(p, std::memory_order_relaxed);
    }
    return reinterpret_cast<F>(p);
}

} // namespace

namespace RealTimeGuards {
std::uint64_t locks() { return gLocks.load(); }
std::uint64_t fileOpens() { return gOpens.load(); }
void reset() {
    gLocks = 0;
    gOpens = 0;
}
} // namespace RealTimeGuards

extern "C" {

int pthread_mutex_lock(pthread_mutex_t* m) {
    static std::atomic<void*> slot{nullptr};
    const auto real = next<int (*)(pthread_mutex_t*)>(slot, "pthread_mutex_lock");
    noteLock();
    return real(m);
}

int pthread_mutex_trylock(pthread_mutex_t* m) {
    static std::atomic<void*> slot{nullptr};
    const auto real = next<int (*)(pthread_mutex_t*)>(slot, "pthread_mutex_trylock");
    noteLock();
    return real(m);
}

int pthread_rwlock_rdlock(pthread_rwlock_t* l) {
    static std::atomic<void*> slot{nullptr};
    const auto real = next<int (*)(pthread_rwlock_t*)>(slot, "pthread_rwlock_rdlock");
    noteLock();
    return real(l);
}

int pthread_rwlock_wrlock(pthread_rwlock_t* l) {
    static std::atomic<void*> slot{nullptr};
    const auto real = next<int (*)(pthread_rwlock_t*)>(slot, "pthread_rwlock_wrlock");
    noteLock();
    return real(l);
}

FILE* fopen(const char* path, const char* mode) {
    static std::atomic<void*> slot{nullptr};
    const auto real = next<FILE* (*)(const char*, const char*)>(slot, "fopen");
    noteOpen();
    return real(path, mode);
}

FILE* fopen64(const char* path, const char* mode) {
    static std::atomic<void*> slot{nullptr};
    const auto real = next<FILE* (*)(const char*, const char*)>(slot, "fopen64");
    noteOpen();
    return real(path, mode);
}

int open(const char* path, int flags, ...) {
    static std::atomic<void*> slot{nullptr};
    const auto real = next<int (*)(const char*, int, ...)>(slot, "open");
    noteOpen();
    mode_t mode = 0;
    if (flags & (O_CREAT | O_TMPFILE)) {
        va_list args;
        va_start(args, flags);
        mode = static_cast<mode_t>(va_arg(args, int));
        va_end(args);
    }
    return real(path, flags, mode);
}

int open64(const char* path, int flags, ...) {
    static std::atomic<void*> slot{nullptr};
    const auto real = next<int (*)(const char*, int, ...)>(slot, "open64");
    noteOpen();
    mode_t mode = 0;
    if (flags & (O_CREAT | O_TMPFILE)) {
        va_list args;
        va_start(args, flags);
        mode = static_cast<mode_t>(va_arg(args, int));
        va_end(args);
    }
    return real(path, flags, mode);
}

int openat(int dir, const char* path, int flags, ...) {
    static std::atomic<void*> slot{nullptr};
    const auto real = next<int (*)(int, const char*, int, ...)>(slot, "openat");
    noteOpen();
    mode_t mode = 0;
    if (flags & (O_CREAT | O_TMPFILE)) {
        va_list args;
        va_start(args, flags);
        mode = static_cast<mode_t>(va_arg(args, int));
        va_end(args);
    }
    return real(dir, path, flags, mode);
}

} // extern "C"
