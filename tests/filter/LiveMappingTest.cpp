// Live input: one key becomes a controller, everything else passes, learn
// mode takes the next note-on.
#include "tests/support/FilterFixture.h"
#include "tests/support/HostQueues.h"

#include <vector>

namespace {

class LiveMapping : public FilterTest {
protected:
    std::vector<DataItem> Run(std::vector<DataItem> items) {
        CTestDataQueue in(std::move(items)), out;
        EXPECT_EQ(filter->OnInput(&in, &out), S_OK);
        return out.records;
    }
};

}  // namespace

TEST_F(LiveMapping, KeyBecomesControllerOnItsOwnChannel) {
    filter->SetParam(0, 0, 60);
    filter->SetParam(0, 1, 64);
    struct Row {
        DataItem in;
        DataItem expected;
    } rows[] = {
        {Live(0x92, 60, 100), Live(0xB2, 64, 127)},  // note-on: pedal down
        {Live(0x92, 60, 0), Live(0xB2, 64, 0)},      // note-on velocity 0 is a note-off
        {Live(0x82, 60, 64), Live(0xB2, 64, 0)},     // note-off: pedal up
        {Live(0x8F, 60, 0), Live(0xBF, 64, 0)},      // channel 16
        {Live(0x92, 61, 100), Live(0x92, 61, 100)},  // another key passes
        {Live(0xB2, 60, 100), Live(0xB2, 60, 100)},  // a controller numbered like the key
        {Live(0xA2, 60, 100), Live(0xA2, 60, 100)},  // aftertouch on the key
        {Live(0xE2, 60, 100), Live(0xE2, 60, 100)},  // pitch bend
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.in);
        auto out = Run({row.in});
        ASSERT_EQ(out.size(), 1u);
        EXPECT_EQ(out[0], row.expected) << "host bytes 0-3 and 7 must be carried through";
    }
}

TEST_F(LiveMapping, BatchKeepsOrderAndSkipsOnlyFailedFetches) {
    CTestDataQueue in({Live(0x90, 96, 1), Live(0x90, 50, 1), Live(0x80, 96, 0), Live(0xC0, 5, 0)});
    CTestDataQueue out;
    in.failingAt = {1};
    ASSERT_EQ(filter->OnInput(&in, &out), S_OK);
    EXPECT_EQ(out.records,
              (std::vector<DataItem>{Live(0xB0, 64, 127), Live(0xB0, 64, 0), Live(0xC0, 5, 0)}));
}

TEST_F(LiveMapping, UnreadableCountOutputsNothing) {
    CTestDataQueue in({Live(0x90, 96, 100)}), out;
    in.countResult = E_FAIL;
    EXPECT_EQ(filter->OnInput(&in, &out), S_OK);
    EXPECT_TRUE(out.records.empty());
}

TEST_F(LiveMapping, OutOfRangeKeyMatchesNothing) {
    filter->SetParam(0, 0, 300);  // only a loaded stream can hold this
    EXPECT_EQ(Run({Live(0x90, 300 & 0xFF, 100)}), (std::vector<DataItem>{Live(0x90, 44, 100)}));
}

TEST_F(LiveMapping, LearnTakesNextNoteOnOfAnyChannelAndSwallowsIt) {
    CCountingPageLink page;
    page.Attach(filter);
    filter->m_learning = 1;

    // A note-off, or a note-on with velocity 0, never learns.
    EXPECT_EQ(Run({Live(0x80, 70, 0), Live(0x95, 71, 0)}).size(), 2u);
    EXPECT_EQ(filter->m_learning, 1);
    EXPECT_EQ(page.refreshes, 0);

    // The note-on is taken; the rest of the call still compares with the
    // key read at its start (96), not with the learned one.
    auto out = Run({Live(0x95, 72, 90), Live(0x85, 72, 0), Live(0x90, 96, 100)});
    EXPECT_EQ(filter->GetParam(0, 0), 72);
    EXPECT_EQ(filter->m_learning, 0);
    EXPECT_EQ(page.refreshes, 1);
    EXPECT_EQ(out, (std::vector<DataItem>{Live(0x85, 72, 0), Live(0xB0, 64, 127)}));

    // From the next call on the learned key is the one converted.
    EXPECT_EQ(Run({Live(0x85, 72, 0), Live(0x90, 96, 100)}),
              (std::vector<DataItem>{Live(0xB5, 64, 0), Live(0x90, 96, 100)}));
    EXPECT_EQ(filter->IsDirty(), S_FALSE) << "learning is not an edit that dirties";
    page.Detach();
}

TEST_F(LiveMapping, LearnWithoutPageStillLearns) {
    filter->m_learning = 1;
    EXPECT_TRUE(Run({Live(0x90, 10, 1)}).empty());
    EXPECT_EQ(filter->GetParam(0, 0), 10);
}
