// The counting allocation, lock and clock functions, and the system call
// trap, for the plug-ins' real-time tests.
#include "tests/support/RealTimeWatch.h"

#include <dlfcn.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <pthread.h>
#include <semaphore.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <time.h>
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

void CountSystemCall(long number) {
    if (!g_watching.load(std::memory_order_relaxed)) return;
    g_systemCalls.fetch_add(1);
    long none = -1;
    g_firstSystemCall.compare_exchange_strong(none, number);
}

template <typename Function>
Function Next(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

// A trapped system call is not made: it fails with ENOSYS.
void OnSystemCall(int, siginfo_t* info, void* context) {
    CountSystemCall(info->si_syscall);
#if defined(__x86_64__)
    static_cast<ucontext_t*>(context)->uc_mcontext.gregs[REG_RAX] = -ENOSYS;
#else
    (void)context;
#endif
}

// Installs the trap for the calling thread, from here on.
bool TrapSystemCalls() {
#if defined(__x86_64__)
    struct sigaction action = {};
    action.sa_sigaction = OnSystemCall;
    action.sa_flags = SA_SIGINFO;
    if (sigaction(SIGSYS, &action, nullptr) != 0) return false;
    // Except the calls the thread needs to return from the handler and to end.
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
#undef ZEPHRIN_COUNTED_LOCK

// The clock is read through the vDSO without entering the kernel, which
// the trap cannot see; a real-time path has no use for it either.
int clock_gettime(clockid_t clock, timespec* now) {
    CountSystemCall(-2);
    static const auto next = Next<int (*)(clockid_t, timespec*)>("clock_gettime");
    return next(clock, now);
}
}

bool RunWatched(const std::function<void()>& work) {
    bool trapped = false;
    std::thread([&] {
        if (!(trapped = TrapSystemCalls())) return;
        WatchRealTime(true);
        work();
        WatchRealTime(false);
    }).join();
    return trapped;
}

void WatchRealTime(bool on) { g_watching = on; }

void ResetWatchedCalls() {
    g_allocations = g_locks = g_systemCalls = 0;
    g_firstSystemCall = -1;
}

RealTimeCalls WatchedCalls() {
    return {g_allocations.load(), g_locks.load(), g_systemCalls.load(), g_firstSystemCall.load()};
}
