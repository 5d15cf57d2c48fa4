// Zephrin Map's LV2 plug-in in the tests' host (tools/lv2host): every
// control connected, forged input in, and what the plug-in forged read
// back, checking that nothing was written past the output buffer given.
#pragma once

#include "map/engine/MapControls.h"
#include "tools/lv2host/Lv2Instance.h"

#include <ostream>

std::ostream& operator<<(std::ostream& out, const Lv2Event& event);

// One instance, every port connected, activated.
class CMapLv2Instance {
public:
    CMapLv2Instance();

    LV2_URID Map(const char* uri) { return m_map.Urid(uri); }
    float& Control(int mapping, MapControl control) {
        return m_controls[mapping * kMapControls + static_cast<int>(control)];
    }
    void Reactivate() { m_plugin.Reactivate(); }

    // One block: the input forged, the output buffer of capacity bytes
    // given, run, and what it holds read back.
    std::vector<Lv2Event> Run(const std::vector<Lv2Event>& in, uint32_t capacity = 8192);
    // The same in its steps, for a test that watches run() alone. Rearm
    // gives the output buffer again, with no larger a capacity, allocating
    // nothing.
    void Prepare(const std::vector<Lv2Event>& in, uint32_t capacity);
    void Rearm(uint32_t capacity);
    void RunPrepared() { m_plugin.Run(256); }
    std::vector<Lv2Event> Output();

private:
    CUridMap m_map;
    CLv2Instance m_plugin;
    bool m_loaded = false;
    float m_controls[kMapAllControls];
    Lv2Words m_in;
    Lv2Words m_out;  // the capacity, then guard words
    LV2_URID m_chunk = 0;
    uint32_t m_capacity = 0;
};
