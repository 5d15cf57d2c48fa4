// The platform's yield: SwitchToThread on Windows, sched_yield elsewhere.
#include "common/ThreadYield.h"

#ifdef _WIN32
#include <windows.h>
void YieldThread() { SwitchToThread(); }
#else
#include <sched.h>
void YieldThread() { sched_yield(); }
#endif
