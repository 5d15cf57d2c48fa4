// Registry helpers for the server and installer tests: a text listing of a key tree that
// shows every key, value, type and stored length, so that one comparison
// checks exact values and exact absence; leftover removal; the text forms
// of the module's entries.
#pragma once

#include <windows.h>

#include <string>

// Every key below root\path and the key itself, depth first in enumeration
// order, with its values:
//   <path>
//     @ REG_SZ[34] "Quillfen Zephrin"
// The length is the stored one in bytes (the registry keeps UTF-16), so the
// terminating zero shows. Empty when the key does not exist. The view
// (KEY_WOW64_32KEY or KEY_WOW64_64KEY) picks a registry view; 0 is the
// program's own.
std::string DumpTree(HKEY root, const std::string& path, REGSAM view = 0);

// The listing DumpTree gives for one key with at most a default string value.
std::string KeyListing(const std::string& path, const char* defaultValue = nullptr);

// Removes root\path with everything below it; absent is fine.
void RemoveTree(HKEY root, const std::string& path, REGSAM view = 0);

// Creates root\path (and its parents) and sets a named or default value.
void PutValue(HKEY root, const std::string& path, const char* name, const char* value,
              REGSAM view = 0);

// The class keys and host-list key the module writes.
std::string ClassKeyOf(REFCLSID clsid);
std::string HostKeyOf(REFCLSID clsid);

// The trees of both class keys and of the host-list key, as they are now.
std::string DumpEntries(REGSAM view = 0);

// What DumpEntries gives when the module file is registered: the five
// entries and nothing else. The first four are below HKEY_CLASSES_ROOT, the
// last below HKEY_LOCAL_MACHINE.
std::string ClassEntriesListing(const std::string& modulePath);
std::string HostEntryListing();
std::string RegisteredListing(const std::string& modulePath);

// The value the next key handle of this process gets. Equal before and after
// an operation when the operation left no key open.
HKEY NextKeyHandle();
