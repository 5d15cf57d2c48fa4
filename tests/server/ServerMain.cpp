// The server unit tests' entry point: this program stands in for the module,
// so the framework learns its instance handle (its file is the module path
// that registration writes) before any test runs.
#include "framework/ModuleState.h"

#include <gtest/gtest.h>

#include <cstdio>

#include <objbase.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    AfxInitModule(GetModuleHandleA(nullptr), "Quillfen MFX Zephrin");
    if (const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); FAILED(hr)) {
        std::fprintf(stderr, "CoInitializeEx failed: 0x%08lX\n", static_cast<unsigned long>(hr));
        return 1;
    }
    const int result = RUN_ALL_TESTS();
    CoUninitialize();
    return result;
}
