// Loading a plug-in file and starting its entry.
#include "tools/claphost/ClapLibrary.h"

CClapLibrary::~CClapLibrary() {
    if (m_entry) m_entry->deinit();
}

bool CClapLibrary::Load(const std::string& path, std::string& error) {
    if (!m_library.Open(path, error)) {
        error = path + ": does not load: " + error;
        return false;
    }
    const auto* entry = static_cast<const clap_plugin_entry_t*>(m_library.Symbol("clap_entry"));
    if (!entry) {
        error = path + ": exports no clap_entry";
        return false;
    }
    if (!clap_version_is_compatible(entry->clap_version)) {
        error = path + ": a CLAP version this host does not know";
        return false;
    }
    if (!entry->init(path.c_str())) {
        error = path + ": its entry's init failed";
        return false;
    }
    m_entry = entry;
    return true;
}
