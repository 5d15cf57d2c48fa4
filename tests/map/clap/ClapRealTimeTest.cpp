// The plug-in's processing side allocates nothing, takes no lock and makes
// no system call. This program replaces the C library's allocation, lock,
// sleep, clock and I/O calls with ones that count the calls made while the
// plug-in processes (the program is linked with -rdynamic, so the plug-in's
// calls find these first), and drives every road of process and flush.
#include "tests/map/clap/ClapFixture.h"

#include "map/engine/MapSetups.h"

#include <dlfcn.h>
#include <pthread.h>
#include <sched.h>
#include <semaphore.h>
#include <sys/time.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cstdarg>

namespace {

std::atomic<bool> g_counting{false};
std::atomic<int> g_calls{0};
std::atomic<const char*> g_first{nullptr};

void Count(const char* name) {
    if (!g_counting.load(std::memory_order_relaxed)) return;
    const char* none = nullptr;
    g_first.compare_exchange_strong(none, name);
    g_calls.fetch_add(1);
}

template <typename Function>
Function Real(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void* __libc_memalign(size_t, size_t);
void __libc_free(void*);

void* malloc(size_t size) { return Count("malloc"), __libc_malloc(size); }
void* calloc(size_t n, size_t size) { return Count("calloc"), __libc_calloc(n, size); }
void* realloc(void* p, size_t size) { return Count("realloc"), __libc_realloc(p, size); }
void* aligned_alloc(size_t align, size_t size) { return Count("aligned_alloc"), __libc_memalign(align, size); }
void free(void* p) {
    if (p) Count("free");
    __libc_free(p);
}
int posix_memalign(void** out, size_t align, size_t size) {
    Count("posix_memalign");
    *out = __libc_memalign(align, size);
    return *out ? 0 : 12;
}

// The rest forward to the C library's own, found once.
#define ZEPHRIN_COUNTED(result, name, params, args)                                  \
    result name params {                                                             \
        Count(#name);                                                                \
        static const auto real = Real<result(*) params>(#name);                      \
        return real args;                                                            \
    }
ZEPHRIN_COUNTED(int, pthread_mutex_lock, (pthread_mutex_t * m), (m))
ZEPHRIN_COUNTED(int, pthread_mutex_trylock, (pthread_mutex_t * m), (m))
ZEPHRIN_COUNTED(int, pthread_rwlock_rdlock, (pthread_rwlock_t * l), (l))
ZEPHRIN_COUNTED(int, pthread_rwlock_wrlock, (pthread_rwlock_t * l), (l))
ZEPHRIN_COUNTED(int, pthread_spin_lock, (pthread_spinlock_t * l), (l))
ZEPHRIN_COUNTED(int, pthread_cond_wait, (pthread_cond_t * c, pthread_mutex_t* m), (c, m))
ZEPHRIN_COUNTED(int, sem_wait, (sem_t * s), (s))
ZEPHRIN_COUNTED(int, sched_yield, (), ())
ZEPHRIN_COUNTED(int, nanosleep, (const timespec* t, timespec* r), (t, r))
ZEPHRIN_COUNTED(int, usleep, (useconds_t u), (u))
ZEPHRIN_COUNTED(int, clock_gettime, (clockid_t c, timespec* t), (c, t))
ZEPHRIN_COUNTED(int, gettimeofday, (timeval * t, void* z), (t, z))
ZEPHRIN_COUNTED(ssize_t, write, (int fd, const void* b, size_t n), (fd, b, n))
ZEPHRIN_COUNTED(ssize_t, read, (int fd, void* b, size_t n), (fd, b, n))
#undef ZEPHRIN_COUNTED

long syscall(long number, ...) {
    Count("syscall");
    static const auto real = Real<long (*)(long, ...)>("syscall");
    va_list args;
    va_start(args, number);
    long a[6];
    for (long& arg : a) arg = va_arg(args, long);
    va_end(args);
    return real(number, a[0], a[1], a[2], a[3], a[4], a[5]);
}
}  // extern "C"

namespace {

class ClapRealTime : public ClapFixture {
protected:
    // Counts the calls made inside f.
    template <typename F>
    int Counted(F f) {
        g_calls = 0;
        g_first = nullptr;
        g_counting = true;
        f();
        g_counting = false;
        return g_calls;
    }
};

TEST_F(ClapRealTime, ProcessAndFlushAllocateLockAndCallTheSystemNever) {
    // The counters count: each kind of call is seen while switched on.
    pthread_mutex_t mutex = PTHREAD_MUTEX_INITIALIZER;
    EXPECT_EQ(Counted([] { free(malloc(16)); }), 2);
    EXPECT_EQ(Counted([&] { pthread_mutex_lock(&mutex); }), 1);
    pthread_mutex_unlock(&mutex);
    EXPECT_EQ(Counted([] { sched_yield(); }), 1);

    std::string error;
    ASSERT_TRUE(m_session.Start(error)) << error;
    const auto* params = m_params;
    // A state loaded while active, for the first call to take over.
    MapSettings bank = MapSetup(1, true);
    bank.mappings[3] = MapHeld(60, 60, 80);
    bank.mappings[3].mode = MapMode::kLatch;
    bank.mappings[3].through = true;
    bank.mappings[4] = MapHeld(36, 51, 1);
    bank.mappings[4].velocity = true;
    ASSERT_TRUE(Load(bank));

    CClapInputEvents blocks[3];
    for (uint32_t f = 0; f < 200; ++f) {
        const uint8_t keys[] = {96, 98, 100, 60, 36, 44, 20};
        blocks[0].Add(MidiAt(f, static_cast<uint8_t>((f % 2 ? 0x90 : 0x80) | f / 7 % 3), keys[f % 7],
                            static_cast<uint8_t>(f % 128)));
    }
    blocks[1].Add(ParamAt(0, 504, 7));  // mapping 5's controller
    blocks[1].Add(ParamAt(0, 2, 1));    // learn into mapping 1
    blocks[1].Add(MidiAt(1, 0x90, 70, 99));
    blocks[1].Add(MidiAt(2, 0x90, 70, 99));
    blocks[1].Add(MidiAt(3, 0xF8, 0, 0));
    blocks[2].Add(ParamAt(0, 106, 90));
    const clap_plugin_t* plugin = m_session.Plugin();
    size_t made = 0;
    const int calls = Counted([&] {
        for (int round = 0; round < 20; ++round) {
            for (const CClapInputEvents& block : blocks) {
                m_out.Clear();
                m_session.Process(block, m_out, 256);
                made += m_out.Events().size();
            }
            params->flush(plugin, blocks[2].List(), m_out.List());
        }
    });
    EXPECT_EQ(calls, 0) << "first: " << (g_first.load() ? g_first.load() : "");
    EXPECT_GT(made, 20u * 200);
    EXPECT_EQ(Value(102), 70) << "mapping 1 learned";
    EXPECT_EQ(Value(504), 7);
}

}  // namespace
