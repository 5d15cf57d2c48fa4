// The records the filters are fed: a song's worth of playback and of live
// playing, made the same every time from fixed seeds.
#pragma once

#include "host/MfxRecords.h"

#include <cstdint>
#include <vector>

constexpr int32_t kBatch = 100000;  // records in a batch
constexpr uint8_t kPedalKey = 96;   // the key every plug-in maps out of the box

// Notes of every length, 3 % of them on the pedal key, controllers, pitch
// bend and program changes among them.
std::vector<EventRecord> PlaybackBatch();
// Each note's on and off as they come, interleaved with the notes around
// it, 3 % on the pedal key, controllers in between.
std::vector<DataItem> LiveBatch();
