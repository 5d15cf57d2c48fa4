// Reading and writing Standard MIDI Files: what a song holds survives, and a
// damaged file is refused with the offset of the fault.
#include "tests/tools/MidiTestData.h"
#include "tools/midifile/MidiFile.h"

#include <gtest/gtest.h>

using namespace midifile;

namespace {

MidiSong Read(const Bytes& bytes) {
    MidiSong song;
    ParseError error;
    EXPECT_TRUE(ReadMidiFile(bytes, song, error)) << "byte " << error.offset << ": " << error.message;
    return song;
}

// Empty system-exclusive events, each 0x0FFFFFFF ticks after the last.
Bytes LongestDeltas(int count) {
    Bytes out;
    for (int i = 0; i < count; ++i) out.insert(out.end(), {0xFF, 0xFF, 0xFF, 0x7F, 0xF0, 0x00});
    return out;
}

}  // namespace

TEST(MidiFileReading, FormatZeroWithRunningStatusAcrossKinds) {
    const MidiSong song = Read(Cat({Header(0, 1, 96), Track({
        0x00, 0x90, 60, 100,  // note-on
        0x10, 64, 90,         // running status: another note-on, 16 ticks later
        0x81, 0x00, 60, 0,    // delta 128 in two bytes, note-on of velocity 0
        0x00, 0xC2, 5,        // program change: one data byte
        0x00, 7,              // running status with one data byte
        0x00, 0xFF, 0x2F, 0x00,
        0x00, 0x90, 1, 1})}));  // after the end of the track: not part of it
    EXPECT_EQ(song.format, 0);
    EXPECT_EQ(song.division, 96);
    ASSERT_EQ(song.tracks.size(), 1u);
    const auto& ev = song.tracks[0].events;
    ASSERT_EQ(ev.size(), 5u);
    ExpectChannel(ev[0], 0, 0x90, 60, 100);
    ExpectChannel(ev[1], 16, 0x90, 64, 90);
    ExpectChannel(ev[2], 144, 0x90, 60, 0);
    ExpectChannel(ev[3], 144, 0xC2, 5, 0);
    ExpectChannel(ev[4], 144, 0xC2, 7, 0);
    EXPECT_EQ(song.tracks[0].endTick, 144u);
}

TEST(MidiFileReading, FormatOneKeepsTracksSysExMetaAndSkipsOtherChunks) {
    const MidiSong song = Read(Cat({
        Header(1, 2, 480),
        Track({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,   // tempo
               0x00, 0xFF, 0x03, 0x02, 'H', 'i',           // track name
               0x83, 0x60, 0xFF, 0x2F, 0x00}),             // end of track at 480
        Chunk("XFIH", {1, 2, 3}),                          // a chunk of another kind
        Track({0x00, 0xF0, 0x03, 0x7E, 0x09, 0xF7,         // system-exclusive
               0x00, 0xB3, 64, 127,
               0x00, 0x40, 0,                              // running status after a controller
               0x05, 0xF7, 0x01, 0x42,                     // an escape
               0x00, 0xE0, 0x00, 0x40}),                   // no end of track: ends at its last event
    }));
    ASSERT_EQ(song.tracks.size(), 2u);
    const auto& meta = song.tracks[0].events;
    ASSERT_EQ(meta.size(), 2u);
    EXPECT_EQ(meta[0].status, kMeta);
    EXPECT_EQ(meta[0].metaType, kMetaTempo);
    EXPECT_EQ(meta[0].payload, (Bytes{0x07, 0xA1, 0x20}));
    EXPECT_EQ(meta[1].payload, (Bytes{'H', 'i'}));
    EXPECT_EQ(song.tracks[0].endTick, 480u);

    const auto& ev = song.tracks[1].events;
    ASSERT_EQ(ev.size(), 5u);
    EXPECT_EQ(ev[0].status, kSysEx);
    EXPECT_EQ(ev[0].payload, (Bytes{0x7E, 0x09, 0xF7}));
    ExpectChannel(ev[1], 0, 0xB3, 64, 127);
    ExpectChannel(ev[2], 0, 0xB3, 64, 0);
    EXPECT_EQ(ev[3].status, kSysExContinue);
    EXPECT_EQ(ev[3].tick, 5u);
    ExpectChannel(ev[4], 5, 0xE0, 0x00, 0x40);
    EXPECT_EQ(song.tracks[1].endTick, 5u);
}

TEST(MidiFileWriting, RoundTripKeepsEveryEventAndOrderAtOneTime) {
    MidiSong song;
    song.format = 1;
    song.division = 960;
    song.tracks.resize(2);
    MidiEvent tempo;
    tempo.status = kMeta;
    tempo.metaType = kMetaTempo;
    tempo.payload = {0x07, 0xA1, 0x20};
    MidiEvent sysex;
    sysex.status = kSysEx;
    sysex.tick = 200;
    sysex.payload.assign(300, 0x11);  // a length that needs two bytes
    sysex.payload.back() = 0xF7;
    song.tracks[0].events = {tempo, sysex};
    song.tracks[0].endTick = 100000;  // long after the last event
    // Given out of time order; at tick 300 the controller-off comes twice.
    song.tracks[1].events = {Channel(300, 0xB0, 64, 0), Channel(0, 0x91, 60, 100),
                             Channel(300, 0xB0, 64, 0), Channel(0x0FFFFFFF, 0xC1, 9, 0),
                             Channel(300, 0x81, 60, 64)};

    const MidiSong back = Read(WriteMidiFile(song));
    EXPECT_EQ(back.format, 1);
    EXPECT_EQ(back.division, 960);
    ASSERT_EQ(back.tracks.size(), 2u);
    ASSERT_EQ(back.tracks[0].events.size(), 2u);
    EXPECT_EQ(back.tracks[0].events[1].payload, sysex.payload);
    EXPECT_EQ(back.tracks[0].events[1].tick, 200u);
    EXPECT_EQ(back.tracks[0].endTick, 100000u);

    const auto& ev = back.tracks[1].events;
    ASSERT_EQ(ev.size(), 5u);
    ExpectChannel(ev[0], 0, 0x91, 60, 100);
    ExpectChannel(ev[1], 300, 0xB0, 64, 0);
    ExpectChannel(ev[2], 300, 0xB0, 64, 0);
    ExpectChannel(ev[3], 300, 0x81, 60, 64);
    ExpectChannel(ev[4], 0x0FFFFFFF, 0xC1, 9, 0);  // the longest delta, four bytes
    EXPECT_EQ(back.tracks[1].endTick, 0x0FFFFFFFu);
}

TEST(MidiFileErrors, DamagedFilesNameTheFaultAndItsOffset) {
    const Bytes okTrack = Track({0x00, 0x90, 60, 100, 0x00, 0xFF, 0x2F, 0x00});
    const struct {
        const char* name;
        Bytes bytes;
        size_t offset;
        const char* words;
    } cases[] = {
        {"not MIDI", {'R', 'I', 'F', 'F', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96}, 0, "not a MIDI file"},
        {"empty", {}, 0, "not a MIDI file"},
        {"short header", {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0}, 4, "truncated header"},
        {"format 2", Cat({Header(2, 1, 96), okTrack}), 8, "format 2"},
        {"format 0, two tracks", Cat({Header(0, 2, 96), okTrack, okTrack}), 10, "exactly one"},
        {"track missing", Cat({Header(1, 2, 96), okTrack}), 14 + okTrack.size(), "1 of 2 tracks"},
        {"truncated chunk", Cat({Header(0, 1, 96), {'M', 'T', 'r', 'k', 0, 0, 0, 40, 0, 0x90}}), 14,
         "truncated chunk"},
        {"no running status", Cat({Header(0, 1, 96), Track({0x00, 60, 100})}), 23,
         "no running status"},
        {"sysex cancels running status",
         Cat({Header(0, 1, 96), Track({0x00, 0x90, 60, 1, 0x00, 0xF0, 0x01, 0xF7, 0x00, 61, 1})}),
         31, "no running status"},
        {"status among data", Cat({Header(0, 1, 96), Track({0x00, 0x90, 60, 0x80})}), 25,
         "where a data byte"},
        {"event past its chunk", Cat({Header(0, 1, 96), Track({0x00, 0x90, 60})}), 25,
         "truncated channel message"},
        {"meta past its chunk", Cat({Header(0, 1, 96), Track({0x00, 0xFF, 0x03, 0x09, 'a'})}), 26,
         "truncated meta"},
        {"five-byte delta", Cat({Header(0, 1, 96), Track({0x81, 0x81, 0x81, 0x81, 0x01})}), 22,
         "longer than four bytes"},
        {"time past 32 bits", Cat({Header(0, 1, 96), Track(LongestDeltas(9))}), 22 + 8 * 6,
         "32-bit"},
        {"system real-time in a file", Cat({Header(0, 1, 96), Track({0x00, 0xF8})}), 23,
         "does not belong"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MidiSong song;
        ParseError error;
        EXPECT_FALSE(ReadMidiFile(c.bytes, song, error));
        EXPECT_EQ(error.offset, c.offset);
        EXPECT_NE(error.message.find(c.words), std::string::npos) << error.message;
    }
}
