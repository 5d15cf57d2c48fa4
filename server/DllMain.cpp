// The module's start-up: the framework learns this module's instance handle
// (its resources, its file name, the message box caption), and the trackbar
// class that the editor's template uses is registered.
#include "framework/Controls.h"
#include "framework/ModuleState.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        AfxInitModule(instance, "Quillfen MFX Zephrin");
        AfxRegisterCommonControls();
    }
    return TRUE;
}
