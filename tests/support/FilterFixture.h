// A fixture that owns one filter and checks, at the end of every test, that
// the test left exactly its own reference and that the filter is gone after
// it: the module's object count back where it was.
#pragma once

#include "common/ModuleCounts.h"
#include "zephrin/filter/ZephrinFilter.h"

#include <gtest/gtest.h>

#include <atomic>

class CCountingPageLink final : public IZephrinPageLink {
public:
    std::atomic<int> refreshes{0};
    int detaches = 0;
    CMfxZephrinFilter* filter = nullptr;

    void Attach(CMfxZephrinFilter* f) {
        CLockGuard link(PageLinkLock());
        filter = f;
        f->AttachPage(this);
    }
    void Detach() {
        CLockGuard link(PageLinkLock());
        if (filter) filter->DetachPage(this);
        filter = nullptr;
    }
    void Refresh() override { ++refreshes; }
    void FilterDetached(CMfxZephrinFilter* f) override {
        if (filter == f) filter = nullptr;
        ++detaches;
    }
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
