// Self-registration by the server library, with both registry roots the
// module writes to redirected to scratch keys of this test, so that every
// key that appears or goes is seen.
#include "tests/server/RegistryTools.h"

#include "common/UniqueHandle.h"
#include "zephrin/filter/ZephrinIds.h"
#include "framework/ModuleState.h"
#include "server/Registration.h"

#include <gtest/gtest.h>

#include <olectl.h>

#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <string>

namespace {

constexpr char kScratch[] = "Software\\Quillfen Zephrin tests\\server";
const std::string kMidiFilters = "Software\\Cakewalk Music Software\\MIDI Filters";
const std::string kOtherFilter = kMidiFilters + "\\{6B1C2E8A-4D1F-4C7B-9E55-0A1B2C3D4E5F}";
const std::string kOtherClass = "CLSID\\{6B1C2E8A-4D1F-4C7B-9E55-0A1B2C3D4E5F}";

// A listing moved below a parent key: every key line gets the parent's path.
std::string Below(const std::string& parent, const std::string& listing) {
    std::string out;
    size_t start = 0;
    while (start < listing.size()) {
        const size_t end = listing.find('\n', start) + 1;
        const std::string line = listing.substr(start, end - start);
        out += line[0] == ' ' ? line : parent + "\\" + line;
        start = end;
    }
    return out;
}

std::string ThisProgramPath() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    return path;
}

HKEY CreateKey(HKEY root, const std::string& path, DWORD options = 0) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExA(root, path.c_str(), 0, nullptr, options, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS)
        << path;
    return key;
}

// HKEY_CLASSES_ROOT and HKEY_LOCAL_MACHINE of this process point into
// scratch keys below HKEY_CURRENT_USER for the length of each test.
class RegistryScratch : public ::testing::Test {
protected:
    void SetUp() override {
        RemoveTree(HKEY_CURRENT_USER, kScratch);
        m_classes.reset(CreateKey(HKEY_CURRENT_USER, std::string(kScratch) + "\\HKCR"));
        m_machine.reset(CreateKey(HKEY_CURRENT_USER, std::string(kScratch) + "\\HKLM"));
        ASSERT_EQ(RegOverridePredefKey(HKEY_CLASSES_ROOT, m_classes.get()), ERROR_SUCCESS);
        ASSERT_EQ(RegOverridePredefKey(HKEY_LOCAL_MACHINE, m_machine.get()), ERROR_SUCCESS);
    }
    void TearDown() override {
        RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
        RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
        m_classes.reset();
        m_machine.reset();
        RemoveTree(HKEY_CURRENT_USER, kScratch);
        AfxInitModule(GetModuleHandleA(nullptr), "Quillfen MFX Zephrin");
    }

    // Everything in both redirected roots.
    static std::string Everything() {
        return DumpTree(HKEY_CURRENT_USER, kScratch);
    }

    // Keys that other software put there, and must find again.
    static void PutForeignEntries() {
        PutValue(HKEY_CLASSES_ROOT, kOtherClass, nullptr, "Another program's class");
        PutValue(HKEY_LOCAL_MACHINE, kOtherFilter, "Name", "Another filter");
    }

private:
    CUniqueHkey m_classes;
    CUniqueHkey m_machine;
};

using Registration = RegistryScratch;

TEST_F(Registration, WritesExactlyTheFiveEntries) {
    ASSERT_EQ(DllRegisterServer(), S_OK);
    EXPECT_EQ(DumpEntries(), RegisteredListing(ThisProgramPath()));
    // Nothing else anywhere: no threading model, no program id, no page entry
    // in the host's list.
    const std::string root = kScratch;
    EXPECT_EQ(Everything(), root + "\n" + root + "\\HKCR\n" + root + "\\HKCR\\CLSID\n" +
                                Below(root + "\\HKCR", ClassEntriesListing(ThisProgramPath())) +
                                root + "\\HKLM\n" + root + "\\HKLM\\Software\n" + root +
                                "\\HKLM\\Software\\Cakewalk Music Software\n" + root +
                                "\\HKLM\\" + kMidiFilters + "\n" +
                                Below(root + "\\HKLM", HostEntryListing()));
}

TEST_F(Registration, RegisteringAgainOverwritesAndAddsNothing) {
    ASSERT_EQ(DllRegisterServer(), S_OK);
    const std::string once = Everything();
    PutValue(HKEY_CLASSES_ROOT, ClassKeyOf(CLSID_ZephrinFilter) + "\\InprocServer32", nullptr,
             "C:\\Old\\Zephrin.dll");
    PutValue(HKEY_CLASSES_ROOT, ClassKeyOf(CLSID_ZephrinPropPage), nullptr, "old");
    ASSERT_EQ(DllRegisterServer(), S_OK);
    EXPECT_EQ(Everything(), once);
}

TEST_F(Registration, UnregisteringRemovesEverythingBelowOurKeysAndNothingElse) {
    PutForeignEntries();
    const std::string foreignOnly = Everything();
    ASSERT_EQ(DllRegisterServer(), S_OK);
    // Others add to our keys: values, subkeys, deeper trees.
    const std::string filterKey = ClassKeyOf(CLSID_ZephrinFilter);
    PutValue(HKEY_CLASSES_ROOT, filterKey, "AppID", "{00000000-0000-0000-0000-000000000001}");
    PutValue(HKEY_CLASSES_ROOT, filterKey + "\\InprocServer32", "ThreadingModel", "Both");
    PutValue(HKEY_CLASSES_ROOT, filterKey + "\\Implemented Categories\\{A}\\Deeper", nullptr, "x");
    PutValue(HKEY_CLASSES_ROOT, ClassKeyOf(CLSID_ZephrinPropPage) + "\\ProgID", nullptr, "Z.Page");
    PutValue(HKEY_LOCAL_MACHINE, HostKeyOf(CLSID_ZephrinFilter) + "\\Presets\\One", "Key", "60");

    EXPECT_EQ(DllUnregisterServer(), S_OK);
    EXPECT_EQ(DumpEntries(), "");
    EXPECT_EQ(Everything(), foreignOnly) << "the MIDI Filters key, the other filter and the other "
                                            "class stay as they were";
}

TEST_F(Registration, UnregisteringWhatIsNotRegisteredChangesNothing) {
    PutForeignEntries();
    const std::string before = Everything();
    EXPECT_EQ(DllUnregisterServer(), S_OK);
    EXPECT_EQ(Everything(), before);
}

// A module whose own file name cannot be had writes no server entries: no key
// names a file from an undefined path, and the export says it is incomplete.
TEST_F(Registration, WithoutTheModulePathNoServerEntryIsWritten) {
    for (HINSTANCE instance : {static_cast<HINSTANCE>(nullptr), reinterpret_cast<HINSTANCE>(0x7ff00000)}) {
        SCOPED_TRACE(instance ? "an instance handle that names no module" : "no instance handle");
        AfxInitModule(instance, "Quillfen MFX Zephrin");
        EXPECT_EQ(DllRegisterServer(), SELFREG_E_CLASS);
        EXPECT_EQ(DumpEntries(),
                  KeyListing(ClassKeyOf(CLSID_ZephrinFilter), "Quillfen Zephrin") +
                      KeyListing(ClassKeyOf(CLSID_ZephrinPropPage),
                                 "Quillfen MFX Zephrin Property Page") +
                      KeyListing(HostKeyOf(CLSID_ZephrinFilter)));
        EXPECT_EQ(DllUnregisterServer(), S_OK);
        EXPECT_EQ(DumpEntries(), "");
    }
}

TEST_F(Registration, LeavesNoKeyOpen) {
    ASSERT_EQ(DllRegisterServer(), S_OK);  // the roots' own handles are opened once, here
    ASSERT_EQ(DllUnregisterServer(), S_OK);
    const HKEY next = NextKeyHandle();
    ASSERT_EQ(DllRegisterServer(), S_OK);
    EXPECT_EQ(NextKeyHandle(), next) << "registration left a key open";
    ASSERT_EQ(DllUnregisterServer(), S_OK);
    EXPECT_EQ(NextKeyHandle(), next) << "unregistration left a key open";
    EXPECT_EQ(DllUnregisterServer(), S_OK);
    EXPECT_EQ(NextKeyHandle(), next) << "unregistering nothing left a key open";
}

TEST(ClsidToText, GivesTheBracedUpperCaseFormTerminatedOrNothing) {
    char text[kClsidTextSize];
    ASSERT_TRUE(ClsidToText(CLSID_ZephrinFilter, text, sizeof text));
    EXPECT_STREQ(text, "{C209D5E0-B7E8-47B1-807B-D3B0E8197A15}");
    ASSERT_TRUE(ClsidToText(CLSID_ZephrinPropPage, text, sizeof text));
    EXPECT_STREQ(text, "{E977E968-486D-46D8-A50E-E628D9FBE93A}");

    char exact[39];
    EXPECT_TRUE(ClsidToText(CLSID_ZephrinFilter, exact, sizeof exact)) << "38 characters and the zero";
    EXPECT_STREQ(exact, "{C209D5E0-B7E8-47B1-807B-D3B0E8197A15}");
    char tooShort[38];
    memset(tooShort, 'x', sizeof tooShort);
    EXPECT_FALSE(ClsidToText(CLSID_ZephrinFilter, tooShort, sizeof tooShort));
    EXPECT_EQ(tooShort[0], '\0') << "no unterminated text is left behind";
    EXPECT_FALSE(ClsidToText(CLSID_ZephrinFilter, nullptr, 128));
}

using RegistryHelpers = RegistryScratch;

// A registry link below parent whose target has been deleted. Removed again,
// through the link itself, when the object goes.
class CDanglingLink {
public:
    CDanglingLink(HKEY root, const char* parentPath, const wchar_t* name)
        : m_root(root), m_parentPath(parentPath), m_name(name) {
        const std::string targetPath = std::string(kScratch) + "\\Target";
        CUniqueHkey parent(CreateKey(root, parentPath));
        CUniqueHkey target(CreateKey(HKEY_CURRENT_USER, targetPath));
        CUniqueHkey link;
        if (!parent || !target ||
            RegCreateKeyExW(parent.get(), name, 0, nullptr,
                                       REG_OPTION_CREATE_LINK | REG_OPTION_VOLATILE,
                                       KEY_ALL_ACCESS, nullptr, link.put(), nullptr) != ERROR_SUCCESS) {
            link.release();
            return;
        }
        // The link names its target by the kernel's path of the key.
        BYTE info[1024];
        ULONG size = 0;
        if (NtQueryKey()(target.get(), 3 /* KeyNameInformation */, info, sizeof info, &size) != 0)
            return;
        const ULONG nameBytes = *reinterpret_cast<ULONG*>(info);
        made = RegSetValueExW(link.get(), L"SymbolicLinkValue", 0, REG_LINK, info + sizeof(ULONG),
                              nameBytes) == ERROR_SUCCESS;
        target.reset();
        RemoveTree(HKEY_CURRENT_USER, targetPath);
    }
    ~CDanglingLink() {
        CUniqueHkey parent;
        CUniqueHkey link;
        if (RegOpenKeyExA(m_root, m_parentPath, 0, KEY_ALL_ACCESS, parent.put()) != ERROR_SUCCESS) {
            parent.release();
            return;
        }
        if (RegOpenKeyExW(parent.get(), m_name, REG_OPTION_OPEN_LINK, KEY_ALL_ACCESS, link.put()) !=
            ERROR_SUCCESS) {
            link.release();
            return;
        }
        NtDeleteKey()(link.get());
    }
    CDanglingLink(const CDanglingLink&) = delete;
    CDanglingLink& operator=(const CDanglingLink&) = delete;

    bool made = false;

private:
    using NtQueryKeyFn = LONG(NTAPI*)(HANDLE, int, void*, ULONG, ULONG*);
    using NtDeleteKeyFn = LONG(NTAPI*)(HANDLE);
    static NtQueryKeyFn NtQueryKey() {
        return reinterpret_cast<NtQueryKeyFn>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryKey")));
    }
    static NtDeleteKeyFn NtDeleteKey() {
        return reinterpret_cast<NtDeleteKeyFn>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtDeleteKey")));
    }

    HKEY m_root;
    const char* m_parentPath;
    const wchar_t* m_name;
};

DWORD WINAPI DeleteTreeT(LPVOID result) {
    *static_cast<LONG*>(result) = DeleteRegKeyTree(HKEY_CLASSES_ROOT, "T");
    return 0;
}

TEST_F(RegistryHelpers, CreateRegKeyWritesTheDefaultValueOnlyAndNothingThatDoesNotFit) {
    EXPECT_EQ(CreateRegKey(HKEY_CLASSES_ROOT, "A\\B", "C", "value"), ERROR_SUCCESS);
    EXPECT_EQ(CreateRegKey(HKEY_CLASSES_ROOT, "A\\Empty", nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(DumpTree(HKEY_CLASSES_ROOT, "A"),
              KeyListing("A") + KeyListing("A\\B") + KeyListing("A\\B\\C", "value") +
                  KeyListing("A\\Empty"));

    // Path, "\\" and subkey need 1025 bytes with the zero: refused before the
    // registry sees a path cut short.
    std::string longPath = "Long";
    while (longPath.size() < 1020) longPath += "\\" + std::string(std::min<size_t>(200, 1019 - longPath.size()), 'p');
    ASSERT_EQ(longPath.size(), 1020u);
    EXPECT_EQ(CreateRegKey(HKEY_CLASSES_ROOT, longPath.c_str(), "sub", "v"), ERROR_BUFFER_OVERFLOW);
    EXPECT_EQ(DumpTree(HKEY_CLASSES_ROOT, "Long"), "") << "nothing was created";
}

TEST_F(RegistryHelpers, CreateRegKeyReportsARefusedKeyAndWritesNothing) {
    CUniqueHkey volatileRoot(CreateKey(HKEY_CLASSES_ROOT, "Volatile", REG_OPTION_VOLATILE));
    EXPECT_EQ(CreateRegKey(volatileRoot.get(), "Child", nullptr, "v"), ERROR_CHILD_MUST_BE_VOLATILE);
    EXPECT_EQ(DumpTree(HKEY_CLASSES_ROOT, "Volatile"), KeyListing("Volatile"));
}

TEST_F(RegistryHelpers, DeleteRegKeyTreeRemovesAWholeTreeDepthFirst) {
    for (const char* path : {"T\\a\\b\\c\\d", "T\\a\\x", "T\\b", "T\\c\\d"})
        PutValue(HKEY_CLASSES_ROOT, path, "n", "v");
    PutValue(HKEY_CLASSES_ROOT, "T", nullptr, "top");
    PutValue(HKEY_CLASSES_ROOT, "Sibling", nullptr, "stays");
    EXPECT_EQ(DeleteRegKeyTree(HKEY_CLASSES_ROOT, "T"), ERROR_SUCCESS);
    EXPECT_EQ(DumpTree(HKEY_CLASSES_ROOT, "T"), "");
    EXPECT_EQ(DumpTree(HKEY_CLASSES_ROOT, "Sibling"), KeyListing("Sibling", "stays"));
    EXPECT_EQ(DeleteRegKeyTree(HKEY_CLASSES_ROOT, "T"), ERROR_FILE_NOT_FOUND);
}

// A registry link whose target is gone can be neither opened nor deleted, so
// the walk finds it at the same index after every attempt. The walk must end
// and still remove what can be removed.
TEST_F(RegistryHelpers, DeleteRegKeyTreeEndsWhenASubkeyCannotBeRemoved) {
    CDanglingLink link(HKEY_CLASSES_ROOT, "T", L"A link");
    ASSERT_TRUE(link.made);
    PutValue(HKEY_CLASSES_ROOT, "T\\B\\deep", "n", "v");
    PutValue(HKEY_CLASSES_ROOT, "T\\C", "n", "v");

    LONG result = ERROR_SUCCESS;
    CUniqueHandleObj walk(CreateThread(nullptr, 0, DeleteTreeT, &result, 0, nullptr));
    ASSERT_TRUE(walk);
    if (WaitForSingleObject(walk.get(), 10000) != WAIT_OBJECT_0) {
        // The walk is stuck inside this process: nothing else can run safely.
        std::fputs("DeleteRegKeyTree does not end when a subkey cannot be removed\n", stderr);
        std::fflush(stderr);
        std::_Exit(1);
    }
    EXPECT_NE(result, ERROR_SUCCESS) << "the key keeps the link, so it stays";
    EXPECT_EQ(DumpTree(HKEY_CLASSES_ROOT, "T"), KeyListing("T") + "T\\A link (cannot be opened)\n")
        << "the subkeys after the link are gone";
}

}  // namespace
