// A CLAP plug-in file loaded, its entry initialised, and both undone when
// the object goes: LoadLibrary or dlopen, clap_entry, init and deinit.
#pragma once

#include "tools/host/SharedLibrary.h"

#include <clap/entry.h>

#include <string>

class CClapLibrary {
public:
    CClapLibrary() = default;
    ~CClapLibrary();
    CClapLibrary(const CClapLibrary&) = delete;
    CClapLibrary& operator=(const CClapLibrary&) = delete;

    // False with error set when the file does not load, has no clap_entry or
    // its init fails.
    bool Load(const std::string& path, std::string& error);
    const clap_plugin_entry_t* Entry() const { return m_entry; }
    // The entry's factory of that id, or null.
    const void* Factory(const char* id) const {
        return m_entry ? m_entry->get_factory(id) : nullptr;
    }

private:
    CSharedLibrary m_library;  // declared first: closed after deinit
    const clap_plugin_entry_t* m_entry = nullptr;
};
