// Zephrin Map as an LV2 plug-in: an adapter that reads the control ports
// into settings, walks the input sequence and forges the output, each event
// at its input event's frame and in its order. What a note becomes is the
// engine's live rules; every other event, MIDI or not, passes unchanged.
#include "map/engine/MapControls.h"
#include "map/engine/MapRules.h"
#include "map/lv2/MapLv2Ports.h"

#include <lv2/atom/atom.h>
#include <lv2/atom/forge.h>
#include <lv2/atom/util.h>
#include <lv2/core/lv2.h>
#include <lv2/core/lv2_util.h>
#include <lv2/midi/midi.h>
#include <lv2/urid/urid.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

// An event of one short MIDI message, as a sequence holds it: its time, the
// atom's header and three bytes, padded to 8.
constexpr uint32_t kMidiEventBytes = sizeof(LV2_Atom_Event) + 8;

class CMapLv2Plugin {
public:
    explicit CMapLv2Plugin(LV2_URID_Map& map)
        : m_midiEvent(map.map(map.handle, LV2_MIDI__MidiEvent)) {
        lv2_atom_forge_init(&m_forge, &map);
    }

    void ConnectPort(uint32_t port, void* data) {
        if (port == kMapLv2MidiIn)
            m_in = static_cast<const LV2_Atom_Sequence*>(data);
        else if (port == kMapLv2MidiOut)
            m_out = static_cast<LV2_Atom_Sequence*>(data);
        else if (port < kMapLv2Ports)
            m_controls[port - kMapLv2FirstControl] = static_cast<const float*>(data);
    }

    void Activate() { m_latches.Reset(); }

    void Run() {
        if (ReadControls()) m_tables = CompileMapTables(m_settings);
        if (!m_out) return;
        // The host gives the output's capacity as its atom's size; the forge
        // writes nothing past it.
        lv2_atom_forge_set_buffer(&m_forge, reinterpret_cast<uint8_t*>(m_out), m_out->atom.size);
        LV2_Atom_Forge_Frame sequence;
        if (!lv2_atom_forge_sequence_head(&m_forge, &sequence, m_in ? m_in->body.unit : 0)) return;
        if (m_in) {
            LV2_ATOM_SEQUENCE_FOREACH(m_in, event) {
                if (!Forward(*event)) break;
            }
        }
        lv2_atom_forge_pop(&m_forge, &sequence);
    }

private:
    // The settings from the control ports, as they stand at the start of a
    // block; true when a number changed since the tables were compiled (or
    // they never were). Compared by their bits, so an unchanged NaN counts
    // as unchanged.
    bool ReadControls() {
        bool changed = !m_compiled;
        for (int i = 0; i < kMapMaxMappings; ++i) {
            float numbers[kMapControls];
            for (int c = 0; c < kMapControls; ++c) {
                const float* port = m_controls[i * kMapControls + c];
                numbers[c] = port ? *port : NAN;  // an unconnected control: its default
            }
            float* seen = &m_seen[i * kMapControls];
            if (m_compiled && std::memcmp(numbers, seen, sizeof numbers) == 0) continue;
            std::memcpy(seen, numbers, sizeof numbers);
            m_settings.mappings[i] = MapMappingFromControls(i, numbers);
            changed = true;
        }
        m_compiled = true;
        return changed;
    }

    // One input event out: what the rules make of a note some mapping takes,
    // anything else as it came. False once the output is full: the rest of
    // the block is dropped, and nothing is half written.
    bool Forward(const LV2_Atom_Event& event) {
        if (event.body.type == m_midiEvent && event.body.size == 3) {
            const uint8_t* bytes = static_cast<const uint8_t*>(LV2_ATOM_BODY_CONST(&event.body));
            const MidiMessage in{bytes[0], bytes[1], bytes[2]};
            const uint8_t takers = MapLiveTakers(m_tables, in);
            if (takers) {
                // Room for all a note can make first, so that a latch flips
                // only for a note whose messages go out.
                if (Room() < 2 * kMidiEventBytes) return false;
                MidiMessage out[2];
                const int count = MapLiveMessage(m_tables, m_latches, in, takers, out);
                for (int i = 0; i < count; ++i) PutMidi(event.time.frames, out[i]);
                return true;
            }
        }
        return Put(event);
    }

    uint32_t Room() const { return m_forge.size - m_forge.offset; }

    // An event whole, its time and atom in one write. The time's 64 bits
    // are copied as they are, so a sequence timed in beats keeps its times.
    bool Put(const LV2_Atom_Event& event) {
        const uint64_t bytes = sizeof(LV2_Atom_Event) + static_cast<uint64_t>(event.body.size);
        if (((bytes + 7) & ~uint64_t{7}) > Room()) return false;
        lv2_atom_forge_write(&m_forge, &event, static_cast<uint32_t>(bytes));
        return true;
    }

    void PutMidi(int64_t frames, MidiMessage message) {
        struct {
            LV2_Atom_Event event;
            uint8_t bytes[3];
        } midi = {};
        midi.event.time.frames = frames;
        midi.event.body = {3, m_midiEvent};
        midi.bytes[0] = message.status;
        midi.bytes[1] = message.data1;
        midi.bytes[2] = message.data2;
        Put(midi.event);
    }

    const LV2_Atom_Sequence* m_in = nullptr;
    LV2_Atom_Sequence* m_out = nullptr;
    const float* m_controls[kMapAllControls] = {};
    float m_seen[kMapAllControls] = {};  // the numbers the tables were compiled from
    bool m_compiled = false;
    MapSettings m_settings;
    MapTables m_tables{};
    MapLiveLatches m_latches;
    const LV2_URID m_midiEvent;
    LV2_Atom_Forge m_forge;
};

CMapLv2Plugin* Of(LV2_Handle instance) { return static_cast<CMapLv2Plugin*>(instance); }

// Without the host's URID map there is no way to know a MIDI event. The
// instance's memory comes from malloc, not operator new, so that none of
// the C++ run-time library (nor its pool for exceptions) comes into the
// host with the plug-in.
LV2_Handle Instantiate(const LV2_Descriptor*, double, const char*,
                       const LV2_Feature* const* features) {
    auto* map = static_cast<LV2_URID_Map*>(lv2_features_data(features, LV2_URID__map));
    if (!map) return nullptr;
    void* memory = std::malloc(sizeof(CMapLv2Plugin));
    return memory ? new (memory) CMapLv2Plugin(*map) : nullptr;
}

void Cleanup(LV2_Handle instance) {
    Of(instance)->~CMapLv2Plugin();
    std::free(instance);
}

const LV2_Descriptor kDescriptor = {
    kMapLv2Uri,
    Instantiate,
    [](LV2_Handle instance, uint32_t port, void* data) { Of(instance)->ConnectPort(port, data); },
    [](LV2_Handle instance) { Of(instance)->Activate(); },
    [](LV2_Handle instance, uint32_t) { Of(instance)->Run(); },
    nullptr,  // deactivate: nothing to undo
    Cleanup,
    nullptr,  // no extensions
};

}  // namespace

LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index) {
    return index == 0 ? &kDescriptor : nullptr;
}
