// The engine on plain MIDI, as any plug-in format drives it: both roads,
// learn mode, the look-ahead re-send, and an edit that a learned key
// arrives in the middle of.
#include "map/engine/MapEngine.h"
#include "map/engine/MapSetups.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <thread>
#include <vector>

// Found by the test's messages through the engine's types' namespace.
static std::ostream& operator<<(std::ostream& os, const MidiMessage& m) {
    return os << std::hex << int(m.status) << ' ' << int(m.data1) << ' ' << int(m.data2)
              << std::dec;
}

namespace {

// Mapping 1: keys 60-62 held to 64. Mapping 2: channel 2 only, keys 60-70 to
// 1 on channel 5, by velocity between 20 and 100. Mapping 3: key 72
// latching 66, the note let through.
void UseBank(CMapEngine& engine) {
    MapSettings settings;
    settings.mappings[0] = MapHeld(60, 62, 64);
    MapMapping& byVelocity = settings.mappings[1] = MapHeld(60, 70, 1);
    byVelocity.inChannel = 2;
    byVelocity.outChannel = 5;
    byVelocity.velocity = true;
    byVelocity.onValue = 100;
    byVelocity.offValue = 20;
    MapMapping& latch = settings.mappings[2] = MapHeld(72, 72, 66);
    latch.mode = MapMode::kLatch;
    latch.through = true;
    engine.Replace(settings);
}

// What one live call makes of messages; a swallowed one gives nothing.
std::vector<MidiMessage> Live(CMapEngine& engine, const std::vector<MidiMessage>& in,
                              int* learned = nullptr) {
    CMapEngine::CLiveCall call(engine);
    std::vector<MidiMessage> out;
    for (const MidiMessage& message : in) {
        MidiMessage made[2];
        const int count = call.Message(message, made);
        if (count == kMapPass) out.push_back(message);
        if (count == kMapLearned && learned) ++*learned;
        for (int i = 0; i < count; ++i) out.push_back(made[i]);
    }
    return out;
}

MapNote Note(int32_t start, uint8_t key, uint8_t velocity, int32_t duration) {
    return {start, duration, key, velocity, {{1, 2, 3, 4, 5, 6, 7, 8}}};
}

}  // namespace

struct Played {
    int32_t time;
    MapEventKind kind;
    uint8_t number, value;
    bool operator==(const Played& o) const {
        return time == o.time && kind == o.kind && number == o.number && value == o.value;
    }
};

static std::ostream& operator<<(std::ostream& os, const Played& p) {
    return os << p.time << (p.kind == MapEventKind::kNote ? " note " : " cc ") << int(p.number)
              << ' ' << int(p.value);
}

namespace {

// One playback window: the re-sent controller-offs first, then each note as
// the engine makes it (a note no mapping takes as it came).
std::vector<Played> Play(CMapEngine& engine, int32_t from, int32_t thru,
                         const std::vector<MapNote>& notes) {
    CMapEngine::CPlaybackCall call(engine);
    std::vector<Played> out;
    for (MapEvent again; call.NextResend(from, thru, again);)
        out.push_back({again.time, again.kind, again.number, again.value});
    for (const MapNote& note : notes) {
        const uint8_t takers = call.Takers(1, note.key);
        if (!takers) {
            out.push_back({note.start, MapEventKind::kNote, note.key, note.velocity});
            continue;
        }
        MapEvent made[3];
        const int count = call.Note(note, takers, made);
        for (int i = 0; i < count; ++i) {
            EXPECT_EQ(made[i].duration, note.duration);
            EXPECT_EQ(0, std::memcmp(made[i].host.bytes, note.host.bytes, sizeof note.host.bytes))
                << "the host's bytes carry over";
            out.push_back({made[i].time, made[i].kind, made[i].number, made[i].value});
        }
    }
    return out;
}

}  // namespace

TEST(MapEngine, LiveMessagesGoToTheFirstMappingThatTakesThem) {
    CMapEngine engine;
    UseBank(engine);
    const struct {
        MidiMessage in;
        std::vector<MidiMessage> out;
    } rows[] = {
        {{0x91, 61, 90}, {{0xB1, 64, 127}}},   // mapping 1 before mapping 2
        {{0x81, 61, 0}, {{0xB1, 64, 0}}},
        {{0x91, 63, 64}, {{0xB4, 1, 60}}},     // 20 + 80 * 64 / 127, on channel 5
        {{0x91, 63, 0}, {{0xB4, 1, 20}}},      // velocity 0 is a note-off
        {{0x92, 63, 100}, {{0x92, 63, 100}}},  // nobody listens on channel 3
        {{0x90, 72, 90}, {{0x90, 72, 90}, {0xB0, 66, 127}}},  // through, the note first
        {{0x80, 72, 0}, {{0x80, 72, 0}}},                     // a latch's note-off makes nothing
        {{0x91, 72, 90}, {{0x91, 72, 90}, {0xB1, 66, 127}}},  // each channel latches alone
        {{0x90, 72, 90}, {{0x90, 72, 90}, {0xB0, 66, 0}}},
        {{0xB0, 61, 100}, {{0xB0, 61, 100}}},  // anything but a note passes
        {{0x90, 0xBD, 100}, {{0x90, 0xBD, 100}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.in);
        EXPECT_EQ(Live(engine, {row.in}), row.out);
    }
    engine.ResetLiveLatches();
    EXPECT_EQ(Live(engine, {{0x90, 72, 90}}),
              (std::vector<MidiMessage>{{0x90, 72, 90}, {0xB0, 66, 127}}));
}

TEST(MapEngine, LearnTakesTheNextNoteOnOnceAndAppliesFromTheNextCall) {
    CMapEngine engine;
    MapMapping listening = MapHeld(96, 96, 64);
    listening.inChannel = 1;
    engine.SetMapping(0, listening);
    engine.SetLearning(0);
    int learned = 0;
    // A note-off never learns; the note-on is swallowed; the rest of the
    // call still works with the key it began with.
    EXPECT_EQ(Live(engine, {{0x84, 70, 0}, {0x94, 70, 90}, {0x90, 96, 100}, {0x94, 70, 1}},
                   &learned),
              (std::vector<MidiMessage>{{0x84, 70, 0}, {0xB0, 64, 127}, {0x94, 70, 1}}));
    EXPECT_EQ(learned, 1);
    EXPECT_EQ(engine.Learning(), -1);
    const MapMapping now = engine.Settings().mappings[0];
    EXPECT_EQ(now.lowKey, 70);
    EXPECT_EQ(now.highKey, 70);
    EXPECT_EQ(now.inChannel, 5) << "a mapping that listens to one channel learns it too";
    EXPECT_EQ(Live(engine, {{0x94, 70, 1}}), (std::vector<MidiMessage>{{0xB4, 64, 127}}));
}

TEST(MapEngine, PlaybackMakesPairsLatchesAndSendsTheLastOffAgainOnce) {
    CMapEngine engine;
    UseBank(engine);
    EXPECT_EQ(Play(engine, 0, 99, {Note(10, 61, 90, 200), Note(20, 72, 90, 5), Note(30, 63, 50, 5),
                                   Note(40, 72, 90, 5)}),
              (std::vector<Played>{{10, MapEventKind::kController, 64, 127},
                                   {209, MapEventKind::kController, 64, 0},
                                   {20, MapEventKind::kNote, 72, 90},
                                   {20, MapEventKind::kController, 66, 127},
                                   // a mapping's input channel is live only
                                   {30, MapEventKind::kController, 1, 51},
                                   {34, MapEventKind::kController, 1, 20},
                                   {40, MapEventKind::kNote, 72, 90},
                                   {40, MapEventKind::kController, 66, 0}}));
    // The window holding 209 gets mapping 1's release again, once.
    EXPECT_EQ(Play(engine, 200, 299, {}),
              (std::vector<Played>{{209, MapEventKind::kController, 64, 0}}));
    EXPECT_TRUE(Play(engine, 200, 299, {}).empty());
    // A new start forgets what waits and every playback latch.
    Play(engine, 300, 399, {Note(300, 61, 90, 200), Note(310, 72, 90, 5)});
    engine.StartPlayback();
    EXPECT_EQ(Play(engine, 400, 599, {Note(400, 72, 90, 5)}),
              (std::vector<Played>{{400, MapEventKind::kNote, 72, 90},
                                   {400, MapEventKind::kController, 66, 127}}));
    // With the fix off nothing is sent again.
    Play(engine, 600, 699, {Note(600, 61, 90, 200)});
    engine.SetLookAheadFix(false);
    EXPECT_TRUE(Play(engine, 700, 899, {}).empty());
}

// The edit of a page is one turn of the store's writers: a key learned on
// another thread while it runs is applied after it, and neither is lost.
TEST(MapEngine, AKeyLearnedDuringAnEditIsKeptWithTheEdit) {
    CMapEngine engine;
    engine.SetLearning(0);
    const bool changed = engine.EditMapping(0, [&](MapMapping& mapping) {
        mapping.controller = 11;
        std::thread learner([&] { Live(engine, {{0x90, 50, 100}}); });
        learner.join();  // the learner never waits for the edit
    });
    EXPECT_TRUE(changed);
    const MapMapping after = engine.Settings().mappings[0];
    EXPECT_EQ(after.controller, 11);
    EXPECT_EQ(after.lowKey, 50) << "the learned key was lost";
    EXPECT_FALSE(engine.EditMapping(0, [](MapMapping& m) { m.lowKey = 200; }))
        << "an edit that leaves the mapping invalid changes nothing";
    EXPECT_FALSE(engine.EditMapping(8, [](MapMapping&) {}));
}
