// run() on a host's real-time thread: no allocation, no lock, no system
// call. This program puts its own allocation and lock functions in front of
// the C library's (it exports them, so the plug-in's calls resolve here) and
// runs the plug-in on a thread where the kernel traps every system call
// (seccomp), each counted only while run() runs.
#include "tests/map/lv2/Lv2TestHost.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <pthread.h>
#include <semaphore.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <ucontext.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <thread>

namespace {

std::atomic<bool> g_watching{false};
std::atomic<int> g_allocations{0};
std::atomic<int> g_locks{0};
std::atomic<int> g_systemCalls{0};
std::atomic<long> g_firstSystemCall{-1};

void CountIfWatching(std::atomic<int>& count) {
    if (g_watching.load(std::memory_order_relaxed)) count.fetch_add(1);
}

template <typename Function>
Function Next(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

}  // namespace

// The C library's own entry points behind the allocation functions, which
// need no dlsym (itself allocating) to be found.
extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void* __libc_memalign(size_t, size_t);
void __libc_free(void*);

void* malloc(size_t size) {
    CountIfWatching(g_allocations);
    return __libc_malloc(size);
}
void* calloc(size_t count, size_t size) {
    CountIfWatching(g_allocations);
    return __libc_calloc(count, size);
}
void* realloc(void* old, size_t size) {
    CountIfWatching(g_allocations);
    return __libc_realloc(old, size);
}
void* aligned_alloc(size_t alignment, size_t size) {
    CountIfWatching(g_allocations);
    return __libc_memalign(alignment, size);
}
int posix_memalign(void** out, size_t alignment, size_t size) {
    CountIfWatching(g_allocations);
    *out = __libc_memalign(alignment, size);
    return *out ? 0 : ENOMEM;
}
void free(void* block) {
    CountIfWatching(g_allocations);
    __libc_free(block);
}

#define ZEPHRIN_COUNTED_LOCK(name, type)                      \
    int name(type* lock) {                                    \
        CountIfWatching(g_locks);                             \
        static const auto next = Next<int (*)(type*)>(#name); \
        return next(lock);                                    \
    }
ZEPHRIN_COUNTED_LOCK(pthread_mutex_lock, pthread_mutex_t)
ZEPHRIN_COUNTED_LOCK(pthread_mutex_trylock, pthread_mutex_t)
ZEPHRIN_COUNTED_LOCK(pthread_rwlock_rdlock, pthread_rwlock_t)
ZEPHRIN_COUNTED_LOCK(pthread_rwlock_wrlock, pthread_rwlock_t)
ZEPHRIN_COUNTED_LOCK(pthread_spin_lock, pthread_spinlock_t)
ZEPHRIN_COUNTED_LOCK(sem_wait, sem_t)
}

namespace {

// A trapped system call is not made: it fails with ENOSYS, and counts while
// run() runs.
void OnSystemCall(int, siginfo_t* info, void* context) {
    if (g_watching.load(std::memory_order_relaxed)) {
        g_systemCalls.fetch_add(1);
        long expected = -1;
        g_firstSystemCall.compare_exchange_strong(expected, info->si_syscall);
    }
#if defined(__x86_64__)
    static_cast<ucontext_t*>(context)->uc_mcontext.gregs[REG_RAX] = -ENOSYS;
#endif
}

// From here on, this thread's system calls trap, except the ones it needs
// to return from the handler and to end.
bool TrapSystemCalls() {
#if defined(__x86_64__)
    sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_rt_sigreturn, 2, 0),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_exit, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_TRAP),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    sock_fprog program = {static_cast<unsigned short>(sizeof filter / sizeof filter[0]), filter};
    return prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
           syscall(SYS_seccomp, SECCOMP_SET_MODE_FILTER, 0, &program) == 0;
#else
    return false;
#endif
}

TEST(MapLv2RealTime, RunAllocatesNothingTakesNoLockAndMakesNoSystemCall) {
    struct sigaction action = {};
    action.sa_sigaction = OnSystemCall;
    action.sa_flags = SA_SIGINFO;
    ASSERT_EQ(sigaction(SIGSYS, &action, nullptr), 0);

    CLv2Library library;
    CMapLv2Instance plugin(library);
    // Three pedals, one latching on channel 2 and letting the note through,
    // drum pads by velocity; notes, notes of no mapping, sysex and an event
    // that is not MIDI; then new controls (the tables compiled again), and
    // a buffer too small for the block.
    for (int i = 0; i < 3; ++i) {
        plugin.Control(i, MapControl::kOn) = 1;
        plugin.Control(i, MapControl::kLowKey) = plugin.Control(i, MapControl::kHighKey) =
            96 + 2 * i;
        plugin.Control(i, MapControl::kController) = static_cast<float>(64 + i + (i > 0));
    }
    plugin.Control(1, MapControl::kMode) = 1;
    plugin.Control(1, MapControl::kChannel) = 2;
    plugin.Control(1, MapControl::kThrough) = 1;
    plugin.Control(3, MapControl::kOn) = 1;
    plugin.Control(3, MapControl::kLowKey) = 36;
    plugin.Control(3, MapControl::kHighKey) = 51;
    plugin.Control(3, MapControl::kVelocity) = 1;
    std::vector<Lv2Event> in;
    for (int i = 0; i < 64; ++i) {
        const uint8_t key = static_cast<uint8_t>(i % 2 ? 96 + i % 6 : 30 + i % 24);
        in.push_back(plugin.Midi(i, {static_cast<uint8_t>(0x90 | i % 3), key, 100}));
        in.push_back(plugin.Midi(i, {static_cast<uint8_t>(0x80 | i % 3), key, 0}));
    }
    in.push_back(plugin.Midi(64, {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}));
    in.push_back({65, plugin.Urids().Map("urn:example:other"), {1, 2, 3}});
    const uint32_t capacities[] = {8192, 8192, 200};

    // The runner waits for each block by spinning, the one way to wait
    // that makes no system call; this thread forges the blocks.
    std::atomic<int> prepared{0};
    std::atomic<int> ran{0};
    std::thread runner([&] {
        if (!TrapSystemCalls()) {
            ran = -1;
            return;
        }
        for (int block = 1; block <= 3; ++block) {
            while (prepared.load() < block) {
            }
            g_watching = true;
            plugin.RunPrepared();
            g_watching = false;
            ran = block;
        }
    });
    for (int block = 1; block <= 3 && ran.load() >= 0; ++block) {
        if (block == 2) plugin.Control(0, MapControl::kController) = 11;
        plugin.Prepare(in, capacities[block - 1]);
        prepared = block;
        while (ran.load() >= 0 && ran.load() < block) std::this_thread::yield();
    }
    runner.join();
    if (ran.load() < 0) GTEST_SKIP() << "the kernel refused a seccomp filter here";
    EXPECT_EQ(g_allocations.load(), 0);
    EXPECT_EQ(g_locks.load(), 0);
    EXPECT_EQ(g_systemCalls.load(), 0) << "the first was system call " << g_firstSystemCall;
    EXPECT_FALSE(plugin.Output().empty()) << "the last block put out something";
}

}  // namespace
