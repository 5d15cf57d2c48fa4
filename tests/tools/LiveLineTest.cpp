// Live lines: hex short messages one a line, checked for the length their
// status asks, with faults reported by line and byte offset.
#include "tools/midifile/LiveLine.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace midifile;

TEST(LiveLines, MessagesOfEveryLengthParse) {
    const struct {
        const char* line;
        int length;
        uint8_t bytes[3];
    } cases[] = {
        {"90 60 7F", 3, {0x90, 0x60, 0x7F}},
        {"  0x8f,3c,00  # note-off, channel 16", 3, {0x8F, 0x3C, 0x00}},
        {"c3 5", 2, {0xC3, 0x05, 0}},
        {"D0 40", 2, {0xD0, 0x40, 0}},
        {"E0 00 40", 3, {0xE0, 0x00, 0x40}},
        {"F2 01 02", 3, {0xF2, 1, 2}},
        {"F3 07", 2, {0xF3, 7, 0}},
        {"F8", 1, {0xF8, 0, 0}},
        {"FE\r", 1, {0xFE, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        ShortMessage m;
        std::string error;
        size_t column = 99;
        ASSERT_EQ(ParseLiveLine(c.line, m, error, column), LineResult::Message) << error;
        EXPECT_EQ(m.length, c.length);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(m.bytes[i], c.bytes[i]) << "byte " << i;
    }
    ShortMessage m;
    std::string error;
    size_t column = 0;
    EXPECT_EQ(ParseLiveLine("   # only a comment", m, error, column), LineResult::Empty);
    EXPECT_EQ(ParseLiveLine("", m, error, column), LineResult::Empty);
}

TEST(LiveLines, FaultyLinesSayWhatAndWhere) {
    const struct {
        const char* line;
        size_t column;
        const char* words;
    } cases[] = {
        {"90 60", 0, "note-on has 3 bytes, this line 2"},
        {"B0 40 7F 00", 9, "too many bytes"},
        {"C0", 0, "program change has 2 bytes"},
        {"60 7F", 0, "no status byte"},
        {"90 60 90", 6, "status byte 90 inside"},
        {"F0 7E F7", 0, "starts no short message"},
        {"F7", 0, "starts no short message"},
        {"90 3G 10", 3, "not a hex byte"},
        {"90 160 10", 3, "not a hex byte"},
        {"90 0x 10", 3, "without digits"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        ShortMessage m;
        std::string error;
        size_t column = 99;
        EXPECT_EQ(ParseLiveLine(c.line, m, error, column), LineResult::Error);
        EXPECT_EQ(column, c.column);
        EXPECT_NE(error.find(c.words), std::string::npos) << error;
    }
}

TEST(LiveLines, ReaderCountsLinesAndBytesAcrossTheInput) {
    std::istringstream in("# test\n90 3C 64\n\n80 3C 00\r\nB0 40\n90 00 00\n");
    CLiveLineReader reader(in);
    ShortMessage m;
    ParseError error;
    ASSERT_EQ(reader.Next(m, error), LineResult::Message);
    EXPECT_EQ(m.bytes[0], 0x90);
    ASSERT_EQ(reader.Next(m, error), LineResult::Message);
    EXPECT_EQ(m.bytes[0], 0x80);
    ASSERT_EQ(reader.Next(m, error), LineResult::Error);
    EXPECT_EQ(reader.LineNumber(), 5u);
    EXPECT_EQ(error.offset, 27u);  // "B0 40" starts after 7 + 9 + 1 + 10 bytes
    EXPECT_NE(error.message.find("line 5: a controller has 3 bytes"), std::string::npos)
        << error.message;

    std::istringstream last("90 3C 64\n91 3D");  // no line break at the end
    CLiveLineReader tail(last);
    ASSERT_EQ(tail.Next(m, error), LineResult::Message);
    EXPECT_EQ(tail.Next(m, error), LineResult::Error);
    EXPECT_EQ(error.offset, 9u);
}

TEST(LiveLines, PrintedAsTheStatusSays) {
    EXPECT_EQ(FormatShortMessage(0xB2, 64, 127), "B2 40 7F");
    EXPECT_EQ(FormatShortMessage(0xC0, 5, 99), "C0 05");
    EXPECT_EQ(FormatShortMessage(0xF8, 1, 2), "F8");
    // A filter may put anything in the status byte: all three bytes are shown.
    EXPECT_EQ(FormatShortMessage(0x12, 0, 0xFF), "12 00 FF");
}
