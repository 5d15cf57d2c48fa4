// The host's input thread runs while the editor writes settings: every output
// message must be either the converted or the unconverted form.
#include "tests/support/FilterFixture.h"
#include "tests/support/HostQueues.h"

#include <thread>

using FilterThreads = FilterTest;

TEST_F(FilterThreads, LiveInputStaysWholeWhileSettingsChange) {
    std::atomic<bool> stop{false};
    std::thread editor([&] {
        for (int32_t i = 0; !stop; ++i) {
            filter->SetParam(0, 0, (i & 1) ? 60 : 61);
            filter->SetParam(0, 1, (i & 1) ? 64 : 65);
            filter->m_dirty = 1;
        }
    });

    const DataItem on = Live(0x93, 60, 100);
    int converted = 0;
    int passed = 0;
    for (int call = 0; call < 20000; ++call) {
        CTestDataQueue in({on}), out;
        filter->OnInput(&in, &out);
        ASSERT_EQ(out.records.size(), 1u);
        const DataItem& item = out.records[0];
        if (item == on) {
            ++passed;
        } else {
            ASSERT_EQ(item.status, 0xB3);
            ASSERT_TRUE(item.data1 == 64 || item.data1 == 65) << int(item.data1);
            ASSERT_EQ(item.data2, 127);
            ++converted;
        }
    }
    stop = true;
    editor.join();
    EXPECT_EQ(converted + passed, 20000);
}
