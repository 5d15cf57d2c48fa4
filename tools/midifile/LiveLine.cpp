// Parsing and printing live short messages.
#include "tools/midifile/LiveLine.h"

#include <cstdio>

namespace midifile {

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == ','; }

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string HexByte(uint8_t b) {
    char text[4];
    std::snprintf(text, sizeof text, "%02X", b);
    return text;
}

const char* KindName(uint8_t status) {
    switch (status >> 4) {
    case 0x8: return "note-off";
    case 0x9: return "note-on";
    case 0xA: return "key pressure";
    case 0xB: return "controller";
    case 0xC: return "program change";
    case 0xD: return "channel pressure";
    case 0xE: return "pitch bend";
    default: return "system message";
    }
}

}  // namespace

int ShortMessageLength(uint8_t status) {
    if (status < 0x80) return 0;
    if (status < 0xF0) return (status >> 4) == 0xC || (status >> 4) == 0xD ? 2 : 3;
    switch (status) {
    case 0xF1: case 0xF3: return 2;
    case 0xF2: return 3;
    case 0xF6: return 1;
    default: return status >= 0xF8 ? 1 : 0;  // F0, F4, F5, F7 start no short message
    }
}

LineResult ParseLiveLine(std::string_view line, ShortMessage& message, std::string& error,
                         size_t& errorColumn) {
    message = ShortMessage{};
    const size_t comment = line.find('#');
    if (comment != std::string_view::npos) line = line.substr(0, comment);

    auto fail = [&](size_t column, std::string text) {
        errorColumn = column;
        error = std::move(text);
        return LineResult::Error;
    };

    int expected = 0;
    size_t i = 0;
    while (true) {
        while (i < line.size() && IsSpace(line[i])) ++i;
        if (i == line.size()) break;
        const size_t start = i;
        if (line.substr(i, 2) == "0x" || line.substr(i, 2) == "0X") i += 2;
        unsigned value = 0;
        size_t digits = 0;
        for (; i < line.size() && !IsSpace(line[i]); ++i, ++digits) {
            const int d = HexDigit(line[i]);
            if (d < 0 || digits == 2)
                return fail(start, "'" + std::string(line.substr(start, i - start + 1)) +
                                       "...' is not a hex byte");
            value = value << 4 | static_cast<unsigned>(d);
        }
        if (digits == 0) return fail(start, "'0x' without digits");
        const uint8_t byte = static_cast<uint8_t>(value);

        if (message.length == 0) {
            expected = ShortMessageLength(byte);
            if (byte < 0x80)
                return fail(start, "data byte " + HexByte(byte) + " with no status byte before it");
            if (expected == 0)
                return fail(start, "status " + HexByte(byte) + " starts no short message");
        } else {
            if (byte >= 0x80)
                return fail(start, "status byte " + HexByte(byte) + " inside a message");
            if (message.length == expected)
                return fail(start, std::string("too many bytes: a ") +
                                       KindName(message.bytes[0]) + " has " +
                                       std::to_string(expected));
        }
        message.bytes[message.length++] = byte;
    }
    if (message.length == 0) return LineResult::Empty;
    if (message.length != expected)
        return fail(0, std::string("a ") + KindName(message.bytes[0]) + " has " +
                           std::to_string(expected) + " bytes, this line " +
                           std::to_string(message.length));
    return LineResult::Message;
}

LineResult CLiveLineReader::Next(ShortMessage& message, ParseError& error) {
    std::string line;
    while (std::getline(m_in, line)) {
        const size_t start = m_offset;
        m_offset += line.size() + (m_in.eof() ? 0 : 1);
        ++m_line;
        std::string text;
        size_t column = 0;
        const LineResult result = ParseLiveLine(line, message, text, column);
        if (result == LineResult::Empty) continue;
        if (result == LineResult::Error) {
            error.offset = start + column;
            error.message = "line " + std::to_string(m_line) + ": " + text;
        }
        return result;
    }
    return LineResult::Empty;
}

std::string FormatShortMessage(uint8_t status, uint8_t data1, uint8_t data2) {
    const uint8_t bytes[3] = {status, data1, data2};
    int length = ShortMessageLength(status);
    if (length == 0) length = 3;
    std::string text = HexByte(bytes[0]);
    for (int i = 1; i < length; ++i) text += " " + HexByte(bytes[i]);
    return text;
}

}  // namespace midifile
