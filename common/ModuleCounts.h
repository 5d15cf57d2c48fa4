// The module-wide counters that decide whether the module may be unloaded.
#pragma once

#include <windows.h>

extern LONG volatile g_objectCount;  // live filter objects
extern LONG volatile g_lockCount;    // server locks taken through LockServer
