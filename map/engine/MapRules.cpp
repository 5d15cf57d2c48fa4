// Zephrin Map's rules: compiling the tables, and what one live message or
// one sequencer note becomes.
#include "map/engine/MapRules.h"

#include "common/NoteTime.h"

namespace {

constexpr uint8_t kControlChange = 0xB0;

}  // namespace

MapTables CompileMapTables(const MapSettings& settings) {
    MapTables tables{};
    for (int i = 0; i < kMapMaxMappings; ++i) {
        const MapMapping& m = settings.mappings[i];
        const uint8_t bit = static_cast<uint8_t>(1u << i);
        // A mapping past the stream's count is off, and one that is not
        // valid (only a bug could make one) takes nothing.
        if (m.on && i < settings.count && m.IsValid()) {
            for (int key = m.lowKey; key <= m.highKey; ++key) tables.keyMappings[key] |= bit;
            for (int channel = 0; channel < 16; ++channel)
                if (m.inChannel == 0 || m.inChannel == channel + 1) tables.channelMappings[channel] |= bit;
        }
        MapTarget& t = tables.targets[i];
        t.controller = m.controller;
        t.onValue = m.onValue;
        t.offValue = m.offValue;
        t.outChannel = m.outChannel;
        t.latch = m.mode == MapMode::kLatch;
        t.velocity = m.velocity;
        t.through = m.through;
    }
    tables.lookAheadFix = settings.lookAheadFix;
    return tables;
}

MapMapping MapLearned(MapMapping mapping, uint8_t key, uint8_t channel) {
    mapping.lowKey = mapping.highKey = key;
    if (mapping.inChannel != 0) mapping.inChannel = static_cast<uint8_t>(channel + 1);
    return mapping;
}

void MapLiveLatches::Reset() {
    for (std::atomic<uint16_t>& c : channels) c.store(0, std::memory_order_relaxed);
}

int MapLiveMessage(const MapTables& tables, MapLiveLatches& latches, MidiMessage in,
                   uint8_t takers, MidiMessage (&out)[2]) {
    const unsigned channel = in.status & 0x0F;
    const int index = static_cast<int>(MapFirstMapping(takers));
    const MapTarget& target = tables.targets[index];
    const bool noteOn = in.status >> 4 == 0x9 && in.data2 != 0;
    const unsigned outChannel = target.outChannel ? target.outChannel - 1u : channel;

    int count = 0;
    if (target.through) out[count++] = in;
    uint8_t value;
    if (target.latch) {
        if (!noteOn) return count;  // a latch's note-offs make nothing
        const uint16_t bit = static_cast<uint16_t>(1u << outChannel);
        const bool wasOn = latches.channels[index].fetch_xor(bit, std::memory_order_relaxed) & bit;
        value = wasOn ? target.offValue : MapOnValue(target, in.data2);
    } else {
        value = noteOn ? MapOnValue(target, in.data2) : target.offValue;
    }
    out[count++] = {static_cast<uint8_t>(kControlChange | outChannel), target.controller, value};
    return count;
}

void MapPlaybackState::Reset() { *this = MapPlaybackState{}; }

int MapPlaybackNote(const MapTables& tables, MapPlaybackState& state, const MapNote& in,
                    uint8_t takers, MapEvent (&out)[3]) {
    const int index = static_cast<int>(MapFirstMapping(takers));
    const MapTarget& target = tables.targets[index];

    int count = 0;
    if (target.through)
        out[count++] = {in.start, in.duration, MapEventKind::kNote, in.key, in.velocity, in.host};
    MapEvent& controller = out[count++];
    controller = {in.start, in.duration, MapEventKind::kController, target.controller, 0, in.host};
    if (target.latch) {
        state.latched[index] = !state.latched[index];
        controller.value = state.latched[index] ? MapOnValue(target, in.velocity) : target.offValue;
        return count;
    }
    // Held: the controller at the note's start, and its release at the
    // note's end, which the look-ahead fix remembers.
    controller.value = MapOnValue(target, in.velocity);
    MapEvent& off = out[count++];
    off = controller;
    off.time = NoteEnd(in.start, in.duration);
    off.value = target.offValue;
    state.pending[index] = off;
    state.hasPending[index] = true;
    return count;
}

int MapNextPendingInWindow(const MapPlaybackState& state, int32_t from, int32_t thru, int after) {
    for (int i = after + 1; i < kMapMaxMappings; ++i)
        if (state.hasPending[i] && from <= state.pending[i].time && state.pending[i].time <= thru)
            return i;
    return -1;
}
