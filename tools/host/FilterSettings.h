// A filter's settings as the host keeps them in a project: the bytes its
// IPersistStream saves, loaded back the same way.
#pragma once

#include "map/engine/MapSettings.h"
#include "tools/host/HostText.h"

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

// Hands the bytes to IPersistStream::Load on a fresh memory stream. A filter
// tells the user, not the host, when it cannot take a stream: a message box
// it shows meanwhile is closed as a user would close it, and then the result
// is S_FALSE with the box's text in error.
HRESULT LoadFilterSettings(IUnknown* filter, const std::vector<uint8_t>& bytes,
                           std::string& error);

std::vector<uint8_t> MapSettingsBytes(const MapSettings& settings);

// Whose settings a filter saves: Zephrin Map's when the bytes are its stream
// (checked first: one mapping makes 16 bytes too), Zephrin's when they are
// 16 bytes. The matching one of zephrin and map is filled.
enum class SettingsFormat { kZephrin, kMap, kUnknown };
SettingsFormat IdentifySettings(const std::vector<uint8_t>& bytes, ZephrinSettings& zephrin,
                                MapSettings& map);

// "key 96 (C6), controller 64, look-ahead fix on, reserved 128"
std::string DescribeSettings(const ZephrinSettings& settings);
