// Zephrin Map's rules on its two roads, over a set of tables compiled from
// the settings. A note message is taken by the first mapping, in order,
// that is on, listens on its channel (live only) and holds its key; what no
// mapping takes passes unchanged. No Windows header.
#pragma once

#include "host/MfxRecords.h"
#include "map/core/MapSettings.h"

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

// A note-on's value: the on value, or with velocity set the point between
// off and on that the velocity gives, off + (on - off) * velocity / 127,
// rounded to the nearest integer.
uint8_t MapOnValue(const MapTarget& target, uint8_t velocity);

// Live latch states, one bit per output channel for each mapping. Live
// input may come on more than one thread, so a flip is one atomic step.
struct MapLiveLatches {
    std::atomic<uint16_t> channels[kMapMaxMappings] = {};
    void Reset();
};

// One live message: writes what it becomes into out and returns how many
// items that is (0 to 2): the message itself, a controller, or the note and
// then its controller when the mapping lets it through.
int MapLiveMessage(const MapTables& tables, MapLiveLatches& latches, const DataItem& in,
                   DataItem (&out)[2]);

// Playback state, touched only by the playback calls, which the host makes
// one at a time: each mapping's latch, and the last controller-off each
// held mapping made, for the look-ahead fix.
struct MapPlaybackState {
    bool latched[kMapMaxMappings] = {};
    bool hasPending[kMapMaxMappings] = {};
    EventRecord pending[kMapMaxMappings] = {};
    void Reset();
};

// One playback record: writes what it becomes into out and returns how many
// records (1 to 3): the record itself, one controller (latch), the pair of
// controllers (held), each after the note when it passes too.
int MapPlaybackRecord(const MapTables& tables, MapPlaybackState& state, const EventRecord& in,
                      EventRecord (&out)[3]);

// The first mapping whose remembered controller-off falls within the window
// [from, thru], from mapping `after` + 1 on; -1 when there is none. The
// caller sends it again and forgets it.
int MapNextPendingInWindow(const MapPlaybackState& state, int32_t from, int32_t thru, int after);
