// Fuzz target for the MIDI file reader: every input is refused with an offset
// and a message, or read; a song read, written and read again is the same
// song, so it writes the same bytes again.
#include "fuzz/FuzzCheck.h"
#include "tools/midifile/MidiFile.h"

#include <cstdint>
#include <vector>

using namespace midifile;

namespace {

bool SameEvent(const MidiEvent& a, const MidiEvent& b) {
    return a.tick == b.tick && a.status == b.status && a.data1 == b.data1 && a.data2 == b.data2 &&
           a.metaType == b.metaType && a.payload == b.payload;
}

bool SameSong(const MidiSong& a, const MidiSong& b) {
    if (a.format != b.format || a.division != b.division || a.tracks.size() != b.tracks.size())
        return false;
    for (size_t t = 0; t < a.tracks.size(); ++t) {
        const MidiTrack& x = a.tracks[t];
        const MidiTrack& y = b.tracks[t];
        if (x.endTick != y.endTick || x.events.size() != y.events.size()) return false;
        for (size_t e = 0; e < x.events.size(); ++e)
            if (!SameEvent(x.events[e], y.events[e])) return false;
    }
    return true;
}

// What the header promises of a song it read, and the writer counts on.
void CheckReadSong(const MidiSong& song) {
    FUZZ_CHECK(song.format <= 1 && song.division != 0);
    FUZZ_CHECK(song.format == 1 || song.tracks.size() == 1);
    for (const MidiTrack& track : song.tracks) {
        uint32_t tick = 0;
        for (const MidiEvent& event : track.events) {
            FUZZ_CHECK(event.tick >= tick && event.tick <= 0x7FFFFFFF);
            FUZZ_CHECK(!(event.status == kMeta && event.metaType == kMetaEndOfTrack));
            FUZZ_CHECK(!event.IsChannel() || (event.data1 < 0x80 && event.data2 < 0x80));
            tick = event.tick;
        }
        FUZZ_CHECK(track.endTick >= tick && track.endTick <= 0x7FFFFFFF);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A vector of exactly the input's size, so a read past its end is one
    // past the allocation, where AddressSanitizer sees it.
    const std::vector<uint8_t> bytes(data, data + size);
    MidiSong song;
    ParseError error;
    if (!ReadMidiFile(bytes, song, error)) {
        FUZZ_CHECK(error.offset <= size && !error.message.empty());
        return 0;
    }
    CheckReadSong(song);

    const std::vector<uint8_t> written = WriteMidiFile(song);
    MidiSong again;
    if (!ReadMidiFile(written, again, error)) {
        std::fprintf(stderr, "refused at %zu: %s\n", error.offset, error.message.c_str());
        FuzzFail(__FILE__, __LINE__, "the writer's own file reads back");
    }
    FUZZ_CHECK(SameSong(song, again));
    FUZZ_CHECK(WriteMidiFile(again) == written);
    return 0;
}
