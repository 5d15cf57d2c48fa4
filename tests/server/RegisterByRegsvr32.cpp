// The module tests register a module as a user does, with regsvr32.
#include "tests/server/ModuleTools.h"

int RegisterModuleFile(const std::string& module, bool unregister) {
    return RunRegsvr32On(module, unregister);
}
