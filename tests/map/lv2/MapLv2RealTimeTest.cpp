// run() on a host's real-time thread: no allocation, no lock, no system
// call, counted on a thread where the kernel traps every system call
// (tests/support/RealTimeWatch.h).
#include "tests/map/lv2/Lv2TestHost.h"

#include "tests/support/RealTimeWatch.h"

#include <gtest/gtest.h>
#include <lv2/midi/midi.h>

namespace {

TEST(MapLv2RealTime, RunAllocatesNothingTakesNoLockAndMakesNoSystemCall) {
    // Three pedals (sostenuto latching on channel 2 and letting the note
    // through), drum pads by velocity; notes taken and not, sysex and an
    // event that is not MIDI; then a changed control (the tables compiled
    // again), and a buffer too small for the block.
    CMapLv2Instance plugin;
    const struct {
        int mapping;
        MapControl control;
        float number;
    } settings[] = {
        {1, MapControl::kOn, 1},          {1, MapControl::kLowKey, 98},
        {1, MapControl::kHighKey, 98},    {1, MapControl::kController, 66},
        {1, MapControl::kMode, 1},        {1, MapControl::kChannel, 2},
        {1, MapControl::kThrough, 1},     {2, MapControl::kOn, 1},
        {2, MapControl::kLowKey, 100},    {2, MapControl::kHighKey, 100},
        {2, MapControl::kController, 67}, {3, MapControl::kOn, 1},
        {3, MapControl::kLowKey, 36},     {3, MapControl::kHighKey, 51},
        {3, MapControl::kVelocity, 1},
    };
    for (const auto& s : settings) plugin.Control(s.mapping, s.control) = s.number;
    const LV2_URID midi = plugin.Map(LV2_MIDI__MidiEvent);
    std::vector<Lv2Event> in;
    for (uint8_t i = 0; i < 64; ++i) {
        const uint8_t key = i % 2 ? 96 + i % 6 : 30 + i % 24;
        in.push_back({i, midi, {static_cast<uint8_t>(0x90 | i % 3), key, 100}});
        in.push_back({i, midi, {static_cast<uint8_t>(0x80 | i % 3), key, 0}});
    }
    in.push_back({64, midi, {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}});
    in.push_back({65, plugin.Map("urn:example:other"), {1, 2, 3}});
    // Forged here; run, the changed control and the buffer given again, as
    // a host does between blocks, on the watched thread.
    plugin.Prepare(in, 8192);
    ResetWatchedCalls();
    const bool trapped = RunWatched([&] {
        plugin.RunPrepared();
        plugin.Control(0, MapControl::kController) = 11;
        plugin.Rearm(8192);
        plugin.RunPrepared();
        plugin.Rearm(200);
        plugin.RunPrepared();
    });
    if (!trapped) GTEST_SKIP() << "the kernel refused a seccomp filter here";
    const RealTimeCalls calls = WatchedCalls();
    EXPECT_EQ(calls.allocations, 0);
    EXPECT_EQ(calls.locks, 0);
    EXPECT_EQ(calls.systemCalls, 0) << "the first was system call " << calls.firstSystemCall;
    EXPECT_FALSE(plugin.Output().empty()) << "the last block put out something";
}

}  // namespace
