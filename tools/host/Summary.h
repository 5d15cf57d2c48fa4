// What a playback run did, told as a musician reads it: which keys' notes
// went, which controllers came, and where a record was sent a second time.
#pragma once

#include "tools/host/SongRecords.h"

#include <cstring>
#include <string>

// "bar 3, beat 2" (and ticks past the beat when not on one), following the
// song's time signatures; plain ticks for SMPTE-timed songs.
std::string SongPosition(const SongRecords& song, int32_t tick);

// Orders records by their bytes, for sets of whole records.
struct RecordBytesLess {
    bool operator()(const EventRecord& a, const EventRecord& b) const {
        return std::memcmp(&a, &b, sizeof a) < 0;
    }
};

// An output record that came out again, byte for byte, in a later window.
struct ResentRecord {
    EventRecord record;
    int32_t firstWindow;
    int32_t window;
};
std::vector<ResentRecord> FindResentRecords(const PlaybackOutput& output);
// For each output record, the window the same bytes first came out of: its
// own, or an earlier one when this is a second send.
std::vector<int32_t> FirstWindows(const PlaybackOutput& output);

std::string SummarizePlayback(const SongRecords& input, const PlaybackOutput& output,
                              int32_t windowTicks);
// The same, the first line saying how the song was played ("played in 33
// windows of 480 ticks").
std::string SummarizeSong(const SongRecords& input, const PlaybackOutput& output,
                          const std::string& played);
