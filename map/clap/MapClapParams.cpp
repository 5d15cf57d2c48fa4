// Zephrin Map's CLAP parameters: the id scheme, the hosts' info, the text of
// values and the values themselves.
#include "map/clap/MapClapParams.h"

#include "common/NoteLabel.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace {

const char kLearnName[] = "Learn";
const char kLookAheadFixName[] = "Look-ahead fix";

bool IsKey(MapControl control) {
    return control == MapControl::kLowKey || control == MapControl::kHighKey;
}

// The range a parameter's values take, and its default.
struct Range {
    int min;
    int max;
    int defaultValue;
};

Range RangeOf(const MapClapParam& param) {
    switch (param.kind) {
    case MapClapParam::kControl: {
        const MapControlInfo& about = MapControlAbout(param.control);
        return {about.min, about.max, MapControlDefault(param.mapping, param.control)};
    }
    case MapClapParam::kLookAheadFix:
        return {0, 1, 1};
    case MapClapParam::kLearn:
        return {0, kMapMaxMappings, 0};
    default:
        return {0, 0, 0};
    }
}

// A host's number as the whole number it stands for, as MapControls rounds
// and clamps a control's.
int WholeValue(const MapClapParam& param, double value) {
    if (param.kind == MapClapParam::kControl)
        return MapControlValue(param.mapping, param.control, value);
    const Range range = RangeOf(param);
    return MapWholeValue(value, range.min, range.max, range.defaultValue);
}

bool Written(int length, uint32_t size) {
    return length >= 0 && static_cast<uint32_t>(length) < size;
}

bool SameText(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b)
        if (std::tolower(static_cast<unsigned char>(*a)) !=
            std::tolower(static_cast<unsigned char>(*b)))
            return false;
    return *a == *b;
}

}  // namespace

MapClapParam MapClapParamOf(clap_id id) {
    MapClapParam param;
    if (id == kMapClapLookAheadFixId) {
        param.kind = MapClapParam::kLookAheadFix;
    } else if (id == kMapClapLearnId) {
        param.kind = MapClapParam::kLearn;
    } else if (id >= kMapClapMappingIdStep && id < kMapClapMappingIdStep * (kMapMaxMappings + 1) &&
               id % kMapClapMappingIdStep < kMapControls) {
        param.kind = MapClapParam::kControl;
        param.mapping = static_cast<int>(id / kMapClapMappingIdStep) - 1;
        param.control = static_cast<MapControl>(id % kMapClapMappingIdStep);
    }
    return param;
}

clap_id MapClapParamId(uint32_t index) {
    if (index < kMapAllControls)
        return MapClapId(static_cast<int>(index / kMapControls),
                         static_cast<MapControl>(index % kMapControls));
    if (index == kMapAllControls) return kMapClapLookAheadFixId;
    if (index == kMapAllControls + 1) return kMapClapLearnId;
    return CLAP_INVALID_ID;
}

bool MapClapParamInfo(uint32_t index, clap_param_info_t& info) {
    const clap_id id = MapClapParamId(index);
    const MapClapParam param = MapClapParamOf(id);
    if (param.kind == MapClapParam::kNone) return false;
    info = clap_param_info_t{};
    info.id = id;
    info.flags = CLAP_PARAM_IS_STEPPED | CLAP_PARAM_IS_AUTOMATABLE;
    const Range range = RangeOf(param);
    info.min_value = range.min;
    info.max_value = range.max;
    info.default_value = range.defaultValue;
    switch (param.kind) {
    case MapClapParam::kControl:
        if (MapControlAbout(param.control).kind == MapControlKind::kChoice)
            info.flags |= CLAP_PARAM_IS_ENUM;
        MapControlName(param.mapping, param.control, info.name, sizeof info.name);
        std::snprintf(info.module, sizeof info.module, "Mapping %d", param.mapping + 1);
        break;
    case MapClapParam::kLookAheadFix:
        std::snprintf(info.name, sizeof info.name, "%s", kLookAheadFixName);
        break;
    default:
        // Learn is a request for the next note-on, not a setting to record.
        info.flags = CLAP_PARAM_IS_STEPPED | CLAP_PARAM_IS_ENUM;
        std::snprintf(info.name, sizeof info.name, "%s", kLearnName);
        break;
    }
    return true;
}

bool MapClapValueText(clap_id id, double value, char* text, uint32_t size) {
    const MapClapParam param = MapClapParamOf(id);
    if (param.kind == MapClapParam::kNone || size == 0) return false;
    const int whole = WholeValue(param, value);
    if (param.kind == MapClapParam::kLearn)
        return Written(whole ? std::snprintf(text, size, "Mapping %d", whole)
                             : std::snprintf(text, size, "Off"),
                       size);
    const bool toggle = param.kind == MapClapParam::kLookAheadFix ||
                        MapControlAbout(param.control).kind == MapControlKind::kToggle;
    if (toggle) return Written(std::snprintf(text, size, "%s", whole ? "On" : "Off"), size);
    if (IsKey(param.control))
        return Written(std::snprintf(text, size, "%s", CNoteLabel(whole).text), size);
    const char* choice = MapControlChoice(param.control, whole);
    return Written(
        choice ? std::snprintf(text, size, "%s", choice) : std::snprintf(text, size, "%d", whole),
        size);
}

bool MapClapTextValue(clap_id id, const char* text, double& value) {
    const MapClapParam param = MapClapParamOf(id);
    if (param.kind == MapClapParam::kNone || !text) return false;
    const Range range = RangeOf(param);
    int32_t number = 0;
    const bool isNumber = param.kind == MapClapParam::kControl && IsKey(param.control)
                              ? ParseNoteLabel(text, number)
                              : ParseWholeNumber(text, number);
    if (isNumber) {
        if (number < range.min || number > range.max) return false;
        value = number;
        return true;
    }
    char shown[64];
    for (int v = range.min; v <= range.max; ++v) {
        if (MapClapValueText(id, v, shown, sizeof shown) && SameText(shown, text)) {
            value = v;
            return true;
        }
    }
    return false;
}

MapClapValues MapClapValues::Of(const MapSettings& settings) {
    MapClapValues values{};
    values.settings = settings;
    for (int i = 0; i < kMapMaxMappings; ++i) {
        float numbers[kMapControls];
        MapControlsFromMapping(settings.mappings[i], numbers);
        for (int c = 0; c < kMapControls; ++c)
            values.controls[i][c] = static_cast<uint8_t>(numbers[c]);
    }
    return values;
}

bool MapClapValues::Get(clap_id id, double& value) const {
    const MapClapParam param = MapClapParamOf(id);
    switch (param.kind) {
    case MapClapParam::kControl:
        value = controls[param.mapping][static_cast<int>(param.control)];
        return true;
    case MapClapParam::kLookAheadFix:
        value = settings.lookAheadFix ? 1 : 0;
        return true;
    case MapClapParam::kLearn:
        value = learning;
        return true;
    default:
        return false;
    }
}

bool MapClapValues::Set(clap_id id, double value) {
    const MapClapParam param = MapClapParamOf(id);
    const int whole = WholeValue(param, value);
    switch (param.kind) {
    case MapClapParam::kControl: {
        uint8_t& control = controls[param.mapping][static_cast<int>(param.control)];
        if (control == whole) return false;
        control = static_cast<uint8_t>(whole);
        float numbers[kMapControls];
        for (int c = 0; c < kMapControls; ++c) numbers[c] = controls[param.mapping][c];
        settings.SetMapping(param.mapping, MapMappingFromControls(param.mapping, numbers));
        return true;
    }
    case MapClapParam::kLookAheadFix:
        if (settings.lookAheadFix == (whole != 0)) return false;
        settings.lookAheadFix = whole != 0;
        return true;
    case MapClapParam::kLearn:
        if (learning == whole) return false;
        learning = whole;
        return true;
    default:
        return false;
    }
}
