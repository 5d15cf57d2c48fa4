#include "tests/server/ModuleTools.h"

#include "tests/server/ClassObjectCases.h"

#include "zephrin/filter/ZephrinIds.h"
#include "tests/server/RegistryTools.h"

std::string WindowsPath(const char* unixPath) {
    std::string path = std::string("Z:") + unixPath;
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

std::string ModulePath() { return WindowsPath(ZEPHRIN_MODULE_PATH); }

int RunProgram(const std::string& commandLine) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return -1;
    CUniqueHandleObj processHandle(process.hProcess);
    CUniqueHandleObj threadHandle(process.hThread);
    if (WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0) return -1;
    DWORD exitCode = 0;
    if (!GetExitCodeProcess(process.hProcess, &exitCode)) return -1;
    return static_cast<int>(exitCode);
}

int RunRegsvr32(bool unregister) { return RunRegsvr32On(ModulePath(), unregister); }

int RunRegsvr32On(const std::string& module, bool unregister) {
    return RunProgram(std::string("regsvr32.exe ") + (unregister ? "/u " : "") + "/s \"" +
                      module + "\"");
}

HRESULT CallRegistrationExport(const char* name) { return CallRegistrationExportOf(ModulePath(), name); }

CServerExports OpenExports(CUniqueModule& slot, const std::string& module) {
    slot.reset(LoadLibraryA(module.c_str()));
    if (!slot) return {};
    CServerExports exports;
    exports.getClassObject = reinterpret_cast<GetClassObjectFn>(
        reinterpret_cast<void*>(GetProcAddress(slot.get(), "DllGetClassObject")));
    exports.canUnloadNow = reinterpret_cast<CanUnloadNowFn>(
        reinterpret_cast<void*>(GetProcAddress(slot.get(), "DllCanUnloadNow")));
    return exports;
}

HRESULT CallRegistrationExportOf(const std::string& path, const char* name) {
    CUniqueModule module(LoadLibraryA(path.c_str()));
    if (!module) return HRESULT_FROM_WIN32(GetLastError());
    auto call = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
        reinterpret_cast<void*>(GetProcAddress(module.get(), name)));
    return call ? call() : HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
}

void RemoveModuleEntries() {
    RemoveTree(HKEY_CLASSES_ROOT, ClassKeyOf(CLSID_ZephrinFilter));
    RemoveTree(HKEY_CLASSES_ROOT, ClassKeyOf(CLSID_ZephrinPropPage));
    RemoveTree(HKEY_LOCAL_MACHINE, HostKeyOf(CLSID_ZephrinFilter));
}

bool ModuleLoaded() { return GetModuleHandleA("Zephrin.dll") != nullptr; }

std::vector<int32_t> SavedSettings(IPersistStream* filter) {
    CComPtr<IStream> stream;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.put()))) return {};
    if (filter->Save(stream.get(), FALSE) != S_OK) return {};
    STATSTG stat = {};
    stream->Stat(&stat, STATFLAG_NONAME);
    std::vector<int32_t> values(static_cast<size_t>(stat.cbSize.QuadPart) / sizeof(int32_t));
    const LARGE_INTEGER start = {};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    ULONG read = 0;
    stream->Read(values.data(), static_cast<ULONG>(values.size() * sizeof(int32_t)), &read);
    return values;
}

CComPtr<IStream> StreamOf(const std::vector<int32_t>& values) {
    CComPtr<IStream> stream;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.put()))) return stream;
    stream->Write(values.data(), static_cast<ULONG>(values.size() * sizeof(int32_t)), nullptr);
    const LARGE_INTEGER start = {};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    return stream;
}
