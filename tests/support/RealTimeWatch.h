// Watching a real-time path natively: a test program that links this puts
// its own allocation, lock and clock functions in front of the C library's
// (it must export them: ENABLE_EXPORTS, so that a plug-in's calls resolve
// here), and a thread that calls TrapSystemCalls has every system call it
// makes trapped by the kernel (seccomp). Each is counted only while
// watching. A trapped call is not made: it fails with ENOSYS.
#pragma once

struct RealTimeCalls {
    int allocations = 0;
    int locks = 0;
    int systemCalls = 0;        // trapped ones, and clock reads (below)
    long firstSystemCall = -1;  // its number; -2 for a clock read
};

// Installs the trap for the calling thread, from here on; false where the
// kernel refuses a seccomp filter (the test is then skipped).
bool TrapSystemCalls();

// Counting on or off. The counts add up over everything watched, until reset.
void WatchRealTime(bool on);
RealTimeCalls WatchedCalls();
void ResetWatchedCalls();
