// The module tests' entry point. The main thread is the process's first
// single-threaded apartment, where the runtime creates the module's objects
// directly (the module names no threading model), and OLE is up for the
// property frame.
#include <gtest/gtest.h>

#include <cstdio>

#include <ole2.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (const HRESULT hr = OleInitialize(nullptr); FAILED(hr)) {
        std::fprintf(stderr, "OleInitialize failed: 0x%08lX\n", static_cast<unsigned long>(hr));
        return 1;
    }
    const int result = RUN_ALL_TESTS();
    OleUninitialize();
    return result;
}
