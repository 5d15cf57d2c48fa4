// Zephrin Map's rules on both roads, as tables: first match, key ranges,
// channels, held, latch, velocity, through, output channel; learn mode and
// the defaults.
#include "tests/map/MapFixture.h"
#include "tests/support/Streams.h"

namespace {

// Mapping 1: keys 60-62 held to 64 on any channel. Mapping 2: channel 2
// only, keys 60-70 (below 63 mapping 1 comes first) to 1 on channel 5, by
// velocity between 20 and 100. Mapping 3: key 72 latching 66, the note let
// through. Mapping 4: off. Mapping 5: channel 3, key 74 to 67, on 0, off 127.
std::vector<MapMapping> Bank() {
    MapMapping held = Mapping(60, 62, 64);
    MapMapping byVelocity = Mapping(60, 70, 1);
    byVelocity.inChannel = 2;
    byVelocity.outChannel = 5;
    byVelocity.velocity = true;
    byVelocity.onValue = 100;
    byVelocity.offValue = 20;
    MapMapping latch = Mapping(72, 72, 66);
    latch.mode = MapMode::kLatch;
    latch.through = true;
    MapMapping off = Mapping(74, 74, 10);
    off.on = false;
    MapMapping inverted = Mapping(74, 74, 67);
    inverted.inChannel = 3;
    inverted.onValue = 0;
    inverted.offValue = 127;
    return {held, byVelocity, latch, off, inverted};
}

using MapLive = MapFilterTest;
using MapPlayback = MapFilterTest;
using MapLearn = MapFilterTest;

}  // namespace

TEST_F(MapLive, EachMessageGoesToTheFirstMappingThatTakesIt) {
    Use(Bank());
    struct Row {
        DataItem in;
        std::vector<DataItem> out;
    } rows[] = {
        {::Live(0x91, 61, 90), {::Live(0xB1, 64, 127)}},  // mapping 1 before mapping 2
        {::Live(0x81, 61, 0), {::Live(0xB1, 64, 0)}},
        {::Live(0x91, 63, 127), {::Live(0xB4, 1, 100)}},  // channel 2: to channel 5, full press
        {::Live(0x91, 63, 1), {::Live(0xB4, 1, 21)}},     // 20 + 80 / 127 rounds to 21
        {::Live(0x91, 63, 64), {::Live(0xB4, 1, 60)}},    // 20 + 80 * 64 / 127 = 60.3
        {::Live(0x91, 63, 0), {::Live(0xB4, 1, 20)}},     // velocity 0 is a note-off
        {::Live(0x92, 63, 100), {::Live(0x92, 63, 100)}}, // channel 3: nobody listens
        {::Live(0x92, 74, 100), {::Live(0xB2, 67, 0)}},   // the off mapping 4 is skipped
        {::Live(0x82, 74, 0), {::Live(0xB2, 67, 127)}},
        {::Live(0x90, 74, 100), {::Live(0x90, 74, 100)}},  // mapping 5 listens on channel 3 only
        {::Live(0xA0, 61, 100), {::Live(0xA0, 61, 100)}},  // aftertouch, controllers, bend pass
        {::Live(0xB0, 61, 100), {::Live(0xB0, 61, 100)}},
        {::Live(0xE0, 61, 100), {::Live(0xE0, 61, 100)}},
        {::Live(0x90, 0xBD, 100), {::Live(0x90, 0xBD, 100)}},  // no key above 127
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.in);
        EXPECT_EQ(Live({row.in}), row.out) << "the host's bytes carry over";
    }
}

TEST_F(MapLive, LatchFlipsPerOutputChannelAndLetsTheNoteThrough) {
    Use(Bank());
    const DataItem on1 = ::Live(0x90, 72, 90), off1 = ::Live(0x80, 72, 0), on2 = ::Live(0x91, 72, 90);
    EXPECT_EQ(Live({on1, off1, on2, on1, on2}),
              (std::vector<DataItem>{on1, ::Live(0xB0, 66, 127), off1, on2, ::Live(0xB1, 66, 127),
                                     on1, ::Live(0xB0, 66, 0), on2, ::Live(0xB1, 66, 0)}));
    // Playback's latch is a state of its own: a song does not flip it.
    Play(0, 100, {Note(0, 72, 90, 10)});
    EXPECT_EQ(Live({on1}), (std::vector<DataItem>{on1, ::Live(0xB0, 66, 127)}));
}

TEST_F(MapLive, BatchKeepsItsOrderAndAnEditAppliesFromTheNextCall) {
    Use({Mapping(60, 60, 64)});
    CTestDataQueue in({::Live(0x90, 60, 1), ::Live(0x90, 50, 1), ::Live(0xC0, 5, 0)}), out;
    in.failingAt = {1};
    ASSERT_EQ(filter->OnInput(&in, &out), S_OK);
    EXPECT_EQ(out.records, (std::vector<DataItem>{::Live(0xB0, 64, 127), ::Live(0xC0, 5, 0)}));
    Use({Mapping(50, 50, 7)});
    EXPECT_EQ(Live({::Live(0x90, 60, 1), ::Live(0x90, 50, 1)}),
              (std::vector<DataItem>{::Live(0x90, 60, 1), ::Live(0xB0, 7, 127)}));
}

TEST_F(MapPlayback, NotesBecomeControllersByKeyAloneWithTheHostBytesKept) {
    Use(Bank());
    auto with = [](EventRecord r, int32_t time, int32_t type, uint8_t number, uint8_t value) {
        r.time = time;
        r.type = type;
        r.number = number;
        r.value = value;
        return r;
    };
    const EventRecord held = Note(10, 61, 90, 50);
    const EventRecord velocity = Note(20, 63, 64, 30);   // mapping 2, whatever the channel
    const EventRecord latch = Note(30, 72, 90, 5);
    const EventRecord inverted = Note(40, 74, 127, 1);
    const EventRecord other = Event(41, 5, 61, 3);
    EXPECT_EQ(Play(0, 100, {held, velocity, latch, inverted, other, latch}),
              (std::vector<EventRecord>{
                  with(held, 10, 2, 64, 127), with(held, 59, 2, 64, 0),
                  with(velocity, 20, 2, 1, 60), with(velocity, 49, 2, 1, 20),
                  latch, with(latch, 30, 2, 66, 127),
                  with(inverted, 40, 2, 67, 0), with(inverted, 40, 2, 67, 127),
                  other,
                  latch, with(latch, 30, 2, 66, 0)}));
    // OnStart lets every playback latch go up again.
    filter->OnStart(0, 0);
    EXPECT_EQ(Play(0, 100, {latch}), (std::vector<EventRecord>{latch, with(latch, 30, 2, 66, 127)}));
}

TEST_F(MapPlayback, EachHeldMappingsLastOffIsSentAgainByTheWindowThatHoldsIt) {
    Use({Mapping(60, 60, 64), Mapping(62, 62, 66)});
    const std::vector<EventRecord> first = Play(0, 99, {Note(10, 60, 90, 200), Note(20, 62, 90, 300)});
    ASSERT_EQ(first.size(), 4u);
    const EventRecord off64 = first[1], off66 = first[3];
    EXPECT_EQ(off64.time, 209);
    EXPECT_EQ(off66.time, 319);
    EXPECT_TRUE(Play(100, 199, {}).empty());
    EXPECT_EQ(Play(200, 399, {Event(250, 3, 1, 1)}),
              (std::vector<EventRecord>{off64, off66, Event(250, 3, 1, 1)}));
    EXPECT_TRUE(Play(200, 399, {}).empty()) << "sent once only";

    // Off, nothing is sent again; OnStart forgets what waits.
    Play(0, 99, {Note(10, 60, 90, 200)});
    filter->OnStart(0, 0);
    EXPECT_TRUE(Play(200, 299, {}).empty());
    Use({Mapping(60, 60, 64)}, false);
    Play(0, 99, {Note(10, 60, 90, 200)});
    EXPECT_TRUE(Play(200, 299, {}).empty());
}

TEST_F(MapLearn, TheNextNoteOnBecomesTheKeyAndItsChannelWhenTheMappingListensToOne) {
    Use(Bank());
    ASSERT_EQ(filter->Save(StreamWith({}).get(), TRUE), S_OK);
    filter->SetLearning(1);  // mapping 2, channel 2 only
    EXPECT_EQ(filter->IsDirty(), S_FALSE) << "switching learn mode on is no edit";
    // Note-offs never learn; the note-on is swallowed, and the rest of the
    // call still maps with the set it began with.
    EXPECT_EQ(Live({::Live(0x80, 40, 0), ::Live(0x99, 40, 80), ::Live(0x99, 40, 80)}),
              (std::vector<DataItem>{::Live(0x80, 40, 0), ::Live(0x99, 40, 80)}));
    EXPECT_EQ(filter->Learning(), -1);
    EXPECT_EQ(filter->IsDirty(), S_OK) << "a learned key is an edit";
    const MapMapping learned = filter->Settings().mappings[1];
    EXPECT_EQ(learned.lowKey, 40);
    EXPECT_EQ(learned.highKey, 40);
    EXPECT_EQ(learned.inChannel, 10);
    EXPECT_EQ(Live({::Live(0x99, 40, 127)}), (std::vector<DataItem>{::Live(0xB4, 1, 100)}));

    // A mapping of any channel learns the key only.
    filter->SetLearning(0);
    Live({::Live(0x95, 50, 1)});
    EXPECT_EQ(filter->Settings().mappings[0].inChannel, 0);
    EXPECT_EQ(filter->Settings().mappings[0].lowKey, 50);
}

TEST_F(MapLearn, ANewFilterDoesWhatZephrinDoes) {
    const MapSettings settings = filter->Settings();
    EXPECT_EQ(settings, MapSettings::Defaults());
    EXPECT_TRUE(settings.lookAheadFix);
    EXPECT_EQ(filter->IsDirty(), S_FALSE);
    EXPECT_EQ(Live({::Live(0x93, 96, 5), ::Live(0x83, 96, 0), ::Live(0x93, 95, 5)}),
              (std::vector<DataItem>{::Live(0xB3, 64, 127), ::Live(0xB3, 64, 0), ::Live(0x93, 95, 5)}));
    EXPECT_EQ(Play(0, 9, {Note(1, 96, 5, 3)}).size(), 2u);
    EXPECT_EQ(filter->Learning(), -1);
}
