// Zephrin Map's playback summary, mapping by mapping.
#include "tools/host/MapSummary.h"

#include "host/RecordWords.h"
#include "tools/host/HostText.h"
#include "tools/host/MapWords.h"
#include "tools/host/Summary.h"

#include <map>
#include <tuple>

namespace {

// The first mapping that is on and holds the note's key, and live, listens on
// its channel; in playback its channel rides in the host's bytes, which the
// filter does not read. -1 when no mapping takes it.
int TakingMapping(const MapSettings& settings, const EventRecord& note, MapRoad road) {
    const unsigned channel = RecordChannel(note) + 1u;
    for (int i = 0; i < settings.count && i < kMapMaxMappings; ++i) {
        const MapMapping& m = settings.mappings[i];
        const bool listens = road == MapRoad::kPlayback || !m.inChannel || m.inChannel == channel;
        if (m.on && listens && note.number >= m.lowKey && note.number <= m.highKey) return i;
    }
    return -1;
}

// Where a mapping's controller for a note stands: its time, its number and
// the note's host bytes. Not its value, which the velocity and a latch's
// state decide.
using Place = std::tuple<int32_t, uint8_t, uint8_t, uint8_t, uint8_t>;

Place PlaceOf(const EventRecord& record, int32_t time, uint8_t controller) {
    return {time, controller, record.host4[0], record.host4[1], record.host12};
}

// Where a held mapping's controller goes off: in playback at the note's
// last tick, live with its note-off, the tick after.
int32_t OffTime(const EventRecord& note, MapRoad road) {
    const int32_t last = NoteEnd(note.time, note.duration);
    return road == MapRoad::kLive ? static_cast<int32_t>(static_cast<uint32_t>(last) + 1u) : last;
}

// Where a mapping's controller for a note stands: live, on its output
// channel when it has one.
Place ControllerPlace(const EventRecord& note, int32_t time, const MapMapping& m, MapRoad road) {
    EventRecord made = note;
    if (road == MapRoad::kLive && m.outChannel)
        made.host12 = static_cast<uint8_t>((note.host12 & 0xF0) | (m.outChannel - 1));
    return PlaceOf(made, time, m.controller);
}

using RecordCounts = std::map<EventRecord, size_t, RecordBytesLess>;

bool TakeOne(RecordCounts& counts, const EventRecord& record) {
    const auto it = counts.find(record);
    if (it == counts.end() || it->second == 0) return false;
    --it->second;
    return true;
}

struct MappingTally {
    size_t notes = 0, made = 0, resent = 0;
};

}  // namespace

std::string SummarizeMapPlayback(const SongRecords& input, const PlaybackOutput& output,
                                 const MapSettings& settings, MapRoad road) {
    RecordCounts outNotes, inControllers;
    for (const EventRecord& r : output.records)
        if (r.type == kEventNote) ++outNotes[r];
    for (const EventRecord& r : input.records)
        if (r.type == kEventController) ++inControllers[r];

    MappingTally tally[kMapMaxMappings];
    std::map<Place, std::vector<int>> places;  // the mappings that may put a controller there
    for (const EventRecord& note : input.records) {
        if (note.type != kEventNote) continue;
        const int index = TakingMapping(settings, note, road);
        if (index < 0) continue;
        const MapMapping& m = settings.mappings[index];
        const bool passed = TakeOne(outNotes, note);
        if (passed && !m.through) continue;  // the filter left it alone
        ++tally[index].notes;
        places[ControllerPlace(note, note.time, m, road)].push_back(index);
        if (m.mode == MapMode::kHeld)
            places[ControllerPlace(note, OffTime(note, road), m, road)].push_back(index);
    }

    const std::vector<int32_t> first = FirstWindows(output);
    std::map<EventRecord, int, RecordBytesLess> madeBy;
    size_t unaccounted = 0;
    for (size_t i = 0; i < output.records.size(); ++i) {
        const EventRecord& r = output.records[i];
        if (r.type != kEventController || TakeOne(inControllers, r)) continue;
        if (first[i] < output.windows[i]) {
            const auto made = madeBy.find(r);
            if (made == madeBy.end()) {
                ++unaccounted;
            } else {
                ++tally[made->second].made;
                ++tally[made->second].resent;
            }
            continue;
        }
        const auto place = places.find(PlaceOf(r, r.time, r.number));
        if (place == places.end() || place->second.empty()) {
            ++unaccounted;
            continue;
        }
        const int index = place->second.front();
        place->second.erase(place->second.begin());
        ++tally[index].made;
        madeBy.emplace(r, index);
    }

    std::string text = "  Zephrin Map, mapping by mapping:\n";
    bool anyOn = false;
    for (int i = 0; i < settings.count && i < kMapMaxMappings; ++i) {
        const MapMapping& m = settings.mappings[i];
        if (!m.on) continue;
        anyOn = true;
        const MappingTally& t = tally[i];
        text += "    mapping " + std::to_string(i + 1) + ", " + MapKeysText(m) + " to " +
                ControllerText(m.controller) + ", " +
                (m.mode == MapMode::kLatch ? "latch" : "held") + ": took " +
                Plural(t.notes, "note", "notes") + ", made " +
                Plural(t.made, "controller event", "controller events");
        if (t.resent) text += " (" + std::to_string(t.resent) + " sent again by the look-ahead fix)";
        text += "\n";
    }
    if (!anyOn) text += "    no mapping is on\n";
    if (unaccounted)
        text += "    " + Plural(unaccounted, "new controller event", "new controller events") +
                " that no mapping accounts for\n";
    return text;
}
