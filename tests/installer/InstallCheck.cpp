// Checks what the installer left in a prefix, from inside it, one command a
// run so that a test script can check each step:
//   installcheck installed DIR64 DIR32   both plug-ins registered in both
//                                         views, the uninstall entry written,
//                                         both filters made here
//   installcheck zephrin-only DIR64 DIR32 what the earlier installer leaves:
//                                         Zephrin registered, Map nowhere
//   installcheck create DIR               both filters made here, from DIR
//   installcheck removed                  nothing of either plug-in left
//   installcheck put-other                another filter on the host's list
//   installcheck hold DIR READY STOP      keeps DIR's ZephrinMap.dll loaded,
//                                         writes READY once it is, and lets
//                                         it go when STOP appears (10 minutes
//                                         at most)
// It prints what differs and exits 1, or exits 0.
#include "common/ComPtr.h"
#include "common/UniqueHandle.h"
#include "host/MfxHost.h"
#include "map/mfx/MapIds.h"
#include "zephrin/filter/ZephrinIds.h"
#include "tests/server/RegistryTools.h"
#include "tests/support/MapRegistry.h"
#include "tests/support/HostQueues.h"

#include <objbase.h>

#include <cstdio>
#include <string>

namespace {

const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QuillfenZephrin";
const char kOtherFilter[] =
    "Software\\Cakewalk Music Software\\MIDI Filters\\{6B1C2E8A-4D1F-4C7B-9E55-0A1B2C3D4E5F}";
const REGSAM kViews[] = {KEY_WOW64_64KEY, KEY_WOW64_32KEY};

const char* ViewName(REGSAM view) { return view == KEY_WOW64_64KEY ? "64-bit" : "32-bit"; }

int g_faults = 0;

void Expect(bool holds, const std::string& what) {
    if (holds) return;
    std::fprintf(stderr, "installcheck: %s\n", what.c_str());
    ++g_faults;
}

void ExpectText(const std::string& actual, const std::string& expected, const std::string& what) {
    Expect(actual == expected, what + ":\n--- expected\n" + expected + "--- found\n" + actual);
}

std::string ModuleIn(const std::string& dir, const char* module = "Zephrin.dll") {
    return dir + "\\" + module;
}

// A value of the uninstall entry, which lives in the 64-bit view.
bool UninstallValue(const char* name, DWORD type, void* data, DWORD size) {
    CUniqueHkey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ | KEY_WOW64_64KEY,
                      key.put()) != ERROR_SUCCESS) {
        key.release();
        return false;
    }
    return RegGetValueA(key.get(), nullptr, name, type, nullptr, data, &size) == ERROR_SUCCESS;
}

std::string StringValue(const char* name) {
    char value[1024] = {};
    return UninstallValue(name, RRF_RT_REG_SZ, value, sizeof value) ? value : "(missing)";
}

DWORD DwordValue(const char* name) {
    DWORD value = 0;
    return UninstallValue(name, RRF_RT_REG_DWORD, &value, sizeof value) ? value : 0;
}

// Both filters through the registry, as a host of this program's kind makes
// them, from the modules in dir: Zephrin maps the pedal key, and so does a
// new Map.
void ExpectFiltersFrom(const std::string& dir) {
    for (const auto& [clsid, module] : {std::pair{&CLSID_ZephrinFilter, "Zephrin.dll"},
                                        std::pair{&CLSID_ZephrinMapFilter, "ZephrinMap.dll"}}) {
        CComPtr<IMfxEventFilter> filter;
        const HRESULT made = CoCreateInstance(*clsid, nullptr, CLSCTX_INPROC_SERVER,
                                              IID_IMfxEventFilter, filter.put_void());
        Expect(made == S_OK, std::string("CoCreateInstance of ") + module + "'s filter failed: " +
                                 std::to_string(made));
        if (made != S_OK) continue;
        char loadedFrom[MAX_PATH] = {};
        GetModuleFileNameA(GetModuleHandleA(module), loadedFrom, sizeof loadedFrom);
        Expect(lstrcmpiA(loadedFrom, ModuleIn(dir, module).c_str()) == 0,
               std::string("the filter came from ") + loadedFrom + ", not " + ModuleIn(dir, module));
        CTestDataQueue in({Live(0x90, 96, 100), Live(0x90, 60, 100)});
        CTestDataQueue out;
        Expect(filter->OnInput(&in, &out) == S_OK, "OnInput failed");
        Expect(out.records == std::vector<DataItem>{Live(0xB0, 64, 127), Live(0x90, 60, 100)},
               std::string("the installed ") + module + " does not map key 96 to the sustain pedal");
    }
}

int Installed(const std::string& dir64, const std::string& dir32) {
    ExpectText(DumpEntries(KEY_WOW64_64KEY), RegisteredListing(ModuleIn(dir64)),
               "the 64-bit view's entries");
    ExpectText(DumpEntries(KEY_WOW64_32KEY), RegisteredListing(ModuleIn(dir32)),
               "the 32-bit view's entries");
    ExpectText(MapEntries(KEY_WOW64_64KEY), MapRegisteredListing(ModuleIn(dir64, "ZephrinMap.dll")),
               "the 64-bit view's Map entries");
    ExpectText(MapEntries(KEY_WOW64_32KEY), MapRegisteredListing(ModuleIn(dir32, "ZephrinMap.dll")),
               "the 32-bit view's Map entries");
    Expect(StringValue("DisplayName") == "Quillfen Zephrin and Zephrin Map",
           "uninstall entry: DisplayName is " + StringValue("DisplayName"));
    Expect(StringValue("Publisher") == "Quillfen Audio", "uninstall entry: Publisher");
    Expect(StringValue("DisplayVersion") == "1.2.0.0",
           "uninstall entry: DisplayVersion is " + StringValue("DisplayVersion"));
    Expect(StringValue("UninstallString") == "\"" + dir64 + "\\Uninstall.exe\"",
           "uninstall entry: UninstallString is " + StringValue("UninstallString"));
    Expect(DwordValue("EstimatedSize") > 0, "uninstall entry: EstimatedSize");
    Expect(DumpTree(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_WOW64_32KEY).empty(),
           "an uninstall entry in the 32-bit view as well");
    ExpectFiltersFrom(sizeof(void*) == 8 ? dir64 : dir32);
    return g_faults ? 1 : 0;
}

int ZephrinOnly(const std::string& dir64, const std::string& dir32) {
    ExpectText(DumpEntries(KEY_WOW64_64KEY), RegisteredListing(ModuleIn(dir64)),
               "the 64-bit view's entries");
    ExpectText(DumpEntries(KEY_WOW64_32KEY), RegisteredListing(ModuleIn(dir32)),
               "the 32-bit view's entries");
    for (REGSAM view : kViews) Expect(MapEntries(view).empty(), "Map's entries before Map came");
    Expect(StringValue("DisplayVersion") == "1.0.0.1", "the earlier installer's version");
    return g_faults ? 1 : 0;
}

int Removed() {
    for (REGSAM view : kViews) {
        ExpectText(DumpEntries(view) + MapEntries(view), "",
                   std::string("the ") + ViewName(view) + " view's entries");
        Expect(DumpTree(HKEY_LOCAL_MACHINE, kUninstallKey, view).empty(),
               std::string("the uninstall entry in the ") + ViewName(view) + " view");
        Expect(!DumpTree(HKEY_LOCAL_MACHINE, kOtherFilter, view).empty(),
               std::string("another filter went from the ") + ViewName(view) + " view's list");
    }
    return g_faults ? 1 : 0;
}

int PutOther() {
    for (REGSAM view : kViews) PutValue(HKEY_LOCAL_MACHINE, kOtherFilter, "Name", "Another filter", view);
    return 0;
}

int Hold(const std::string& dir, const std::string& readyFile, const std::string& stopFile) {
    HMODULE module = LoadLibraryA(ModuleIn(dir, "ZephrinMap.dll").c_str());
    if (!module) {
        std::fprintf(stderr, "installcheck: cannot load %s\n", ModuleIn(dir, "ZephrinMap.dll").c_str());
        return 1;
    }
    if (FILE* ready = std::fopen(readyFile.c_str(), "w")) std::fclose(ready);
    for (int waited = 0; waited < 600 * 5; ++waited) {
        if (GetFileAttributesA(stopFile.c_str()) != INVALID_FILE_ATTRIBUTES) break;
        Sleep(200);
    }
    FreeLibrary(module);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (FAILED(CoInitialize(nullptr))) return 1;
    int result = 2;
    if (command == "installed" && argc == 4) result = Installed(argv[2], argv[3]);
    else if (command == "zephrin-only" && argc == 4) result = ZephrinOnly(argv[2], argv[3]);
    else if (command == "create" && argc == 3) { ExpectFiltersFrom(argv[2]); result = g_faults ? 1 : 0; }
    else if (command == "removed" && argc == 2) result = Removed();
    else if (command == "put-other" && argc == 2) result = PutOther();
    else if (command == "hold" && argc == 5) result = Hold(argv[2], argv[3], argv[4]);
    else std::fprintf(stderr, "usage: installcheck installed|zephrin-only|create|removed|put-other|hold ...\n");
    CoUninitialize();
    return result;
}
