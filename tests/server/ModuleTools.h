// What the module tests need around the built module: its path as Windows
// names it, regsvr32 run as a child process, the module loaded by hand for
// the tests that call its exports directly, and settings streams.
#pragma once

#include "common/ComPtr.h"
#include "common/UniqueHandle.h"

#include <windows.h>
#include <objidl.h>

#include <cstdint>
#include <string>
#include <vector>

using CUniqueModule = CUniqueHandle<HMODULE, FreeLibrary>;

// The built Zephrin.dll in its drive-letter form (Wine shows the Unix root as
// Z:), as regsvr32 and GetModuleFileName report it.
std::string ModulePath();

// Runs a program of the prefix with its arguments and returns its exit code,
// or -1 when it could not be started or did not end within a minute.
int RunProgram(const std::string& commandLine);

// regsvr32 /s on the module, or regsvr32 /u /s; its exit code.
int RunRegsvr32(bool unregister = false);

// Registers or unregisters the module the way this test program does it:
// through regsvr32, or in this process through the module's own exports
// where every extra process is expensive. 0 on success.
int RegisterModule(bool unregister = false);

// Calls one of the module's registration exports in this process, loading
// the module for the call only; the export's result.
HRESULT CallRegistrationExport(const char* name);

// Removes every key the module writes, whoever wrote it.
void RemoveModuleEntries();

// Is the module mapped into this process?
bool ModuleLoaded();

// The settings a filter saves, as the four integers of its stream.
std::vector<int32_t> SavedSettings(IPersistStream* filter);

// An ole32 memory stream holding these integers, positioned at the start.
CComPtr<IStream> StreamOf(const std::vector<int32_t>& values);
