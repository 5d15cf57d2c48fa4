// Zephrin Map's rules on its two roads, over a set of tables compiled from
// the settings, on plain MIDI. A note is taken by the first mapping, in
// order, that is on, listens on its channel (live only) and holds its key;
// what no mapping takes passes unchanged. No host's types, no Windows
// header: every adapter, of whatever plug-in format, runs these.
#pragma once

#include "map/engine/MapMidi.h"
#include "map/engine/MapSettings.h"

#include <atomic>
#include <cstdint>

// What one mapping makes of the notes it takes.
struct MapTarget {
    uint8_t controller;
    uint8_t onValue;
    uint8_t offValue;
    uint8_t outChannel;  // 0 the note's own, 1-16
    uint8_t latch;
    uint8_t velocity;
    uint8_t through;
    uint8_t reserved;
};

// The settings as the MIDI paths read them: which mappings may take a key
// or a channel, as bit masks (bit i for mapping i), so that finding the
// first match is two loads and an and.
struct MapTables {
    uint8_t keyMappings[128];     // mapping on and its range holds the key
    uint8_t channelMappings[16];  // mapping listens on the channel (any: all)
    MapTarget targets[kMapMaxMappings];
    uint8_t lookAheadFix;
    uint8_t reserved[3];
};

MapTables CompileMapTables(const MapSettings& settings);

// The first mapping, in order, of a mask: its lowest bit; 8 for none.
inline unsigned MapFirstMapping(unsigned mask) {
#if defined(__GNUC__) || defined(__clang__)
    return static_cast<unsigned>(__builtin_ctz(mask | 0x100u));
#else
    unsigned first = 0;
    while (first < 8 && !(mask >> first & 1u)) ++first;
    return first;
#endif
}

// A note-on's value: the on value, or with velocity set the point between
// off and on that the velocity gives, off + (on - off) * velocity / 127,
// rounded to the nearest integer. Written as a weighted mean, which is never
// negative, and 127 being odd, never halfway between two integers.
inline uint8_t MapOnValue(const MapTarget& target, uint8_t velocity) {
    const unsigned weight = target.velocity ? velocity & 0x7Fu : 127u;
    return static_cast<uint8_t>(
        (target.offValue * (127u - weight) + target.onValue * weight + 63u) / 127u);
}

// Learn mode: the live message that teaches a learning mapping its key is a
// note-on (velocity not 0) of any key and channel.
inline bool MapLearnTakes(MidiMessage in) {
    return in.status >> 4 == 0x9 && in.data2 != 0 && in.data1 < 128;
}

// The mapping once it has learned a note-on's key on channel (0-15): that key
// alone, and that channel when it listens to one channel rather than any.
MapMapping MapLearned(MapMapping mapping, uint8_t key, uint8_t channel);

// Live latch states, one bit per output channel for each mapping. Live
// input may come on more than one thread, so a flip is one atomic step.
struct MapLiveLatches {
    std::atomic<uint16_t> channels[kMapMaxMappings] = {};
    void Reset();
};

// The mappings that may take a live message, as a mask: none unless it is a
// note-on or note-off of a key some mapping on its channel holds. Most
// messages are taken by none and pass as they are, so the MIDI paths test
// this inline and call the rules below only for the others.
//
// Notes and other messages come mixed at random, and a mispredicted branch
// costs several times what handing a record on does, so the kind and the
// key are tested by arithmetic (this took either road from 2.3 times the
// cost of copying alone to about 1.3 to 1.6): the only branch left is on
// the result, which is nearly always 0.
inline uint8_t MapLiveTakers(const MapTables& tables, MidiMessage in) {
    const unsigned note = ((in.status & 0xE0u) == 0x80u) & (in.data1 < 128u);  // kinds 8 and 9
    const unsigned mask = tables.keyMappings[in.data1 & 0x7F] & tables.channelMappings[in.status & 0x0F];
    return static_cast<uint8_t>(mask & (0u - note));
}

// What a live message taken by one of takers (not 0) becomes: writes it into
// out and returns how many messages that is (0 to 2): a controller, nothing
// (a latch's note-off), and the note itself first when the mapping lets it
// through.
int MapLiveMessage(const MapTables& tables, MapLiveLatches& latches, MidiMessage in,
                   uint8_t takers, MidiMessage (&out)[2]);

// Playback state, touched only by the playback calls, which a host makes
// one at a time: each mapping's latch, and the last controller-off each
// held mapping made, for the look-ahead fix.
struct MapPlaybackState {
    bool latched[kMapMaxMappings] = {};
    bool hasPending[kMapMaxMappings] = {};
    MapEvent pending[kMapMaxMappings] = {};
    void Reset();
};

// The mappings that may take a sequencer event: none unless it is a note
// (isNote 1) of a key some mapping holds, whatever its channel. Branch-free,
// as above: kinds and keys come mixed at random.
inline uint8_t MapPlaybackTakers(const MapTables& tables, unsigned isNote, unsigned key) {
    const unsigned note = isNote & (key < 128u);
    return static_cast<uint8_t>(tables.keyMappings[key & 0x7F] & (0u - note));
}

// What a note taken by one of takers (not 0) becomes: writes it into out and
// returns how many events (1 to 3): one controller (latch) or the pair of
// controllers at its start and its end (held), after the note when it
// passes too.
int MapPlaybackNote(const MapTables& tables, MapPlaybackState& state, const MapNote& in,
                    uint8_t takers, MapEvent (&out)[3]);

// The first mapping whose remembered controller-off falls within the window
// [from, thru], from mapping `after` + 1 on; -1 when there is none. The
// caller sends it again and forgets it.
int MapNextPendingInWindow(const MapPlaybackState& state, int32_t from, int32_t thru, int after);
