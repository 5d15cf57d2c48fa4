#include "map/page/MapPageRows.h"

#include "map/engine/MapNames.h"

int MapFieldValue(const MapMapping& m, MapField field) {
    switch (field) {
    case MapField::kOn: return m.on;
    case MapField::kInChannel: return m.inChannel;
    case MapField::kLowKey: return m.lowKey;
    case MapField::kHighKey: return m.highKey;
    case MapField::kController: return m.controller;
    case MapField::kMode: return m.mode == MapMode::kLatch;
    case MapField::kOnValue: return m.onValue;
    case MapField::kOffValue: return m.offValue;
    case MapField::kVelocity: return m.velocity;
    case MapField::kThrough: return m.through;
    case MapField::kOutChannel: return m.outChannel;
    case MapField::kLearn: break;
    }
    return 0;
}

int MapFieldMax(MapField field) {
    switch (field) {
    case MapField::kOn:
    case MapField::kMode:
    case MapField::kVelocity:
    case MapField::kThrough: return 1;
    case MapField::kInChannel:
    case MapField::kOutChannel: return 16;
    case MapField::kLearn: return 0;
    default: return 127;
    }
}

void SetMapFieldValue(MapMapping& m, MapField field, int value) {
    const auto byte = static_cast<uint8_t>(value);
    switch (field) {
    case MapField::kOn: m.on = value != 0; break;
    case MapField::kInChannel: m.inChannel = byte; break;
    case MapField::kLowKey:
        m.lowKey = byte;
        if (m.highKey < byte) m.highKey = byte;
        break;
    case MapField::kHighKey:
        m.highKey = byte;
        if (m.lowKey > byte) m.lowKey = byte;
        break;
    case MapField::kController: m.controller = byte; break;
    case MapField::kMode: m.mode = value ? MapMode::kLatch : MapMode::kHeld; break;
    case MapField::kOnValue: m.onValue = byte; break;
    case MapField::kOffValue: m.offValue = byte; break;
    case MapField::kVelocity: m.velocity = value != 0; break;
    case MapField::kThrough: m.through = value != 0; break;
    case MapField::kOutChannel: m.outChannel = byte; break;
    case MapField::kLearn: break;
    }
}

// The number, then a space and the name if there is one. Written by hand:
// the module formats nothing wide (mingw-w64's wide printf is its own).
void MapListItemText(MapField field, int index, wchar_t (&text)[40]) {
    const wchar_t* name = nullptr;
    if (field == MapField::kMode) {
        name = index ? L"Latch" : L"Held";
    } else if (index == 0 && field == MapField::kInChannel) {
        name = L"Any";
    } else if (index == 0 && field == MapField::kOutChannel) {
        name = L"Same";
    }
    int at = 0;
    const char* controllerName = nullptr;
    if (!name) {
        wchar_t digits[4];
        int count = 0;
        int rest = index;
        do {
            digits[count++] = static_cast<wchar_t>(L'0' + rest % 10);
            rest /= 10;
        } while (rest && count < 4);
        while (count) text[at++] = digits[--count];
        if (field == MapField::kController) controllerName = MapControllerName(index);
        if (controllerName) text[at++] = L' ';
    }
    for (; name && *name && at < 39; ++name) text[at++] = *name;
    // The controllers' names are plain ASCII.
    for (; controllerName && *controllerName && at < 39; ++controllerName)
        text[at++] = static_cast<wchar_t>(*controllerName);
    text[at] = L'\0';
}

