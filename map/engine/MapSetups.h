// The ready set-ups a musician starts from, by name: the sustain pedal, the
// three piano pedals, a latching sustain and drum pads to modulation. Each
// replaces every mapping and leaves the look-ahead fix alone. The editor
// page offers them, and other formats ship them as presets.
#pragma once

#include "map/engine/MapSettings.h"

constexpr int kMapSetups = 4;
// UTF-8.
extern const char* const kMapSetupNames[kMapSetups];
MapSettings MapSetup(int index, bool lookAheadFix);
// The set-up the settings are, or -1.
int MapSetupOf(const MapSettings& settings);

// A mapping that is on and held: keys low to high to the controller.
MapMapping MapHeld(uint8_t low, uint8_t high, uint8_t controller);
