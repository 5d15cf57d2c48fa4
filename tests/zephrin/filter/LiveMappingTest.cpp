// Live input: one key becomes a controller, everything else passes, learn
// mode takes the next note-on.
#include "tests/support/FilterFixture.h"
#include "tests/support/HostQueues.h"

#include <algorithm>
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
    EXPECT_EQ(page.Refreshes(), 0);

    // The note-on is taken; the rest of the call still compares with the
    // key read at its start (96), not with the learned one.
    auto out = Run({Live(0x95, 72, 90), Live(0x85, 72, 0), Live(0x90, 96, 100)});
    EXPECT_EQ(filter->GetParam(0, 0), 72);
    EXPECT_EQ(filter->m_learning, 0);
    EXPECT_EQ(page.Refreshes(), 1);
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

namespace {

// The rule, written out plainly: the key's note-on becomes controller ccOut
// at 127 on its channel, its note-off (or note-on at velocity 0) the same at
// 0; everything else passes.
DataItem Expected(DataItem item, int32_t keyIn, int32_t ccOut) {
    const int kind = item.status >> 4;
    const bool on = kind == 0x9 && item.data2 != 0;
    const bool off = kind == 0x8 || (kind == 0x9 && item.data2 == 0);
    if ((on || off) && item.data1 == keyIn) {
        item.status = static_cast<uint8_t>(0xB0 | (item.status & 0x0F));
        item.data1 = static_cast<uint8_t>(ccOut);
        item.data2 = on ? 127 : 0;
    }
    return item;
}

// First data bytes around the key and at the ends, and the key's own byte.
std::vector<uint8_t> FirstBytes(int32_t keyIn) {
    return {0, 1, 59, 60, 61, 95, 96, 97, 127, 128, 255, static_cast<uint8_t>(keyIn)};
}

// Every status byte (every kind on every channel) with those first data
// bytes, second data bytes at 0 and the edges, and host bytes that differ
// from item to item.
std::vector<DataItem> EveryStatus(int32_t keyIn) {
    const uint8_t seconds[] = {0, 1, 64, 127, 128, 255};
    std::vector<DataItem> items;
    for (int status = 0; status < 256; ++status) {
        for (uint8_t first : FirstBytes(keyIn)) {
            for (uint8_t second : seconds) {
                DataItem d = Live(static_cast<uint8_t>(status), first, second);
                const size_t n = items.size();
                d.host0[0] = static_cast<uint8_t>(n);
                d.host0[3] = static_cast<uint8_t>(n >> 8);
                d.host7 = static_cast<uint8_t>(n * 7);
                items.push_back(d);
            }
        }
    }
    return items;
}

}  // namespace

// Settings outside the editor's range can only come from a loaded stream:
// a key matches only the byte it equals (never, past 255 or below 0), and the
// controller number is the low byte of ccOut.
TEST_F(LiveMapping, EveryStatusKeyAndVelocityFollowsTheRule) {
    for (int32_t keyIn : {96, 0, 127, 255, 60 + 256, -1, 0x100003C}) {
        for (int32_t ccOut : {64, 0, 200, 300, -1}) {
            SCOPED_TRACE(::testing::Message() << "keyIn " << keyIn << ", ccOut " << ccOut);
            filter->SetParam(0, 0, keyIn);
            filter->SetParam(0, 1, ccOut);
            const std::vector<DataItem> in = EveryStatus(keyIn);
            const std::vector<DataItem> out = Run(in);
            ASSERT_EQ(out.size(), in.size());
            int converted = 0;
            for (size_t i = 0; i < in.size(); ++i) {
                const DataItem expected = Expected(in[i], keyIn, ccOut);
                ASSERT_EQ(out[i], expected) << "item " << in[i];
                converted += !(expected == in[i]);
            }
            // The key's ons and offs on all 16 channels: 32 statuses times the
            // first bytes equal to the key times 6 velocities; none out of range.
            const std::vector<uint8_t> firsts = FirstBytes(keyIn);
            const auto keyBytes = keyIn < 0 || keyIn > 255
                                      ? 0
                                      : std::count(firsts.begin(), firsts.end(), keyIn);
            EXPECT_EQ(converted, 32 * 6 * keyBytes);
        }
    }
}

// With learn mode on, exactly the note-ons with a velocity learn, on every
// channel; everything else is mapped with the key in force and leaves learn
// mode on.
TEST_F(LiveMapping, LearnTakesEveryNoteOnAndNothingElse) {
    CCountingPageLink page;
    page.Attach(filter);
    int learned = 0;
    for (int status = 0; status < 256; ++status) {
        for (uint8_t velocity : {0, 1, 127, 255}) {
            const DataItem item = Live(static_cast<uint8_t>(status), 96, velocity);
            SCOPED_TRACE(::testing::Message() << item);
            filter->SetParam(0, 0, 96);
            filter->m_learning = 1;
            const std::vector<DataItem> out = Run({item});
            if (status >> 4 == 0x9 && velocity != 0) {
                EXPECT_TRUE(out.empty());
                EXPECT_EQ(filter->GetParam(0, 0), 96);
                EXPECT_EQ(filter->m_learning, 0);
                EXPECT_EQ(page.Refreshes(), ++learned);
            } else {
                EXPECT_EQ(out, (std::vector<DataItem>{Expected(item, 96, 64)}));
                EXPECT_EQ(filter->m_learning, 1);
            }
        }
    }
    EXPECT_EQ(learned, 16 * 3);

    // The learned key is the note's first byte, whatever the key was.
    filter->m_learning = 1;
    EXPECT_TRUE(Run({Live(0x9C, 13, 5)}).empty());
    EXPECT_EQ(filter->GetParam(0, 0), 13);
    page.Detach();
}

// The page link's lock belongs to the window side: a key learned on the
// host's input thread reaches the page by a posted refresh, and never waits
// for that lock while a page thread holds it.
TEST_F(LiveMapping, LearningNeverWaitsForThePageLinkLock) {
    CCountingPageLink page;
    page.Attach(filter);
    filter->m_learning = 1;
    struct Holder {
        HANDLE held = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        static DWORD WINAPI Run(LPVOID self) {
            auto* h = static_cast<Holder*>(self);
            CLockGuard link(PageLinkLock());
            SetEvent(h->held);
            WaitForSingleObject(h->release, 10000);
            return 0;
        }
    } holder;
    HANDLE thread = CreateThread(nullptr, 0, &Holder::Run, &holder, 0, nullptr);
    ASSERT_EQ(WaitForSingleObject(holder.held, 5000), WAIT_OBJECT_0);
    const DWORD start = GetTickCount();
    EXPECT_TRUE(Run({Live(0x90, 61, 90)}).empty());
    EXPECT_LT(GetTickCount() - start, 5000u) << "OnInput waited for the page link's lock";
    SetEvent(holder.release);
    WaitForSingleObject(thread, INFINITE);
    for (HANDLE h : {thread, holder.held, holder.release}) CloseHandle(h);
    EXPECT_EQ(filter->GetParam(0, 0), 61);
    EXPECT_EQ(page.Refreshes(), 1);
    page.Detach();
}
