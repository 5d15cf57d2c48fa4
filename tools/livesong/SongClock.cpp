// Ticks to frames through the song's tempo map.
#include "tools/livesong/SongClock.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace {

constexpr uint32_t kDefaultTempo = 500000;  // microseconds a quarter note: 120 a minute
constexpr uint32_t kMaxTick = 0x7FFFFFFF;

}  // namespace

CSongClock::CSongClock(const midifile::MidiSong& song, uint32_t rate) : m_rate(rate) {
    if (song.division & 0x8000) {
        // SMPTE: frames a second (stored negated) times ticks a frame.
        const int fps = -static_cast<int8_t>(song.division >> 8);
        const int perFrame = std::max(song.division & 0xFF, 1);
        m_segments.push_back({0, 0, 1.0L / (std::max(fps, 1) * perFrame)});
        return;
    }
    const long double quarter = std::max<uint16_t>(song.division, 1);
    // Tempo changes of every track; a later one at the same tick wins.
    std::map<uint32_t, uint32_t> tempos{{0, kDefaultTempo}};
    for (const midifile::MidiTrack& track : song.tracks)
        for (const midifile::MidiEvent& e : track.events)
            if (e.status == midifile::kMeta && e.metaType == midifile::kMetaTempo &&
                e.payload.size() == 3)
                tempos[e.tick] = e.payload[0] << 16 | e.payload[1] << 8 | e.payload[2];
    for (const auto& [tick, tempo] : tempos) {
        long double seconds = 0;
        if (!m_segments.empty()) {
            const Segment& last = m_segments.back();
            seconds = last.seconds + (tick - last.tick) * last.secondsATick;
        }
        m_segments.push_back({tick, seconds, tempo / (quarter * 1e6L)});
    }
}

int64_t CSongClock::Frame(uint32_t tick) const {
    const auto after = std::upper_bound(m_segments.begin(), m_segments.end(), tick,
                                        [](uint32_t t, const Segment& s) { return t < s.tick; });
    const Segment& s = *(after - 1);
    return std::llround((s.seconds + (tick - s.tick) * s.secondsATick) * m_rate);
}

uint32_t CSongClock::Tick(int64_t frame) const {
    uint32_t low = 0, high = kMaxTick;
    while (low < high) {
        const uint32_t middle = low + (high - low) / 2;
        if (Frame(middle) < frame) low = middle + 1;
        else high = middle;
    }
    return low;
}
