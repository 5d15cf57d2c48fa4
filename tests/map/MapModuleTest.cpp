// The built ZephrinMap.dll as a host and an installer meet it: registered
// beside Zephrin.dll without touching its entries, found through the
// registry by the COM runtime, unloaded when nothing holds it, and the
// class-object rules against its own exports.
#include "map/filter/MapIds.h"
#include "tests/server/ClassObjectCases.h"
#include "tests/server/ModuleTools.h"
#include "tests/server/RegistryTools.h"
#include "tests/support/HostQueues.h"
#include "tests/support/Streams.h"
#include "zephrin/filter/ZephrinIds.h"

#include <gtest/gtest.h>

#include <ocidl.h>

namespace {

std::string MapPath() { return WindowsPath(ZEPHRIN_MAP_MODULE_PATH); }

CUniqueModule g_map;

const CServerUnderTest kMapModule = {"MapModule",
                                     [] { return OpenExports(g_map, MapPath()); },
                                     [] { g_map.reset(); },
                                     &CLSID_ZephrinMapFilter,
                                     nullptr};

std::string MapEntries() {
    return DumpTree(HKEY_CLASSES_ROOT, ClassKeyOf(CLSID_ZephrinMapFilter)) +
           DumpTree(HKEY_LOCAL_MACHINE, HostKeyOf(CLSID_ZephrinMapFilter));
}

void RemoveMapEntries() {
    RemoveTree(HKEY_CLASSES_ROOT, ClassKeyOf(CLSID_ZephrinMapFilter));
    RemoveTree(HKEY_LOCAL_MACHINE, HostKeyOf(CLSID_ZephrinMapFilter));
}

bool MapLoaded() { return GetModuleHandleA("ZephrinMap.dll") != nullptr; }

// Each test starts and ends with neither module registered.
class MapModule : public ::testing::Test {
protected:
    void SetUp() override {
        RemoveModuleEntries();
        RemoveMapEntries();
        CoFreeUnusedLibraries();
        ASSERT_FALSE(MapLoaded());
    }
    void TearDown() override {
        RemoveModuleEntries();
        RemoveMapEntries();
    }
};

}  // namespace

INSTANTIATE_TEST_SUITE_P(Exports, ClassObjects, ::testing::Values(&kMapModule),
                         [](const auto& info) { return std::string(info.param->name); });

TEST_F(MapModule, RegistersBesideZephrinAndUnregistersWithoutTouchingIt) {
    ASSERT_EQ(RegisterModule(), 0);
    const std::string zephrin = DumpEntries();
    ASSERT_EQ(zephrin, RegisteredListing(ModulePath()));

    ASSERT_EQ(RegisterModuleFile(MapPath(), false), 0);
    const std::string classKey = ClassKeyOf(CLSID_ZephrinMapFilter);
    EXPECT_EQ(MapEntries(), KeyListing(classKey, "Quillfen Zephrin Map") +
                                KeyListing(classKey + "\\InprocServer32", MapPath().c_str()) +
                                KeyListing(HostKeyOf(CLSID_ZephrinMapFilter)));
    EXPECT_EQ(DumpEntries(), zephrin);

    ASSERT_EQ(RegisterModuleFile(MapPath(), true), 0);
    EXPECT_EQ(MapEntries(), "");
    EXPECT_EQ(DumpEntries(), zephrin) << "Zephrin's five entries stay as they were";
    ASSERT_EQ(RegisterModule(true), 0);
}

TEST_F(MapModule, TheRuntimeMakesTheFilterAndUnloadsTheModuleWhenItIsGone) {
    ASSERT_EQ(RegisterModuleFile(MapPath(), false), 0);
    CComPtr<IMfxEventFilter> filter;
    ASSERT_EQ(CoCreateInstance(CLSID_ZephrinMapFilter, nullptr, CLSCTX_INPROC_SERVER,
                               IID_IMfxEventFilter, filter.put_void()),
              S_OK);
    EXPECT_TRUE(MapLoaded());
    CComPtr<IUnknown> pages;
    EXPECT_EQ(filter->QueryInterface(IID_ISpecifyPropertyPages, pages.put_void()), E_NOINTERFACE)
        << "no page to name yet: the host shows no editor";

    CTestDataQueue in({Live(0x92, 96, 100), Live(0x92, 95, 100)}), out;
    EXPECT_EQ(filter->OnInput(&in, &out), S_OK);
    EXPECT_EQ(out.records, (std::vector<DataItem>{Live(0xB2, 64, 127), Live(0x92, 95, 100)}));
    CTestEventQueue events({Note(10, 96, 90, 20)}), played;
    EXPECT_EQ(filter->OnEvents(0, 99, &events, &played), S_OK);
    EXPECT_EQ(played.records.size(), 2u);

    CComPtr<IPersistStream> persist;
    ASSERT_EQ(filter->QueryInterface(IID_IPersistStream, persist.put_void()), S_OK);
    auto stream = StreamWith({});
    EXPECT_EQ(persist->Save(stream.get(), TRUE), S_OK);
    EXPECT_EQ(Contents(stream.get()).size(), 72u);

    persist.Reset();
    CoFreeUnusedLibraries();
    EXPECT_TRUE(MapLoaded()) << "a filter lives";
    filter.Reset();
    CoFreeUnusedLibraries();
    EXPECT_FALSE(MapLoaded());
    EXPECT_EQ(RegisterModuleFile(MapPath(), true), 0);
}
