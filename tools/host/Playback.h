// Playback as a sequencer does it: the filter gets a song's records window
// by window through OnEvents.
#pragma once

#include "host/MfxHost.h"
#include "tools/host/SongRecords.h"

#include <string>

// OnStart, then OnEvents for [0, w-1], [w, 2w-1], ... until the song's end,
// each window's records in its input queue; then OnStop.
HRESULT PlaySong(IMfxEventFilter* filter, const SongRecords& song, int32_t windowTicks,
                 PlaybackOutput& output, std::string& error);
