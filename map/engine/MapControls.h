// Zephrin Map's settings as a host's controls: each mapping's eleven values
// as numbers a host draws, saves and automates (LV2 ports, CLAP parameters),
// with their symbols, names, ranges and defaults in one table, and the
// settings made from whatever numbers a host hands over. A host's number is
// never trusted: it is rounded to the nearest integer and clamped into its
// range, and one that is not a number at all counts as the default.
#pragma once

#include "map/engine/MapSettings.h"

#include <cstddef>

enum class MapControl : int {
    kOn,
    kChannel,
    kLowKey,
    kHighKey,
    kController,
    kMode,
    kOnValue,
    kOffValue,
    kVelocity,
    kThrough,
    kOutChannel,
};
constexpr int kMapControls = 11;
constexpr int kMapAllControls = kMapControls * kMapMaxMappings;

enum class MapControlKind : unsigned char {
    kToggle,   // 0 off, 1 on
    kInteger,  // every integer from min to max
    kChoice,   // integers from min to max, each with a name (MapControlChoice)
};

struct MapControlInfo {
    const char* symbol;  // after "m<n>_": m1_on, m8_out
    const char* name;    // after "Mapping <n> ": "Mapping 1 on"
    MapControlKind kind;
    int min;
    int max;
    int defaultValue;  // for mappings 2-8; mapping 1's on is 1
};

const MapControlInfo& MapControlAbout(MapControl control);
int MapControlDefault(int mapping, MapControl control);

// "m3_low", "Mapping 3 lowest key": written into text (size bytes, always
// terminated); false when it does not fit.
bool MapControlSymbol(int mapping, MapControl control, char* text, size_t size);
bool MapControlName(int mapping, MapControl control, char* text, size_t size);

// The name of a choice's value ("Any", "Channel 3", "Latch", "Sustain
// pedal"), or null where the value has none (a controller the standard does
// not name, or a control that is not a choice).
const char* MapControlChoice(MapControl control, int value);

// A host's number as the integer it stands for: rounded to the nearest,
// clamped into min-max, the default when it is not a number. Hosts send any
// double, so no value is trusted as it comes.
int MapWholeValue(double number, int min, int max, int defaultValue);
// The same for one of a mapping's controls, with its range and default.
int MapControlValue(int mapping, MapControl control, double number);

// One mapping from its eleven numbers, in MapControl's order. A mapping whose
// lowest key is above its highest takes nothing: it comes out off.
MapMapping MapMappingFromControls(int mapping, const float (&numbers)[kMapControls]);
// And back: the numbers a host shows for a mapping.
void MapControlsFromMapping(const MapMapping& mapping, float (&numbers)[kMapControls]);

// Learn mode took a note-on of key on channel (0-15): the mapping's numbers
// with the keys and input channel MapLearned gives, the host's others kept
// as they were (so a mapping whose crossed keys took nothing comes back on).
void MapControlsLearn(int mapping, float (&numbers)[kMapControls], uint8_t key, uint8_t channel);
