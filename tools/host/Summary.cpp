// The playback summary, worked out by comparing what went in with what came
// out, so that it tells the truth about any filter.
#include "tools/host/Summary.h"

#include "tools/host/HostText.h"

#include <algorithm>
#include <map>

namespace {

struct Tally {
    std::map<int, size_t> notesByKey;
    std::map<int, std::map<int, size_t>> controllerValues;  // number -> value -> count
    size_t others = 0;

    void Count(const EventRecord& r) {
        if (r.type == kEventNote)
            ++notesByKey[r.number];
        else if (r.type == kEventController)
            ++controllerValues[r.number][r.value];
        else
            ++others;
    }
    size_t Controllers(int number) const {
        size_t total = 0;
        auto it = controllerValues.find(number);
        if (it != controllerValues.end())
            for (const auto& [value, count] : it->second) total += count;
        return total;
    }
};

}  // namespace

std::string SongPosition(const SongRecords& song, int32_t tick) {
    if (song.division & 0x8000) return "tick " + std::to_string(tick);
    // Time signatures in time order: (tick, numerator, denominator power).
    struct Signature {
        int32_t tick;
        int numerator;
        int power;
    };
    std::vector<Signature> signatures{{0, 4, 2}};
    for (const EventRecord& r : song.records) {
        if (r.type != kEventMeta || r.number != midifile::kMetaTimeSignature) continue;
        const auto& payload = song.aside[static_cast<size_t>(r.duration)].payload;
        if (payload.size() < 2 || payload[0] == 0 || payload[1] > 6) continue;
        if (r.time == signatures.back().tick) signatures.pop_back();
        signatures.push_back({r.time, payload[0], payload[1]});
    }
    int64_t bar = 1;
    for (size_t i = 0; i < signatures.size(); ++i) {
        const Signature& s = signatures[i];
        const int64_t beatTicks = std::max<int64_t>(int64_t{song.division} * 4 >> s.power, 1);
        const int64_t barTicks = beatTicks * s.numerator;
        const bool last = i + 1 == signatures.size() || signatures[i + 1].tick > tick;
        if (!last) {
            // Bars begun under this signature, a partial last one counted whole.
            bar += (signatures[i + 1].tick - s.tick + barTicks - 1) / barTicks;
            continue;
        }
        const int64_t into = tick - s.tick;
        const int64_t beat = into % barTicks / beatTicks + 1;
        const int64_t rest = into % barTicks % beatTicks;
        std::string text = "bar " + std::to_string(bar + into / barTicks) + ", beat " +
                           std::to_string(beat);
        if (rest) text += " + " + std::to_string(rest) + " ticks";
        return text;
    }
    return "tick " + std::to_string(tick);
}

std::vector<int32_t> FirstWindows(const PlaybackOutput& output) {
    std::vector<int32_t> first(output.records.size());
    std::map<EventRecord, int32_t, RecordBytesLess> seen;
    for (size_t i = 0; i < output.records.size(); ++i)
        first[i] = seen.emplace(output.records[i], output.windows[i]).first->second;
    return first;
}

std::vector<ResentRecord> FindResentRecords(const PlaybackOutput& output) {
    std::vector<ResentRecord> resent;
    const std::vector<int32_t> first = FirstWindows(output);
    for (size_t i = 0; i < output.records.size(); ++i)
        if (first[i] < output.windows[i])
            resent.push_back({output.records[i], first[i], output.windows[i]});
    return resent;
}

std::string SummarizePlayback(const SongRecords& input, const PlaybackOutput& output,
                              int32_t windowTicks) {
    return SummarizeSong(input, output,
                         "played in " +
                             Plural(static_cast<size_t>(output.windowCount), "window", "windows") +
                             " of " + std::to_string(windowTicks) + " ticks");
}

std::string SummarizeSong(const SongRecords& input, const PlaybackOutput& output,
                          const std::string& played) {
    Tally in, out;
    for (const EventRecord& r : input.records) in.Count(r);
    for (const EventRecord& r : output.records) out.Count(r);

    std::string text;
    size_t inNotes = 0;
    for (const auto& [key, count] : in.notesByKey) inNotes += count;
    text += "  in:  " + Plural(inNotes, "note", "notes") + ", " +
            Plural(input.records.size() - inNotes, "other event", "other events") + " on " +
            Plural(input.trackEnds.size(), "track", "tracks") + "; " + played + "\n";

    // Keys whose notes went, and controllers that came, with the counts.
    std::vector<std::string> keyLines, keyNames, controllerLines, controllerNames;
    size_t notesGone = 0, controllersCame = 0;
    for (const auto& [key, count] : in.notesByKey) {
        const auto it = out.notesByKey.find(key);
        const size_t left = it != out.notesByKey.end() ? it->second : 0;
        if (left >= count) continue;
        notesGone += count - left;
        keyNames.push_back("key " + std::to_string(key) + " (" + NoteName(key) + ")");
        keyLines.push_back(keyNames.back() + ": " + Plural(count, "note", "notes") + " in, " +
                           (left ? std::to_string(left) : std::string("none")) +
                           " out as notes");
    }
    for (const auto& [number, values] : out.controllerValues) {
        const size_t before = in.Controllers(number);
        const size_t after = out.Controllers(number);
        if (after <= before) continue;
        controllersCame += after - before;
        std::string split;
        const auto inValues = in.controllerValues.find(number);
        for (const auto& [value, count] : values) {
            size_t had = 0;
            if (inValues != in.controllerValues.end() && inValues->second.count(value))
                had = inValues->second.at(value);
            if (count <= had) continue;
            split += (split.empty() ? "" : ", ") + std::to_string(count - had) + " at value " +
                     std::to_string(value);
        }
        controllerNames.push_back(ControllerText(number));
        controllerLines.push_back(controllerNames.back() + ": " +
                                  Plural(after - before, "new event", "new events") + " (" +
                                  split + ")");
    }
    auto join = [](const std::vector<std::string>& parts) {
        std::string joined;
        for (size_t i = 0; i < parts.size(); ++i)
            joined += (i == 0 ? "" : i + 1 == parts.size() ? " and " : ", ") + parts[i];
        return joined;
    };
    if (notesGone && controllersCame)
        text += "  " + Plural(notesGone, "note", "notes") + " of " + join(keyNames) +
                " became " + Plural(controllersCame, "controller event", "controller events") +
                " on " + join(controllerNames) + "\n";
    if (!notesGone && !controllersCame) text += "  no note became anything else\n";
    for (const std::string& line : keyLines) text += "    " + line + "\n";
    for (const std::string& line : controllerLines) text += "    " + line + "\n";

    const std::vector<ResentRecord> resent = FindResentRecords(output);
    if (resent.empty()) {
        text += "  nothing was sent twice\n";
    } else {
        text += "  sent a second time, by a later window (the look-ahead fix):\n";
        for (const ResentRecord& r : resent) {
            std::string what = r.record.type == kEventController
                                   ? ControllerText(r.record.number) + " value " +
                                         std::to_string(r.record.value)
                                   : "an event of type " + std::to_string(r.record.type);
            text += "    " + what + " at " + SongPosition(input, r.record.time) + " (tick " +
                    std::to_string(r.record.time) + ")\n";
        }
    }
    size_t outNotes = 0;
    for (const auto& [key, count] : out.notesByKey) outNotes += count;
    text += "  out: " + Plural(outNotes, "note", "notes") + ", " +
            Plural(output.records.size() - outNotes, "other event", "other events") + "\n";
    if (input.unmatchedNoteOffs)
        text += "  note: " + Plural(input.unmatchedNoteOffs, "note-off", "note-offs") +
                " ended no note and were left out\n";
    if (input.lengthenedNotes)
        text += "  note: " + Plural(input.lengthenedNotes, "note", "notes") +
                " of no length were given one tick\n";
    return text;
}
