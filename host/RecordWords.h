// Host records read and written as whole little-endian words (the host's x86
// byte order: byte n of a word is bits 8n to 8n+7), and the playback time
// arithmetic.
#pragma once

#include <cstdint>
#include <cstring>

template <typename Word>
inline Word LoadWord(const void* bytes) {
    Word word;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

template <typename Word>
inline void StoreWord(void* bytes, Word word) {
    std::memcpy(bytes, &word, sizeof word);
}

// Playback times are 32-bit and wrap like the host's own arithmetic; done
// unsigned because signed overflow is undefined in C++.
inline int32_t NoteEnd(int32_t start, int32_t duration) {
    return static_cast<int32_t>(static_cast<uint32_t>(start) + static_cast<uint32_t>(duration) -
                                1u);
}
