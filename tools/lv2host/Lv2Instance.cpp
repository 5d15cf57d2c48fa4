// Loading an LV2 plug-in's shared object, making an instance of it, and
// its sequences forged and read.
#include "tools/lv2host/Lv2Instance.h"

#include <lv2/atom/forge.h>
#include <lv2/atom/util.h>

#include <cstring>

CUridMap::CUridMap() {
    m_map.handle = this;
    m_map.map = [](LV2_URID_Map_Handle handle, const char* uri) {
        return static_cast<CUridMap*>(handle)->Urid(uri);
    };
}

LV2_URID CUridMap::Urid(const char* uri) {
    for (size_t i = 0; i < m_uris.size(); ++i)
        if (m_uris[i] == uri) return static_cast<LV2_URID>(i + 1);
    m_uris.emplace_back(uri);
    return static_cast<LV2_URID>(m_uris.size());
}

CLv2Instance::~CLv2Instance() {
    if (m_handle) {
        if (m_descriptor->deactivate) m_descriptor->deactivate(m_handle);
        m_descriptor->cleanup(m_handle);
    }
}

const LV2_Descriptor* CLv2Instance::Descriptor(uint32_t index) const {
    using DescriptorFunction = const LV2_Descriptor* (*)(uint32_t);
    const auto function =
        reinterpret_cast<DescriptorFunction>(m_library.Symbol("lv2_descriptor"));
    return function ? function(index) : nullptr;
}

bool CLv2Instance::Open(const std::string& binary, const char* uri, std::string& error) {
    m_binary = binary;
    if (!m_library.Open(binary, error)) return false;
    for (uint32_t i = 0; !m_descriptor; ++i) {
        const LV2_Descriptor* d = Descriptor(i);
        if (!d) break;
        if (std::strcmp(d->URI, uri) == 0) m_descriptor = d;
    }
    if (!m_descriptor) error = binary + ": no plug-in " + uri;
    return m_descriptor != nullptr;
}

bool CLv2Instance::Instantiate(CUridMap* map, std::string& error) {
    const LV2_Feature mapFeature = {LV2_URID__map, map ? map->Map() : nullptr};
    const LV2_Feature* features[] = {map ? &mapFeature : nullptr, nullptr};
    const std::string bundle = m_binary.substr(0, m_binary.find_last_of('/') + 1);
    m_handle = m_descriptor->instantiate(m_descriptor, 48000, bundle.c_str(), features);
    if (!m_handle) {
        error = m_binary + ": " + m_descriptor->URI + " refused to be instantiated";
        return false;
    }
    if (m_descriptor->activate) m_descriptor->activate(m_handle);
    return true;
}

void CLv2Instance::Reactivate() {
    if (m_descriptor->deactivate) m_descriptor->deactivate(m_handle);
    if (m_descriptor->activate) m_descriptor->activate(m_handle);
}

Lv2Words ForgeSequence(CUridMap& map, const std::vector<Lv2Event>& events) {
    size_t bytes = sizeof(LV2_Atom_Sequence);
    for (const Lv2Event& event : events)
        bytes += sizeof(LV2_Atom_Event) + lv2_atom_pad_size(event.body.size());
    Lv2Words words(bytes / 8, 0);
    LV2_Atom_Forge forge;
    lv2_atom_forge_init(&forge, map.Map());
    lv2_atom_forge_set_buffer(&forge, reinterpret_cast<uint8_t*>(words.data()), bytes);
    LV2_Atom_Forge_Frame frame;
    lv2_atom_forge_sequence_head(&forge, &frame, 0);
    for (const Lv2Event& event : events) {
        const auto size = static_cast<uint32_t>(event.body.size());
        lv2_atom_forge_frame_time(&forge, event.frame);
        lv2_atom_forge_atom(&forge, size, event.type);
        lv2_atom_forge_write(&forge, event.body.data(), size);
    }
    lv2_atom_forge_pop(&forge, &frame);
    return words;
}

std::vector<Lv2Event> ReadSequence(const LV2_Atom_Sequence* sequence) {
    std::vector<Lv2Event> events;
    LV2_ATOM_SEQUENCE_FOREACH(sequence, event) {
        const auto* body = static_cast<const uint8_t*>(LV2_ATOM_BODY_CONST(&event->body));
        events.push_back({event->time.frames, event->body.type, {body, body + event->body.size}});
    }
    return events;
}
