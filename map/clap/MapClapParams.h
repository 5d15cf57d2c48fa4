// Zephrin Map's CLAP parameters: their fixed ids, what a host is told about
// each, their values' text, and the plug-in's values as the host set them.
//
// The ids are the contract: hosts save sessions and automation by them, so
// an id never changes or is reused once shipped.
//   100 * n + c   mapping n (1-8), control c in MapControl's order:
//                 0 on, 1 input channel, 2 lowest key, 3 highest key,
//                 4 controller, 5 mode, 6 on value, 7 off value, 8 velocity,
//                 9 through, 10 output channel (m1_on is 100, m8_out 810)
//   1             the look-ahead fix (the whole filter's)
//   2             Learn: 0 off, n: mapping n learns from the next note-on
// A control added to the mappings later takes the next c; a setting of the
// whole filter the next id below 100.
#pragma once

#include "map/engine/MapControls.h"
#include "map/engine/MapSettings.h"

#include <clap/ext/params.h>

#include <cstdint>

constexpr clap_id kMapClapLookAheadFixId = 1;
constexpr clap_id kMapClapLearnId = 2;
constexpr clap_id kMapClapMappingIdStep = 100;

constexpr clap_id MapClapId(int mapping, MapControl control) {
    return kMapClapMappingIdStep * static_cast<clap_id>(mapping + 1) +
           static_cast<clap_id>(control);
}

// Every mapping's controls, then the look-ahead fix, then Learn.
constexpr uint32_t kMapClapParams = kMapAllControls + 2;

// What an id stands for: a mapping's control, the look-ahead fix or Learn.
struct MapClapParam {
    enum Kind : uint8_t { kNone, kControl, kLookAheadFix, kLearn } kind = kNone;
    int mapping = 0;  // 0-7, for a control
    MapControl control = MapControl::kOn;
};
MapClapParam MapClapParamOf(clap_id id);
clap_id MapClapParamId(uint32_t index);  // CLAP_INVALID_ID past the last

bool MapClapParamInfo(uint32_t index, clap_param_info_t& info);

// The plug-in's values: each control as the host last set it (rounded and
// clamped, so a whole number in range), the settings made from them, and
// which mapping learns (0 none). Trivially copyable, to be handed between
// threads whole.
struct MapClapValues {
    uint8_t controls[kMapMaxMappings][kMapControls];
    MapSettings settings;
    int32_t learning;

    // A loaded or new plug-in's values: the controls that show the settings.
    static MapClapValues Of(const MapSettings& settings);
    // The host's number for the parameter; false for an unknown id.
    bool Get(clap_id id, double& value) const;
    // Sets a parameter from a host's number; true when the plug-in's value
    // changed. A control edits its mapping (reaching the stream's count, as
    // any edit does); crossed keys leave the mapping taking nothing.
    bool Set(clap_id id, double value);
    // Learn mode took a note-on: the learning mapping's key (and channel),
    // with learning back off. Calls changed(id, value) for each parameter
    // that changed, Learn's last.
    template <typename Changed>
    void Learn(uint8_t key, uint8_t channel, Changed changed);
};

// "Sustain pedal", "Channel 3", "C6 (96)", "On", "Mapping 2": written into
// text (size bytes, always terminated). False for an unknown id.
bool MapClapValueText(clap_id id, double value, char* text, uint32_t size);
// A person's text back to a value: a number, or what MapClapValueText
// writes for one (case aside; a key's note name too). False when neither.
bool MapClapTextValue(clap_id id, const char* text, double& value);

template <typename Changed>
void MapClapValues::Learn(uint8_t key, uint8_t channel, Changed changed) {
    const int index = learning - 1;
    if (index < 0 || index >= kMapMaxMappings) return;
    float numbers[kMapControls];
    for (int c = 0; c < kMapControls; ++c) numbers[c] = controls[index][c];
    MapControlsLearn(index, numbers, key, channel);
    for (int c = 0; c < kMapControls; ++c) {
        const clap_id id = MapClapId(index, static_cast<MapControl>(c));
        if (Set(id, numbers[c])) changed(id, static_cast<double>(numbers[c]));
    }
    learning = 0;
    changed(kMapClapLearnId, 0.0);
}
