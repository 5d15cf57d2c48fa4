// The in-process module tests register a module through its own exports:
// under emulation every extra process costs about a minute.
#include "tests/server/ModuleTools.h"

int RegisterModuleFile(const std::string& module, bool unregister) {
    return CallRegistrationExportOf(module, unregister ? "DllUnregisterServer"
                                                       : "DllRegisterServer") == S_OK
               ? 0
               : 1;
}
