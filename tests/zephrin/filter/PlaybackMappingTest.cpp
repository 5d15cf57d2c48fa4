// Playback: notes of the key become controller pairs, and the look-ahead fix
// re-sends the last controller-off once a later window reaches it.
#include "host/ControllerPair.h"
#include "tests/support/FilterFixture.h"
#include "tests/support/HostQueues.h"

#include <climits>
#include <random>
#include <vector>

namespace {

class PlaybackMapping : public FilterTest {
protected:
    void SetUp() override {
        FilterTest::SetUp();
        filter->SetParam(0, 0, 60);
    }
    std::vector<EventRecord> Play(LONG from, LONG thru, std::vector<EventRecord> events = {}) {
        CTestEventQueue in(std::move(events)), out;
        EXPECT_EQ(filter->OnEvents(from, thru, &in, &out), S_OK);
        return out.records;
    }
    static EventRecord Cc(int32_t time, uint8_t value, int32_t duration) {
        return Event(time, kEventController, 64, value, duration);
    }
};

}  // namespace

TEST_F(PlaybackMapping, NoteBecomesControllerPairCarryingHostBytes) {
    auto out = Play(0, 1000, {Note(480, 60, 33, 240)});
    EXPECT_EQ(out, (std::vector<EventRecord>{Cc(480, 127, 240), Cc(719, 0, 240)}));
}

TEST_F(PlaybackMapping, PassThroughKeepsOrderAroundGeneratedPairs) {
    const EventRecord other = Note(100, 61, 90, 10);
    const EventRecord controller = Event(150, kEventController, 60, 5);
    const EventRecord sysex = Event(160, 7, 60, 0);
    auto out = Play(0, 1000, {other, Note(120, 60, 90, 10), controller, sysex, Note(170, 60, 1, 1)});
    EXPECT_EQ(out, (std::vector<EventRecord>{other, Cc(120, 127, 10), Cc(129, 0, 10), controller,
                                             sysex, Cc(170, 127, 1), Cc(170, 0, 1)}));
}

TEST_F(PlaybackMapping, ZeroDurationEndsJustBeforeItsStart) {
    EXPECT_EQ(Play(0, 1000, {Note(500, 60, 90, 0)}),
              (std::vector<EventRecord>{Cc(500, 127, 0), Cc(499, 0, 0)}));
}

TEST_F(PlaybackMapping, EndTimeWrapsLikeThe32BitHostArithmetic) {
    auto out = Play(0, INT_MAX, {Note(INT_MAX, 60, 90, 2)});
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[1].time, INT_MIN);
}

TEST_F(PlaybackMapping, LookAheadFixResendsLastOffOnceItsWindowComes) {
    Play(400, 600, {Note(480, 60, 90, 240)});
    EXPECT_TRUE(Play(800, 900).empty()) << "window past the record: not sent";

    const EventRecord passing = Note(750, 61, 90, 5);
    auto out = Play(700, 800, {passing});
    EXPECT_EQ(out, (std::vector<EventRecord>{Cc(719, 0, 240), passing})) << "re-send comes first";
    EXPECT_TRUE(Play(700, 800).empty()) << "sent once only";
}

TEST_F(PlaybackMapping, WindowBoundsAreInclusive) {
    Play(0, 100, {Note(0, 60, 90, 100)});  // off at 99
    EXPECT_EQ(Play(99, 99).size(), 1u);
    Play(0, 100, {Note(0, 60, 90, 100)});
    EXPECT_EQ(Play(0, 98).size(), 0u);
    EXPECT_EQ(Play(100, 200).size(), 0u);
}

TEST_F(PlaybackMapping, LaterNoteReplacesPendingRecord) {
    Play(0, 100, {Note(10, 60, 90, 10), Note(50, 60, 90, 10)});
    EXPECT_EQ(Play(0, 100), (std::vector<EventRecord>{Cc(59, 0, 10)}));
}

TEST_F(PlaybackMapping, FixOffStoresButNeverSends) {
    filter->SetParam(1, 0, 0);
    Play(0, 100, {Note(10, 60, 90, 10)});
    EXPECT_TRUE(Play(0, 100).empty());
    filter->SetParam(1, 0, 128);  // any non-zero value is on
    EXPECT_EQ(Play(0, 100).size(), 1u) << "the record stayed pending while the fix was off";
}

TEST_F(PlaybackMapping, OnStartForgetsPendingButOnLoopDoesNot) {
    Play(0, 100, {Note(10, 60, 90, 10)});
    filter->OnLoop(0, 100, 0);
    filter->OnStop(100, 0);
    EXPECT_EQ(Play(0, 100).size(), 1u);

    Play(0, 100, {Note(10, 60, 90, 10)});
    filter->OnStart(0, 0);
    EXPECT_TRUE(Play(0, 100).empty());
}

// A window around -1 must not send the "nothing pending" marker as an event,
// but a controller-off really produced at -1 is still re-sent.
TEST_F(PlaybackMapping, EmptyMarkerIsNeverSent) {
    EXPECT_TRUE(Play(-10, 10).empty());
    filter->OnStart(0, 0);
    EXPECT_TRUE(Play(-10, 10).empty());

    Play(-10, 10, {Note(0, 60, 90, 0)});  // off at -1
    EXPECT_EQ(Play(-10, 10), (std::vector<EventRecord>{Cc(-1, 0, 0)}));
    EXPECT_TRUE(Play(-10, 10).empty());
}

TEST_F(PlaybackMapping, FailedQueueCallsSkipOnlyWhatFailed) {
    Play(0, 100, {Note(10, 60, 90, 10)});
    CTestEventQueue in({Note(20, 60, 90, 10)}), out;
    in.countResult = E_FAIL;
    EXPECT_EQ(filter->OnEvents(0, 100, &in, &out), S_OK);
    EXPECT_EQ(out.records, (std::vector<EventRecord>{Cc(19, 0, 10)})) << "only the due re-send";

    CTestEventQueue in2({Note(20, 61, 1, 1), Note(30, 60, 90, 10), Note(40, 62, 1, 1)}), out2;
    in2.failingAt = {1};
    EXPECT_EQ(filter->OnEvents(200, 300, &in2, &out2), S_OK);
    EXPECT_EQ(out2.records, (std::vector<EventRecord>{Note(20, 61, 1, 1), Note(40, 62, 1, 1)}));
}

namespace {

// The rule, written out plainly, field by field.
std::vector<EventRecord> ExpectedPlay(const std::vector<EventRecord>& in, int32_t keyIn,
                                      int32_t ccOut, EventRecord* lastOff = nullptr) {
    std::vector<EventRecord> out;
    for (EventRecord r : in) {
        if (r.type != kEventNote || r.number != keyIn) {
            out.push_back(r);
            continue;
        }
        r.type = kEventController;
        r.number = static_cast<uint8_t>(ccOut);
        r.value = 127;
        out.push_back(r);
        r.time = static_cast<int32_t>(static_cast<uint32_t>(r.time) +
                                      static_cast<uint32_t>(r.duration) - 1u);
        r.value = 0;
        out.push_back(r);
        if (lastOff) *lastOff = r;
    }
    return out;
}

// Every byte of a record distinct from the next record's, the duration's
// four bytes included.
EventRecord Distinct(size_t n, int32_t type, uint8_t number) {
    EventRecord r = Event(static_cast<int32_t>(n * 1000), type, number,
                          static_cast<uint8_t>(n * 3), static_cast<int32_t>(0x01020304u + n * 0x01010101u));
    r.host4[0] = static_cast<uint8_t>(n);
    r.host4[1] = static_cast<uint8_t>(n >> 8);
    r.host12 = static_cast<uint8_t>(n * 5);
    return r;
}

}  // namespace

// Types other than a note in any of their four bytes pass, and so do notes
// of other numbers; a key outside 0..255 matches no number byte, and the
// controller number is ccOut's low byte.
TEST_F(PlaybackMapping, EveryTypeAndNumberFollowsTheRule) {
    const int32_t types[] = {0, 1, 2, 3, 5, 7, 0x100, 0x10000, 0x1000000, -1, INT_MIN};
    for (int32_t keyIn : {60, 0, 255, 60 + 256, -1}) {
        for (int32_t ccOut : {64, 200, 300, -1}) {
            SCOPED_TRACE(::testing::Message() << "keyIn " << keyIn << ", ccOut " << ccOut);
            filter->SetParam(0, 0, keyIn);
            filter->SetParam(0, 1, ccOut);
            filter->OnStart(0, 0);
            std::vector<EventRecord> in;
            for (int32_t type : types) {
                for (int number : {0, 1, 59, 60, 61, 254, 255, keyIn & 0xFF})
                    in.push_back(Distinct(in.size(), type, static_cast<uint8_t>(number)));
            }
            EventRecord lastOff{};
            const std::vector<EventRecord> expected = ExpectedPlay(in, keyIn, ccOut, &lastOff);
            const std::vector<EventRecord> out = Play(INT_MIN, INT_MAX, in);
            ASSERT_EQ(out.size(), expected.size());
            for (size_t i = 0; i < out.size(); ++i) ASSERT_EQ(out[i], expected[i]) << "record " << i;
            EXPECT_EQ(out.size() > in.size(), keyIn >= 0 && keyIn <= 255);

            // The last controller-off, all 17 bytes, is the one sent again.
            if (out.size() == in.size()) continue;
            EXPECT_EQ(Play(lastOff.time, lastOff.time), (std::vector<EventRecord>{lastOff}));
        }
    }
}

// The pair builder gives the records the rule gives, for any bytes.
TEST(ControllerPair, BuildGivesTheRulesRecords) {
    std::mt19937 random(7);
    for (int n = 0; n < 2000; ++n) {
        EventRecord note;
        uint8_t* bytes = reinterpret_cast<uint8_t*>(&note);
        for (size_t b = 0; b < sizeof note; ++b) bytes[b] = static_cast<uint8_t>(random());
        note.type = kEventNote;
        const int32_t ccOut = static_cast<int32_t>(random() % 300) - 20;
        SCOPED_TRACE(::testing::Message() << note << ", ccOut " << ccOut);
        const std::vector<EventRecord> expected = ExpectedPlay({note}, note.number, ccOut);

        EventRecord on = note, off;
        BuildControllerPair(on, off, static_cast<uint8_t>(ccOut), 127, 0);
        EXPECT_EQ((std::vector<EventRecord>{on, off}), expected);
    }
}
