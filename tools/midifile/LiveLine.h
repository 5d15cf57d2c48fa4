// Live short MIDI messages as text: hex bytes, one message a line, as in
// "90 3C 64". A '#' starts a comment; blank lines carry no message.
#pragma once

#include "tools/midifile/MidiFile.h"

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>
#include <string_view>

namespace midifile {

struct ShortMessage {
    uint8_t bytes[3] = {};
    int length = 0;  // 1 to 3
};

// Bytes a short message with this status byte has, 1 to 3, or 0 when the
// byte starts no short message (a data byte, system-exclusive, undefined).
int ShortMessageLength(uint8_t status);

enum class LineResult { Message, Empty, Error };

// Parses one line (without its line break). On an error, errorColumn is the
// offset in the line of the faulty text.
LineResult ParseLiveLine(std::string_view line, ShortMessage& message, std::string& error,
                         size_t& errorColumn);

// Reads messages one line at a time, skipping blank and comment lines, and
// reports a faulty line with its number and the byte offset in the input.
class CLiveLineReader {
public:
    explicit CLiveLineReader(std::istream& in) : m_in(in) {}
    // Message, Empty at the end of the input, or Error with error filled.
    LineResult Next(ShortMessage& message, ParseError& error);
    size_t LineNumber() const { return m_line; }

private:
    std::istream& m_in;
    size_t m_line = 0;
    size_t m_offset = 0;  // of the next line's first byte
};

// "B0 40 7F": the message's bytes as its status says, or all three bytes
// when the status byte starts no short message.
std::string FormatShortMessage(uint8_t status, uint8_t data1, uint8_t data2);

}  // namespace midifile
