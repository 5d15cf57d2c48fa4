// A small LV2 host for the tests: it loads the bundle's shared object with
// dlopen and takes its descriptor, as a host does, maps URIs, forges input
// sequences and reads back what the plug-in forged, checking that nothing
// was written past the output buffer the host gave.
#pragma once

#include "map/engine/MapControls.h"

#include <lv2/core/lv2.h>
#include <lv2/urid/urid.h>

#include <cstdint>
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

class CLv2Urids {
public:
    CLv2Urids();
    LV2_URID Map(const char* uri);
    LV2_URID_Map* Mapper() { return &m_map; }
    const LV2_Feature* Feature() const { return &m_feature; }

private:
    std::vector<std::string> m_uris;
    LV2_URID_Map m_map;
    LV2_Feature m_feature;
};

// The plug-in's shared object, loaded for the life of the object.
class CLv2Library {
public:
    CLv2Library();
    ~CLv2Library();
    CLv2Library(const CLv2Library&) = delete;
    CLv2Library& operator=(const CLv2Library&) = delete;
    const LV2_Descriptor* Descriptor(uint32_t index) const;

private:
    void* m_library;
};

// One instance, every port connected, activated.
class CMapLv2Instance {
public:
    explicit CMapLv2Instance(const CLv2Library& library);
    ~CMapLv2Instance();
    CMapLv2Instance(const CMapLv2Instance&) = delete;
    CMapLv2Instance& operator=(const CMapLv2Instance&) = delete;

    CLv2Urids& Urids() { return m_urids; }
    LV2_URID MidiEvent() const { return m_midiEvent; }
    // A short MIDI event, or another one (sysex and the like).
    Lv2Event Midi(int64_t frame, std::vector<uint8_t> bytes) const {
        return {frame, m_midiEvent, std::move(bytes)};
    }
    float& Control(int mapping, MapControl control);
    void Reactivate();

    // One block: the input forged, the output buffer of capacity bytes (an
    // atom's header and body) given, run, and what it holds read back.
    std::vector<Lv2Event> Run(const std::vector<Lv2Event>& in, uint32_t capacity = 8192);
    // The same in its steps, for a test that watches run() alone.
    void Prepare(const std::vector<Lv2Event>& in, uint32_t capacity);
    void RunPrepared();
    std::vector<Lv2Event> Output() const;

private:
    CLv2Urids m_urids;
    const LV2_Descriptor* m_descriptor;
    LV2_Handle m_handle;
    const LV2_URID m_midiEvent;
    const LV2_URID m_chunk;
    const LV2_URID m_sequence;
    float m_controls[kMapAllControls];
    std::vector<uint64_t> m_in;   // 64-bit words: atoms are aligned to 8 bytes
    std::vector<uint64_t> m_out;  // the capacity, then guard words
    uint32_t m_capacity = 0;
};
