// A song's time in frames: its ticks at a sample rate, through its tempo
// changes (or its SMPTE division), and back.
#pragma once

#include "tools/midifile/MidiFile.h"

#include <cstdint>
#include <vector>

class CSongClock {
public:
    CSongClock(const midifile::MidiSong& song, uint32_t rate);
    // The frame nearest the tick's time.
    int64_t Frame(uint32_t tick) const;
    // The first tick whose frame is the frame or later.
    uint32_t Tick(int64_t frame) const;

private:
    struct Segment {
        uint32_t tick;
        long double seconds;       // at its first tick
        long double secondsATick;  // from there on
    };
    std::vector<Segment> m_segments;  // in tick order, the first at tick 0
    uint32_t m_rate;
};
