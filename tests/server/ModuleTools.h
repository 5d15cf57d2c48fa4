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

// A built file's Unix path in its drive-letter form (Wine shows the Unix root
// as Z:), as regsvr32 and GetModuleFileName report it.
std::string WindowsPath(const char* unixPath);

// The built Zephrin.dll, in that form.
std::string ModulePath();

// Runs a program of the prefix with its arguments and returns its exit code,
// or -1 when it could not be started or did not end within a minute.
int RunProgram(const std::string& commandLine);

// regsvr32 /s on the module (Zephrin.dll unless another is named), or
// regsvr32 /u /s; its exit code.
int RunRegsvr32(bool unregister = false);
int RunRegsvr32On(const std::string& module, bool unregister);

// Registers or unregisters a module the way this test program does it:
// through regsvr32, or in this process through the module's own exports
// where every extra process is expensive. 0 on success. RegisterModule is
// for Zephrin.dll.
int RegisterModuleFile(const std::string& module, bool unregister);
inline int RegisterModule(bool unregister = false) {
    return RegisterModuleFile(ModulePath(), unregister);
}

// Calls one of the module's registration exports in this process, loading
// the module for the call only; the export's result.
HRESULT CallRegistrationExport(const char* name);
HRESULT CallRegistrationExportOf(const std::string& module, const char* name);

// Loads a module into the slot and finds its two class-object exports.
struct CServerExports;
CServerExports OpenExports(CUniqueModule& slot, const std::string& module);

// Removes every key the module writes, whoever wrote it.
void RemoveModuleEntries();

// Is the module mapped into this process?
bool ModuleLoaded();

// The settings a filter saves, as the four integers of its stream.
std::vector<int32_t> SavedSettings(IPersistStream* filter);

// An ole32 memory stream holding these integers, positioned at the start.
CComPtr<IStream> StreamOf(const std::vector<int32_t>& values);
