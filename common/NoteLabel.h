// A key as the editor pages show it: its note name and octave, middle C
// (60) being C3, and its number: "C3 (60)", "C#6 (97)". No Windows header.
#pragma once

#include <cstdint>

struct CNoteLabel {
    // Names and octaves go on below 0 and above 127 (only a loaded stream
    // holds such a key), so the name always stays within the twelve.
    explicit CNoteLabel(int32_t key);
    operator const char*() const { return text; }

    char text[32];
};

// A whole decimal number, signed or not, with spaces around it and nothing
// else; false for anything more or less, or past a million either way.
bool ParseWholeNumber(const char* text, int32_t& value);

// What a person types for a key: its number ("60"), a note name and octave
// ("C3", "c#3", "Db3"), or a label as CNoteLabel writes it, whose number
// counts. False when the text is none of these.
bool ParseNoteLabel(const char* text, int32_t& key);
