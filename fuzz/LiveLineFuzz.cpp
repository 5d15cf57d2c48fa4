// Fuzz target for live lines: each line is a message, empty or an error with
// a column inside it; a message printed parses back to itself; the reader of
// a whole input agrees line by line, with each fault's byte offset.
#include "fuzz/FuzzCheck.h"
#include "tools/midifile/LiveLine.h"

#include <cstring>
#include <sstream>
#include <string>
#include <string_view>

using namespace midifile;

namespace {

bool SameMessage(const ShortMessage& a, const ShortMessage& b) {
    return a.length == b.length && std::memcmp(a.bytes, b.bytes, sizeof a.bytes) == 0;
}

void CheckMessage(const ShortMessage& message) {
    FUZZ_CHECK(message.length >= 1 && message.length <= 3);
    FUZZ_CHECK(message.length == ShortMessageLength(message.bytes[0]));
    for (int i = 1; i < 3; ++i)
        FUZZ_CHECK(i < message.length ? message.bytes[i] < 0x80 : message.bytes[i] == 0);

    const std::string printed = FormatShortMessage(message.bytes[0], message.bytes[1], message.bytes[2]);
    ShortMessage reparsed;
    std::string error;
    size_t column = 0;
    FUZZ_CHECK(ParseLiveLine(printed, reparsed, error, column) == LineResult::Message);
    FUZZ_CHECK(SameMessage(message, reparsed));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::istringstream stream(input);
    CLiveLineReader reader(stream);

    size_t lineStart = 0;
    size_t lineNumber = 0;
    while (lineStart <= input.size()) {
        size_t lineEnd = input.find('\n', lineStart);
        if (lineEnd == std::string::npos) lineEnd = input.size();
        const std::string_view line = std::string_view(input).substr(lineStart, lineEnd - lineStart);
        ++lineNumber;

        ShortMessage message;
        std::string error;
        size_t column = 0;
        const LineResult result = ParseLiveLine(line, message, error, column);
        if (result == LineResult::Message) CheckMessage(message);
        if (result == LineResult::Error) FUZZ_CHECK(column < line.size() && !error.empty());
        if (result == LineResult::Empty) FUZZ_CHECK(message.length == 0);

        if (result != LineResult::Empty) {
            ShortMessage read;
            ParseError readError;
            FUZZ_CHECK(reader.Next(read, readError) == result);
            FUZZ_CHECK(reader.LineNumber() == lineNumber);
            if (result == LineResult::Message) FUZZ_CHECK(SameMessage(message, read));
            const std::string prefix = "line " + std::to_string(lineNumber) + ": ";
            if (result == LineResult::Error)
                FUZZ_CHECK(readError.offset == lineStart + column && readError.message == prefix + error);
        }
        lineStart = lineEnd + 1;
    }
    ShortMessage rest;
    ParseError restError;
    FUZZ_CHECK(reader.Next(rest, restError) == LineResult::Empty);
    return 0;
}
