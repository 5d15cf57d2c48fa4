// A filter's settings as the host keeps them in a project: the bytes its
// IPersistStream saves, loaded back the same way.
#pragma once

#include "map/engine/MapSettings.h"
#include "zephrin/filter/ZephrinSettings.h"

#include <objbase.h>

#include <cstdint>
#include <string>
#include <vector>

// What the filter writes through IPersistStream::Save (without clearing its
// dirty flag, as a host that only looks).
HRESULT SaveFilterSettings(IUnknown* filter, std::vector<uint8_t>& bytes, std::string& error);

// Hands the bytes to IPersistStream::Load on a fresh memory stream. A filter
// tells the user, not the host, when it cannot take a stream: a message box
// it shows meanwhile is closed as a user would close it, and then the result
// is S_FALSE with the box's text in error.
HRESULT LoadFilterSettings(IUnknown* filter, const std::vector<uint8_t>& bytes,
                           std::string& error);

// Each plug-in's stream as the bytes its codec writes.
std::vector<uint8_t> ZephrinSettingsBytes(const ZephrinSettings& settings);
std::vector<uint8_t> MapSettingsBytes(const MapSettings& settings);
