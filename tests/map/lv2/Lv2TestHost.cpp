#include "tests/map/lv2/Lv2TestHost.h"

#include "map/lv2/MapLv2Ports.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <lv2/atom/forge.h>
#include <lv2/atom/util.h>
#include <lv2/midi/midi.h>

#include <cstring>
#include <ostream>

namespace {

constexpr uint64_t kGuard = 0x5A5A5A5A5A5A5A5Aull;
constexpr size_t kGuardWords = 4;

}  // namespace

std::ostream& operator<<(std::ostream& out, const Lv2Event& event) {
    out << "{frame " << event.frame << ", type " << event.type << ",";
    for (uint8_t byte : event.body) out << ' ' << std::hex << int{byte} << std::dec;
    return out << '}';
}

CLv2Urids::CLv2Urids()
    : m_map{this, [](LV2_URID_Map_Handle self,
                     const char* uri) { return static_cast<CLv2Urids*>(self)->Map(uri); }},
      m_feature{LV2_URID__map, &m_map} {}

LV2_URID CLv2Urids::Map(const char* uri) {
    for (size_t i = 0; i < m_uris.size(); ++i)
        if (m_uris[i] == uri) return static_cast<LV2_URID>(i + 1);
    m_uris.push_back(uri);
    return static_cast<LV2_URID>(m_uris.size());
}

CLv2Library::CLv2Library() : m_library(dlopen(ZEPHRIN_MAP_LV2_SO, RTLD_NOW | RTLD_LOCAL)) {
    if (!m_library) ADD_FAILURE() << dlerror();
}

CLv2Library::~CLv2Library() {
    if (m_library) dlclose(m_library);
}

const LV2_Descriptor* CLv2Library::Descriptor(uint32_t index) const {
    if (!m_library) return nullptr;
    auto descriptor = reinterpret_cast<LV2_Descriptor_Function>(dlsym(m_library, "lv2_descriptor"));
    return descriptor ? descriptor(index) : nullptr;
}

CMapLv2Instance::CMapLv2Instance(const CLv2Library& library)
    : m_descriptor(library.Descriptor(0)),
      m_handle(nullptr),
      m_midiEvent(m_urids.Map(LV2_MIDI__MidiEvent)),
      m_chunk(m_urids.Map(LV2_ATOM__Chunk)),
      m_sequence(m_urids.Map(LV2_ATOM__Sequence)) {
    for (int i = 0; i < kMapMaxMappings; ++i)
        for (int c = 0; c < kMapControls; ++c)
            Control(i, static_cast<MapControl>(c)) =
                static_cast<float>(MapControlDefault(i, static_cast<MapControl>(c)));
    if (!m_descriptor) return;
    const LV2_Feature* features[] = {m_urids.Feature(), nullptr};
    m_handle = m_descriptor->instantiate(m_descriptor, 48000, "", features);
    if (!m_handle) {
        ADD_FAILURE() << "the plug-in did not instantiate";
        return;
    }
    for (int i = 0; i < kMapMaxMappings; ++i)
        for (int c = 0; c < kMapControls; ++c) {
            const MapControl control = static_cast<MapControl>(c);
            m_descriptor->connect_port(m_handle, MapLv2ControlPort(i, control),
                                       &Control(i, control));
        }
    m_descriptor->activate(m_handle);
}

CMapLv2Instance::~CMapLv2Instance() {
    if (!m_handle) return;
    if (m_descriptor->deactivate) m_descriptor->deactivate(m_handle);
    m_descriptor->cleanup(m_handle);
}

float& CMapLv2Instance::Control(int mapping, MapControl control) {
    return m_controls[mapping * kMapControls + static_cast<int>(control)];
}

void CMapLv2Instance::Reactivate() {
    if (m_descriptor->deactivate) m_descriptor->deactivate(m_handle);
    m_descriptor->activate(m_handle);
}

void CMapLv2Instance::Prepare(const std::vector<Lv2Event>& in, uint32_t capacity) {
    size_t bytes = sizeof(LV2_Atom_Sequence);
    for (const Lv2Event& event : in) bytes += 16 + lv2_atom_pad_size(event.body.size());
    m_in.assign(bytes / 8, 0);
    LV2_Atom_Forge forge;
    lv2_atom_forge_init(&forge, m_urids.Mapper());
    lv2_atom_forge_set_buffer(&forge, reinterpret_cast<uint8_t*>(m_in.data()), bytes);
    LV2_Atom_Forge_Frame frame;
    lv2_atom_forge_sequence_head(&forge, &frame, 0);
    for (const Lv2Event& event : in) {
        lv2_atom_forge_frame_time(&forge, event.frame);
        lv2_atom_forge_atom(&forge, static_cast<uint32_t>(event.body.size()), event.type);
        lv2_atom_forge_write(&forge, event.body.data(), static_cast<uint32_t>(event.body.size()));
    }
    lv2_atom_forge_pop(&forge, &frame);

    // As hosts do, the output's atom says how much room there is: here the
    // whole buffer's size (8 at the least, the atom itself), the strictest
    // reading (some hosts count only the room after the atom's header).
    m_capacity = capacity;
    m_out.assign((capacity + 7) / 8 + kGuardWords, kGuard);
    *reinterpret_cast<LV2_Atom*>(m_out.data()) = {capacity, m_chunk};
    m_descriptor->connect_port(m_handle, kMapLv2MidiIn, m_in.data());
    m_descriptor->connect_port(m_handle, kMapLv2MidiOut, m_out.data());
}

void CMapLv2Instance::RunPrepared() { m_descriptor->run(m_handle, 256); }

std::vector<Lv2Event> CMapLv2Instance::Output() const {
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(m_out.data());
    for (size_t i = m_capacity; i < m_out.size() * 8; ++i)
        if (bytes[i] != 0x5A) {
            ADD_FAILURE() << "the plug-in wrote byte " << i << " of a buffer of " << m_capacity;
            break;
        }
    std::vector<Lv2Event> events;
    if (m_capacity < sizeof(LV2_Atom_Sequence)) return events;
    auto* out = reinterpret_cast<const LV2_Atom_Sequence*>(m_out.data());
    if (out->atom.type != m_sequence) {
        ADD_FAILURE() << "the output is not a sequence";
        return events;
    }
    EXPECT_LE(sizeof(LV2_Atom) + out->atom.size, m_capacity) << "the sequence overruns its buffer";
    LV2_ATOM_SEQUENCE_FOREACH(out, event) {
        const uint8_t* body = static_cast<const uint8_t*>(LV2_ATOM_BODY_CONST(&event->body));
        events.push_back({event->time.frames, event->body.type, {body, body + event->body.size}});
    }
    return events;
}

std::vector<Lv2Event> CMapLv2Instance::Run(const std::vector<Lv2Event>& in, uint32_t capacity) {
    if (!m_handle) return {};
    Prepare(in, capacity);
    RunPrepared();
    return Output();
}
