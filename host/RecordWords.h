// Host records read and written as whole little-endian words (the host's x86
// byte order: byte n of a word is bits 8n to 8n+7).
#pragma once

#include "common/NoteTime.h"

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
