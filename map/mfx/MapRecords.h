// The host's records as the engine's plain MIDI and back. What the engine
// does not read (the host's own bytes) travels with each event untouched.
#pragma once

#include "host/MfxRecords.h"
#include "host/RecordHalves.h"
#include "map/engine/MapMidi.h"

inline MidiMessage MessageOf(const DataItem& item) { return {item.status, item.data1, item.data2}; }

// A live result in the item it came from: the host's bytes carry over.
inline DataItem ItemOf(DataItem item, MidiMessage message) {
    item.status = message.status;
    item.data1 = message.data1;
    item.data2 = message.data2;
    return item;
}

// The note as the engine reads it, from the record as the host stored it.
inline MapNote NoteOf(const CRecordHalves& record) {
    MapNote note{record.Time(), record.Duration(), record.Number(), record.Value(), {}};
    StoreWord(note.host.bytes, record.low >> 32 & 0xFFFF);   // the host's two bytes
    note.host.bytes[2] = static_cast<uint8_t>(record.high >> 32);  // and its one
    return note;
}

// The engine's event in the record of the note it came from, written whole.
inline void StoreEvent(const MapEvent& event, CRecordHalves record, EventRecord& into) {
    record.SetEvent(event.kind == MapEventKind::kNote ? kEventNote : kEventController,
                    event.number, event.value);
    record.SetTime(event.time);
    record.StoreInto(into);
}

// An event the engine gives back on its own (a controller-off sent again).
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
