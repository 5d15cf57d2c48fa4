// Drives an editor page as a property frame would: a hidden parent window,
// a site that counts status changes, and a filter attached. Every test ends
// with the page, the filter and the site back to their counts and no dialog
// window left on the thread.
#pragma once

#include "common/ModuleCounts.h"
#include "common/UniqueHandle.h"
#include "zephrin/filter/ZephrinFilter.h"
#include "zephrin/page/ZephrinPropPage.h"
#include "zephrin/resources/resource.h"
#include "tests/support/CountingSite.h"
#include "tests/support/HostQueues.h"
#include "tests/support/PageWindows.h"

#include <gtest/gtest.h>

#include <string>

class PageTest : public ::testing::Test {
protected:
    static constexpr RECT kPageRect = {4, 8, 404, 358};

    void SetUp() override {
        m_objectsBefore = g_objectCount;
        parent.reset(CreateWindowExA(0, "STATIC", "frame", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                     0, 0, 480, 420, nullptr, nullptr, nullptr, nullptr));
        ASSERT_TRUE(parent);
        filter = new CMfxZephrinFilter();
        page = new (std::nothrow) CMfxZephrinPropPage();
        ASSERT_NE(page, nullptr);
        ASSERT_EQ(page->SetPageSite(&site), S_OK);
        ASSERT_EQ(Attach(page, Unknown(filter)), S_OK);
    }
    void TearDown() override {
        if (page) {
            EXPECT_EQ(page->Release(), 0u) << "a test leaked a page reference";
        }
        if (filter) {
            EXPECT_EQ(filter->Release(), 0u) << "a test leaked a filter reference";
        }
        EXPECT_EQ(site.refs, 1) << "the site's reference was not given back";
        EXPECT_EQ(g_objectCount, m_objectsBefore);
        EXPECT_EQ(DialogWindows(parent.get()), 0) << "a dialog window was left behind";
    }

    static IUnknown* Unknown(CMfxZephrinFilter* f) { return static_cast<IMfxEventFilter*>(f); }
    static HRESULT Attach(CMfxZephrinPropPage* to, IUnknown* object) {
        return to->SetObjects(1, &object);
    }
    HRESULT Activate() { return page->Activate(parent.get(), &kPageRect, FALSE); }
    HWND PageWindow() const { return GetWindow(parent.get(), GW_CHILD); }
    HWND Item(int id) const { return GetDlgItem(PageWindow(), id); }
    std::string Text(int id) const {
        char text[64] = {};
        GetDlgItemTextA(PageWindow(), id, text, sizeof text);
        return text;
    }
    LRESULT Send(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return SendMessageA(Item(id), message, wParam, lParam);
    }
    // A trackbar notification as the control sends it to its dialog.
    void Scroll(int id, int code, int position = 0) const {
        SendMessageA(PageWindow(), WM_HSCROLL, MAKEWPARAM(code, position),
                     reinterpret_cast<LPARAM>(Item(id)));
    }

    CUniqueHwnd parent;
    CCountingSite site;
    CMfxZephrinFilter* filter = nullptr;  // tests that release it set it to null
    CMfxZephrinPropPage* page = nullptr;  // likewise

private:
    LONG m_objectsBefore = 0;
};
