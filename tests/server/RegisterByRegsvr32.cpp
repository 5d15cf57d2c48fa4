// The module tests register the module as a user does, with regsvr32.
#include "tests/server/ModuleTools.h"

int RegisterModule(bool unregister) { return RunRegsvr32(unregister); }
