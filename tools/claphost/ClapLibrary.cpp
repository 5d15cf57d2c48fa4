// Loading a plug-in file: LoadLibraryA on Windows, dlopen elsewhere.
#include "tools/claphost/ClapLibrary.h"

#ifdef _WIN32
#include <windows.h>

namespace {

void* OpenModule(const std::string& path) { return LoadLibraryA(path.c_str()); }
void* FindSymbol(void* module, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}
void CloseModule(void* module) { FreeLibrary(static_cast<HMODULE>(module)); }
std::string LoadError() { return "error " + std::to_string(GetLastError()); }

}  // namespace
#else
#include <dlfcn.h>

namespace {

void* OpenModule(const std::string& path) { return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL); }
void* FindSymbol(void* module, const char* name) { return dlsym(module, name); }
void CloseModule(void* module) { dlclose(module); }
std::string LoadError() {
    const char* error = dlerror();
    return error ? error : "unknown error";
}

}  // namespace
#endif

CClapLibrary::~CClapLibrary() {
    if (m_entry) m_entry->deinit();
    if (m_module) CloseModule(m_module);
}

bool CClapLibrary::Load(const std::string& path, std::string& error) {
    m_module = OpenModule(path);
    if (!m_module) {
        error = path + ": does not load: " + LoadError();
        return false;
    }
    const auto* entry = static_cast<const clap_plugin_entry_t*>(FindSymbol(m_module, "clap_entry"));
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
