// The built module as a host meets it: found through the registry by the COM
// runtime, driven through the filter interface and its settings stream, and
// unloaded by the runtime when nothing holds it. Also the class-object rules
// against the module's own exports.
#include "tests/server/ClassObjectCases.h"
#include "tests/server/ModuleTools.h"

#include "zephrin/filter/ZephrinIds.h"
#include "host/MfxHost.h"
#include "tests/support/HostQueues.h"

#include <gtest/gtest.h>

namespace {

CUniqueModule g_module;

const CServerUnderTest kModule = {"Module",
                                  [] { return OpenExports(g_module, ModulePath()); },
                                  [] { g_module.reset(); },
                                  &CLSID_ZephrinFilter,
                                  &CLSID_ZephrinPropPage};

}  // namespace

INSTANTIATE_TEST_SUITE_P(Exports, ClassObjects, ::testing::Values(&kModule),
                         [](const auto& info) { return std::string(info.param->name); });

namespace {

// The module registered for the length of each test, and not
// loaded by the test itself: only the runtime loads it.
class ThroughTheRuntime : public ::testing::Test {
protected:
    void SetUp() override {
        RemoveModuleEntries();
        ASSERT_EQ(RegisterModule(), 0);
        CoFreeUnusedLibraries();  // whatever an earlier test of this process left
        ASSERT_FALSE(ModuleLoaded());
    }
    void TearDown() override {
        EXPECT_EQ(RegisterModule(true), 0);
        RemoveModuleEntries();
    }

    static CComPtr<IMfxEventFilter> NewFilter() {
        CComPtr<IMfxEventFilter> filter;
        EXPECT_EQ(CoCreateInstance(CLSID_ZephrinFilter, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IMfxEventFilter, filter.put_void()),
                  S_OK);
        return filter;
    }
};

TEST_F(ThroughTheRuntime, FilterFromTheRegistryMapsLiveAndPlaybackEvents) {
    CComPtr<IMfxEventFilter> filter = NewFilter();
    ASSERT_TRUE(filter);
    char loadedFrom[MAX_PATH] = {};
    GetModuleFileNameA(GetModuleHandleA("Zephrin.dll"), loadedFrom, sizeof loadedFrom);
    EXPECT_EQ(std::string(loadedFrom), ModulePath()) << "the module the registry names";

    CTestDataQueue liveIn({Live(0x92, 96, 100), Live(0x82, 96, 64), Live(0x92, 95, 100),
                           Live(0xB2, 96, 5)});
    CTestDataQueue liveOut;
    EXPECT_EQ(filter->OnInput(&liveIn, &liveOut), S_OK);
    EXPECT_EQ(liveOut.records, (std::vector<DataItem>{Live(0xB2, 64, 127), Live(0xB2, 64, 0),
                                                      Live(0x92, 95, 100), Live(0xB2, 96, 5)}));

    CTestEventQueue playIn({Note(480, 96, 100, 240), Event(500, kEventController, 7, 90)});
    CTestEventQueue playOut;
    EXPECT_EQ(filter->OnStart(0, 0), S_OK);
    EXPECT_EQ(filter->OnEvents(0, 599, &playIn, &playOut), S_OK);
    EXPECT_EQ(playOut.records,
              (std::vector<EventRecord>{Event(480, kEventController, 64, 127, 240),
                                        Event(719, kEventController, 64, 0, 240),
                                        Event(500, kEventController, 7, 90)}));
    CTestEventQueue nothingIn;
    CTestEventQueue laterOut;
    EXPECT_EQ(filter->OnEvents(600, 719, &nothingIn, &laterOut), S_OK);
    EXPECT_EQ(laterOut.records, (std::vector<EventRecord>{Event(719, kEventController, 64, 0, 240)}))
        << "the look-ahead fix sends the last controller-off again";
    EXPECT_EQ(liveIn.refs + liveOut.refs + playIn.refs + playOut.refs, 4) << "no queue kept";
}

TEST_F(ThroughTheRuntime, SettingsTravelFromOneFilterToAnotherThroughAStream) {
    CComPtr<IMfxEventFilter> first = NewFilter();
    CComPtr<IMfxEventFilter> second = NewFilter();
    ASSERT_TRUE(first && second);
    CComPtr<IPersistStream> firstStream;
    CComPtr<IPersistStream> secondStream;
    ASSERT_EQ(first->QueryInterface(IID_IPersistStream, firstStream.put_void()), S_OK);
    ASSERT_EQ(second->QueryInterface(IID_IPersistStream, secondStream.put_void()), S_OK);
    CLSID clsid = {};
    EXPECT_EQ(firstStream->GetClassID(&clsid), S_OK);
    EXPECT_TRUE(IsEqualCLSID(clsid, CLSID_ZephrinFilter));
    EXPECT_EQ(SavedSettings(firstStream.get()), (std::vector<int32_t>{96, 64, 1, 128}));

    CComPtr<IStream> project = StreamOf({60, 11, 0, 128});
    ASSERT_EQ(firstStream->Load(project.get()), S_OK);
    EXPECT_EQ(firstStream->IsDirty(), S_FALSE);
    const std::vector<int32_t> saved = SavedSettings(firstStream.get());
    EXPECT_EQ(saved, (std::vector<int32_t>{60, 11, 0, 128}));

    CComPtr<IStream> again = StreamOf(saved);
    ASSERT_EQ(secondStream->Load(again.get()), S_OK);
    CTestDataQueue in({Live(0x90, 60, 100), Live(0x90, 96, 100)});
    CTestDataQueue out;
    EXPECT_EQ(second->OnInput(&in, &out), S_OK);
    EXPECT_EQ(out.records, (std::vector<DataItem>{Live(0xB0, 11, 127), Live(0x90, 96, 100)}));
}

TEST_F(ThroughTheRuntime, UnloadsTheModuleOnlyWhenNoFilterLivesAndNoLockIsHeld) {
    CComPtr<IMfxEventFilter> filter = NewFilter();
    ASSERT_TRUE(ModuleLoaded());
    CoFreeUnusedLibraries();
    EXPECT_TRUE(ModuleLoaded()) << "a filter lives";
    filter.Reset();
    CoFreeUnusedLibraries();
    EXPECT_FALSE(ModuleLoaded());

    CComPtr<IClassFactory> factory;
    ASSERT_EQ(CoGetClassObject(CLSID_ZephrinPropPage, CLSCTX_INPROC_SERVER, nullptr,
                               IID_IClassFactory, factory.put_void()),
              S_OK);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    factory.Reset();
    CoFreeUnusedLibraries();
    EXPECT_TRUE(ModuleLoaded()) << "a lock is held";
    ASSERT_EQ(CoGetClassObject(CLSID_ZephrinFilter, CLSCTX_INPROC_SERVER, nullptr,
                               IID_IClassFactory, factory.put_void()),
              S_OK);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    factory.Reset();
    CoFreeUnusedLibraries();
    EXPECT_FALSE(ModuleLoaded());
}

}  // namespace
