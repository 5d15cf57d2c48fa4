// Zephrin Map's LV2 ports: the plug-in's URI and where each port sits, for
// the plug-in, the program that writes its Turtle and the tests. The port
// symbols (midi_in, midi_out, then m1_on ... m8_out from the engine's
// controls table) are what hosts save sessions and presets by.
#pragma once

#include <cstdint>

#include "map/engine/MapControls.h"

constexpr char kMapLv2Uri[] = "urn:quillfen:zephrin-map";

constexpr uint32_t kMapLv2MidiIn = 0;
constexpr uint32_t kMapLv2MidiOut = 1;
constexpr uint32_t kMapLv2FirstControl = 2;
constexpr uint32_t kMapLv2Ports = kMapLv2FirstControl + kMapAllControls;

// Mapping 0-7's control, in MapControl's order: m1_on is port 2, m8_out 89.
constexpr uint32_t MapLv2ControlPort(int mapping, MapControl control) {
    return kMapLv2FirstControl + static_cast<uint32_t>(mapping * kMapControls) +
           static_cast<uint32_t>(control);
}
