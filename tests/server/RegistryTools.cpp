#include "tests/server/RegistryTools.h"

#include "common/UniqueHandle.h"
#include "zephrin/filter/ZephrinIds.h"

#include <objbase.h>

#include <vector>

namespace {

std::string Narrow(const wchar_t* text, size_t length) {
    std::string result;
    for (size_t i = 0; i < length; ++i) {
        const wchar_t c = text[i];
        result += c == 0 ? std::string("\\0") : c < 0x80 ? std::string(1, char(c)) : std::string("?");
    }
    return result;
}

const char* TypeName(DWORD type) {
    switch (type) {
    case REG_SZ: return "REG_SZ";
    case REG_EXPAND_SZ: return "REG_EXPAND_SZ";
    case REG_DWORD: return "REG_DWORD";
    case REG_BINARY: return "REG_BINARY";
    case REG_MULTI_SZ: return "REG_MULTI_SZ";
    case REG_LINK: return "REG_LINK";
    default: return "REG_OTHER";
    }
}

void DumpKey(HKEY key, const std::string& path, REGSAM view, std::string& out) {
    out += path + "\n";
    for (DWORD index = 0;; ++index) {
        wchar_t name[1024];
        DWORD nameLength = 1024;
        DWORD type = 0;
        DWORD size = 0;
        if (RegEnumValueW(key, index, name, &nameLength, nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS)
            break;
        std::vector<BYTE> data(size + sizeof(wchar_t));
        nameLength = 1024;
        RegEnumValueW(key, index, name, &nameLength, nullptr, &type, data.data(), &size);
        out += "  " + (nameLength ? Narrow(name, nameLength) : std::string("@")) + " " +
               TypeName(type) + "[" + std::to_string(size) + "]";
        if (type == REG_SZ) {
            // Shown as stored: a terminating zero appears as \0.
            out += " \"" + Narrow(reinterpret_cast<const wchar_t*>(data.data()), size / 2) + "\"";
        }
        out += "\n";
    }
    for (DWORD index = 0;; ++index) {
        char name[256];
        DWORD length = sizeof name;
        if (RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        CUniqueHkey child;
        if (RegOpenKeyExA(key, name, 0, KEY_READ | view, child.put()) != ERROR_SUCCESS) {
            child.release();
            out += path + "\\" + name + " (cannot be opened)\n";
            continue;
        }
        DumpKey(child.get(), path + "\\" + name, view, out);
    }
}

std::string KeyOfClass(const std::string& parent, REFCLSID clsid) {
    CUniqueHandle<LPOLESTR, CoTaskMemFree> text;
    if (FAILED(StringFromCLSID(clsid, text.put()))) return {};
    return parent + "\\" + Narrow(text.get(), wcslen(text.get()));
}

}  // namespace

std::string DumpTree(HKEY root, const std::string& path, REGSAM view) {
    CUniqueHkey key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | view, key.put()) != ERROR_SUCCESS) {
        key.release();
        return {};
    }
    std::string out;
    DumpKey(key.get(), path, view, out);
    return out;
}

std::string KeyListing(const std::string& path, const char* defaultValue) {
    std::string out = path + "\n";
    if (defaultValue) {
        const std::string text(defaultValue);
        out += "  @ REG_SZ[" + std::to_string((text.size() + 1) * 2) + "] \"" + text + "\\0\"\n";
    }
    return out;
}

void RemoveTree(HKEY root, const std::string& path, REGSAM view) {
    CUniqueHkey key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS | view, key.put()) != ERROR_SUCCESS) {
        key.release();
        return;
    }
    RegDeleteTreeA(key.get(), nullptr);
    key.reset();
    RegDeleteKeyExA(root, path.c_str(), view, 0);
}

void PutValue(HKEY root, const std::string& path, const char* name, const char* value,
              REGSAM view) {
    CUniqueHkey key;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr,
                        key.put(), nullptr) != ERROR_SUCCESS) {
        key.release();
        return;
    }
    RegSetValueExA(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                   static_cast<DWORD>(strlen(value) + 1));
}

std::string ClassKeyOf(REFCLSID clsid) { return KeyOfClass("CLSID", clsid); }

std::string HostKeyOf(REFCLSID clsid) {
    return KeyOfClass("Software\\Cakewalk Music Software\\MIDI Filters", clsid);
}

std::string DumpEntries(REGSAM view) {
    return DumpTree(HKEY_CLASSES_ROOT, ClassKeyOf(CLSID_ZephrinFilter), view) +
           DumpTree(HKEY_CLASSES_ROOT, ClassKeyOf(CLSID_ZephrinPropPage), view) +
           DumpTree(HKEY_LOCAL_MACHINE, HostKeyOf(CLSID_ZephrinFilter), view);
}

std::string ClassEntriesListing(const std::string& modulePath) {
    return KeyListing(ClassKeyOf(CLSID_ZephrinFilter), "Quillfen Zephrin") +
           KeyListing(ClassKeyOf(CLSID_ZephrinFilter) + "\\InprocServer32", modulePath.c_str()) +
           KeyListing(ClassKeyOf(CLSID_ZephrinPropPage), "Quillfen MFX Zephrin Property Page") +
           KeyListing(ClassKeyOf(CLSID_ZephrinPropPage) + "\\InprocServer32", modulePath.c_str());
}

std::string HostEntryListing() { return KeyListing(HostKeyOf(CLSID_ZephrinFilter)); }

std::string RegisteredListing(const std::string& modulePath) {
    return ClassEntriesListing(modulePath) + HostEntryListing();
}

HKEY NextKeyHandle() {
    HKEY key = nullptr;
    RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &key);
    if (key) RegCloseKey(key);
    return key;
}
