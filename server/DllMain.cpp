// The module's start-up: the framework learns this module's instance handle
// (its resources, its file name, the message box caption), and the control
// classes that the editor templates use are registered.
#include "framework/Controls.h"
#include "framework/ModuleState.h"
#include "server/ModuleTable.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        AfxInitModule(instance, g_moduleTable.appName);
        AfxRegisterCommonControls();
    }
    return TRUE;
}
