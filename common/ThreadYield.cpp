// The platform's yield and monotonic clock: SwitchToThread and the
// performance counter on Windows, sched_yield and CLOCK_MONOTONIC elsewhere.
#include "common/ThreadYield.h"

#ifdef _WIN32
#include <windows.h>

void YieldThread() { SwitchToThread(); }

uint64_t MonotonicMicroseconds() {
    static const uint64_t frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<uint64_t>(f.QuadPart);
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    const uint64_t ticks = static_cast<uint64_t>(now.QuadPart);
    return ticks / frequency * 1000000 + ticks % frequency * 1000000 / frequency;
}
#else
#include <sched.h>
#include <time.h>

void YieldThread() { sched_yield(); }

uint64_t MonotonicMicroseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1000000 + static_cast<uint64_t>(now.tv_nsec) / 1000;
}
#endif
