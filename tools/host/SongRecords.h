// Songs as a sequencer holds them for a filter: a song's events become host
// records (notes with their durations), and what a filter gave back becomes
// a song again. No Windows header: the native tree's programs use it too.
#pragma once

#include "host/MfxRecords.h"
#include "tools/midifile/MidiFile.h"

#include <string>
#include <vector>

// The host's codes for the kinds the filter does not look at (it knows only
// notes, 0, and controllers, 2) and passes through untouched.
constexpr int32_t kEventKeyPressure = 1;
constexpr int32_t kEventProgram = 3;
constexpr int32_t kEventChannelPressure = 4;
constexpr int32_t kEventPitchBend = 5;
constexpr int32_t kEventSysEx = 6;
constexpr int32_t kEventMeta = 7;

// How this host fills a record: the track in the two host bytes at offset 4,
// the channel in the host byte at offset 12, and for system-exclusive and meta
// events the index of the event kept aside in the duration field.
uint16_t RecordTrack(const EventRecord& record);
uint8_t RecordChannel(const EventRecord& record);

struct SongRecords {
    uint16_t format = 1;
    uint16_t division = 480;
    std::vector<uint32_t> trackEnds;           // each track's end-of-track time
    std::vector<EventRecord> records;          // all tracks merged, in time order
    std::vector<midifile::MidiEvent> aside;    // system-exclusive and meta events
    int32_t endTime = 0;                       // the last tick anything lasts to
    size_t unmatchedNoteOffs = 0;              // note-offs with no note to end
    size_t lengthenedNotes = 0;                // notes of no length, given one tick
};

// Pairs each note-on with the first open note-off of its track, channel and
// key; a note still open at its track's end lasts until that end. A note that
// ends where it starts is given one tick, so that its end never comes first.
SongRecords SongToRecords(const midifile::MidiSong& song);

struct PlaybackOutput {
    std::vector<EventRecord> records;  // in the order the filter added them
    std::vector<int32_t> windows;      // the window each record came out of
    int32_t windowCount = 0;
};

struct SongWriteReport {
    size_t droppedRecords = 0;  // records of kinds the host does not know
};

// Notes back to note-on/note-off pairs, meta and system-exclusive events back
// from aside; events of a track in time order, those at one time in the order
// they came out (so a re-sent controller-off stays beside the first one).
midifile::MidiSong RecordsToSong(const SongRecords& input, const PlaybackOutput& output,
                                 SongWriteReport& report);
