// The host's records as the engine's plain MIDI and back. What the engine
// does not read (the host's own bytes) travels with each event untouched.
#pragma once

#include "host/MfxRecords.h"
#include "map/engine/MapMidi.h"

inline MidiMessage MessageOf(const DataItem& item) { return {item.status, item.data1, item.data2}; }

// A live result in the item it came from: the host's bytes carry over.
inline DataItem ItemOf(DataItem item, MidiMessage message) {
    item.status = message.status;
    item.data1 = message.data1;
    item.data2 = message.data2;
    return item;
}

inline MapNote NoteOf(const EventRecord& record) {
    MapNote note{record.time, record.duration, record.number, record.value, {}};
    note.host.bytes[0] = record.host4[0];
    note.host.bytes[1] = record.host4[1];
    note.host.bytes[2] = record.host12;
    return note;
}

inline EventRecord RecordOf(const MapEvent& event) {
    EventRecord record;
    record.time = event.time;
    record.host4[0] = event.host.bytes[0];
    record.host4[1] = event.host.bytes[1];
    record.type = event.kind == MapEventKind::kNote ? kEventNote : kEventController;
    record.number = event.number;
    record.value = event.value;
    record.host12 = event.host.bytes[2];
    record.duration = event.duration;
    return record;
}
