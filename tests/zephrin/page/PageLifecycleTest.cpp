// The page as the property frame drives it: identity, site, page info,
// activation, showing and moving, attaching, and going away in any order.
#include "tests/zephrin/page/PageFixture.h"

#include "framework/ModuleState.h"

#include <ocidl.h>

#include <cwchar>

using PageLifecycle = PageTest;
using PageLink = PageTest;

TEST_F(PageLifecycle, AnswersOnlyItsPageInterfaceWithOneIdentity) {
    void* unknown = nullptr;
    void* propertyPage = nullptr;
    ASSERT_EQ(page->QueryInterface(IID_IUnknown, &unknown), S_OK);
    ASSERT_EQ(page->QueryInterface(IID_IPropertyPage, &propertyPage), S_OK);
    EXPECT_EQ(unknown, propertyPage);
    EXPECT_EQ(unknown, static_cast<IPropertyPage*>(page));
    void* other = &other;
    EXPECT_EQ(page->QueryInterface(IID_IPropertyPage2, &other), E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);
    EXPECT_EQ(page->Release(), 2u);
    EXPECT_EQ(page->Release(), 1u);
}

TEST_F(PageLifecycle, HoldsOneSiteUntilItIsCleared) {
    CCountingSite second;
    EXPECT_EQ(page->SetPageSite(&second), E_UNEXPECTED);
    EXPECT_EQ(second.refs, 1);
    EXPECT_EQ(site.refs, 2);
    EXPECT_EQ(page->SetPageSite(nullptr), S_OK);
    EXPECT_EQ(site.refs, 1);
    EXPECT_EQ(page->SetPageSite(nullptr), E_UNEXPECTED);
}

TEST_F(PageLifecycle, ReportsItsTitleAndTheTemplatesSizeInPixels) {
    HWND focus = SetFocus(parent.get());
    PROPPAGEINFO info = {};
    ASSERT_EQ(page->GetPageInfo(&info), S_OK);
    EXPECT_EQ(GetFocus(), focus) << "measuring must not take the focus";
    EXPECT_EQ(info.cb, sizeof(PROPPAGEINFO));
    ASSERT_NE(info.pszTitle, nullptr);
    EXPECT_STREQ(info.pszTitle, L"Quillfen MFX Zephrin Title");
    EXPECT_EQ(info.pszDocString, nullptr);
    EXPECT_EQ(info.pszHelpFile, nullptr);
    EXPECT_EQ(info.dwHelpContext, 0u);
    CoTaskMemFree(info.pszTitle);

    ASSERT_EQ(Activate(), S_OK);
    RECT dialogUnits = {0, 0, 173, 134};
    ASSERT_TRUE(MapDialogRect(PageWindow(), &dialogUnits));
    EXPECT_EQ(info.size.cx, dialogUnits.right);
    EXPECT_EQ(info.size.cy, dialogUnits.bottom);
    EXPECT_EQ(page->Deactivate(), S_OK);
}

TEST_F(PageLifecycle, ActivatesShowsMovesAndDeactivatesAgainAndAgain) {
    const RECT moved = {10, 20, 210, 220};
    EXPECT_EQ(page->Move(&moved), S_OK) << "without a window nothing moves";
    EXPECT_EQ(page->Show(SW_SHOW), E_UNEXPECTED);
    EXPECT_EQ(page->Deactivate(), E_UNEXPECTED);
    EXPECT_EQ(page->Activate(parent.get(), nullptr, FALSE), E_POINTER);

    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        ASSERT_EQ(Activate(), S_OK);
        HWND window = PageWindow();
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(IsWindowVisible(window) || !IsWindowVisible(parent.get()));
        EXPECT_TRUE(GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE);
        EXPECT_TRUE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_CONTROLPARENT);
        RECT rect;
        GetWindowRect(window, &rect);
        MapWindowPoints(nullptr, parent.get(), reinterpret_cast<POINT*>(&rect), 2);
        EXPECT_TRUE(EqualRect(&rect, &kPageRect));
        EXPECT_EQ(Send(IDC_KEYIN_SLIDER, TBM_GETRANGEMAX), 127);
        EXPECT_EQ(Text(IDC_KEYIN_VALUE), "C6 (96)");
        EXPECT_EQ(Activate(), E_UNEXPECTED);
        EXPECT_EQ(page->Activate(parent.get(), nullptr, FALSE), E_POINTER);

        EXPECT_EQ(page->Show(8 /* SW_SHOWNA */), E_INVALIDARG);
        SetFocus(parent.get());
        EXPECT_EQ(page->Show(SW_HIDE), S_OK);
        EXPECT_FALSE(GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE);
        EXPECT_EQ(GetFocus(), parent.get()) << "hiding leaves the focus alone";
        EXPECT_EQ(page->Show(SW_SHOW), S_OK);
        EXPECT_TRUE(GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE);
        EXPECT_EQ(GetFocus(), Item(IDC_KEYIN_SLIDER));

        EXPECT_EQ(page->Move(nullptr), E_POINTER);
        EXPECT_EQ(page->Move(&moved), S_OK);
        GetWindowRect(window, &rect);
        MapWindowPoints(nullptr, parent.get(), reinterpret_cast<POINT*>(&rect), 2);
        EXPECT_TRUE(EqualRect(&rect, &moved));

        EXPECT_EQ(page->Deactivate(), S_OK);
        EXPECT_FALSE(IsWindow(window));
        EXPECT_EQ(page->Deactivate(), E_UNEXPECTED);
    }
}

TEST_F(PageLifecycle, CreatesItsWindowFromItsOwnModuleWhateverTheCallersState) {
    AFX_MODULE_STATE foreign;
    foreign.m_hCurrentInstanceHandle = GetModuleHandleA("kernel32.dll");
    foreign.m_hCurrentResourceHandle = foreign.m_hCurrentInstanceHandle;
    AFX_MAINTAIN_STATE2 callers(&foreign);
    EXPECT_EQ(Activate(), S_OK);
    EXPECT_EQ(AfxGetModuleState(), &foreign) << "the caller's state comes back";
    EXPECT_EQ(page->Deactivate(), S_OK);
    EXPECT_EQ(AfxGetModuleState(), &foreign);
}

TEST_F(PageLifecycle, AttachesExactlyOneFilterOfThisModule) {
    IUnknown* none[1] = {nullptr};
    EXPECT_EQ(page->SetObjects(0, nullptr), E_FAIL);
    EXPECT_EQ(page->SetObjects(2, none), E_UNEXPECTED);
    EXPECT_EQ(page->SetObjects(1, nullptr), E_POINTER);
    EXPECT_EQ(page->SetObjects(1, none), E_POINTER);
    EXPECT_EQ(Attach(page, &site), E_NOINTERFACE) << "not a filter";
    EXPECT_EQ(site.refs, 2) << "only the page's own reference is held";
    // Any interface of the filter will do; no reference is kept on it.
    EXPECT_EQ(Attach(page, static_cast<ISpecifyPropertyPages*>(filter)), S_OK);

    ASSERT_EQ(Activate(), S_OK);
    Scroll(IDC_KEYIN_SLIDER, TB_LINEUP);
    EXPECT_EQ(filter->GetParam(0, 0), 95) << "the filter stays attached after every refusal";
    EXPECT_EQ(page->Deactivate(), S_OK);
}

TEST_F(PageLifecycle, NamesTheHelpFileAfterTheModuleWithinItsBuffer) {
    const std::string longest(CMfxZephrinPropPage::kHelpPathSize - 1, 'x');
    const struct {
        std::string module;
        bool named;
        std::string help;
    } rows[] = {
        {"C:\\Plugins\\name.dll", true, "C:\\Plugins\\name.HLP"},
        {"abc", true, "HLP"},
        {"ab", false, ""},
        {"", false, ""},
        {longest, true, longest.substr(0, longest.size() - 3) + "HLP"},
        {longest + "y", false, ""},
        {std::string(500, 'z'), false, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.module);
        char help[CMfxZephrinPropPage::kHelpPathSize];
        std::memset(help, '#', sizeof help);
        EXPECT_EQ(CMfxZephrinPropPage::HelpPathFor(row.module.c_str(), help), row.named);
        EXPECT_EQ(help, row.help);
    }
    EXPECT_EQ(page->TranslateAccelerator(nullptr), E_NOTIMPL);
}

TEST_F(PageLink, FilterGoingFirstLeavesAnActivePageHarmless) {
    ASSERT_EQ(Activate(), S_OK);
    EXPECT_EQ(filter->Release(), 0u);
    filter = nullptr;
    Scroll(IDC_KEYIN_SLIDER, TB_LINEUP);
    SendMessageA(Item(IDC_LEARN_KEY), BM_CLICK, 0, 0);
    SendMessageA(Item(IDC_LOOKAHEAD_FIX), BM_CLICK, 0, 0);
    page->Refresh();
    EXPECT_EQ(Text(IDC_KEYIN_VALUE), "C6 (96)");
    EXPECT_EQ(Text(IDC_LEARN_KEY), "Learn Key");
    EXPECT_EQ(site.dirtyCalls, 0);
    EXPECT_EQ(page->Deactivate(), S_OK);
}

TEST_F(PageLink, PageGoingFirstIsNeverCalledAgain) {
    for (bool active : {true, false}) {
        SCOPED_TRACE(active ? "released while active" : "released after Deactivate");
        ASSERT_EQ(Activate(), S_OK);
        SendMessageA(Item(IDC_LEARN_KEY), BM_CLICK, 0, 0);
        if (!active) {
            ASSERT_EQ(page->Deactivate(), S_OK);
        }
        EXPECT_EQ(page->Release(), 0u);
        EXPECT_EQ(DialogWindows(parent.get()), 0);
        // Learning a key refreshes the page the filter is linked to, if any.
        CTestDataQueue in({Live(0x90, 72, 90)}), out;
        EXPECT_EQ(filter->OnInput(&in, &out), S_OK);
        EXPECT_EQ(filter->GetParam(0, 0), 72);
        page = new (std::nothrow) CMfxZephrinPropPage();
        ASSERT_EQ(Attach(page, Unknown(filter)), S_OK);
    }
}

TEST_F(PageLink, ASecondFilterTakesThePageFromTheFirst) {
    CMfxZephrinFilter* second = new CMfxZephrinFilter();
    ASSERT_EQ(Attach(page, Unknown(second)), S_OK);
    ASSERT_EQ(Activate(), S_OK);
    second->SetParam(0, 1, 10);  // shows only once the page refreshes
    filter->m_learning = 1;
    CTestDataQueue in({Live(0x90, 72, 90)}), out;
    filter->OnInput(&in, &out);
    EXPECT_EQ(Text(IDC_CCOUT_VALUE), "64") << "the first filter still refreshed the page";
    Scroll(IDC_KEYIN_SLIDER, TB_LINEUP);
    EXPECT_EQ(second->GetParam(0, 0), 95);
    EXPECT_EQ(filter->GetParam(0, 0), 72);
    EXPECT_EQ(page->Deactivate(), S_OK);
    EXPECT_EQ(second->Release(), 0u);
}

TEST_F(PageLink, ASecondPageTakesTheFilterFromTheFirst) {
    CMfxZephrinPropPage* second = new (std::nothrow) CMfxZephrinPropPage();
    ASSERT_EQ(Attach(second, Unknown(filter)), S_OK);
    ASSERT_EQ(Activate(), S_OK);
    Scroll(IDC_KEYIN_SLIDER, TB_LINEUP);
    EXPECT_EQ(filter->GetParam(0, 0), 96) << "the first page still edits the filter";
    EXPECT_EQ(site.dirtyCalls, 0);
    EXPECT_EQ(second->Release(), 0u);
    EXPECT_EQ(page->Deactivate(), S_OK);
}

TEST_F(PageLink, ARefreshPostedToAPageThatGoesIsDropped) {
    ASSERT_EQ(Activate(), S_OK);
    SendMessageA(Item(IDC_LEARN_KEY), BM_CLICK, 0, 0);
    CTestDataQueue in({Live(0x90, 72, 90)}), out;
    ASSERT_TRUE(FinishesWithoutThisThread([&] { filter->OnInput(&in, &out); }));
    EXPECT_EQ(page->Release(), 0u);
    page = nullptr;
    Pump();
    EXPECT_EQ(filter->GetParam(0, 0), 72);
}
