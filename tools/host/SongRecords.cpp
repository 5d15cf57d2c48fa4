// Songs to host records and back.
#include "tools/host/SongRecords.h"

#include <algorithm>
#include <deque>
#include <limits>

using midifile::MidiEvent;
using midifile::MidiSong;

namespace {

constexpr uint8_t kNoteOffVelocity = 64;  // the note-off velocity of keyboards without one

EventRecord MakeRecord(uint32_t tick, uint16_t track, uint8_t channel, int32_t type) {
    EventRecord r{};
    r.time = static_cast<int32_t>(tick);
    r.host4[0] = static_cast<uint8_t>(track);
    r.host4[1] = static_cast<uint8_t>(track >> 8);
    r.type = type;
    r.host12 = channel;
    return r;
}

int32_t TypeOfKind(uint8_t kind) {
    switch (kind) {
    case 0xA: return kEventKeyPressure;
    case 0xB: return kEventController;
    case 0xC: return kEventProgram;
    case 0xD: return kEventChannelPressure;
    default: return kEventPitchBend;
    }
}

uint8_t KindOfType(int32_t type) {
    switch (type) {
    case kEventKeyPressure: return 0xA;
    case kEventController: return 0xB;
    case kEventProgram: return 0xC;
    case kEventChannelPressure: return 0xD;
    case kEventPitchBend: return 0xE;
    default: return 0;
    }
}

struct Sequenced {
    EventRecord record;
    size_t order;  // tracks in file order, events in track order
};

void ConvertTrack(const midifile::MidiTrack& track, uint16_t index, SongRecords& out,
                  std::vector<Sequenced>& all) {
    // Open notes of this track by channel and key, oldest first.
    std::vector<std::deque<size_t>> open(16 * 128);
    for (const MidiEvent& event : track.events) {
        const bool noteOn = event.Kind() == 0x9 && event.data2 != 0;
        const bool noteOff = event.Kind() == 0x8 || (event.Kind() == 0x9 && event.data2 == 0);
        if (noteOff) {
            auto& notes = open[event.Channel() * 128u + event.data1];
            if (notes.empty()) {
                ++out.unmatchedNoteOffs;
                continue;
            }
            EventRecord& note = all[notes.front()].record;
            notes.pop_front();
            note.duration = static_cast<int32_t>(event.tick) - note.time;
            continue;
        }

        EventRecord r;
        if (noteOn) {
            r = MakeRecord(event.tick, index, event.Channel(), kEventNote);
            r.number = event.data1;
            r.value = event.data2;
            open[event.Channel() * 128u + event.data1].push_back(all.size());
        } else if (event.IsChannel()) {
            r = MakeRecord(event.tick, index, event.Channel(), TypeOfKind(event.Kind()));
            r.number = event.data1;
            r.value = event.data2;
        } else {
            const bool meta = event.status == midifile::kMeta;
            r = MakeRecord(event.tick, index, 0, meta ? kEventMeta : kEventSysEx);
            r.number = meta ? event.metaType : event.status;
            r.duration = static_cast<int32_t>(out.aside.size());
            out.aside.push_back(event);
        }
        all.push_back({r, all.size()});
    }
    for (auto& notes : open)
        for (size_t at : notes) {
            EventRecord& note = all[at].record;
            note.duration = static_cast<int32_t>(track.endTick) - note.time;
        }
}

}  // namespace

uint16_t RecordTrack(const EventRecord& record) {
    return static_cast<uint16_t>(record.host4[0] | record.host4[1] << 8);
}

uint8_t RecordChannel(const EventRecord& record) { return record.host12 & 0x0F; }

SongRecords SongToRecords(const MidiSong& song) {
    SongRecords out;
    out.format = song.format;
    out.division = song.division;
    std::vector<Sequenced> all;
    for (size_t t = 0; t < song.tracks.size(); ++t) {
        const midifile::MidiTrack& track = song.tracks[t];
        out.trackEnds.push_back(track.endTick);
        out.endTime = std::max(out.endTime, static_cast<int32_t>(track.endTick));
        ConvertTrack(track, static_cast<uint16_t>(t), out, all);
    }
    std::stable_sort(all.begin(), all.end(), [](const Sequenced& a, const Sequenced& b) {
        return a.record.time < b.record.time;
    });
    out.records.reserve(all.size());
    for (Sequenced& s : all) {
        EventRecord& r = s.record;
        if (r.type == kEventNote) {
            if (r.duration <= 0) {
                r.duration = 1;
                ++out.lengthenedNotes;
            }
            const int64_t end = static_cast<int64_t>(r.time) + r.duration;
            out.endTime = static_cast<int32_t>(
                std::min<int64_t>(std::max<int64_t>(out.endTime, end),
                                  std::numeric_limits<int32_t>::max()));
        }
        out.records.push_back(r);
    }
    return out;
}

MidiSong RecordsToSong(const SongRecords& input, const PlaybackOutput& output,
                       SongWriteReport& report) {
    MidiSong song;
    song.format = input.format;
    song.division = input.division;
    song.tracks.resize(std::max<size_t>(input.trackEnds.size(), 1));
    for (size_t t = 0; t < input.trackEnds.size(); ++t) song.tracks[t].endTick = input.trackEnds[t];

    for (const EventRecord& r : output.records) {
        uint16_t t = RecordTrack(r);
        if (t >= song.tracks.size()) t = 0;  // a filter's own records go to the first track
        std::vector<MidiEvent>& events = song.tracks[t].events;
        const uint32_t tick = static_cast<uint32_t>(std::max<int32_t>(r.time, 0));
        MidiEvent e;
        e.tick = tick;
        if (r.type == kEventNote) {
            e.status = static_cast<uint8_t>(0x90 | RecordChannel(r));
            e.data1 = r.number;
            e.data2 = r.value;
            events.push_back(e);
            const int64_t end = static_cast<int64_t>(tick) + std::max<int32_t>(r.duration, 0);
            e.tick = static_cast<uint32_t>(std::min<int64_t>(end, std::numeric_limits<int32_t>::max()));
            e.status = static_cast<uint8_t>(0x80 | RecordChannel(r));
            e.data2 = kNoteOffVelocity;
            events.push_back(e);
        } else if (const uint8_t kind = KindOfType(r.type)) {
            e.status = static_cast<uint8_t>(kind << 4 | RecordChannel(r));
            e.data1 = r.number;
            e.data2 = r.value;
            events.push_back(e);
        } else if ((r.type == kEventSysEx || r.type == kEventMeta) && r.duration >= 0 &&
                   static_cast<size_t>(r.duration) < input.aside.size()) {
            e = input.aside[static_cast<size_t>(r.duration)];
            e.tick = tick;
            events.push_back(e);
        } else {
            ++report.droppedRecords;
        }
    }
    return song;
}
