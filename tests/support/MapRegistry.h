// Zephrin Map's registry entries as the module and installer tests see them:
// its filter and page classes and its place on the host's list, in a view.
#pragma once

#include "map/mfx/MapIds.h"
#include "tests/server/RegistryTools.h"

#include <string>

inline std::string MapEntries(REGSAM view = 0) {
    return DumpTree(HKEY_CLASSES_ROOT, ClassKeyOf(CLSID_ZephrinMapFilter), view) +
           DumpTree(HKEY_CLASSES_ROOT, ClassKeyOf(CLSID_ZephrinMapPropPage), view) +
           DumpTree(HKEY_LOCAL_MACHINE, HostKeyOf(CLSID_ZephrinMapFilter), view);
}

// What MapEntries gives when the module file is registered: five entries,
// as Zephrin's.
inline std::string MapRegisteredListing(const std::string& modulePath) {
    const std::string classKey = ClassKeyOf(CLSID_ZephrinMapFilter);
    const std::string pageKey = ClassKeyOf(CLSID_ZephrinMapPropPage);
    return KeyListing(classKey, "Quillfen Zephrin Map") +
           KeyListing(classKey + "\\InprocServer32", modulePath.c_str()) +
           KeyListing(pageKey, "Quillfen MFX Zephrin Map Property Page") +
           KeyListing(pageKey + "\\InprocServer32", modulePath.c_str()) +
           KeyListing(HostKeyOf(CLSID_ZephrinMapFilter));
}

inline void RemoveMapEntries() {
    RemoveTree(HKEY_CLASSES_ROOT, ClassKeyOf(CLSID_ZephrinMapFilter));
    RemoveTree(HKEY_CLASSES_ROOT, ClassKeyOf(CLSID_ZephrinMapPropPage));
    RemoveTree(HKEY_LOCAL_MACHINE, HostKeyOf(CLSID_ZephrinMapFilter));
}
