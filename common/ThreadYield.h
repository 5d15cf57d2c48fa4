// Gives the rest of the calling thread's time slice to another thread: what
// a thread that waits for a few nanoseconds' work of another does between
// looks. No Windows header, so portable code can use it.
#pragma once

void YieldThread();
