#include "map/page/MapPageRows.h"

namespace {

// The controllers the MIDI standard names; the others show their number.
struct CControllerName {
    uint8_t number;
    const wchar_t* name;
};

const CControllerName kControllerNames[] = {
    {0, L"Bank select"},          {1, L"Modulation"},          {2, L"Breath controller"},
    {4, L"Foot controller"},      {5, L"Portamento time"},     {6, L"Data entry"},
    {7, L"Volume"},               {8, L"Balance"},             {10, L"Pan"},
    {11, L"Expression"},          {12, L"Effect control 1"},   {13, L"Effect control 2"},
    {16, L"General purpose 1"},   {17, L"General purpose 2"},  {18, L"General purpose 3"},
    {19, L"General purpose 4"},   {32, L"Bank select LSB"},    {33, L"Modulation LSB"},
    {34, L"Breath LSB"},          {36, L"Foot controller LSB"}, {37, L"Portamento time LSB"},
    {38, L"Data entry LSB"},      {39, L"Volume LSB"},         {40, L"Balance LSB"},
    {42, L"Pan LSB"},             {43, L"Expression LSB"},     {64, L"Sustain pedal"},
    {65, L"Portamento"},          {66, L"Sostenuto"},          {67, L"Soft pedal"},
    {68, L"Legato footswitch"},   {69, L"Hold 2"},             {70, L"Sound variation"},
    {71, L"Resonance"},           {72, L"Release time"},       {73, L"Attack time"},
    {74, L"Brightness"},          {75, L"Decay time"},         {76, L"Vibrato rate"},
    {77, L"Vibrato depth"},       {78, L"Vibrato delay"},      {80, L"General purpose 5"},
    {81, L"General purpose 6"},   {82, L"General purpose 7"},  {83, L"General purpose 8"},
    {84, L"Portamento control"},  {91, L"Reverb"},             {92, L"Tremolo"},
    {93, L"Chorus"},              {94, L"Detune"},             {95, L"Phaser"},
    {96, L"Data increment"},      {97, L"Data decrement"},     {98, L"NRPN LSB"},
    {99, L"NRPN MSB"},            {100, L"RPN LSB"},           {101, L"RPN MSB"},
    {120, L"All sound off"},      {121, L"Reset all controllers"}, {122, L"Local control"},
    {123, L"All notes off"},      {124, L"Omni off"},          {125, L"Omni on"},
    {126, L"Mono on"},            {127, L"Poly on"},
};

MapMapping Held(uint8_t low, uint8_t high, uint8_t controller) {
    MapMapping m;
    m.on = true;
    m.lowKey = low;
    m.highKey = high;
    m.controller = controller;
    return m;
}

}  // namespace

const wchar_t* const kMapSetupNames[kMapSetups] = {
    L"Sustain on C6",
    L"Three pedals on C6, D6, E6",
    L"Latching sustain on C6",
    L"Drum pads 36\u201351 to modulation by velocity",
};

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
    if (!name) {
        wchar_t digits[4];
        int count = 0;
        int rest = index;
        do {
            digits[count++] = static_cast<wchar_t>(L'0' + rest % 10);
            rest /= 10;
        } while (rest && count < 4);
        while (count) text[at++] = digits[--count];
        if (field == MapField::kController) {
            for (const CControllerName& known : kControllerNames) {
                if (known.number != index) continue;
                text[at++] = L' ';
                name = known.name;
            }
        }
    }
    for (; name && *name && at < 39; ++name) text[at++] = *name;
    text[at] = L'\0';
}

MapSettings MapSetup(int index, bool lookAheadFix) {
    MapSettings settings;
    settings.lookAheadFix = lookAheadFix;
    switch (index) {
    case 0:
        settings.mappings[0] = Held(96, 96, 64);
        break;
    case 1:
        settings.mappings[0] = Held(96, 96, 64);
        settings.mappings[1] = Held(98, 98, 66);
        settings.mappings[2] = Held(100, 100, 67);
        break;
    case 2:
        settings.mappings[0] = Held(96, 96, 64);
        settings.mappings[0].mode = MapMode::kLatch;
        break;
    case 3:
        settings.mappings[0] = Held(36, 51, 1);
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
