// What the engine takes and gives: plain MIDI, in no host's layout. A live
// message is a short MIDI message; a sequencer's note has a start and a
// length, and carries bytes of its host's own into every event made from it,
// which the engine never reads.
#pragma once

#include <cstdint>

struct MidiMessage {
    uint8_t status;  // high nibble the kind, low nibble the channel
    uint8_t data1;
    uint8_t data2;

    bool operator==(const MidiMessage& o) const {
        return status == o.status && data1 == o.data1 && data2 == o.data2;
    }
};

// Whatever a host keeps with an event beside what the engine reads.
struct MapHostBytes {
    uint8_t bytes[8];
};

struct MapNote {
    int32_t start;     // in the host's unit of time
    int32_t duration;  // in the same unit
    uint8_t key;
    uint8_t velocity;
    MapHostBytes host;
};

enum class MapEventKind : uint8_t { kNote, kController };

// A sequencer event the engine gives back: the note itself, passed on, or a
// controller made from it, with the note's duration and host bytes.
struct MapEvent {
    int32_t time;
    int32_t duration;
    MapEventKind kind;
    uint8_t number;  // the key, or the controller
    uint8_t value;   // the velocity, or the controller's value
    MapHostBytes host;
};
