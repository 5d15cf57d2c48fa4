// What a plug-in module hands the shared server: the classes it makes, the
// registry entries it writes, and its name. Each module defines
// g_moduleTable once; the exports walk it.
#pragma once

#include <objbase.h>

#include <cstddef>

// A class the module makes, and how to make a new class object for it.
struct CModuleClass {
    const CLSID& clsid;
    HRESULT (*createClassObject)(REFIID riid, void** ppv);
};

// A COM class row writes the class key with its description and its
// InprocServer32 subkey; a host-list row writes a key without any value
// below the host's list of MIDI filters, which puts the filter on it.
enum class RegistryEntry { kComClass, kHostList };

struct CRegistration {
    RegistryEntry kind;
    const CLSID& clsid;
    const char* description;  // COM class rows only
};

struct CModuleTable {
    const char* appName;  // the framework's name for the module: message box captions
    const CModuleClass* classes;
    size_t classCount;
    const CRegistration* registrations;  // in the order of writing
    size_t registrationCount;
};

extern const CModuleTable g_moduleTable;
