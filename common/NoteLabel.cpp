#include "common/NoteLabel.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char* const kNoteNames[12] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
// The semitone of each letter from C.
constexpr int kLetterSemitones[7] = {9, 11, 0, 2, 4, 5, 7};  // A to G

const char* SkipSpaces(const char* at) {
    while (*at == ' ') ++at;
    return at;
}

// A whole decimal number, optionally signed, then only spaces.
bool ParseNumber(const char* at, const char* end, int32_t& value) {
    char* stop = nullptr;
    const long number = std::strtol(at, &stop, 10);
    if (stop == at || number < -1000000 || number > 1000000) return false;
    while (stop < end && *stop == ' ') ++stop;
    if (stop != end) return false;
    value = static_cast<int32_t>(number);
    return true;
}

}  // namespace

CNoteLabel::CNoteLabel(int32_t key) {
    int note = key % 12;
    int octave = key / 12;
    if (note < 0) {
        note += 12;
        --octave;
    }
    std::snprintf(text, sizeof text, "%s%d (%ld)", kNoteNames[note], octave - 2,
                  static_cast<long>(key));
}

bool ParseWholeNumber(const char* text, int32_t& value) {
    const char* at = SkipSpaces(text);
    return ParseNumber(at, at + std::strlen(at), value);
}

bool ParseNoteLabel(const char* text, int32_t& key) {
    const char* at = SkipSpaces(text);
    const char* end = at + std::strlen(at);
    if (const char* open = std::strchr(at, '(')) {
        const char* close = std::strchr(open, ')');
        if (!close || *SkipSpaces(close + 1) != '\0') return false;
        return ParseNumber(open + 1, close, key);
    }
    if (std::isdigit(static_cast<unsigned char>(*at))) return ParseNumber(at, end, key);

    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(*at)));
    if (letter < 'A' || letter > 'G') return false;
    int semitone = kLetterSemitones[letter - 'A'];
    ++at;
    if (*at == '#') {
        ++semitone;
        ++at;
    } else if (*at == 'b') {
        --semitone;
        ++at;
    }
    int32_t octave = 0;
    if (!ParseNumber(at, end, octave)) return false;
    key = (octave + 2) * 12 + semitone;
    return true;
}
