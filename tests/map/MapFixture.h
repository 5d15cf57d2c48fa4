// A fixture that owns one Zephrin Map filter, runs its two roads through test
// queues, and checks at the end that the test left exactly its own reference
// and that the module's object count is back where it was.
#pragma once

#include "common/ModuleCounts.h"
#include "map/engine/MapSetups.h"
#include "map/mfx/MapFilter.h"
#include "tests/support/HostQueues.h"

#include <gtest/gtest.h>

#include <vector>

// A mapping in one line: keys, controller and what differs from the default.
inline MapMapping Mapping(uint8_t low, uint8_t high, uint8_t controller) {
    return MapHeld(low, high, controller);
}

class MapFilterTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_countBefore = g_objectCount;
        filter = new CMfxZephrinMapFilter();
        ASSERT_EQ(g_objectCount, m_countBefore + 1);
    }
    void TearDown() override {
        EXPECT_EQ(filter->Release(), 0u) << "a test leaked a reference";
        EXPECT_EQ(g_objectCount, m_countBefore);
    }

    // Replaces every mapping with these, in order; the rest are off.
    void Use(const std::vector<MapMapping>& mappings, bool lookAheadFix = true) {
        MapSettings settings;
        settings.lookAheadFix = lookAheadFix;
        for (size_t i = 0; i < mappings.size(); ++i) settings.mappings[i] = mappings[i];
        filter->SetSettings(settings);
    }
    std::vector<DataItem> Live(std::vector<DataItem> items) {
        CTestDataQueue in(std::move(items)), out;
        EXPECT_EQ(filter->OnInput(&in, &out), S_OK);
        return out.records;
    }
    std::vector<EventRecord> Play(int32_t from, int32_t thru, std::vector<EventRecord> records) {
        CTestEventQueue in(std::move(records)), out;
        EXPECT_EQ(filter->OnEvents(from, thru, &in, &out), S_OK);
        return out.records;
    }

    CMfxZephrinMapFilter* filter = nullptr;

private:
    LONG m_countBefore = 0;
};
