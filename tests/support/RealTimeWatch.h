// Watching a real-time path natively: a test program that links this puts
// its own allocation, lock and clock functions in front of the C library's
// (it must export them: ENABLE_EXPORTS, so that a plug-in's calls resolve
// here), counted only while watching; RunWatched's thread also has every
// system call it makes trapped by the kernel (seccomp), counted and not
// made: it fails with ENOSYS.
#pragma once

#include <functional>

struct RealTimeCalls {
    int allocations = 0;
    int locks = 0;
    int systemCalls = 0;        // trapped ones, and clock reads (below)
    long firstSystemCall = -1;  // its number; -2 for a clock read
};

// Runs work on a thread of its own where every system call traps, watching
// it whole; false where the kernel refuses a seccomp filter (the test is
// then skipped).
bool RunWatched(const std::function<void()>& work);

// Counting on or off. The counts add up over everything watched, until reset.
void WatchRealTime(bool on);
RealTimeCalls WatchedCalls();
void ResetWatchedCalls();
