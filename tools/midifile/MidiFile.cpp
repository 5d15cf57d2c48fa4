// Reading and writing Standard MIDI Files.
#include "tools/midifile/MidiFile.h"

#include <algorithm>
#include <cstdio>

namespace midifile {

namespace {

constexpr uint32_t kMaxTick = 0x7FFFFFFF;  // host times are signed 32-bit

std::string Hex(uint8_t b) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", b);
    return text;
}

// Walks the file's bytes up to a limit (the file's or a chunk's end) and
// records the first fault with the offset where it was found.
class CByteReader {
public:
    CByteReader(const std::vector<uint8_t>& bytes, ParseError& error)
        : m_bytes(bytes), m_end(bytes.size()), m_error(error) {}

    size_t Offset() const { return m_pos; }
    size_t Left() const { return m_end - m_pos; }
    void SetEnd(size_t end) { m_end = end; }

    bool Fail(size_t offset, std::string message) {
        m_error.offset = offset;
        m_error.message = std::move(message);
        return false;
    }
    bool Need(size_t count, const char* what) {
        if (Left() >= count) return true;
        return Fail(m_pos, std::string("truncated ") + what);
    }
    uint8_t Byte() { return m_bytes[m_pos++]; }
    bool ReadByte(uint8_t& b, const char* what) {
        if (!Need(1, what)) return false;
        b = Byte();
        return true;
    }
    uint32_t BigEndian(int width) {
        uint32_t value = 0;
        for (int i = 0; i < width; ++i) value = value << 8 | Byte();
        return value;
    }
    // A variable-length quantity: at most four bytes of seven bits.
    bool ReadVlq(uint32_t& value, const char* what) {
        const size_t start = m_pos;
        value = 0;
        for (int i = 0; i < 4; ++i) {
            uint8_t b = 0;
            if (!ReadByte(b, what)) return false;
            value = value << 7 | (b & 0x7F);
            if (!(b & 0x80)) return true;
        }
        return Fail(start, std::string(what) + " longer than four bytes");
    }
    bool ReadBlock(std::vector<uint8_t>& out, uint32_t count, const char* what) {
        if (!Need(count, what)) return false;
        out.assign(m_bytes.begin() + static_cast<std::ptrdiff_t>(m_pos),
                   m_bytes.begin() + static_cast<std::ptrdiff_t>(m_pos + count));
        m_pos += count;
        return true;
    }
    bool Tag(const char* tag) const {
        return Left() >= 4 && std::equal(tag, tag + 4, m_bytes.begin() + static_cast<std::ptrdiff_t>(m_pos));
    }
    void Skip(size_t count) { m_pos += count; }

private:
    const std::vector<uint8_t>& m_bytes;
    size_t m_pos = 0;
    size_t m_end;
    ParseError& m_error;
};

bool ReadChannelData(CByteReader& in, MidiEvent& event, bool firstIsData, uint8_t first) {
    const int count = ChannelDataBytes(event.status);
    uint8_t data[2] = {first, 0};
    for (int i = firstIsData ? 1 : 0; i < count; ++i) {
        const size_t at = in.Offset();
        if (!in.ReadByte(data[i], "channel message")) return false;
        if (data[i] & 0x80)
            return in.Fail(at, "status byte " + Hex(data[i]) + " where a data byte of " +
                                   Hex(event.status) + " belongs");
    }
    event.data1 = data[0];
    event.data2 = count == 2 ? data[1] : 0;
    return true;
}

bool ReadTrack(CByteReader& in, MidiTrack& track) {
    uint64_t tick = 0;
    uint8_t running = 0;  // no running status at the start of a track
    while (in.Left() > 0) {
        const size_t deltaAt = in.Offset();
        uint32_t delta = 0;
        if (!in.ReadVlq(delta, "delta time")) return false;
        tick += delta;
        if (tick > kMaxTick)
            return in.Fail(deltaAt, "time " + std::to_string(tick) +
                                            " is past the host's 32-bit range");
        const size_t at = in.Offset();
        uint8_t first = 0;
        if (!in.ReadByte(first, "event")) return false;

        MidiEvent event;
        event.tick = static_cast<uint32_t>(tick);
        if (first < 0x80) {
            if (!running) return in.Fail(at, "data byte " + Hex(first) + " with no running status");
            event.status = running;
            if (!ReadChannelData(in, event, true, first)) return false;
        } else if (first < 0xF0) {
            event.status = running = first;
            if (!ReadChannelData(in, event, false, 0)) return false;
        } else if (first == kSysEx || first == kSysExContinue) {
            running = 0;  // system-exclusive cancels running status
            event.status = first;
            uint32_t length = 0;
            if (!in.ReadVlq(length, "system-exclusive length") ||
                !in.ReadBlock(event.payload, length, "system-exclusive event"))
                return false;
        } else if (first == kMeta) {
            running = 0;
            event.status = first;
            uint32_t length = 0;
            if (!in.ReadByte(event.metaType, "meta event") ||
                !in.ReadVlq(length, "meta event length") ||
                !in.ReadBlock(event.payload, length, "meta event"))
                return false;
            if (event.metaType == kMetaEndOfTrack) {
                // Anything after the end of the track is not part of it.
                track.endTick = event.tick;
                return true;
            }
        } else {
            return in.Fail(at, "status " + Hex(first) + " does not belong in a MIDI file");
        }
        track.events.push_back(std::move(event));
    }
    track.endTick = static_cast<uint32_t>(tick);
    return true;
}

void PutBigEndian(std::vector<uint8_t>& out, uint32_t value, int width) {
    for (int i = width - 1; i >= 0; --i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void PutVlq(std::vector<uint8_t>& out, uint32_t value) {
    uint8_t groups[5];
    int count = 0;
    do {
        groups[count++] = value & 0x7F;
        value >>= 7;
    } while (value);
    while (count > 1) out.push_back(groups[--count] | 0x80);
    out.push_back(groups[0]);
}

void PutEvent(std::vector<uint8_t>& out, const MidiEvent& event) {
    out.push_back(event.status);
    if (event.IsChannel()) {
        out.push_back(event.data1 & 0x7F);
        if (ChannelDataBytes(event.status) == 2) out.push_back(event.data2 & 0x7F);
        return;
    }
    if (event.status == kMeta) out.push_back(event.metaType);
    PutVlq(out, static_cast<uint32_t>(event.payload.size()));
    out.insert(out.end(), event.payload.begin(), event.payload.end());
}

}  // namespace

int ChannelDataBytes(uint8_t status) {
    const uint8_t kind = status >> 4;
    return kind == 0xC || kind == 0xD ? 1 : 2;
}

bool ReadMidiFile(const std::vector<uint8_t>& bytes, MidiSong& song, ParseError& error) {
    CByteReader in(bytes, error);
    song = MidiSong{};
    if (!in.Tag("MThd")) return in.Fail(0, "not a MIDI file: it does not start with MThd");
    in.Skip(4);
    if (!in.Need(4, "header chunk")) return false;
    const uint32_t headerLength = in.BigEndian(4);
    const size_t headerStart = in.Offset();
    if (headerLength < 6) return in.Fail(4, "header chunk of " + std::to_string(headerLength) +
                                                " bytes, at least 6 needed");
    if (in.Left() < headerLength)
        return in.Fail(4, "truncated header chunk: " + std::to_string(headerLength) +
                              " bytes announced, " + std::to_string(in.Left()) + " left");
    song.format = static_cast<uint16_t>(in.BigEndian(2));
    const uint32_t trackCount = in.BigEndian(2);
    song.division = static_cast<uint16_t>(in.BigEndian(2));
    in.Skip(headerLength - 6);  // later versions may add fields
    if (song.format > 1)
        return in.Fail(headerStart, "format " + std::to_string(song.format) +
                                        " is not played; formats 0 and 1 are");
    if (song.format == 0 && trackCount != 1)
        return in.Fail(headerStart + 2, "format 0 with " + std::to_string(trackCount) +
                                            " tracks; it has exactly one");
    if (song.division == 0) return in.Fail(headerStart + 4, "division of 0 ticks a beat");

    while (song.tracks.size() < trackCount) {
        const size_t chunkStart = in.Offset();
        if (in.Left() == 0)
            return in.Fail(chunkStart, "file ends after " + std::to_string(song.tracks.size()) +
                                           " of " + std::to_string(trackCount) + " tracks");
        if (!in.Need(8, "chunk header")) return false;
        const bool isTrack = in.Tag("MTrk");
        in.Skip(4);
        const uint32_t length = in.BigEndian(4);
        if (in.Left() < length)
            return in.Fail(chunkStart, "truncated chunk: " + std::to_string(length) +
                                           " bytes announced, " + std::to_string(in.Left()) +
                                           " left");
        const size_t chunkEnd = in.Offset() + length;
        if (isTrack) {
            in.SetEnd(chunkEnd);
            song.tracks.emplace_back();
            if (!ReadTrack(in, song.tracks.back())) return false;
            in.SetEnd(bytes.size());
        }
        // Chunks of other kinds are skipped, as the format asks.
        in.Skip(chunkEnd - in.Offset());
    }
    return true;
}

std::vector<uint8_t> WriteMidiFile(const MidiSong& song) {
    std::vector<uint8_t> out{'M', 'T', 'h', 'd'};
    PutBigEndian(out, 6, 4);
    PutBigEndian(out, song.format, 2);
    PutBigEndian(out, static_cast<uint32_t>(song.tracks.size()), 2);
    PutBigEndian(out, song.division, 2);

    for (const MidiTrack& track : song.tracks) {
        std::vector<const MidiEvent*> order;
        order.reserve(track.events.size());
        for (const MidiEvent& event : track.events) order.push_back(&event);
        std::stable_sort(order.begin(), order.end(),
                         [](const MidiEvent* a, const MidiEvent* b) { return a->tick < b->tick; });

        std::vector<uint8_t> body;
        uint32_t tick = 0;
        for (const MidiEvent* event : order) {
            PutVlq(body, event->tick - tick);
            tick = event->tick;
            PutEvent(body, *event);
        }
        PutVlq(body, std::max(track.endTick, tick) - tick);
        body.insert(body.end(), {kMeta, kMetaEndOfTrack, 0});

        out.insert(out.end(), {'M', 'T', 'r', 'k'});
        PutBigEndian(out, static_cast<uint32_t>(body.size()), 4);
        out.insert(out.end(), body.begin(), body.end());
    }
    return out;
}

}  // namespace midifile
