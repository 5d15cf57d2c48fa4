// A fixture that owns one filter and checks, at the end of every test, that
// the test left exactly its own reference and that the filter is gone after
// it: the module's object count back where it was.
#pragma once

#include "common/ModuleCounts.h"
#include "zephrin/filter/ZephrinFilter.h"

#include <gtest/gtest.h>

#include <atomic>

// A page as a filter sees it: told when the filter goes, and counting the
// refreshes the filter sends to its window, a message-only window of the
// test's thread (a load there refreshes at once, a learned key is posted).
class CCountingPageLink final : public IMfxPageLink {
public:
    std::atomic<int> refreshes{0};
    // The refreshes so far, those posted to the window included.
    int Refreshes() {
        MSG message;
        while (PeekMessageA(&message, m_window, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        return refreshes;
    }
    int detaches = 0;
    CMfxFilter* filter = nullptr;

    CCountingPageLink() {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = WindowProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = kClassName;
        RegisterClassA(&windowClass);  // fails harmlessly when registered already
        m_window = CreateWindowA(kClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 windowClass.hInstance, nullptr);
        SetWindowLongPtrA(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~CCountingPageLink() {
        Detach();
        DestroyWindow(m_window);
    }
    CCountingPageLink(const CCountingPageLink&) = delete;
    CCountingPageLink& operator=(const CCountingPageLink&) = delete;

    void Attach(CMfxFilter* f) {
        CLockGuard link(PageLinkLock());
        filter = f;
        f->AttachPage(this);
        f->PageRefresh().SetWindow(m_window);
    }
    void Detach() {
        CLockGuard link(PageLinkLock());
        if (filter) {
            filter->PageRefresh().SetWindow(nullptr);
            filter->DetachPage(this);
        }
        filter = nullptr;
    }
    void FilterDetached(CMfxFilter* f) override {
        if (filter == f) filter = nullptr;
        ++detaches;
    }

private:
    static constexpr char kClassName[] = "ZephrinTestPageLink";

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<CCountingPageLink*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (self && message == CMfxFilter::kPageRefreshMessage) {
            CLockGuard link(PageLinkLock());
            if (self->filter) self->filter->PageRefresh().Taken();
            ++self->refreshes;
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }

    HWND m_window = nullptr;
};

class FilterTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_countBefore = g_objectCount;
        filter = new CMfxZephrinFilter();
        ASSERT_EQ(g_objectCount, m_countBefore + 1);
    }
    void TearDown() override {
        EXPECT_EQ(filter->Release(), 0u) << "a test leaked a reference";
        EXPECT_EQ(g_objectCount, m_countBefore);
    }

    CMfxZephrinFilter* filter = nullptr;

private:
    LONG m_countBefore = 0;
};
