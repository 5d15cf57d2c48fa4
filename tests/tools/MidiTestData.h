// Test data: Standard MIDI File bytes built by hand, so that what the reader
// is given does not come from the writer it is checked against, and events.
#pragma once

#include "tools/midifile/MidiFile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <vector>

using Bytes = std::vector<uint8_t>;

inline Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

inline Bytes BigEndian(uint32_t value, int width) {
    Bytes out;
    for (int i = width - 1; i >= 0; --i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
    return out;
}

inline Bytes Header(uint16_t format, uint16_t tracks, uint16_t division) {
    return Cat({{'M', 'T', 'h', 'd'}, BigEndian(6, 4), BigEndian(format, 2), BigEndian(tracks, 2),
                BigEndian(division, 2)});
}

inline Bytes Chunk(const char* tag, const Bytes& body) {
    return Cat({Bytes(tag, tag + 4), BigEndian(static_cast<uint32_t>(body.size()), 4), body});
}

inline Bytes Track(const Bytes& events) { return Chunk("MTrk", events); }

inline const Bytes kEndOfTrack = {0x00, 0xFF, 0x2F, 0x00};

inline midifile::MidiEvent Channel(uint32_t tick, uint8_t status, uint8_t d1, uint8_t d2) {
    midifile::MidiEvent e;
    e.tick = tick;
    e.status = status;
    e.data1 = d1;
    e.data2 = d2;
    return e;
}

inline void ExpectChannel(const midifile::MidiEvent& e, uint32_t tick, uint8_t status, uint8_t d1,
                          uint8_t d2) {
    EXPECT_EQ(e.tick, tick);
    EXPECT_EQ(e.status, status);
    EXPECT_EQ(e.data1, d1);
    EXPECT_EQ(e.data2, d2);
}
