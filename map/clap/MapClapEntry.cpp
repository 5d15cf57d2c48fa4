// ZephrinMap.clap's entry: the one export, its factory and the plug-in's
// descriptor.
#include "map/clap/MapClapPlugin.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace {

const char* const kFeatures[] = {CLAP_PLUGIN_FEATURE_NOTE_EFFECT, CLAP_PLUGIN_FEATURE_UTILITY,
                                 nullptr};

const clap_plugin_factory_t kFactory = {
    [](const clap_plugin_factory_t*) -> uint32_t { return 1; },
    [](const clap_plugin_factory_t*, uint32_t index) {
        return index == 0 ? &kMapClapDescriptor : nullptr;
    },
    [](const clap_plugin_factory_t*, const clap_host_t* host,
       const char* id) -> const clap_plugin_t* {
        if (!host || !id || std::strcmp(id, kMapClapDescriptor.id) != 0 ||
            !clap_version_is_compatible(host->clap_version))
            return nullptr;
        // From malloc, not new: no C++ runtime's allocator (and its exception
        // pool) comes into the host with the plug-in.
        void* memory = std::malloc(sizeof(CMapClapPlugin));
        return memory ? (new (memory) CMapClapPlugin(host))->Plugin() : nullptr;
    },
};

}  // namespace

const clap_plugin_descriptor_t kMapClapDescriptor = {
    CLAP_VERSION_INIT,
    "quillfen.zephrin-map",
    "Zephrin Map",
    "Quillfen",
    "",
    "",
    "",
    ZEPHRIN_VERSION,
    "Keys to MIDI controllers: pedals, latching sustain, drum pads",
    kFeatures,
};

extern "C" CLAP_EXPORT const clap_plugin_entry_t clap_entry = {
    CLAP_VERSION_INIT,
    [](const char*) { return true; },
    [] {},
    [](const char* id) -> const void* {
        return id && !std::strcmp(id, CLAP_PLUGIN_FACTORY_ID) ? &kFactory : nullptr;
    },
};
