// Sequencer time arithmetic shared by the hosts' records and the engine. No
// Windows header.
#pragma once

#include <cstdint>

// The last tick of a note: start + duration - 1. Times are 32-bit and wrap
// like a host's own arithmetic; done unsigned because signed overflow is
// undefined in C++.
inline int32_t NoteEnd(int32_t start, int32_t duration) {
    return static_cast<int32_t>(static_cast<uint32_t>(start) + static_cast<uint32_t>(duration) -
                                1u);
}
