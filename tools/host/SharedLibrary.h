// A plug-in's shared library opened as a host opens it, and closed when the
// object goes: LoadLibraryA on Windows, dlopen elsewhere. The CLAP and LV2
// host kits load plug-ins through it.
#pragma once

#include <string>

class CSharedLibrary {
public:
    CSharedLibrary() = default;
    ~CSharedLibrary();
    CSharedLibrary(const CSharedLibrary&) = delete;
    CSharedLibrary& operator=(const CSharedLibrary&) = delete;

    // False with error set to the system's reason when the file does not load.
    bool Open(const std::string& path, std::string& error);
    // The exported symbol, or null (also when nothing is open).
    void* Symbol(const char* name) const;
    explicit operator bool() const { return m_module != nullptr; }

private:
    void* m_module = nullptr;
};
