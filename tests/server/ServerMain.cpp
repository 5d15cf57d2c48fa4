// The server unit tests' entry point: this program stands in for the module,
// so the framework learns its instance handle (its file is the module path
// that registration writes) before any test runs.
#include "framework/ModuleState.h"

#include <gtest/gtest.h>

#include <objbase.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    AfxInitModule(GetModuleHandleA(nullptr), "Quillfen MFX Zephrin");
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    const int result = RUN_ALL_TESTS();
    CoUninitialize();
    return result;
}
