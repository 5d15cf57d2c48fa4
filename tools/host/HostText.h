// Words the host tool prints and reads: note and controller names, counts,
// plain decimal numbers. No Windows header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// "C6" for 96: the note names the editor shows, middle C (60) as C3.
std::string NoteName(int32_t note);

// "controller 64 (sustain pedal)", the name only for the well-known ones.
std::string ControllerText(int number);

// "1 note", "3 notes".
std::string Plural(size_t count, const char* one, const char* many);

// Decimal digits only (an optional minus sign), within [min, max].
bool ParseNumber(const std::string& text, long min, long max, long& value);
