// Self-registration: what the module writes is the registration table of
// its module table, walked by one loop to register and by the same loop to
// unregister.
#include "server/Registration.h"

#include "common/UniqueHandle.h"
#include "framework/ModuleState.h"
#include "server/ModuleTable.h"

#include <objbase.h>
#include <olectl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

using CUniqueOleString = CUniqueHandle<LPOLESTR, CoTaskMemFree>;

// Joins the parts into the buffer; false when they do not fit, so that no
// cut-short path ever reaches the registry.
template <size_t Size>
bool JoinKey(char (&buffer)[Size], const char* parent, const char* child) {
    const int length = std::snprintf(buffer, Size, "%s\\%s", parent, child);
    if (length < 0 || static_cast<size_t>(length) >= Size) {
        buffer[0] = '\0';
        return false;
    }
    return true;
}

// parent + "\" + the class's text form.
template <size_t Size>
bool KeyOfClass(const char* parent, REFCLSID clsid, char (&key)[Size]) {
    char text[kClsidTextSize];
    return ClsidToText(clsid, text, sizeof text) && JoinKey(key, parent, text);
}

// The full path of this module's file, as the platform reports it for the
// instance handle the module was loaded with. Without that handle the call
// would name the host's program instead, so it fails then; a path cut short
// by the buffer fails too.
bool ModulePath(char (&path)[kModulePathSize]) {
    path[0] = '\0';
    const HINSTANCE instance = AfxGetStaticModuleState()->m_hCurrentInstanceHandle;
    if (!instance) return false;
    const DWORD length = GetModuleFileNameA(instance, path, sizeof path);
    if (length == 0 || length >= sizeof path) {
        path[0] = '\0';
        return false;
    }
    return true;
}

bool Register(const CRegistration& row) {
    if (row.kind == RegistryEntry::kComClass) return RegisterComClass(row.clsid, row.description);
    char key[kHostKeySize];
    if (!KeyOfClass(kMidiFiltersKey, row.clsid, key)) return false;
    CreateRegKey(HKEY_LOCAL_MACHINE, key, nullptr, nullptr);
    return true;
}

bool Unregister(const CRegistration& row) {
    if (row.kind == RegistryEntry::kComClass) return UnregisterComClass(row.clsid);
    char key[kHostKeySize];
    if (!KeyOfClass(kMidiFiltersKey, row.clsid, key)) return false;
    DeleteRegKeyTree(HKEY_LOCAL_MACHINE, key);
    return true;
}

}  // namespace

bool ClsidToText(REFCLSID clsid, char* buffer, size_t size) {
    if (!buffer || size == 0) return false;
    buffer[0] = '\0';
    CUniqueOleString wide;
    if (FAILED(StringFromCLSID(clsid, wide.put())) || !wide) return false;
    const size_t length = std::wcstombs(buffer, wide.get(), size);
    if (length == static_cast<size_t>(-1) || length >= size) {
        buffer[0] = '\0';
        return false;
    }
    return true;
}

LONG CreateRegKey(HKEY root, const char* path, const char* subkey, const char* value) {
    char joined[kKeyPathSize];
    const char* fullPath = path;
    if (subkey) {
        if (!JoinKey(joined, path, subkey)) return ERROR_BUFFER_OVERFLOW;
        fullPath = joined;
    }
    CUniqueHkey key;
    const LONG created = RegCreateKeyExA(root, fullPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                         key.put(), nullptr);
    if (created != ERROR_SUCCESS) {
        key.release();  // no key was opened: nothing to close
        return created;
    }
    if (!value) return ERROR_SUCCESS;
    return RegSetValueExA(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                          static_cast<DWORD>(std::strlen(value) + 1));
}

bool RegisterComClass(REFCLSID clsid, const char* description) {
    char modulePath[kModulePathSize];
    const bool havePath = ModulePath(modulePath);
    char key[kClassKeySize];
    if (!KeyOfClass("CLSID", clsid, key)) return false;
    CreateRegKey(HKEY_CLASSES_ROOT, key, nullptr, description);
    if (!havePath) return false;
    CreateRegKey(HKEY_CLASSES_ROOT, key, "InprocServer32", modulePath);
    return true;
}

bool UnregisterComClass(REFCLSID clsid) {
    char key[kClassKeySize];
    if (!KeyOfClass("CLSID", clsid, key)) return false;
    DeleteRegKeyTree(HKEY_CLASSES_ROOT, key);
    return true;
}

LONG DeleteRegKeyTree(HKEY root, const char* path) {
    CUniqueHkey key;
    if (RegOpenKeyExA(root, path, 0, KEY_ALL_ACCESS, key.put()) == ERROR_SUCCESS) {
        // Each removal moves the next subkey to the index just asked for. A
        // subkey that stays would be named there again and again, so the walk
        // steps past it instead.
        DWORD index = 0;
        for (;;) {
            char name[kSubkeyNameSize];
            DWORD length = kSubkeyNameSize;
            FILETIME written;
            if (RegEnumKeyExA(key.get(), index, name, &length, nullptr, nullptr, nullptr,
                              &written) != ERROR_SUCCESS)
                break;
            if (DeleteRegKeyTree(key.get(), name) != ERROR_SUCCESS) ++index;
        }
    } else {
        key.release();  // not opened: nothing to close
    }
    return RegDeleteKeyA(root, path);
}

// Registry failures are passed over: whatever can be written is, and the
// result stays S_OK (a host list that cannot be written for want of rights
// must not undo the class entries). Only an entry skipped because its own
// text could not be produced makes it fail, so that an installer learns the
// module is not fully registered.
STDAPI DllRegisterServer() {
    bool complete = true;
    for (size_t i = 0; i < g_moduleTable.registrationCount; ++i)
        complete = Register(g_moduleTable.registrations[i]) && complete;
    return complete ? S_OK : SELFREG_E_CLASS;
}

STDAPI DllUnregisterServer() {
    bool complete = true;
    for (size_t i = 0; i < g_moduleTable.registrationCount; ++i)
        complete = Unregister(g_moduleTable.registrations[i]) && complete;
    return complete ? S_OK : SELFREG_E_CLASS;
}
