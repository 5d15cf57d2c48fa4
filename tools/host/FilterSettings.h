// A filter's settings as the host keeps them in a project: the bytes its
// IPersistStream saves, loaded back the same way.
#pragma once

#include <objbase.h>

#include <cstdint>
#include <string>
#include <vector>

// The 16-byte settings stream: four little-endian int32s.
struct ZephrinSettings {
    int32_t keyIn = 96;
    int32_t ccOut = 64;
    int32_t lookAheadFix = 1;
    int32_t reserved = 128;

    static constexpr size_t kBytes = 16;
    std::vector<uint8_t> ToBytes() const;
    static bool FromBytes(const std::vector<uint8_t>& bytes, ZephrinSettings& settings);
};

// What the filter writes through IPersistStream::Save (without clearing its
// dirty flag, as a host that only looks).
HRESULT SaveFilterSettings(IUnknown* filter, std::vector<uint8_t>& bytes, std::string& error);

// Hands the bytes to IPersistStream::Load on a fresh memory stream.
HRESULT LoadFilterSettings(IUnknown* filter, const std::vector<uint8_t>& bytes,
                           std::string& error);

// "C6" for 96: the note names the editor shows, middle C (60) as C3.
std::string NoteName(int32_t note);

// "key 96 (C6), controller 64, look-ahead fix on, reserved 128"
std::string DescribeSettings(const ZephrinSettings& settings);
