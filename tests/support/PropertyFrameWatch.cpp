#include "tests/support/PropertyFrameWatch.h"

#include "common/ComPtr.h"
#include "common/UniqueHandle.h"

#include <commctrl.h>
#include <olectl.h>
#include <prsht.h>

namespace {

constexpr int kFindAttempts = 1200;  // 50 ms apart: a minute
constexpr int kOkPresses = 5;        // a second apart
// Longer than the watcher can take, so that it never outlives the test.
constexpr DWORD kWatcherMs = 90000;

struct CFrameWatch {
    DWORD frameThread = 0;
    bool (*isPageControl)(HWND) = nullptr;
    const std::function<void(HWND, HWND)>* use = nullptr;
    CFrameRun* run = nullptr;
    HWND frame = nullptr;
    HWND control = nullptr;
};

BOOL CALLBACK FindControl(HWND window, LPARAM param) {
    auto* watch = reinterpret_cast<CFrameWatch*>(param);
    if (!watch->isPageControl(window)) return TRUE;
    watch->control = window;
    return FALSE;
}

BOOL CALLBACK FindFrame(HWND window, LPARAM param) {
    auto* watch = reinterpret_cast<CFrameWatch*>(param);
    EnumChildWindows(window, FindControl, param);
    if (!watch->control) return TRUE;
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
    watch->run->found = true;
    watch->run->tabTitle = TabTitle(watch->frame);
    (*watch->use)(watch->frame, GetParent(watch->control));

    for (int press = 0; press < kOkPresses && IsWindow(watch->frame); ++press) {
        PostMessageA(watch->frame, PSM_PRESSBUTTON, PSBTN_OK, 0);
        for (int wait = 0; wait < 20 && IsWindow(watch->frame); ++wait) Sleep(50);
    }
    watch->run->closedByOk = !IsWindow(watch->frame);
    if (!watch->run->closedByOk) EnumThreadWindows(watch->frameThread, PostClose, 0);
    return 0;
}

}  // namespace

std::string WindowText(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

CFrameRun RunPropertyFrame(IUnknown* object, bool (*isPageControl)(HWND),
                           const std::function<void(HWND, HWND)>& use) {
    CFrameRun run;
    CComPtr<ISpecifyPropertyPages> pageList;
    CAUUID pages = {};
    if (FAILED(object->QueryInterface(IID_ISpecifyPropertyPages, pageList.put_void())) ||
        FAILED(pageList->GetPages(&pages)))
        return run;

    CFrameWatch watch;
    watch.frameThread = GetCurrentThreadId();
    watch.isPageControl = isPageControl;
    watch.use = &use;
    watch.run = &run;
    CUniqueHandleObj watcher(CreateThread(nullptr, 0, WatchFrame, &watch, 0, nullptr));
    if (!watcher) {
        CoTaskMemFree(pages.pElems);
        return run;
    }
    IUnknown* objects[] = {object};
    run.shown = OleCreatePropertyFrame(nullptr, 0, 0, L"Zephrin", 1, objects, pages.cElems,
                                       pages.pElems, 0x409, 0, nullptr);
    CoTaskMemFree(pages.pElems);
    run.watcherEnded = WaitForSingleObject(watcher.get(), kWatcherMs) == WAIT_OBJECT_0;
    return run;
}
