#include "tests/map/lv2/Lv2TestHost.h"

#include "map/lv2/MapLv2Ports.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <lv2/atom/forge.h>
#include <lv2/atom/util.h>

#include <memory>

namespace {

constexpr uint64_t kGuard = 0x5A5A5A5A5A5A5A5Aull;
constexpr size_t kGuardWords = 4;

}  // namespace

std::ostream& operator<<(std::ostream& out, const Lv2Event& event) {
    out << "{frame " << event.frame << ", type " << event.type << ",";
    for (uint8_t byte : event.body) out << ' ' << std::hex << int{byte} << std::dec;
    return out << '}';
}

const LV2_Descriptor* MapLv2Descriptor(uint32_t index) {
    struct Close {
        void operator()(void* library) const { dlclose(library); }
    };
    static const std::unique_ptr<void, Close> library(dlopen(ZEPHRIN_MAP_LV2_SO, RTLD_NOW));
    if (!library) {
        ADD_FAILURE() << dlerror();
        return nullptr;
    }
    auto function =
        reinterpret_cast<LV2_Descriptor_Function>(dlsym(library.get(), "lv2_descriptor"));
    return function ? function(index) : nullptr;
}

CMapLv2Instance::CMapLv2Instance()
    : m_map{this, [](LV2_URID_Map_Handle self,
                     const char* uri) { return static_cast<CMapLv2Instance*>(self)->Map(uri); }},
      m_descriptor(MapLv2Descriptor(0)) {
    for (int i = 0; i < kMapMaxMappings; ++i)
        for (int c = 0; c < kMapControls; ++c)
            Control(i, MapControl(c)) = static_cast<float>(MapControlDefault(i, MapControl(c)));
    const LV2_Feature map = {LV2_URID__map, &m_map};
    const LV2_Feature* features[] = {&map, nullptr};
    if (m_descriptor) m_handle = m_descriptor->instantiate(m_descriptor, 48000, "", features);
    if (!m_handle) {
        ADD_FAILURE() << "the plug-in did not instantiate";
        return;
    }
    for (int i = 0; i < kMapMaxMappings; ++i)
        for (int c = 0; c < kMapControls; ++c)
            m_descriptor->connect_port(m_handle, MapLv2ControlPort(i, MapControl(c)),
                                       &Control(i, MapControl(c)));
    m_descriptor->activate(m_handle);
}

CMapLv2Instance::~CMapLv2Instance() {
    if (!m_handle) return;
    if (m_descriptor->deactivate) m_descriptor->deactivate(m_handle);
    m_descriptor->cleanup(m_handle);
}

LV2_URID CMapLv2Instance::Map(const char* uri) {
    for (size_t i = 0; i < m_uris.size(); ++i)
        if (m_uris[i] == uri) return static_cast<LV2_URID>(i + 1);
    m_uris.push_back(uri);
    return static_cast<LV2_URID>(m_uris.size());
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
    lv2_atom_forge_init(&forge, &m_map);
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
    *reinterpret_cast<LV2_Atom*>(m_out.data()) = {capacity, Map(LV2_ATOM__Chunk)};
    m_descriptor->connect_port(m_handle, kMapLv2MidiIn, m_in.data());
    m_descriptor->connect_port(m_handle, kMapLv2MidiOut, m_out.data());
}

std::vector<Lv2Event> CMapLv2Instance::Output() {
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(m_out.data());
    for (size_t i = m_capacity; i < m_out.size() * 8; ++i)
        if (bytes[i] != 0x5A) {
            ADD_FAILURE() << "the plug-in wrote byte " << i << " of a buffer of " << m_capacity;
            break;
        }
    std::vector<Lv2Event> events;
    auto* out = reinterpret_cast<const LV2_Atom_Sequence*>(m_out.data());
    // Below a sequence's header there is no room for one: the buffer stays as the host left it.
    if (m_capacity < sizeof(LV2_Atom_Sequence)) return events;
    EXPECT_EQ(out->atom.type, Map(LV2_ATOM__Sequence));
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
