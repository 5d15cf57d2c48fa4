// The project's own small LV2 host kit, for the LV2 plug-ins' tests and
// benchmark: URIs mapped as a host maps them, a plug-in's shared object
// opened and one instance of it made and activated (everything given back
// in reverse when it goes), and sequences forged and read as a host does.
#pragma once

#include "tools/host/SharedLibrary.h"

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/urid/urid.h>

#include <cstdint>
#include <string>
#include <vector>

// URIs to numbers, as a host maps them: the same URI, the same number.
class CUridMap {
public:
    CUridMap();
    CUridMap(const CUridMap&) = delete;
    CUridMap& operator=(const CUridMap&) = delete;
    LV2_URID_Map* Map() { return &m_map; }
    LV2_URID Urid(const char* uri);

private:
    std::vector<std::string> m_uris;
    LV2_URID_Map m_map;
};

class CLv2Instance {
public:
    CLv2Instance() = default;
    ~CLv2Instance();
    CLv2Instance(const CLv2Instance&) = delete;
    CLv2Instance& operator=(const CLv2Instance&) = delete;

    // Opens the shared object (a copy of its own per file, as a host loading
    // two bundles has) and finds the plug-in by URI.
    bool Open(const std::string& binary, const char* uri, std::string& error);
    // Instantiates it, with the map as its one feature or with none, and activates it.
    bool Instantiate(CUridMap* map, std::string& error);
    bool Load(const std::string& binary, const char* uri, CUridMap& map, std::string& error) {
        return Open(binary, uri, error) && Instantiate(&map, error);
    }
    // The shared object's plug-ins as a host enumerates them: null past the last.
    const LV2_Descriptor* Descriptor(uint32_t index) const;

    void Connect(uint32_t port, void* data) { m_descriptor->connect_port(m_handle, port, data); }
    void Run(uint32_t frames) { m_descriptor->run(m_handle, frames); }
    void Reactivate();

private:
    std::string m_binary;
    CSharedLibrary m_library;  // closed after the instance is cleaned up
    const LV2_Descriptor* m_descriptor = nullptr;
    LV2_Handle m_handle = nullptr;
};

// An event of a sequence: its frame, its atom's type and body.
struct Lv2Event {
    int64_t frame;
    LV2_URID type;
    std::vector<uint8_t> body;

    bool operator==(const Lv2Event& o) const {
        return frame == o.frame && type == o.type && body == o.body;
    }
};

// A sequence in 64-bit words, since atoms are aligned to 8 bytes.
using Lv2Words = std::vector<uint64_t>;
inline LV2_Atom_Sequence* Lv2Sequence(Lv2Words& words) {
    return reinterpret_cast<LV2_Atom_Sequence*>(words.data());
}

// The events as a host forges its input sequence, each at its frame.
Lv2Words ForgeSequence(CUridMap& map, const std::vector<Lv2Event>& events);
std::vector<Lv2Event> ReadSequence(const LV2_Atom_Sequence* sequence);
