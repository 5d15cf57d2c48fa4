// zephrin-live-song: a song as live input for a plug-in in a real-time host,
// and what the plug-in gave back as a song again, told with the host tool's
// summary. The playing itself is the caller's (scripts/lv2-play.py, through
// jalv on a JACK server).
#include "tools/host/FileIo.h"
#include "tools/host/HostText.h"
#include "tools/host/MapSummary.h"
#include "tools/host/MapWords.h"
#include "tools/host/SongFile.h"
#include "tools/host/Summary.h"
#include "tools/livesong/SongClock.h"
#include "tools/midifile/LiveLine.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

namespace {

constexpr char kUsage[] = R"(usage:
  zephrin-live-song frames IN.mid [--rate HZ]
      The song's channel messages in time order, one a line: the frame its
      tick falls on (at HZ, default 48000; the next free one where several
      fall on one), then its bytes in hex.
  zephrin-live-song finish IN.mid PLAYED OUT.mid [--rate HZ] [--period FRAMES]
                    [--cycles N] [--map "SPEC"]...
      PLAYED holds what the plug-in gave, in the same lines. Writes OUT.mid:
      what came at a message's frame at that message's tick and on its track,
      and the song's meta and system-exclusive events where they were; prints
      the host tool's summary, Zephrin Map's part under the mappings given
      (as the host tool's --map; none: its default).
)";

struct Timed {
    int64_t frame;
    uint32_t tick;
    uint16_t track;
    midifile::MidiEvent event;
};

std::vector<uint8_t> MessageBytes(const midifile::MidiEvent& e) {
    std::vector<uint8_t> bytes{e.status, e.data1};
    if (midifile::ChannelDataBytes(e.status) == 2) bytes.push_back(e.data2);
    return bytes;
}

// The channel messages of every track, in time order; at one tick, tracks in
// file order (as the host tool merges them). Each gets a frame of its own,
// the frame after the one before it where several fall on one frame (21 us
// later at 48 kHz), so that what a plug-in gives at a frame is known to come
// from the one message sent there, and goes back to its tick and track.
std::vector<Timed> SongMessages(const midifile::MidiSong& song, const CSongClock& clock) {
    std::vector<Timed> all;
    for (size_t t = 0; t < song.tracks.size(); ++t)
        for (const midifile::MidiEvent& e : song.tracks[t].events)
            if (e.IsChannel()) all.push_back({0, e.tick, static_cast<uint16_t>(t), e});
    std::stable_sort(all.begin(), all.end(),
                     [](const Timed& a, const Timed& b) { return a.tick < b.tick; });
    int64_t next = 0;
    for (Timed& t : all) {
        t.frame = std::max(clock.Frame(t.tick), next);
        next = t.frame + 1;
    }
    return all;
}

int Fail(const std::string& message) {
    std::cerr << "zephrin-live-song: " << message << '\n';
    return 1;
}

// "frame hex bytes" lines.
using Played = std::vector<std::pair<int64_t, midifile::ShortMessage>>;

bool ReadPlayed(const std::string& path, Played& played, std::string& error) {
    std::ifstream in(path);
    if (!in) {
        error = path + ": cannot open it";
        return false;
    }
    std::string line;
    for (size_t number = 1; std::getline(in, line); ++number) {
        const size_t space = line.find(' ');
        long frame = 0;
        midifile::ShortMessage message;
        std::string why;
        size_t column = 0;
        if (space == std::string::npos || !ParseNumber(line.substr(0, space), 0, 1L << 40, frame) ||
            midifile::ParseLiveLine(line.substr(space + 1), message, why, column) !=
                midifile::LineResult::Message) {
            error = path + ": line " + std::to_string(number) + ": not a frame and a message";
            return false;
        }
        played.emplace_back(frame, message);
    }
    return true;
}

// The input message sent at the frame a played one came at, if any.
const Timed* Source(const std::vector<Timed>& in, int64_t frame) {
    const auto at = std::lower_bound(in.begin(), in.end(), frame,
                                     [](const Timed& t, int64_t f) { return t.frame < f; });
    return at != in.end() && at->frame == frame ? &*at : nullptr;
}

struct Options {
    std::vector<std::string> files;
    long rate = 48000, period = 0, cycles = 0;
    std::vector<MapMapping> maps;
};

int Finish(const Options& o) {
    midifile::MidiSong in;
    std::string error;
    Played played;
    if (!ReadSongFile(o.files[0], in, error) || !ReadPlayed(o.files[1], played, error))
        return Fail(error);
    const CSongClock clock(in, static_cast<uint32_t>(o.rate));
    const std::vector<Timed> messages = SongMessages(in, clock);

    // Every track keeps its meta and system-exclusive events, the played
    // messages joining them after those of their tick.
    midifile::MidiSong out = in;
    for (midifile::MidiTrack& track : out.tracks) {
        auto& events = track.events;
        events.erase(std::remove_if(events.begin(), events.end(),
                                    [](const midifile::MidiEvent& e) { return e.IsChannel(); }),
                     events.end());
    }
    if (out.tracks.empty()) out.tracks.resize(1);
    size_t leftOut = 0;
    for (const auto& [frame, m] : played) {
        if (m.bytes[0] >= 0xF0) {
            ++leftOut;  // a system message: no channel event of a song
            continue;
        }
        // At a frame no message was sent at (a plug-in that moves its
        // output), the tick of that time on the first track.
        const Timed* source = Source(messages, frame);
        midifile::MidiEvent e;
        e.tick = source ? source->tick : clock.Tick(frame);
        e.status = m.bytes[0];
        e.data1 = m.bytes[1];
        e.data2 = m.bytes[2];
        out.tracks[source ? source->track : 0].events.push_back(e);
    }
    for (midifile::MidiTrack& track : out.tracks)
        std::stable_sort(track.events.begin(), track.events.end(),
                         [](const midifile::MidiEvent& a, const midifile::MidiEvent& b) {
                             return a.tick < b.tick;
                         });
    if (!WriteWholeFile(o.files[2], midifile::WriteMidiFile(out), error)) return Fail(error);

    MapSettings settings = MapSettings::Defaults();
    ApplyMapSpecs(o.maps, settings);
    const SongRecords input = SongToRecords(in);
    PlaybackOutput output;
    output.records = SongToRecords(out).records;
    output.windows.assign(output.records.size(), 0);  // nothing can come twice
    output.windowCount = static_cast<int32_t>(o.cycles);
    const std::string how = "played live in " +
                            Plural(static_cast<size_t>(o.cycles), "cycle", "cycles") + " of " +
                            std::to_string(o.period) + " frames at " + std::to_string(o.rate) +
                            " Hz";
    std::cout << o.files[0] << " -> " << o.files[2] << '\n'
              << SummarizeSong(input, output, how)
              << SummarizeMapPlayback(input, output, settings, MapRoad::kLive);
    if (leftOut)
        std::cout << "  note: " << Plural(leftOut, "system message", "system messages")
                  << " that a song holds no place for were left out\n";
    return 0;
}

int Frames(const Options& o) {
    midifile::MidiSong song;
    std::string error;
    if (!ReadSongFile(o.files[0], song, error)) return Fail(error);
    const CSongClock clock(song, static_cast<uint32_t>(o.rate));
    for (const Timed& t : SongMessages(song, clock)) {
        const std::vector<uint8_t> bytes = MessageBytes(t.event);
        std::cout << t.frame << ' ' << midifile::FormatShortMessage(bytes[0], bytes[1],
                                                                   bytes.size() > 2 ? bytes[2] : 0)
                  << '\n';
    }
    return 0;
}

int Usage(const std::string& message) {
    std::cerr << "zephrin-live-song: " << message << '\n' << kUsage;
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage("no command");
    const std::string command = argv[1];
    Options o;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        long* number = arg == "--rate" ? &o.rate : arg == "--period" ? &o.period
                     : arg == "--cycles" ? &o.cycles : nullptr;
        if (number) {
            if (!hasValue || !ParseNumber(argv[++i], 1, 1 << 30, *number))
                return Usage(arg + " needs a positive number");
        } else if (arg == "--map") {
            std::string error;
            if (!hasValue) return Usage("--map needs a mapping");
            if (!AddMapSpec(argv[++i], o.maps, error))
                return Usage(std::string("--map \"") + argv[i] + "\": " + error);
        } else if (arg.size() > 1 && arg[0] == '-') {
            return Usage("unknown option " + arg);
        } else {
            o.files.push_back(arg);
        }
    }
    if (command == "frames" && o.files.size() == 1) return Frames(o);
    if (command == "finish" && o.files.size() == 3) return Finish(o);
    return Usage("wrong command or files");
}
