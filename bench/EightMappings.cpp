// The eight mappings every benchmark sets Zephrin Map up with.
#include "bench/EightMappings.h"

MapSettings BenchEightMappings() {
    MapSettings settings = MapSettings::Defaults();
    auto add = [&](int index, uint8_t low, uint8_t high, uint8_t controller, uint8_t channel,
                   MapMode mode) -> MapMapping& {
        MapMapping& m = settings.mappings[index];
        m.on = true;
        m.lowKey = low;
        m.highKey = high;
        m.controller = controller;
        m.inChannel = channel;
        m.mode = mode;
        return m;
    };
    add(1, 97, 97, 66, 1, MapMode::kLatch);
    add(2, 98, 98, 67, 2, MapMode::kHeld).velocity = true;
    MapMapping& pads = add(3, 36, 37, 1, 10, MapMode::kHeld);
    pads.velocity = true;
    pads.outChannel = 1;
    add(4, 100, 100, 11, 0, MapMode::kHeld).through = true;
    add(5, 101, 103, 7, 16, MapMode::kLatch).outChannel = 5;
    MapMapping& inverted = add(6, 104, 104, 10, 0, MapMode::kHeld);
    inverted.onValue = 0;
    inverted.offValue = 127;
    MapMapping& last = add(7, 105, 105, 71, 3, MapMode::kLatch);
    last.velocity = true;
    last.through = true;
    return settings;
}
