// The editor's controls driven as a person would: labels, slider steps,
// the Learn Key button and the look-ahead box, and the filter's own updates
// (a learned key, a settings load) reaching an active page.
#include "tests/zephrin/page/PageFixture.h"

#include "tests/support/MessageBoxCatcher.h"

#include <climits>
#include <vector>

using EditorDialog = PageTest;

namespace {

CComPtr<IStream> StreamOf(std::vector<int32_t> values) {
    CComPtr<IStream> stream;
    CreateStreamOnHGlobal(nullptr, TRUE, stream.put());
    stream->Write(values.data(), static_cast<ULONG>(values.size() * sizeof(int32_t)), nullptr);
    stream->Seek({}, STREAM_SEEK_SET, nullptr);
    return stream;
}

}  // namespace

TEST_F(EditorDialog, KeyInLabelNamesTheNoteAndCcOutShowsTheNumber) {
    ASSERT_EQ(Activate(), S_OK);
    EXPECT_EQ(Text(IDC_CCOUT_VALUE), "64");
    EXPECT_EQ(Send(IDC_CCOUT_SLIDER, TBM_GETPOS), 64);
    EXPECT_EQ(Send(IDC_CCOUT_SLIDER, TBM_GETRANGEMIN), 0);
    EXPECT_EQ(Send(IDC_CCOUT_SLIDER, TBM_GETRANGEMAX), 127);
    const struct {
        int32_t keyIn;
        const char* label;
    } rows[] = {
        {0, "C-2 (0)"},   {59, "B2 (59)"},   {60, "C3 (60)"},     {61, "C#3 (61)"},
        {72, "C4 (72)"},  {96, "C6 (96)"},   {127, "G8 (127)"},   {300, "C23 (300)"},
        // Only a loaded stream holds these; names and octaves go on downwards.
        {-1, "B-3 (-1)"}, {-12, "C-3 (-12)"}, {-13, "B-4 (-13)"},
        {INT_MIN, "E-178956973 (-2147483648)"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.keyIn);
        filter->SetParam(0, 0, row.keyIn);
        page->Refresh();
        EXPECT_EQ(Text(IDC_KEYIN_VALUE), row.label);
        if (row.keyIn >= 0 && row.keyIn <= 127) {
            EXPECT_EQ(Send(IDC_KEYIN_SLIDER, TBM_GETPOS), row.keyIn);
        }
    }
    EXPECT_EQ(page->Deactivate(), S_OK);
}

TEST_F(EditorDialog, SliderStepsChangeTheSettingByTheirRules) {
    ASSERT_EQ(Activate(), S_OK);
    const struct {
        int slider, column, start, code, position, result;
        const char* label;  // null: the change is refused
    } rows[] = {
        {IDC_KEYIN_SLIDER, 0, 96, TB_LINEUP, 0, 95, "B5 (95)"},
        {IDC_KEYIN_SLIDER, 0, 96, TB_LINEDOWN, 0, 97, "C#6 (97)"},
        {IDC_KEYIN_SLIDER, 0, 96, TB_PAGEUP, 0, 95, "B5 (95)"},
        {IDC_CCOUT_SLIDER, 1, 64, TB_PAGEDOWN, 0, 65, "65"},
        {IDC_KEYIN_SLIDER, 0, 0, TB_LINEUP, 0, 0, nullptr},
        {IDC_KEYIN_SLIDER, 0, 0, TB_PAGEUP, 0, 0, nullptr},
        {IDC_CCOUT_SLIDER, 1, 127, TB_LINEDOWN, 0, 127, nullptr},
        {IDC_CCOUT_SLIDER, 1, 127, TB_PAGEDOWN, 0, 127, nullptr},
        {IDC_KEYIN_SLIDER, 0, 300, TB_LINEDOWN, 0, 300, nullptr},
        {IDC_CCOUT_SLIDER, 1, 64, TB_THUMBTRACK, 127, 127, "127"},
        {IDC_CCOUT_SLIDER, 1, 64, TB_THUMBTRACK, 64, 64, "64"},
        {IDC_CCOUT_SLIDER, 1, 64, TB_THUMBTRACK, 200, 64, nullptr},
        {IDC_KEYIN_SLIDER, 0, 60, TB_THUMBPOSITION, 70, 60, nullptr},
        {IDC_KEYIN_SLIDER, 0, 60, TB_TOP, 0, 60, nullptr},
        {IDC_KEYIN_SLIDER, 0, 60, TB_BOTTOM, 127, 60, nullptr},
        {IDC_KEYIN_SLIDER, 0, 60, TB_ENDTRACK, 0, 60, nullptr},
        {IDC_LOOKAHEAD_FIX, 0, 60, TB_LINEUP, 0, 60, nullptr},  // not a slider
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "control " << row.slider << ", code " << row.code);
        filter->SetParam(0, row.column, row.start);
        page->Refresh();
        filter->m_dirty = 0;
        page->Apply();
        site.dirtyCalls = 0;
        const int label = row.column == 0 ? IDC_KEYIN_VALUE : IDC_CCOUT_VALUE;
        const std::string labelBefore = Text(label);

        Scroll(row.slider, row.code, row.position);
        const bool accepted = row.label != nullptr;
        EXPECT_EQ(filter->GetParam(0, row.column), row.result);
        EXPECT_EQ(filter->IsDirty(), accepted ? S_OK : S_FALSE);
        EXPECT_EQ(page->IsPageDirty(), accepted ? S_OK : S_FALSE);
        EXPECT_EQ(site.dirtyCalls, accepted ? 1 : 0);
        EXPECT_EQ(Text(label), accepted ? row.label : labelBefore);
    }
    EXPECT_EQ(site.otherCalls, 0);

    // Apply only clears the page's flag: the edit is in the filter already.
    EXPECT_EQ(page->Apply(), S_OK);
    EXPECT_EQ(page->IsPageDirty(), S_FALSE);
    EXPECT_EQ(filter->GetParam(0, 1), 64);
    EXPECT_EQ(page->Deactivate(), S_OK);
}

TEST_F(EditorDialog, PageWithoutFilterKeepsItsPlaceholders) {
    EXPECT_EQ(page->Release(), 0u);
    page = new (std::nothrow) CMfxZephrinPropPage();
    ASSERT_EQ(page->SetPageSite(&site), S_OK);
    ASSERT_EQ(Activate(), S_OK);
    Scroll(IDC_KEYIN_SLIDER, TB_THUMBTRACK, 10);
    SendMessageA(Item(IDC_LEARN_KEY), BM_CLICK, 0, 0);
    EXPECT_EQ(Text(IDC_KEYIN_VALUE), "Static");
    EXPECT_EQ(Text(IDC_CCOUT_VALUE), "Static");
    EXPECT_EQ(Text(IDC_LEARN_KEY), "Learn Key");
    EXPECT_EQ(Send(IDC_LOOKAHEAD_FIX, BM_GETCHECK), BST_UNCHECKED);
    EXPECT_EQ(page->IsPageDirty(), S_FALSE);
    EXPECT_EQ(site.dirtyCalls, 0);
    EXPECT_EQ(filter->m_learning, 0);
    EXPECT_EQ(page->Deactivate(), S_OK);
}

TEST_F(EditorDialog, LearnKeyAndTheLookAheadBoxMarkNothingDirty) {
    ASSERT_EQ(Activate(), S_OK);
    const std::pair<int, const char*> learnClicks[] = {{1, "LEARNING"}, {0, "Learn Key"}};
    for (const auto& [learning, caption] : learnClicks) {
        SendMessageA(Item(IDC_LEARN_KEY), BM_CLICK, 0, 0);
        EXPECT_EQ(filter->m_learning, learning);
        EXPECT_EQ(Text(IDC_LEARN_KEY), caption);
    }
    EXPECT_EQ(Send(IDC_LOOKAHEAD_FIX, BM_GETCHECK), BST_CHECKED);
    for (int expected : {0, 1}) {
        SendMessageA(Item(IDC_LOOKAHEAD_FIX), BM_CLICK, 0, 0);
        EXPECT_EQ(filter->GetParam(1, 0), expected);
        EXPECT_EQ(Send(IDC_LOOKAHEAD_FIX, BM_GETCHECK), expected);
    }
    // Any value other than 0 that a stream brings shows as on.
    filter->SetParam(1, 0, 128);
    page->Refresh();
    EXPECT_EQ(Send(IDC_LOOKAHEAD_FIX, BM_GETCHECK), BST_CHECKED);
    SendMessageA(Item(IDC_LOOKAHEAD_FIX), BM_CLICK, 0, 0);
    EXPECT_EQ(filter->GetParam(1, 0), 0);

    EXPECT_EQ(filter->IsDirty(), S_FALSE);
    EXPECT_EQ(page->IsPageDirty(), S_FALSE);
    EXPECT_EQ(site.dirtyCalls + site.otherCalls, 0);
    EXPECT_EQ(page->Deactivate(), S_OK);
}

// The host's input thread must never wait for the user interface: the key
// is learned while this window thread is not handling messages, and shows
// once it does.
TEST_F(EditorDialog, ALearnedKeyReachesThePageWithoutWaitingForIt) {
    ASSERT_EQ(Activate(), S_OK);
    SendMessageA(Item(IDC_LEARN_KEY), BM_CLICK, 0, 0);
    CTestDataQueue in({Live(0x93, 72, 90)}), out;
    EXPECT_TRUE(FinishesWithoutThisThread([&] { filter->OnInput(&in, &out); }))
        << "OnInput waited for the window thread";
    EXPECT_TRUE(out.records.empty());
    Pump();
    EXPECT_EQ(Text(IDC_KEYIN_VALUE), "C4 (72)");
    EXPECT_EQ(Send(IDC_KEYIN_SLIDER, TBM_GETPOS), 72);
    EXPECT_EQ(Text(IDC_LEARN_KEY), "Learn Key");
    EXPECT_EQ(page->Deactivate(), S_OK);
}

TEST_F(EditorDialog, ASettingsLoadShowsOnTheActivePage) {
    ASSERT_EQ(Activate(), S_OK);
    CMessageBoxCatcher boxes;
    CComPtr<IStream> onWindowThread = StreamOf({60, 10, 0, 128});
    ASSERT_EQ(filter->Load(onWindowThread.get()), S_OK);
    EXPECT_EQ(Text(IDC_KEYIN_VALUE), "C3 (60)");
    EXPECT_EQ(Send(IDC_KEYIN_SLIDER, TBM_GETPOS), 60);
    EXPECT_EQ(Text(IDC_CCOUT_VALUE), "10");
    EXPECT_EQ(Send(IDC_CCOUT_SLIDER, TBM_GETPOS), 10);
    EXPECT_EQ(Send(IDC_LOOKAHEAD_FIX, BM_GETCHECK), BST_UNCHECKED);

    CComPtr<IStream> elsewhere = StreamOf({72, 20, 5, 128});
    EXPECT_TRUE(FinishesWithoutThisThread([&] { filter->Load(elsewhere.get()); }));
    Pump();
    EXPECT_EQ(Text(IDC_KEYIN_VALUE), "C4 (72)");
    EXPECT_EQ(Text(IDC_CCOUT_VALUE), "20");
    EXPECT_EQ(Send(IDC_LOOKAHEAD_FIX, BM_GETCHECK), BST_CHECKED);
    EXPECT_TRUE(boxes.Caught().empty());
    EXPECT_EQ(page->Deactivate(), S_OK);
}
