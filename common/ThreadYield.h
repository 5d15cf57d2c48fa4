// What portable code needs of the platform's threads and time: giving the
// rest of a time slice to another thread, as a thread that waits for a few
// nanoseconds' work of another does between looks, and a monotonic clock.
// No Windows header, so portable code can use them.
#pragma once

#include <cstdint>

void YieldThread();

// Microseconds from an arbitrary start, never going back.
uint64_t MonotonicMicroseconds();
