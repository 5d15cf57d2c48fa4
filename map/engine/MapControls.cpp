#include "map/engine/MapControls.h"

#include "map/engine/MapNames.h"
#include "map/engine/MapRules.h"

#include <cmath>
#include <cstdio>
#include <initializer_list>

namespace {

// In MapControl's order. Symbols and ranges are what hosts save sessions and
// presets by: never change one once shipped.
const MapControlInfo kControls[kMapControls] = {
    {"on", "on", MapControlKind::kToggle, 0, 1, 0},
    {"channel", "input channel", MapControlKind::kChoice, 0, 16, 0},
    {"low", "lowest key", MapControlKind::kInteger, 0, 127, 96},
    {"high", "highest key", MapControlKind::kInteger, 0, 127, 96},
    {"cc", "controller", MapControlKind::kChoice, 0, 127, 64},
    {"mode", "mode", MapControlKind::kChoice, 0, 1, 0},
    {"on_value", "on value", MapControlKind::kInteger, 0, 127, 127},
    {"off_value", "off value", MapControlKind::kInteger, 0, 127, 0},
    {"velocity", "velocity", MapControlKind::kToggle, 0, 1, 0},
    {"through", "through", MapControlKind::kToggle, 0, 1, 0},
    {"out", "output channel", MapControlKind::kChoice, 0, 16, 0},
};

const char* const kChannelNames[17] = {
    "Any",        "Channel 1",  "Channel 2",  "Channel 3",  "Channel 4",  "Channel 5",
    "Channel 6",  "Channel 7",  "Channel 8",  "Channel 9",  "Channel 10", "Channel 11",
    "Channel 12", "Channel 13", "Channel 14", "Channel 15", "Channel 16"};

bool Written(int length, size_t size) { return length >= 0 && static_cast<size_t>(length) < size; }

}  // namespace

const MapControlInfo& MapControlAbout(MapControl control) {
    return kControls[static_cast<int>(control)];
}

int MapControlDefault(int mapping, MapControl control) {
    if (control == MapControl::kOn) return mapping == 0 ? 1 : 0;
    return MapControlAbout(control).defaultValue;
}

bool MapControlSymbol(int mapping, MapControl control, char* text, size_t size) {
    return Written(std::snprintf(text, size, "m%d_%s", mapping + 1, MapControlAbout(control).symbol),
                   size);
}

bool MapControlName(int mapping, MapControl control, char* text, size_t size) {
    return Written(std::snprintf(text, size, "Mapping %d %s", mapping + 1, MapControlAbout(control).name),
                   size);
}

const char* MapControlChoice(MapControl control, int value) {
    const MapControlInfo& about = MapControlAbout(control);
    if (about.kind != MapControlKind::kChoice || value < about.min || value > about.max)
        return nullptr;
    switch (control) {
    case MapControl::kChannel:
        return kChannelNames[value];
    case MapControl::kOutChannel:
        return value == 0 ? "Note's own" : kChannelNames[value];
    case MapControl::kMode:
        return value == 0 ? "Held" : "Latch";
    case MapControl::kController:
        return MapControllerName(value);
    default:
        return nullptr;
    }
}

int MapWholeValue(double number, int min, int max, int defaultValue) {
    if (std::isnan(number)) return defaultValue;
    if (number <= min) return min;
    if (number >= max) return max;
    return static_cast<int>(std::lround(number));
}

int MapControlValue(int mapping, MapControl control, double number) {
    const MapControlInfo& about = MapControlAbout(control);
    return MapWholeValue(number, about.min, about.max, MapControlDefault(mapping, control));
}

MapMapping MapMappingFromControls(int mapping, const float (&numbers)[kMapControls]) {
    auto value = [&](MapControl control) {
        return MapControlValue(mapping, control, numbers[static_cast<int>(control)]);
    };
    MapMapping m;
    m.on = value(MapControl::kOn) != 0;
    m.inChannel = static_cast<uint8_t>(value(MapControl::kChannel));
    m.lowKey = static_cast<uint8_t>(value(MapControl::kLowKey));
    m.highKey = static_cast<uint8_t>(value(MapControl::kHighKey));
    m.controller = static_cast<uint8_t>(value(MapControl::kController));
    m.mode = value(MapControl::kMode) ? MapMode::kLatch : MapMode::kHeld;
    m.onValue = static_cast<uint8_t>(value(MapControl::kOnValue));
    m.offValue = static_cast<uint8_t>(value(MapControl::kOffValue));
    m.velocity = value(MapControl::kVelocity) != 0;
    m.through = value(MapControl::kThrough) != 0;
    m.outChannel = static_cast<uint8_t>(value(MapControl::kOutChannel));
    if (m.lowKey > m.highKey) {
        // Kept valid for the stream, and off: crossed keys hold no key.
        m.on = false;
        m.highKey = m.lowKey;
    }
    return m;
}

void MapControlsFromMapping(const MapMapping& m, float (&numbers)[kMapControls]) {
    auto set = [&](MapControl control, int value) {
        numbers[static_cast<int>(control)] = static_cast<float>(value);
    };
    set(MapControl::kOn, m.on);
    set(MapControl::kChannel, m.inChannel);
    set(MapControl::kLowKey, m.lowKey);
    set(MapControl::kHighKey, m.highKey);
    set(MapControl::kController, m.controller);
    set(MapControl::kMode, m.mode == MapMode::kLatch);
    set(MapControl::kOnValue, m.onValue);
    set(MapControl::kOffValue, m.offValue);
    set(MapControl::kVelocity, m.velocity);
    set(MapControl::kThrough, m.through);
    set(MapControl::kOutChannel, m.outChannel);
}

void MapControlsLearn(int mapping, float (&numbers)[kMapControls], uint8_t key, uint8_t channel) {
    float learned[kMapControls];
    const MapMapping taught = MapLearned(MapMappingFromControls(mapping, numbers), key, channel);
    MapControlsFromMapping(taught, learned);
    for (MapControl c : {MapControl::kLowKey, MapControl::kHighKey, MapControl::kChannel})
        numbers[static_cast<int>(c)] = learned[static_cast<int>(c)];
}
