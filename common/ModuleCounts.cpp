// Both counters start at zero with the module and change only by interlocked
// increment and decrement.
#include "common/ModuleCounts.h"

LONG volatile g_objectCount = 0;
LONG volatile g_lockCount = 0;
