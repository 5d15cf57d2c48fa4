// The host's playback: songs to records and back, window by window through
// a filter, and the summary of what the filter did.
#include "bench/passthrough/PassThroughIds.h"
#include "zephrin/filter/ZephrinFilter.h"
#include "tests/tools/MidiTestData.h"
#include "tools/host/FilterLoader.h"
#include "tools/host/FilterSettings.h"
#include "tools/host/MapSummary.h"
#include "tools/host/Playback.h"
#include "tools/host/Summary.h"
#include "tools/host/ZephrinWords.h"

#include <gtest/gtest.h>

using midifile::MidiEvent;
using midifile::MidiSong;

namespace {

MidiEvent Meta(uint32_t tick, uint8_t type, std::vector<uint8_t> payload) {
    MidiEvent e;
    e.tick = tick;
    e.status = midifile::kMeta;
    e.metaType = type;
    e.payload = std::move(payload);
    return e;
}

MidiSong Song(std::vector<std::vector<MidiEvent>> tracks, uint32_t end = 0) {
    MidiSong song;
    song.format = tracks.size() == 1 ? 0 : 1;
    song.division = 480;
    for (auto& events : tracks) {
        midifile::MidiTrack track;
        track.events = std::move(events);
        track.endTick = end;
        for (const MidiEvent& e : track.events) track.endTick = std::max(track.endTick, e.tick);
        song.tracks.push_back(std::move(track));
    }
    return song;
}

void ExpectSameEvents(const MidiSong& a, const MidiSong& b) {
    ASSERT_EQ(a.tracks.size(), b.tracks.size());
    for (size_t t = 0; t < a.tracks.size(); ++t) {
        SCOPED_TRACE("track " + std::to_string(t));
        const auto& x = a.tracks[t].events;
        const auto& y = b.tracks[t].events;
        ASSERT_EQ(x.size(), y.size());
        for (size_t i = 0; i < x.size(); ++i) {
            SCOPED_TRACE("event " + std::to_string(i));
            ExpectChannel(x[i], y[i].tick, y[i].status, y[i].data1, y[i].data2);
            EXPECT_EQ(x[i].metaType, y[i].metaType);
            EXPECT_EQ(x[i].payload, y[i].payload);
        }
    }
}

// The output song's events of one track in time order, as the writer puts them.
std::vector<MidiEvent> Sorted(const MidiSong& song, size_t track) {
    std::vector<MidiEvent> events = song.tracks[track].events;
    std::stable_sort(events.begin(), events.end(),
                     [](const MidiEvent& a, const MidiEvent& b) { return a.tick < b.tick; });
    return events;
}

}  // namespace

TEST(HostPlayback, NotesGetTheDurationsOfTheirOffs) {
    const SongRecords r = SongToRecords(Song({
        {Channel(0, 0x90, 60, 100), Channel(100, 0x90, 60, 90),  // the same key twice, overlapping
         Channel(200, 0x80, 60, 0), Channel(300, 0x90, 60, 0),  // offs end them oldest first
         Channel(400, 0x80, 61, 0),                              // an off that ends nothing
         Channel(500, 0x93, 62, 80), Channel(500, 0x83, 62, 0),  // a note of no length
         Channel(600, 0x92, 64, 70)},                            // still sounding at the end
        {Channel(50, 0xB5, 7, 100), Channel(700, 0x81, 1, 0)},
    }, 960));
    ASSERT_EQ(r.records.size(), 5u);
    struct Expected {
        int32_t time, type, duration;
        uint8_t number, value, channel;
        uint16_t track;
    } const expected[] = {
        {0, kEventNote, 200, 60, 100, 0, 0},   {50, kEventController, 0, 7, 100, 5, 1},
        {100, kEventNote, 200, 60, 90, 0, 0},  {500, kEventNote, 1, 62, 80, 3, 0},
        {600, kEventNote, 360, 64, 70, 2, 0},
    };
    for (size_t i = 0; i < 5; ++i) {
        SCOPED_TRACE("record " + std::to_string(i));
        const EventRecord& got = r.records[i];
        EXPECT_EQ(got.time, expected[i].time);
        EXPECT_EQ(got.type, expected[i].type);
        EXPECT_EQ(got.duration, expected[i].duration);
        EXPECT_EQ(got.number, expected[i].number);
        EXPECT_EQ(got.value, expected[i].value);
        EXPECT_EQ(RecordChannel(got), expected[i].channel);
        EXPECT_EQ(RecordTrack(got), expected[i].track);
    }
    EXPECT_EQ(r.unmatchedNoteOffs, 2u);
    EXPECT_EQ(r.lengthenedNotes, 1u);
    EXPECT_EQ(r.endTime, 960);
}

TEST(HostPlayback, PassThroughDllGivesTheSongBack) {
    const MidiSong song = Song({
        {Meta(0, midifile::kMetaTempo, {0x07, 0xA1, 0x20}), Meta(0, 0x58, {3, 2, 24, 8}),
         Meta(1440, 0x06, {'e', 'n', 'd'})},
        {Channel(0, 0xC0, 5, 0), Channel(0, 0x90, 60, 100), Channel(10, 0xE0, 0x12, 0x40),
         Channel(20, 0xA0, 60, 30), Channel(30, 0xD0, 50, 0), Channel(470, 0xB0, 64, 127),
         Channel(479, 0x80, 60, 64), Channel(479, 0x90, 60, 80),  // the off before the next on
         Channel(480, 0x80, 60, 64)},
        {[] {
            MidiEvent sysex;
            sysex.tick = 900;
            sysex.status = midifile::kSysEx;
            sysex.payload = {0x7E, 0x7F, 0x09, 0x01, 0xF7};
            return sysex;
        }()},
    });
    CLoadedFilter filter;
    std::string error;
    ASSERT_EQ(CLoadedFilter::FromDll(ZEPHRIN_PASSTHROUGH_DLL, CLSID_PassThroughFilter, filter, error),
              S_OK) << error;
    const SongRecords records = SongToRecords(song);
    PlaybackOutput output;
    ASSERT_EQ(PlaySong(filter.get(), records, 480, output, error), S_OK) << error;
    EXPECT_EQ(output.windowCount, 4);  // ticks 0 to 1440 in windows of 480
    SongWriteReport report;
    MidiSong back = RecordsToSong(records, output, report);
    EXPECT_EQ(report.droppedRecords, 0u);
    for (auto& track : back.tracks) track.events = Sorted(back, &track - &back.tracks[0]);
    ExpectSameEvents(back, song);
    EXPECT_TRUE(FindResentRecords(output).empty());
}

class HostWithFilter : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(filter->Release(), 0u); }
    CMfxZephrinFilter* filter = new CMfxZephrinFilter();
};

TEST_F(HostWithFilter, KeyBecomesPedalAndTheFixResendsAcrossWindows) {
    const MidiSong song = Song({{
        Channel(0, 0x90, 48, 90), Channel(240, 0x91, 96, 100),  // pedal from beat 1.5 ...
        Channel(1200, 0x81, 96, 0),                             // ... to beat 3.5: two windows later
        Channel(1920, 0x91, 96, 60), Channel(2000, 0x81, 96, 0),  // inside one window
        Channel(2400, 0x80, 48, 0),
    }});
    const SongRecords records = SongToRecords(song);
    PlaybackOutput output;
    std::string error;
    ASSERT_EQ(PlaySong(filter, records, 480, output, error), S_OK) << error;
    SongWriteReport report;
    const MidiSong back = RecordsToSong(records, output, report);

    const std::vector<MidiEvent> events = Sorted(back, 0);
    const struct {
        uint32_t tick;
        uint8_t status, d1, d2;
    } expected[] = {
        {0, 0x90, 48, 90},     {240, 0xB1, 64, 127}, {1199, 0xB1, 64, 0}, {1199, 0xB1, 64, 0},
        {1920, 0xB1, 64, 127}, {1999, 0xB1, 64, 0},  {2400, 0x80, 48, 64},
    };
    ASSERT_EQ(events.size(), std::size(expected));
    for (size_t i = 0; i < events.size(); ++i) {
        SCOPED_TRACE("event " + std::to_string(i));
        ExpectChannel(events[i], expected[i].tick, expected[i].status, expected[i].d1, expected[i].d2);
    }
    const auto resent = FindResentRecords(output);
    ASSERT_EQ(resent.size(), 1u);
    EXPECT_EQ(resent[0].firstWindow, 0);
    EXPECT_EQ(resent[0].window, 2);

    const std::string summary = SummarizePlayback(records, output, 480);
    for (const char* words :
         {"2 notes of key 96 (C6) became 5 controller events on controller 64 (sustain pedal)",
          "key 96 (C6): 2 notes in, none out as notes", "5 new events (3 at value 0, 2 at value 127)",
          "controller 64 (sustain pedal) value 0 at bar 1, beat 3 + 239 ticks (tick 1199)"}) {
        EXPECT_NE(summary.find(words), std::string::npos) << words << "\n" << summary;
    }
}

TEST_F(HostWithFilter, SettingsGoInAndOutThroughTheStream) {
    IMfxEventFilter* host = filter;
    ZephrinSettings wanted{60, 65, 0, 128};
    std::string error;
    ASSERT_EQ(LoadFilterSettings(host, ZephrinSettingsBytes(wanted), error), S_OK) << error;
    EXPECT_EQ(filter->GetParam(0, 0), 60);
    EXPECT_EQ(filter->GetParam(1, 0), 0);
    std::vector<uint8_t> bytes;
    ASSERT_EQ(SaveFilterSettings(host, bytes, error), S_OK) << error;
    EXPECT_EQ(bytes, (std::vector<uint8_t>{60, 0, 0, 0, 65, 0, 0, 0, 0, 0, 0, 0, 128, 0, 0, 0}));
    ZephrinSettings back;
    ASSERT_TRUE(DecodeZephrinSettings(bytes.data(), bytes.size(), back));
    EXPECT_EQ(DescribeZephrinSettings(back), "key 60 (C3), controller 65, look-ahead fix off (0), reserved 128");

    // A filter without a settings stream is told apart, with the reason.
    CLoadedFilter plain;
    ASSERT_EQ(CLoadedFilter::FromDll(ZEPHRIN_PASSTHROUGH_DLL, CLSID_PassThroughFilter, plain, error),
              S_OK);
    EXPECT_EQ(SaveFilterSettings(plain.get(), bytes, error), E_NOINTERFACE);
    EXPECT_NE(error.find("no settings stream"), std::string::npos) << error;
}

TEST(HostPlayback, PositionsFollowTheTimeSignatures) {
    // 4/4 for two bars, then 3/4 from tick 3840, then 6/8 from bar 5 (tick 3840 + 2 * 1440).
    const SongRecords song = SongToRecords(Song({{Meta(3840, 0x58, {3, 2, 24, 8}),
                                                  Meta(6720, 0x58, {6, 3, 24, 8})}}));
    const struct {
        int32_t tick;
        const char* position;
    } cases[] = {
        {0, "bar 1, beat 1"},     {480, "bar 1, beat 2"},   {1919, "bar 1, beat 4 + 479 ticks"},
        {1920, "bar 2, beat 1"},  {3840, "bar 3, beat 1"},  {5280, "bar 4, beat 1"},
        {6720, "bar 5, beat 1"},  {6960, "bar 5, beat 2"},  {8160, "bar 6, beat 1"},
    };
    for (const auto& c : cases) EXPECT_EQ(SongPosition(song, c.tick), c.position) << c.tick;
    SongRecords smpte = song;
    smpte.division = 0xE728;  // 25 frames of 40 ticks
    EXPECT_EQ(SongPosition(smpte, 1000), "tick 1000");
}

TEST(HostPlayback, MapSummaryCountsWhatCameOutNotWhatTheSettingsPromise) {
    MapSettings settings;
    settings.count = 3;
    MapMapping& pedal = settings.mappings[0];  // key 96 -> 64 held, as new
    pedal.on = true;
    MapMapping& soft = settings.mappings[1];
    soft = pedal;
    soft.lowKey = 98;
    soft.highKey = 99;
    soft.controller = 67;
    soft.mode = MapMode::kLatch;
    soft.through = true;
    settings.mappings[2] = soft;  // off, and would take key 60 if it were on
    settings.mappings[2].on = false;
    settings.mappings[2].lowKey = settings.mappings[2].highKey = 60;
    const SongRecords song = SongToRecords(Song({{
        Channel(0, 0x91, 96, 100), Channel(600, 0x81, 96, 0),  // ends in the second window
        Channel(100, 0x90, 98, 90), Channel(200, 0x80, 98, 0), Channel(300, 0x90, 60, 80),
        Channel(400, 0x80, 60, 0),
    }}));
    ASSERT_EQ(song.records.size(), 3u);
    auto controller = [](EventRecord r, int32_t time, uint8_t number, uint8_t value) {
        r.type = kEventController;
        r.time = time;
        r.number = number;
        r.value = value;
        return r;
    };
    const EventRecord& key96 = song.records[0];
    const EventRecord& key98 = song.records[1];
    const EventRecord& key60 = song.records[2];

    // What Zephrin Map makes of it: the look-ahead fix sends the pedal's
    // release again in the window that holds it.
    PlaybackOutput right;
    right.records = {controller(key96, 0, 64, 127), controller(key96, 599, 64, 0), key98,
                     controller(key98, 100, 67, 127), key60, controller(key96, 599, 64, 0)};
    right.windows = {0, 0, 0, 0, 0, 1};
    EXPECT_EQ(SummarizeMapPlayback(song, right, settings),
              "  Zephrin Map, mapping by mapping:\n"
              "    mapping 1, key 96 (C6) to controller 64 (sustain pedal), held: took 1 note, made 3 "
              "controller events (1 sent again by the look-ahead fix)\n"
              "    mapping 2, keys 98-99 (D6-D#6) to controller 67 (soft pedal), latch: took 1 note, made "
              "1 controller event\n");

    // A filter that lets key 96 pass, puts the pedal a tick late and on
    // another channel's bytes, and drops key 98 is not credited with any of it.
    EventRecord otherChannel = controller(key98, 100, 67, 127);
    otherChannel.host12 = 5;
    PlaybackOutput wrong;
    wrong.records = {key96, controller(key96, 1, 64, 127), otherChannel, key60};
    wrong.windows = {0, 0, 0, 0};
    EXPECT_EQ(SummarizeMapPlayback(song, wrong, settings),
              "  Zephrin Map, mapping by mapping:\n"
              "    mapping 1, key 96 (C6) to controller 64 (sustain pedal), held: took 0 notes, made 0 "
              "controller events\n"
              "    mapping 2, keys 98-99 (D6-D#6) to controller 67 (soft pedal), latch: took 1 note, made "
              "0 controller events\n"
              "    2 new controller events that no mapping accounts for\n");
}
