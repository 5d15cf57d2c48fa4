// The filter edited in Wine's own property frame, which finds the page
// through the filter's page list and creates it through the registry. The
// frame is modal, so a watcher thread does what a user would: it finds the
// page, steps the Key In slider, clicks Learn Key, reads what the page shows
// and presses OK (tests/support/PropertyFrameWatch.h).
#include "tests/server/ModuleTools.h"

#include "zephrin/filter/ZephrinIds.h"
#include "host/MfxHost.h"
#include "zephrin/resources/resource.h"
#include "tests/support/HostQueues.h"
#include "tests/support/PropertyFrameWatch.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <ocidl.h>

namespace {

bool IsKeyInSlider(HWND window) {
    char name[32] = {};
    GetClassNameA(window, name, sizeof name);
    return GetDlgCtrlID(window) == IDC_KEYIN_SLIDER && std::string(name) == TRACKBAR_CLASSA;
}

class PropertyFrame : public ::testing::Test {
protected:
    void SetUp() override {
        RemoveModuleEntries();
        ASSERT_EQ(RegisterModule(), 0);
    }
    void TearDown() override {
        // Once the frame has gone, nothing of it holds the module.
        CoFreeUnusedLibraries();
        EXPECT_FALSE(ModuleLoaded());
        EXPECT_EQ(RegisterModule(true), 0);
        RemoveModuleEntries();
    }
};

TEST_F(PropertyFrame, EditsGoStraightIntoTheFilter) {
    CComPtr<IUnknown> filter;
    ASSERT_EQ(CoCreateInstance(CLSID_ZephrinFilter, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                               filter.put_void()),
              S_OK);
    CComPtr<ISpecifyPropertyPages> pageList;
    ASSERT_EQ(filter->QueryInterface(IID_ISpecifyPropertyPages, pageList.put_void()), S_OK);
    CAUUID pages = {};
    ASSERT_EQ(pageList->GetPages(&pages), S_OK);
    ASSERT_EQ(pages.cElems, 1u);
    EXPECT_TRUE(IsEqualCLSID(pages.pElems[0], CLSID_ZephrinPropPage));

    std::string keyLabelBefore, ccLabel, learnBefore, keyLabelAfter, learnAfter;
    int keySliderAfter = -1;
    const CFrameRun run = RunPropertyFrame(filter.get(), IsKeyInSlider, [&](HWND, HWND page) {
        HWND keySlider = GetDlgItem(page, IDC_KEYIN_SLIDER);
        keyLabelBefore = WindowText(GetDlgItem(page, IDC_KEYIN_VALUE));
        ccLabel = WindowText(GetDlgItem(page, IDC_CCOUT_VALUE));
        learnBefore = WindowText(GetDlgItem(page, IDC_LEARN_KEY));
        SendMessageA(keySlider, WM_KEYDOWN, VK_RIGHT, 0);  // one step up
        keyLabelAfter = WindowText(GetDlgItem(page, IDC_KEYIN_VALUE));
        keySliderAfter = static_cast<int>(SendMessageA(keySlider, TBM_GETPOS, 0, 0));
        SendMessageA(GetDlgItem(page, IDC_LEARN_KEY), BM_CLICK, 0, 0);
        learnAfter = WindowText(GetDlgItem(page, IDC_LEARN_KEY));
    });
    CoTaskMemFree(pages.pElems);
    ASSERT_TRUE(run.watcherEnded);
    EXPECT_EQ(run.shown, S_OK);
    ASSERT_TRUE(run.found) << "no frame with the page came up";
    EXPECT_TRUE(run.closedByOk) << "OK did not close the frame";

    EXPECT_EQ(run.tabTitle, "Quillfen MFX Zephrin Title");
    EXPECT_EQ(keyLabelBefore, "C6 (96)");
    EXPECT_EQ(ccLabel, "64");
    EXPECT_EQ(learnBefore, "Learn Key");
    EXPECT_EQ(keyLabelAfter, "C#6 (97)");
    EXPECT_EQ(keySliderAfter, 97);
    EXPECT_EQ(learnAfter, "LEARNING");

    // The frame never applies anything: the filter holds the edits already.
    CComPtr<IPersistStream> settings;
    ASSERT_EQ(filter->QueryInterface(IID_IPersistStream, settings.put_void()), S_OK);
    EXPECT_EQ(settings->IsDirty(), S_OK) << "the slider step dirtied the filter";
    EXPECT_EQ(SavedSettings(settings.get()), (std::vector<int32_t>{97, 64, 1, 128}));

    // Learn mode stayed on: the next live note-on becomes the key.
    CComPtr<IMfxEventFilter> mfx;
    ASSERT_EQ(filter->QueryInterface(IID_IMfxEventFilter, mfx.put_void()), S_OK);
    CTestDataQueue in({Live(0x90, 60, 100)});
    CTestDataQueue out;
    EXPECT_EQ(mfx->OnInput(&in, &out), S_OK);
    EXPECT_TRUE(out.records.empty()) << "a learned note-on is not passed on";
    EXPECT_EQ(SavedSettings(settings.get()), (std::vector<int32_t>{60, 64, 1, 128}));
}

}  // namespace
