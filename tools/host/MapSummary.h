// Zephrin Map's part of the playback summary: for each mapping that is on,
// the notes it took and the controller events it made.
#pragma once

#include "map/engine/MapSettings.h"
#include "tools/host/SongRecords.h"

#include <string>

// Worked out from what went in and what came out, under the settings the
// filter saved: a note counts as taken when the mapping the rules give it did
// not let it pass (unless the mapping lets notes through), a new controller
// counts for the mapping whose taken note starts or ends (held) where it
// stands, with its controller number and the note's host bytes, and a second
// send counts for the mapping that made the first. New controllers that no
// mapping accounts for are counted on a line of their own.
//
// Played as live input (kLive: a plug-in format that gets the song's messages
// as they come), a mapping takes a note only on its input channel, and its
// controllers go out on its output channel; in playback both ride in the
// note's host bytes, which the filter does not read.
enum class MapRoad { kPlayback, kLive };
std::string SummarizeMapPlayback(const SongRecords& input, const PlaybackOutput& output,
                                 const MapSettings& settings, MapRoad road = MapRoad::kPlayback);
