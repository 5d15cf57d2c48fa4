// What a row of Zephrin Map's page shows of its mapping: the fields, their
// values as the controls hold them, the texts of the drop-down lists, and
// the ready set-ups the page can start from. No Windows header.
#pragma once

#include "map/engine/MapSettings.h"
#include "map/engine/MapSetups.h"

#include <cstdint>

enum class MapField {
    kOn,
    kInChannel,   // 0 any, 1-16
    kLowKey,
    kHighKey,
    kController,
    kMode,        // 0 held, 1 latch
    kOnValue,
    kOffValue,
    kVelocity,
    kThrough,
    kOutChannel,  // 0 the note's own, 1-16
    kLearn,       // a button, no value
};
constexpr int kMapFields = 12;

// A field's value as its control holds it: a box's check, a list's index,
// a number box's number.
int MapFieldValue(const MapMapping& mapping, MapField field);
int MapFieldMax(MapField field);  // every field starts at 0

// Sets a field, value within 0..MapFieldMax. The keys never cross: moving
// one past the other moves the other with it.
void SetMapFieldValue(MapMapping& mapping, MapField field, int value);

// The text of item `index` of a field's drop-down list, written into text:
// "Any" or "1", "Same" or "16", "Held" or "Latch", "64 Sustain pedal".
void MapListItemText(MapField field, int index, wchar_t (&text)[40]);


