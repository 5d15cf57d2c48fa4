// An LV2 plug-in as a host loads it, for the benchmark: its bundle's shared
// object opened, its descriptor found by URI, one instance made with a URID
// map, and everything given back in reverse when it goes.
#pragma once

#include <lv2/core/lv2.h>
#include <lv2/urid/urid.h>

#include <cstdint>
#include <string>
#include <vector>

// URIs to numbers, as a host maps them: the same URI, the same number.
class CUridMap {
public:
    CUridMap();
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

    // Opens the shared object, finds the plug-in, instantiates and activates it.
    bool Load(const std::string& binary, const char* uri, CUridMap& map, std::string& error);
    void Connect(uint32_t port, void* data) { m_descriptor->connect_port(m_handle, port, data); }
    void Run(uint32_t frames) { m_descriptor->run(m_handle, frames); }

private:
    void* m_library = nullptr;
    const LV2_Descriptor* m_descriptor = nullptr;
    LV2_Handle m_handle = nullptr;
};
