// The in-process module tests register the module through its own exports:
// under emulation every extra process costs about a minute.
#include "tests/server/ModuleTools.h"

int RegisterModule(bool unregister) {
    return CallRegistrationExport(unregister ? "DllUnregisterServer" : "DllRegisterServer") == S_OK
               ? 0
               : 1;
}
