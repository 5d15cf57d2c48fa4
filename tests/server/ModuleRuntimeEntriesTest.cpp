// The runtime entries the modules supply for themselves instead of the C++
// runtime's, run here as the modules run them: formatting keeps the C99
// contract, a function-local static is made once however many threads race
// for it, and allocation through nothrow new never throws.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <thread>
#include <vector>

namespace {

TEST(ModuleRuntime, FormattingGivesTheFullLengthAndCutsShortSafely) {
    struct Case {
        size_t size;
        const char* text;
    } const cases[] = {{32, "key 96 (C6)"}, {8, "key 96 "}, {1, ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        char buffer[33];
        std::memset(buffer, 'x', sizeof buffer);
        EXPECT_EQ(std::snprintf(buffer, c.size, "key %d (%s)", 96, "C6"), 11);
        EXPECT_STREQ(buffer, c.text);
        EXPECT_EQ(buffer[c.size], 'x') << "nothing written past the size";
    }
    EXPECT_EQ(std::snprintf(nullptr, 0, "%s\\%s", "CLSID", "{...}"), 11) << "measuring only";
}

// Slow to make, so that the racing threads all arrive while it is made.
int MadeOnce(std::atomic<int>& made) {
    static const int value = [&] {
        Sleep(50);
        return ++made;
    }();
    return value;
}

TEST(ModuleRuntime, AFunctionLocalStaticIsMadeOnceWhileThreadsRaceForIt) {
    std::atomic<int> made{0};
    std::vector<int> seen(8);
    std::vector<std::thread> threads;
    for (int& value : seen) threads.emplace_back([&] { value = MadeOnce(made); });
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(made.load(), 1);
    EXPECT_EQ(seen, std::vector<int>(8, 1)) << "every thread waited for the one that made it";
}

TEST(ModuleRuntime, NothrowNewGivesDistinctBlocksEvenForNothing) {
    char* none = new (std::nothrow) char[0];
    char* other = new (std::nothrow) char[0];
    ASSERT_TRUE(none && other);
    EXPECT_NE(none, other);
    delete[] none;
    delete[] other;
    volatile size_t tooMuch = SIZE_MAX / 2;
    EXPECT_EQ(new (std::nothrow) char[tooMuch], nullptr) << "null, neither a throw nor an end";
}

}  // namespace
