// The page tests' fixture for either plug-in: a page driven as a property
// frame would, with a hidden parent window, a site that counts status
// changes, and a filter attached. Every test ends with the page, the filter
// and the site back to their counts and no dialog window left on the thread.
#pragma once

#include "common/ModuleCounts.h"
#include "common/UniqueHandle.h"
#include "host/MfxHost.h"
#include "tests/support/CountingSite.h"
#include "tests/support/PageWindows.h"

#include <gtest/gtest.h>

#include <new>

template <typename Filter, typename Page>
class PageTestOf : public ::testing::Test {
protected:
    // The page goes at pageRect of the parent.
    explicit PageTestOf(const RECT& pageRect) : m_pageRect(pageRect) {}

    void SetUp() override {
        m_objectsBefore = g_objectCount;
        parent.reset(CreateWindowExA(0, "STATIC", "frame", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                     0, 0, m_pageRect.right + 80, m_pageRect.bottom + 80, nullptr,
                                     nullptr, nullptr, nullptr));
        ASSERT_TRUE(parent);
        filter = new Filter();
        page = new (std::nothrow) Page();
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

    static IUnknown* Unknown(Filter* f) { return static_cast<IMfxEventFilter*>(f); }
    static HRESULT Attach(Page* to, IUnknown* object) { return to->SetObjects(1, &object); }
    HRESULT Activate() { return page->Activate(parent.get(), &m_pageRect, FALSE); }
    HWND PageWindow() const { return GetWindow(parent.get(), GW_CHILD); }

    CUniqueHwnd parent;
    CCountingSite site;
    Filter* filter = nullptr;  // tests that release it set it to null
    Page* page = nullptr;      // likewise

private:
    const RECT m_pageRect;
    LONG m_objectsBefore = 0;
};
