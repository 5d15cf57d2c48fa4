// Playback: notes of the key become controller pairs, and the look-ahead fix
// re-sends the last controller-off once a later window reaches it.
#include "tests/support/FilterFixture.h"
#include "tests/support/HostQueues.h"

#include <climits>
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
