// The benchmark's clocks: the performance counter in seconds, and the
// time-stamp counter for single calls, too short for the performance
// counter's resolution.
#pragma once

#include <windows.h>

#include <intrin.h>

#include <cstdint>

inline double Seconds() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / frequency;
}

// Time-stamp counter ticks per nanosecond, measured against the performance
// counter.
inline double TscPerNanosecond() {
    const double start = Seconds();
    const uint64_t tscStart = __rdtsc();
    while (Seconds() - start < 0.2) {
    }
    return static_cast<double>(__rdtsc() - tscStart) / ((Seconds() - start) * 1e9);
}
