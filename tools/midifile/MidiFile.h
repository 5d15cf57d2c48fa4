// Standard MIDI Files in memory: reading formats 0 and 1 with running status,
// system-exclusive and meta events, and writing them back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace midifile {

constexpr uint8_t kSysEx = 0xF0;
constexpr uint8_t kSysExContinue = 0xF7;  // an escape or a continued system-exclusive
constexpr uint8_t kMeta = 0xFF;
constexpr uint8_t kMetaEndOfTrack = 0x2F;
constexpr uint8_t kMetaTempo = 0x51;
constexpr uint8_t kMetaTimeSignature = 0x58;

// One event at an absolute time. Channel messages use status, data1 and
// data2; system-exclusive (0xF0, 0xF7) and meta (0xFF) events keep their
// bytes in payload, a meta event its type in metaType.
struct MidiEvent {
    uint32_t tick = 0;
    uint8_t status = 0;
    uint8_t data1 = 0;
    uint8_t data2 = 0;
    uint8_t metaType = 0;
    std::vector<uint8_t> payload;

    bool IsChannel() const { return status >= 0x80 && status < 0xF0; }
    uint8_t Kind() const { return status >> 4; }
    uint8_t Channel() const { return status & 0x0F; }
};

// The end-of-track meta event is not kept among the events: endTick holds
// its time, and the writer puts it back after the last event.
struct MidiTrack {
    std::vector<MidiEvent> events;  // in time order
    uint32_t endTick = 0;
};

struct MidiSong {
    uint16_t format = 1;
    uint16_t division = 480;  // ticks a quarter note; a set top bit means SMPTE time
    std::vector<MidiTrack> tracks;
};

struct ParseError {
    size_t offset = 0;  // byte offset in the file where the fault was found
    std::string message;
};

// Data bytes a channel message of this status carries: 1 or 2.
int ChannelDataBytes(uint8_t status);

// Reads a whole file. Times beyond the host's signed 32-bit range are refused.
bool ReadMidiFile(const std::vector<uint8_t>& bytes, MidiSong& song, ParseError& error);

// Writes the song with explicit status bytes (no running status). Events of a
// track are written in time order; those at one time keep their order.
std::vector<uint8_t> WriteMidiFile(const MidiSong& song);

}  // namespace midifile
