// Zephrin's settings stream: the four settings of its table as 16 bytes,
// little-endian int32s, row by row, with no header. The filter and the host
// tool read and write it with these; no Windows header.
#pragma once

#include <cstddef>
#include <cstdint>

struct ZephrinSettings {
    int32_t keyIn = 96;
    int32_t ccOut = 64;
    int32_t lookAheadFix = 1;  // 0 off, any other value on
    int32_t reserved = 128;

    static constexpr size_t kFields = 4;
    static constexpr size_t kFieldBytes = 4;
    static constexpr size_t kBytes = kFields * kFieldBytes;
};

// The fields in stream order.
constexpr int32_t ZephrinSettings::*kZephrinFields[ZephrinSettings::kFields] = {
    &ZephrinSettings::keyIn, &ZephrinSettings::ccOut, &ZephrinSettings::lookAheadFix,
    &ZephrinSettings::reserved};

inline void EncodeZephrinField(int32_t value, uint8_t* bytes) {
    for (size_t b = 0; b < ZephrinSettings::kFieldBytes; ++b)
        bytes[b] = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * b));
}

inline int32_t DecodeZephrinField(const uint8_t* bytes) {
    uint32_t value = 0;
    for (size_t b = ZephrinSettings::kFieldBytes; b-- > 0;) value = value << 8 | bytes[b];
    return static_cast<int32_t>(value);
}

// The whole stream; a decode takes exactly kBytes, and changes nothing
// otherwise.
inline void EncodeZephrinSettings(const ZephrinSettings& settings,
                                  uint8_t (&bytes)[ZephrinSettings::kBytes]) {
    for (size_t i = 0; i < ZephrinSettings::kFields; ++i)
        EncodeZephrinField(settings.*kZephrinFields[i], bytes + i * ZephrinSettings::kFieldBytes);
}

inline bool DecodeZephrinSettings(const uint8_t* bytes, size_t length, ZephrinSettings& settings) {
    if (length != ZephrinSettings::kBytes) return false;
    for (size_t i = 0; i < ZephrinSettings::kFields; ++i)
        settings.*kZephrinFields[i] = DecodeZephrinField(bytes + i * ZephrinSettings::kFieldBytes);
    return true;
}
