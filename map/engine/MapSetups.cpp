#include "map/engine/MapSetups.h"

const char* const kMapSetupNames[kMapSetups] = {
    "Sustain on C6",
    "Three pedals on C6, D6, E6",
    "Latching sustain on C6",
    "Drum pads 36\xE2\x80\x93" "51 to modulation by velocity",
};

MapMapping MapHeld(uint8_t low, uint8_t high, uint8_t controller) {
    MapMapping m;
    m.on = true;
    m.lowKey = low;
    m.highKey = high;
    m.controller = controller;
    return m;
}

MapSettings MapSetup(int index, bool lookAheadFix) {
    MapSettings settings;
    settings.lookAheadFix = lookAheadFix;
    switch (index) {
    case 0:
        settings.mappings[0] = MapHeld(96, 96, 64);
        break;
    case 1:
        settings.mappings[0] = MapHeld(96, 96, 64);
        settings.mappings[1] = MapHeld(98, 98, 66);
        settings.mappings[2] = MapHeld(100, 100, 67);
        break;
    case 2:
        settings.mappings[0] = MapHeld(96, 96, 64);
        settings.mappings[0].mode = MapMode::kLatch;
        break;
    case 3:
        settings.mappings[0] = MapHeld(36, 51, 1);
        settings.mappings[0].velocity = true;
        break;
    }
    return settings;
}

int MapSetupOf(const MapSettings& settings) {
    for (int i = 0; i < kMapSetups; ++i)
        if (MapSetup(i, settings.lookAheadFix) == settings) return i;
    return -1;
}
