// Note and controller names, counts and numbers in words.
#include "tools/host/HostText.h"

#include <cstdlib>

std::string NoteName(int32_t note) {
    static const char* const kNoteNames[12] = {"C",  "C#", "D",  "D#", "E",  "F",
                                               "F#", "G",  "G#", "A",  "A#", "B"};
    if (note < 0) return std::to_string(note);
    return std::string(kNoteNames[note % 12]) + std::to_string(note / 12 - 2);
}

namespace {

const char* ControllerName(int number) {
    switch (number) {
    case 1: return "modulation";
    case 7: return "volume";
    case 10: return "pan";
    case 11: return "expression";
    case 64: return "sustain pedal";
    case 66: return "sostenuto pedal";
    case 67: return "soft pedal";
    default: return nullptr;
    }
}

}  // namespace

std::string ControllerText(int number) {
    std::string text = "controller " + std::to_string(number);
    if (const char* name = ControllerName(number)) text += std::string(" (") + name + ")";
    return text;
}

std::string Plural(size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

bool ParseNumber(const std::string& text, long min, long max, long& value) {
    // strtol alone would take leading blanks and a plus sign.
    if (text.empty() || !(text[0] == '-' || (text[0] >= '0' && text[0] <= '9'))) return false;
    char* end = nullptr;
    value = std::strtol(text.c_str(), &end, 10);
    return *end == '\0' && value >= min && value <= max;
}
