// A Win32 critical section and a scoped guard for it.
//
// The sections here are held for a single read or write of a few bytes, and
// one of their users is the host's MIDI thread: a thread that finds one taken
// spins until it is free, which takes nanoseconds, rather than going to sleep
// in the kernel and waking microseconds later.
#pragma once

#include <windows.h>

class CCriticalSection {
public:
    CCriticalSection() { InitializeCriticalSectionAndSpinCount(&m_cs, kSpinCount); }
    ~CCriticalSection() { DeleteCriticalSection(&m_cs); }
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;

    void Enter() { EnterCriticalSection(&m_cs); }
    void Leave() { LeaveCriticalSection(&m_cs); }

private:
    // Turns of the spin before the thread waits after all; the system's own
    // heap lock uses the same.
    static constexpr DWORD kSpinCount = 4000;
    CRITICAL_SECTION m_cs;
};

class CLockGuard {
public:
    explicit CLockGuard(CCriticalSection& cs) : m_cs(cs) { m_cs.Enter(); }
    ~CLockGuard() { m_cs.Leave(); }
    CLockGuard(const CLockGuard&) = delete;
    CLockGuard& operator=(const CLockGuard&) = delete;

private:
    CCriticalSection& m_cs;
};
