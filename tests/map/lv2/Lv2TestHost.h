// A small LV2 host for the tests: it loads the bundle's shared object with
// dlopen and takes its descriptor, as a host does, maps URIs, forges input
// sequences and reads back what the plug-in forged, checking that nothing
// was written past the output buffer the host gave.
#pragma once

#include "map/engine/MapControls.h"

#include <lv2/core/lv2.h>
#include <lv2/urid/urid.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

// An event of a sequence: its frame, its atom's type and body.
struct Lv2Event {
    int64_t frame;
    LV2_URID type;
    std::vector<uint8_t> body;

    bool operator==(const Lv2Event& o) const {
        return frame == o.frame && type == o.type && body == o.body;
    }
};
std::ostream& operator<<(std::ostream& out, const Lv2Event& event);

// The plug-in's descriptor from its shared object, loaded once.
const LV2_Descriptor* MapLv2Descriptor(uint32_t index);

// One instance, every port connected, activated.
class CMapLv2Instance {
public:
    CMapLv2Instance();
    ~CMapLv2Instance();
    CMapLv2Instance(const CMapLv2Instance&) = delete;
    CMapLv2Instance& operator=(const CMapLv2Instance&) = delete;

    LV2_URID Map(const char* uri);
    float& Control(int mapping, MapControl control) {
        return m_controls[mapping * kMapControls + static_cast<int>(control)];
    }
    void Reactivate();

    // One block: the input forged, the output buffer of capacity bytes
    // given, run, and what it holds read back.
    std::vector<Lv2Event> Run(const std::vector<Lv2Event>& in, uint32_t capacity = 8192);
    // The same in its steps, for a test that watches run() alone.
    void Prepare(const std::vector<Lv2Event>& in, uint32_t capacity);
    void RunPrepared() { m_descriptor->run(m_handle, 256); }
    std::vector<Lv2Event> Output();

private:
    std::vector<std::string> m_uris;
    LV2_URID_Map m_map;
    const LV2_Descriptor* m_descriptor;
    LV2_Handle m_handle = nullptr;
    float m_controls[kMapAllControls];
    std::vector<uint64_t> m_in;   // 64-bit words: atoms are aligned to 8 bytes
    std::vector<uint64_t> m_out;  // the capacity, then guard words
    uint32_t m_capacity = 0;
};
