// The page tests' entry point: this program stands in for the plug-in
// module, so the framework's module state, the trackbar class and COM are
// set up for it before any test runs.
#include "framework/ModuleState.h"

#include <gtest/gtest.h>

#include <cstdio>

#include <commctrl.h>
#include <malloc.h>
#include <ole2.h>

#include <cstdlib>
#include <new>

// Freed objects are overwritten, so that a call through a pointer left
// dangling (a filter still linked to a page that went) crashes the test
// instead of passing by luck.
void operator delete(void* p) noexcept {
    if (!p) return;
    // Volatile: a plain memset before free is a dead store the compiler drops.
    auto* bytes = static_cast<volatile unsigned char*>(p);
    for (std::size_t i = 0, size = _msize(p); i < size; ++i) bytes[i] = 0xDD;
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    AfxInitModule(GetModuleHandleA(nullptr), "Quillfen MFX Zephrin");
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    if (const HRESULT hr = OleInitialize(nullptr); FAILED(hr)) {
        std::fprintf(stderr, "OleInitialize failed: 0x%08lX\n", static_cast<unsigned long>(hr));
        return 1;
    }
    const int result = RUN_ALL_TESTS();
    OleUninitialize();
    return result;
}
