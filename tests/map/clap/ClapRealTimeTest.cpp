// The plug-in's processing side allocates nothing, takes no lock and makes
// no system call: process and flush, on every road, run on a thread where
// the kernel traps every system call, with allocation, lock and clock calls
// counted (tests/support/RealTimeWatch.h).
#include "tests/map/clap/ClapFixture.h"

#include "map/engine/MapSetups.h"
#include "tests/support/RealTimeWatch.h"

#include <pthread.h>

namespace {

using ClapRealTime = ClapFixture;

TEST_F(ClapRealTime, ProcessAndFlushAllocateLockAndCallTheSystemNever) {
    // The watch sees each kind of call.
    pthread_mutex_t mutex = PTHREAD_MUTEX_INITIALIZER;
    timespec now;
    ResetWatchedCalls();
    WatchRealTime(true);
    void* volatile block = malloc(16);  // volatile: a pair the compiler would drop
    free(block);
    pthread_mutex_lock(&mutex);
    clock_gettime(CLOCK_MONOTONIC, &now);
    WatchRealTime(false);
    pthread_mutex_unlock(&mutex);
    const RealTimeCalls seen = WatchedCalls();
    EXPECT_EQ(seen.allocations, 2);
    EXPECT_EQ(seen.locks, 1);
    EXPECT_EQ(seen.systemCalls, 1);
    ResetWatchedCalls();

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
        blocks[0].Add(MidiAt(f, static_cast<uint8_t>((f % 2 ? 0x90 : 0x80) | f / 7 % 3),
                             keys[f % 7], static_cast<uint8_t>(f % 128)));
    }
    blocks[1].Add(ParamAt(0, 504, 7));  // mapping 5's controller
    blocks[1].Add(ParamAt(0, 2, 1));    // learn into mapping 1
    blocks[1].Add(MidiAt(1, 0x90, 70, 99));
    blocks[1].Add(MidiAt(2, 0x90, 70, 99));
    blocks[1].Add(MidiAt(3, 0xF8, 0, 0));
    blocks[2].Add(ParamAt(0, 106, 90));
    const clap_plugin_t* plugin = m_session.Plugin();
    size_t made = 0;
    const bool trapped = RunWatched([&] {
        for (int round = 0; round < 20; ++round) {
            for (const CClapInputEvents& block : blocks) {
                m_out.Clear();
                m_session.Process(block, m_out, 256);
                made += m_out.Events().size();
            }
            params->flush(plugin, blocks[2].List(), m_out.List());
        }
    });
    if (!trapped) GTEST_SKIP() << "the kernel refused a seccomp filter here";
    const RealTimeCalls calls = WatchedCalls();
    EXPECT_EQ(calls.allocations, 0);
    EXPECT_EQ(calls.locks, 0);
    EXPECT_EQ(calls.systemCalls, 0) << "the first was system call " << calls.firstSystemCall;
    EXPECT_GT(made, 20u * 200);
    EXPECT_EQ(Value(102), 70) << "mapping 1 learned";
    EXPECT_EQ(Value(504), 7);
}

}  // namespace
