#include "tests/map/lv2/Lv2TestHost.h"

#include "map/lv2/MapLv2Ports.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

constexpr uint64_t kGuard = 0x5A5A5A5A5A5A5A5Aull;
constexpr size_t kGuardWords = 4;

}  // namespace

std::ostream& operator<<(std::ostream& out, const Lv2Event& event) {
    out << "{frame " << event.frame << ", type " << event.type << ",";
    for (uint8_t byte : event.body) out << ' ' << std::hex << int{byte} << std::dec;
    return out << '}';
}

CMapLv2Instance::CMapLv2Instance() {
    for (int i = 0; i < kMapMaxMappings; ++i)
        for (int c = 0; c < kMapControls; ++c)
            Control(i, MapControl(c)) = static_cast<float>(MapControlDefault(i, MapControl(c)));
    std::string error;
    m_loaded = m_plugin.Load(ZEPHRIN_MAP_LV2_SO, kMapLv2Uri, m_map, error);
    if (!m_loaded) {
        ADD_FAILURE() << error;
        return;
    }
    for (int i = 0; i < kMapMaxMappings; ++i)
        for (int c = 0; c < kMapControls; ++c)
            m_plugin.Connect(MapLv2ControlPort(i, MapControl(c)), &Control(i, MapControl(c)));
}

void CMapLv2Instance::Prepare(const std::vector<Lv2Event>& in, uint32_t capacity) {
    m_in = ForgeSequence(m_map, in);
    m_out.resize((capacity + 7) / 8 + kGuardWords);
    m_chunk = Map(LV2_ATOM__Chunk);
    m_plugin.Connect(kMapLv2MidiIn, m_in.data());
    m_plugin.Connect(kMapLv2MidiOut, m_out.data());
    Rearm(capacity);
}

void CMapLv2Instance::Rearm(uint32_t capacity) {
    // As hosts do, the output's atom says how much room there is: here the
    // whole buffer's size (8 at the least, the atom itself), the strictest
    // reading (some hosts count only the room after the atom's header).
    std::fill(m_out.begin(), m_out.end(), kGuard);
    *reinterpret_cast<LV2_Atom*>(m_out.data()) = {capacity, m_chunk};
    m_capacity = capacity;
}

std::vector<Lv2Event> CMapLv2Instance::Output() {
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(m_out.data());
    for (size_t i = m_capacity; i < m_out.size() * 8; ++i)
        if (bytes[i] != 0x5A) {
            ADD_FAILURE() << "the plug-in wrote byte " << i << " of a buffer of " << m_capacity;
            break;
        }
    // Below a sequence's header there is no room for one: the buffer stays as the host left it.
    if (m_capacity < sizeof(LV2_Atom_Sequence)) return {};
    const LV2_Atom_Sequence* out = Lv2Sequence(m_out);
    EXPECT_EQ(out->atom.type, Map(LV2_ATOM__Sequence));
    if (sizeof(LV2_Atom) + out->atom.size > m_capacity) {
        ADD_FAILURE() << "the sequence overruns its buffer";
        return {};
    }
    return ReadSequence(out);
}

std::vector<Lv2Event> CMapLv2Instance::Run(const std::vector<Lv2Event>& in, uint32_t capacity) {
    if (!m_loaded) return {};
    Prepare(in, capacity);
    RunPrepared();
    return Output();
}
