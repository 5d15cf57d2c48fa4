// The filter edited in Wine's own property frame, which finds the page
// through the filter's page list and creates it through the registry. The
// frame is modal, so a watcher thread does what a user would: it finds the
// page, steps the Key In slider, clicks Learn Key, reads what the page shows
// and presses OK.
#include "tests/server/ModuleTools.h"

#include "zephrin/filter/ZephrinIds.h"
#include "host/MfxHost.h"
#include "zephrin/resources/resource.h"
#include "tests/support/HostQueues.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <ocidl.h>
#include <olectl.h>
#include <prsht.h>

namespace {

struct CFrameWatch {
    DWORD frameThread = 0;
    bool found = false;
    std::string tabTitle;
    std::string keyLabelBefore;
    std::string ccLabel;
    std::string learnBefore;
    std::string keyLabelAfter;
    int keySliderAfter = -1;
    std::string learnAfter;

    bool closedByOk = false;

    HWND frame = nullptr;
    HWND keySlider = nullptr;
};

constexpr int kFindAttempts = 1200;  // 50 ms apart: a minute
constexpr int kOkPresses = 5;        // a second apart
// Longer than the watcher can take, so that it never outlives the test.
constexpr DWORD kWatcherMs = 90000;

std::string TextOf(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

bool IsKeyInSlider(HWND window) {
    char name[32] = {};
    GetClassNameA(window, name, sizeof name);
    return GetDlgCtrlID(window) == IDC_KEYIN_SLIDER && std::string(name) == TRACKBAR_CLASSA;
}

BOOL CALLBACK FindSlider(HWND window, LPARAM param) {
    auto* watch = reinterpret_cast<CFrameWatch*>(param);
    if (!IsKeyInSlider(window)) return TRUE;
    watch->keySlider = window;
    return FALSE;
}

BOOL CALLBACK FindFrame(HWND window, LPARAM param) {
    auto* watch = reinterpret_cast<CFrameWatch*>(param);
    EnumChildWindows(window, FindSlider, param);
    if (!watch->keySlider) return TRUE;
    watch->frame = window;
    return FALSE;
}

BOOL CALLBACK PostClose(HWND window, LPARAM) {
    PostMessageA(window, WM_CLOSE, 0, 0);
    return TRUE;
}

std::string TabTitle(HWND frame) {
    HWND tabs = FindWindowExA(frame, nullptr, WC_TABCONTROLA, nullptr);
    char text[128] = {};
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    if (!tabs || !SendMessageA(tabs, TCM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return {};
    return text;
}

DWORD WINAPI WatchFrame(LPVOID param) {
    auto* watch = static_cast<CFrameWatch*>(param);
    // The first window of a Wine session starts its desktop process, which
    // can take many seconds on a loaded machine.
    for (int attempt = 0; attempt < kFindAttempts && !watch->frame; ++attempt) {
        Sleep(50);
        EnumThreadWindows(watch->frameThread, FindFrame, reinterpret_cast<LPARAM>(watch));
    }
    if (!watch->frame) {
        // Whatever came up must go, or the frame's modal loop never ends.
        EnumThreadWindows(watch->frameThread, PostClose, 0);
        return 0;
    }
    watch->found = true;
    HWND page = GetParent(watch->keySlider);
    watch->tabTitle = TabTitle(watch->frame);
    watch->keyLabelBefore = TextOf(GetDlgItem(page, IDC_KEYIN_VALUE));
    watch->ccLabel = TextOf(GetDlgItem(page, IDC_CCOUT_VALUE));
    watch->learnBefore = TextOf(GetDlgItem(page, IDC_LEARN_KEY));

    SendMessageA(watch->keySlider, WM_KEYDOWN, VK_RIGHT, 0);  // one step up
    watch->keyLabelAfter = TextOf(GetDlgItem(page, IDC_KEYIN_VALUE));
    watch->keySliderAfter = static_cast<int>(SendMessageA(watch->keySlider, TBM_GETPOS, 0, 0));
    SendMessageA(GetDlgItem(page, IDC_LEARN_KEY), BM_CLICK, 0, 0);
    watch->learnAfter = TextOf(GetDlgItem(page, IDC_LEARN_KEY));

    // OK, as a person presses it: again while the frame is still there, and
    // at last the frame closed, so that a lost press fails the test instead
    // of leaving the frame's modal loop running for ever.
    for (int press = 0; press < kOkPresses && IsWindow(watch->frame); ++press) {
        PostMessageA(watch->frame, PSM_PRESSBUTTON, PSBTN_OK, 0);
        for (int wait = 0; wait < 20 && IsWindow(watch->frame); ++wait) Sleep(50);
    }
    watch->closedByOk = !IsWindow(watch->frame);
    if (!watch->closedByOk) EnumThreadWindows(watch->frameThread, PostClose, 0);
    return 0;
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

    CFrameWatch watch;
    watch.frameThread = GetCurrentThreadId();
    CUniqueHandleObj watcher(CreateThread(nullptr, 0, WatchFrame, &watch, 0, nullptr));
    ASSERT_TRUE(watcher);
    IUnknown* objects[] = {filter.get()};
    const HRESULT shown = OleCreatePropertyFrame(nullptr, 0, 0, L"Zephrin", 1, objects, pages.cElems,
                                                 pages.pElems, 0x409, 0, nullptr);
    CoTaskMemFree(pages.pElems);
    ASSERT_EQ(WaitForSingleObject(watcher.get(), kWatcherMs), WAIT_OBJECT_0);
    EXPECT_EQ(shown, S_OK);
    ASSERT_TRUE(watch.found) << "no frame with the page came up";
    EXPECT_TRUE(watch.closedByOk) << "OK did not close the frame";

    EXPECT_EQ(watch.tabTitle, "Quillfen MFX Zephrin Title");
    EXPECT_EQ(watch.keyLabelBefore, "C6 (96)");
    EXPECT_EQ(watch.ccLabel, "64");
    EXPECT_EQ(watch.learnBefore, "Learn Key");
    EXPECT_EQ(watch.keyLabelAfter, "C#6 (97)");
    EXPECT_EQ(watch.keySliderAfter, 97);
    EXPECT_EQ(watch.learnAfter, "LEARNING");

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
