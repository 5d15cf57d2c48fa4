// Opening a shared library with each system's own calls.
#include "tools/host/SharedLibrary.h"

#ifdef _WIN32
#include <windows.h>

bool CSharedLibrary::Open(const std::string& path, std::string& error) {
    m_module = LoadLibraryA(path.c_str());
    if (!m_module) error = "error " + std::to_string(GetLastError());
    return m_module != nullptr;
}

void* CSharedLibrary::Symbol(const char* name) const {
    return m_module ? reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(m_module), name))
                    : nullptr;
}

CSharedLibrary::~CSharedLibrary() {
    if (m_module) FreeLibrary(static_cast<HMODULE>(m_module));
}
#else
#include <dlfcn.h>

bool CSharedLibrary::Open(const std::string& path, std::string& error) {
    m_module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m_module) {
        const char* reason = dlerror();
        error = reason ? reason : "unknown error";
    }
    return m_module != nullptr;
}

void* CSharedLibrary::Symbol(const char* name) const {
    return m_module ? dlsym(m_module, name) : nullptr;
}

CSharedLibrary::~CSharedLibrary() {
    if (m_module) dlclose(m_module);
}
#endif
