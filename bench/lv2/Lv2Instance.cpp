// Loading an LV2 plug-in's shared object and making an instance of it.
#include "bench/lv2/Lv2Instance.h"

#include <dlfcn.h>

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
    if (m_library) dlclose(m_library);
}

bool CLv2Instance::Load(const std::string& binary, const char* uri, CUridMap& map,
                        std::string& error) {
    // Each file its own copy of the code, as a host loading two bundles has.
    m_library = dlopen(binary.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m_library) {
        error = dlerror();
        return false;
    }
    using DescriptorFunction = const LV2_Descriptor* (*)(uint32_t);
    const auto descriptor =
        reinterpret_cast<DescriptorFunction>(dlsym(m_library, "lv2_descriptor"));
    for (uint32_t i = 0; descriptor && !m_descriptor; ++i) {
        const LV2_Descriptor* d = descriptor(i);
        if (!d) break;
        if (std::strcmp(d->URI, uri) == 0) m_descriptor = d;
    }
    if (!m_descriptor) {
        error = binary + ": no plug-in " + uri;
        return false;
    }
    const LV2_Feature mapFeature = {LV2_URID__map, map.Map()};
    const LV2_Feature* features[] = {&mapFeature, nullptr};
    const std::string bundle = binary.substr(0, binary.find_last_of('/') + 1);
    m_handle = m_descriptor->instantiate(m_descriptor, 48000, bundle.c_str(), features);
    if (!m_handle) {
        error = binary + ": " + uri + " refused to be instantiated";
        return false;
    }
    if (m_descriptor->activate) m_descriptor->activate(m_handle);
    return true;
}
