// The built module registered and unregistered the way the test program
// does it (Wine's regsvr32, or the module's exports in this process), and by
// its own export when the host's list may not be written.
#include "tests/server/ModuleTools.h"
#include "tests/server/RegistryTools.h"

#include "zephrin/filter/ZephrinIds.h"

#include <gtest/gtest.h>

#include <olectl.h>

namespace {

const std::string kMidiFilters = "Software\\Cakewalk Music Software\\MIDI Filters";
const std::string kOtherFilter = kMidiFilters + "\\{6B1C2E8A-4D1F-4C7B-9E55-0A1B2C3D4E5F}";

// Every test starts and ends without any entry of the module.
class CleanRegistry : public ::testing::Test {
protected:
    void SetUp() override {
        RemoveModuleEntries();
        RemoveTree(HKEY_LOCAL_MACHINE, kOtherFilter);
        ASSERT_EQ(DumpEntries(), "") << "leftovers could not be removed";
    }
    void TearDown() override {
        RemoveModuleEntries();
        RemoveTree(HKEY_LOCAL_MACHINE, kOtherFilter);
    }
};

using Registration = CleanRegistry;
using SelfRegistration = CleanRegistry;

TEST_F(Registration, WritesExactlyTheFiveEntriesAndTheSameOnASecondRun) {
    ASSERT_EQ(RegisterModule(), 0);
    EXPECT_EQ(DumpEntries(), RegisteredListing(ModulePath()));
    ASSERT_EQ(RegisterModule(), 0);
    EXPECT_EQ(DumpEntries(), RegisteredListing(ModulePath()));
}

TEST_F(Registration, UninstallRemovesOurKeysWithWhatOthersAddedAndNothingElse) {
    PutValue(HKEY_LOCAL_MACHINE, kOtherFilter, "Name", "Another filter");
    const std::string otherFilter = DumpTree(HKEY_LOCAL_MACHINE, kOtherFilter);
    ASSERT_EQ(RegisterModule(), 0);
    const std::string filterKey = ClassKeyOf(CLSID_ZephrinFilter);
    PutValue(HKEY_CLASSES_ROOT, filterKey + "\\InprocServer32", "ThreadingModel", "Both");
    PutValue(HKEY_CLASSES_ROOT, filterKey + "\\Implemented Categories\\{A}\\Deeper", nullptr, "x");
    PutValue(HKEY_CLASSES_ROOT, ClassKeyOf(CLSID_ZephrinPropPage), "AppID", "{1}");
    PutValue(HKEY_LOCAL_MACHINE, HostKeyOf(CLSID_ZephrinFilter) + "\\Presets", "Key", "60");

    ASSERT_EQ(RegisterModule(true), 0);
    EXPECT_EQ(DumpEntries(), "");
    EXPECT_NE(DumpTree(HKEY_LOCAL_MACHINE, kMidiFilters), "") << "the host's list stays";
    EXPECT_EQ(DumpTree(HKEY_LOCAL_MACHINE, kOtherFilter), otherFilter);
    EXPECT_NE(DumpTree(HKEY_CLASSES_ROOT, "CLSID\\{00000303-0000-0000-C000-000000000046}"), "")
        << "other classes stay";

    ASSERT_EQ(RegisterModule(true), 0) << "unregistering what is not registered";
    EXPECT_EQ(DumpTree(HKEY_LOCAL_MACHINE, kOtherFilter), otherFilter);
}

// A volatile key stands in for HKEY_LOCAL_MACHINE in this process: the
// registry refuses the module's non-volatile host-list key below it, as it
// would refuse a user without rights to the machine's keys.
TEST_F(SelfRegistration, RefusedHostListStillSucceedsWithTheClassEntries) {
    const std::string standIn = "Software\\Quillfen Zephrin tests\\module volatile HKLM";
    RemoveTree(HKEY_CURRENT_USER, standIn);
    CUniqueHkey machine;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, standIn.c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, machine.put(), nullptr),
              ERROR_SUCCESS);
    CUniqueHkey probe;
    ASSERT_EQ(RegCreateKeyExA(machine.get(), "Software", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              probe.put(), nullptr),
              ERROR_CHILD_MUST_BE_VOLATILE)
        << "the stand-in must refuse the host-list key";
    probe.release();

    CUniqueModule module(LoadLibraryA(ModulePath().c_str()));
    ASSERT_TRUE(module);
    auto registerServer = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
        reinterpret_cast<void*>(GetProcAddress(module.get(), "DllRegisterServer")));
    auto unregisterServer = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
        reinterpret_cast<void*>(GetProcAddress(module.get(), "DllUnregisterServer")));
    ASSERT_TRUE(registerServer && unregisterServer);

    ASSERT_EQ(RegOverridePredefKey(HKEY_LOCAL_MACHINE, machine.get()), ERROR_SUCCESS);
    const HRESULT registered = registerServer();
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);

    EXPECT_EQ(registered, S_OK);
    EXPECT_EQ(DumpEntries(), ClassEntriesListing(ModulePath())) << "no host-list key anywhere";
    EXPECT_EQ(DumpTree(HKEY_CURRENT_USER, standIn), standIn + "\n");

    EXPECT_EQ(unregisterServer(), S_OK);
    EXPECT_EQ(DumpEntries(), "");
    machine.reset();
    RemoveTree(HKEY_CURRENT_USER, standIn);
}

}  // namespace
