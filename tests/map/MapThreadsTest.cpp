// Zephrin Map's MIDI paths while an editor and a loader change the mappings
// as fast as they can: every call's output must come from one set that
// really existed, never from a half-edited mapping or a mix of two sets.
#include "tests/map/MapFixture.h"
#include "tests/support/Streams.h"

#include <thread>

namespace {

// Set k maps key 60 to controller 10 + k with on value 100 + k, key 62 to
// controller 40 + k, and lets key 61 pass; its look-ahead fix is on for
// even k. A call that sees one set gives outputs that all name the same k.
MapSettings SetNumber(int k) {
    MapSettings settings;
    settings.lookAheadFix = k % 2 == 0;
    MapMapping first = Mapping(60, 60, static_cast<uint8_t>(10 + k));
    first.onValue = static_cast<uint8_t>(100 + k);
    settings.mappings[0] = first;
    settings.mappings[1] = Mapping(62, 62, static_cast<uint8_t>(40 + k));
    return settings;
}

constexpr int kSets = 8;

using MapThreads = MapFilterTest;

}  // namespace

TEST_F(MapThreads, EveryCallSeesOneWholeSetWhileEditsAndLoadsRace) {
    // Streams of the sets, loaded as a host restores a project.
    std::vector<std::vector<uint8_t>> streams;
    for (int k = 0; k < kSets; ++k) {
        filter->SetSettings(SetNumber(k));
        auto stream = StreamWith({});
        filter->Save(stream.get(), FALSE);
        streams.push_back(Contents(stream.get()));
    }
    std::atomic<bool> stop{false};
    std::thread editor([&] {
        for (int i = 0; !stop; ++i) filter->SetSettings(SetNumber(i % kSets));
    });
    std::thread loader([&] {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        for (int i = 0; !stop; ++i) filter->Load(StreamWith(streams[i % kSets]).get());
        CoUninitialize();
    });

    int calls = 0;
    for (; calls < 100000; ++calls) {
        CTestDataQueue in({::Live(0x90, 60, 1), ::Live(0x90, 61, 1), ::Live(0x90, 62, 1)}), out;
        filter->OnInput(&in, &out);
        ASSERT_EQ(out.records.size(), 3u);
        const int k = out.records[0].data1 - 10;
        ASSERT_TRUE(k >= 0 && k < kSets) << out.records[0];
        ASSERT_EQ(out.records[0], ::Live(0xB0, static_cast<uint8_t>(10 + k), static_cast<uint8_t>(100 + k)));
        ASSERT_EQ(out.records[1], ::Live(0x90, 61, 1));
        ASSERT_EQ(out.records[2], ::Live(0xB0, static_cast<uint8_t>(40 + k), 127));

        // Playback: the same set decides both notes and whether the
        // pending controller-off of the call before is sent again.
        CTestEventQueue events({Note(5, 60, 1, 1), Note(6, 62, 1, 1)}), played;
        filter->OnStart(0, 0);
        filter->OnEvents(0, 9, &events, &played);
        ASSERT_EQ(played.records.size(), 4u);
        const int p = played.records[0].number - 10;
        ASSERT_TRUE(p >= 0 && p < kSets);
        ASSERT_EQ(played.records[0].value, 100 + p);
        ASSERT_EQ(played.records[2].number, 40 + p);
        CTestEventQueue none, resent;
        filter->OnEvents(0, 9, &none, &resent);
        if (!resent.records.empty()) {
            ASSERT_EQ(resent.records, (std::vector<EventRecord>{played.records[1], played.records[3]}));
        }
    }
    stop = true;
    editor.join();
    loader.join();
    EXPECT_EQ(calls, 100000);
}
