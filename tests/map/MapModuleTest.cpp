// The built ZephrinMap.dll as a host and an installer meet it: registered
// beside Zephrin.dll without touching its entries, found through the
// registry by the COM runtime, unloaded when nothing holds it, and the
// class-object rules against its own exports.
#include "map/mfx/MapIds.h"
#include "map/page/MapPropPage.h"
#include "tests/server/ClassObjectCases.h"
#include "tests/server/ModuleTools.h"
#include "tests/server/RegistryTools.h"
#include "tests/support/MapRegistry.h"
#include "tests/support/HostQueues.h"
#include "tests/support/PropertyFrameWatch.h"
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
                                     &CLSID_ZephrinMapPropPage};

bool MapLoaded() { return GetModuleHandleA("ZephrinMap.dll") != nullptr; }

bool IsFirstLearnButton(HWND control) {
    char name[16] = {};
    GetClassNameA(control, name, sizeof name);
    return GetDlgCtrlID(control) == CMfxZephrinMapPropPage::ControlId(0, MapField::kLearn) &&
           lstrcmpiA(name, "Button") == 0;
}

std::wstring WideText(HWND window) {
    wchar_t text[64] = {};
    GetWindowTextW(window, text, 64);
    return text;
}

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
    EXPECT_EQ(MapEntries(), MapRegisteredListing(MapPath()));
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
    CComPtr<ISpecifyPropertyPages> pageList;
    ASSERT_EQ(filter->QueryInterface(IID_ISpecifyPropertyPages, pageList.put_void()), S_OK);
    CAUUID pages = {};
    ASSERT_EQ(pageList->GetPages(&pages), S_OK);
    ASSERT_EQ(pages.cElems, 1u);
    EXPECT_TRUE(IsEqualCLSID(pages.pElems[0], CLSID_ZephrinMapPropPage));
    CoTaskMemFree(pages.pElems);
    pageList.Reset();

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

// Wine's own property frame finds the page through the filter's list and
// makes it through the registry; a watcher thread uses it as a person would.
TEST_F(MapModule, ThePropertyFrameEditsTheFilterAndFitsA1366By768Screen) {
    ASSERT_EQ(RegisterModuleFile(MapPath(), false), 0);
    CComPtr<IUnknown> filter;
    ASSERT_EQ(CoCreateInstance(CLSID_ZephrinMapFilter, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                               filter.put_void()),
              S_OK);
    std::string lowBefore, pedalLow;
    std::wstring learnAfter;
    RECT frameRect = {};
    const auto id = [](int row, MapField field) { return CMfxZephrinMapPropPage::ControlId(row, field); };
    const CFrameRun run = RunPropertyFrame(filter.get(), IsFirstLearnButton, [&](HWND frame, HWND page) {
        GetWindowRect(frame, &frameRect);
        lowBefore = WindowText(GetDlgItem(page, id(0, MapField::kLowKey)));
        SendMessageA(GetDlgItem(page, id(0, MapField::kLearn)), BM_CLICK, 0, 0);
        learnAfter = WideText(GetDlgItem(page, id(0, MapField::kLearn)));
        SendMessageA(GetDlgItem(page, IDC_START_FROM), WM_KEYDOWN, VK_DOWN, 0);  // three pedals
        pedalLow = WindowText(GetDlgItem(page, id(1, MapField::kLowKey)));
    });
    ASSERT_TRUE(run.watcherEnded);
    EXPECT_EQ(run.shown, S_OK);
    ASSERT_TRUE(run.found) << "no frame with the page came up";
    EXPECT_TRUE(run.closedByOk) << "OK did not close the frame";
    EXPECT_EQ(run.tabTitle, "Quillfen Zephrin Map");
    EXPECT_EQ(lowBefore, "C6 (96)");
    EXPECT_EQ(learnAfter, L"Learning\u2026");
    EXPECT_EQ(pedalLow, "D6 (98)");
    EXPECT_LE(frameRect.right - frameRect.left, 1366);
    EXPECT_LE(frameRect.bottom - frameRect.top, 768 - 40) << "room for a taskbar";

    // The frame applies nothing: the filter holds the edits already, and
    // learn mode stayed on.
    CComPtr<IPersistStream> persist;
    ASSERT_EQ(filter->QueryInterface(IID_IPersistStream, persist.put_void()), S_OK);
    EXPECT_EQ(persist->IsDirty(), S_OK);
    CComPtr<IMfxEventFilter> mfx;
    ASSERT_EQ(filter->QueryInterface(IID_IMfxEventFilter, mfx.put_void()), S_OK);
    CTestDataQueue in({Live(0x90, 60, 100)}), out;
    EXPECT_EQ(mfx->OnInput(&in, &out), S_OK);
    EXPECT_TRUE(out.records.empty()) << "a learned note-on is not passed on";
    auto stream = StreamWith({});
    ASSERT_EQ(persist->Save(stream.get(), TRUE), S_OK);
    MapSettings saved;
    const std::vector<uint8_t> bytes = Contents(stream.get());
    ASSERT_TRUE(DecodeMapSettings(bytes.data(), bytes.size(), saved).ok());
    MapSettings expected = MapSetup(1, true);
    expected.mappings[0].lowKey = expected.mappings[0].highKey = 60;
    EXPECT_EQ(saved, expected);
    persist.Reset();
    mfx.Reset();
    filter.Reset();
    CoFreeUnusedLibraries();
    EXPECT_FALSE(MapLoaded()) << "nothing of the frame holds the module";
    EXPECT_EQ(RegisterModuleFile(MapPath(), true), 0);
}
