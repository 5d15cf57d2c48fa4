// Self-registration: the COM class entries under HKEY_CLASSES_ROOT, the
// filter's entry in the host's list of MIDI filters, and the helpers that
// write and remove them. DllRegisterServer and DllUnregisterServer are
// declared by the platform headers.
#pragma once

#include <windows.h>

#include <cstddef>

constexpr size_t kModulePathSize = 260;
constexpr size_t kClsidTextSize = 128;
constexpr size_t kClassKeySize = 64;
constexpr size_t kHostKeySize = 256;
constexpr size_t kKeyPathSize = 1024;
constexpr size_t kSubkeyNameSize = 256;

// The host's list of MIDI filters, below HKEY_LOCAL_MACHINE.
constexpr char kMidiFiltersKey[] = "Software\\Cakewalk Music Software\\MIDI Filters";

// Writes the text form of a class identifier, "{XXXXXXXX-XXXX-...}" in upper
// case. False, with the buffer empty, when the text cannot be produced or does
// not fit with its terminating zero.
bool ClsidToText(REFCLSID clsid, char* buffer, size_t size);

// Creates or opens root\path[\subkey] and sets its default value to the
// string, stored with its terminating zero, when one is given. The key is
// closed on every path. ERROR_SUCCESS, the first registry error, or
// ERROR_BUFFER_OVERFLOW when the joined path does not fit (nothing written).
LONG CreateRegKey(HKEY root, const char* path, const char* subkey, const char* value);

// The class key "CLSID\{text}" with the description as default value, and
// its InprocServer32 subkey with the module file's full path. Registry
// failures are passed over. False when an entry was skipped because the
// class text or the module path could not be produced.
bool RegisterComClass(REFCLSID clsid, const char* description);

// Deletes "CLSID\{text}" with everything below it. False when the class text
// could not be produced, so nothing could be named.
bool UnregisterComClass(REFCLSID clsid);

// Deletes root\path and everything below it, depth first. A subkey that
// cannot be removed is stepped over, so the walk always ends; the key itself
// then stays. Returns what the final RegDeleteKeyA returned.
LONG DeleteRegKeyTree(HKEY root, const char* path);
