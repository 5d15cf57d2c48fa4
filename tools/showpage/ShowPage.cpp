// zephrin-showpage: a filter's property page in a visible frame window, as a
// host shows it, until the frame is closed, standard input ends (--stdin) or
// the time runs out. The filter is Zephrin's or Zephrin Map's, whichever the
// DLL makes. scripts/render-page.sh takes its picture.
#include "map/mfx/MapIds.h"
#include "zephrin/filter/ZephrinIds.h"
#include "tools/host/FileIo.h"
#include "tools/host/FilterLoader.h"
#include "tools/host/FilterSettings.h"
#include "tools/host/PageSession.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr char kUsage[] =
    "usage: zephrin-showpage DLL [--key N] [--cc N] [--fix on|off] [--settings FILE]\n"
    "                        [--seconds N] [--stdin]\n"
    "  Opens the page of the filter in DLL (Zephrin's or Zephrin Map's) in a frame window\n"
    "  called \"Zephrin\" or \"Zephrin Map\" and prints \"ready\" with the frame's handle\n"
    "  once it is shown. --key, --cc and --fix (Zephrin), or the bytes of FILE (either\n"
    "  filter's settings stream), are loaded into the filter first, as a host restores a\n"
    "  project. The frame closes after --seconds (default 60) or, with --stdin, when\n"
    "  standard input ends.\n";
constexpr char kFrameClass[] = "ZephrinShowPageFrame";
constexpr UINT_PTR kTimeoutTimer = 1;

// The filters the tool knows, in the order it asks the DLL for them.
struct CKnownFilter {
    const CLSID& clsid;
    const char* caption;
};
const CKnownFilter kFilters[] = {{CLSID_ZephrinFilter, "Zephrin"},
                                 {CLSID_ZephrinMapFilter, "Zephrin Map"}};

struct Options {
    std::string dll;
    ZephrinSettings settings;  // loaded only when one of them was given
    bool settingsGiven = false;
    std::string settingsFile;
    UINT seconds = 60;
    bool closeOnInputEnd = false;
};

int Fail(const std::string& message) {
    std::fprintf(stderr, "zephrin-showpage: %s\n", message.c_str());
    return 1;
}

bool ParseNumber(const char* text, long min, long max, long& value) {
    char* end = nullptr;
    value = std::strtol(text, &end, 10);
    return *text && *end == '\0' && value >= min && value <= max;
}

bool ParseArguments(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* next = i + 1 < argc ? argv[i + 1] : "";
        long number = 0;
        if (arg == "--key" || arg == "--cc") {
            if (!ParseNumber(next, 0, 127, number)) return false;
            (arg == "--key" ? options.settings.keyIn : options.settings.ccOut) =
                static_cast<int32_t>(number);
            options.settingsGiven = true;
            ++i;
        } else if (arg == "--fix") {
            if (std::string(next) != "on" && std::string(next) != "off") return false;
            options.settings.lookAheadFix = std::string(next) == "on" ? 1 : 0;
            options.settingsGiven = true;
            ++i;
        } else if (arg == "--settings") {
            if (!*next) return false;
            options.settingsFile = next;
            ++i;
        } else if (arg == "--seconds") {
            if (!ParseNumber(next, 1, 24 * 3600, number)) return false;
            options.seconds = static_cast<UINT>(number);
            ++i;
        } else if (arg == "--stdin") {
            options.closeOnInputEnd = true;
        } else if (arg[0] == '-' || !options.dll.empty()) {
            return false;
        } else {
            options.dll = arg;
        }
    }
    return !options.dll.empty() && !(options.settingsGiven && !options.settingsFile.empty());
}

// Closing the frame, by its button or by a timer, ends the message loop; the
// page is deactivated before the frame goes.
LRESULT CALLBACK FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        if (wParam != kTimeoutTimer) break;
        KillTimer(hwnd, kTimeoutTimer);
        std::fprintf(stderr, "zephrin-showpage: time is up; closing\n");
        PostQuitMessage(0);
        return 0;
    case WM_CLOSE:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

// Reads standard input to its end, then closes the frame.
DWORD WINAPI WatchInput(void* frame) {
    char buffer[256];
    DWORD got = 0;
    while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof buffer, &got, nullptr) && got)
        continue;
    PostMessageA(static_cast<HWND>(frame), WM_CLOSE, 0, 0);
    return 0;
}

// A frame whose client area is the page's size, placed near the corner.
HWND CreateFrame(SIZE page, const char* caption) {
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    const DWORD exStyle = WS_EX_CONTROLPARENT;
    WNDCLASSEXA frameClass{};
    frameClass.cbSize = sizeof frameClass;
    frameClass.lpfnWndProc = FrameProc;
    frameClass.hInstance = GetModuleHandleA(nullptr);
    frameClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    frameClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    frameClass.lpszClassName = kFrameClass;
    if (!RegisterClassExA(&frameClass)) return nullptr;
    RECT outer{0, 0, page.cx, page.cy};
    AdjustWindowRectEx(&outer, style, FALSE, exStyle);
    return CreateWindowExA(exStyle, kFrameClass, caption, style, 40, 40, outer.right - outer.left,
                           outer.bottom - outer.top, nullptr, nullptr, GetModuleHandleA(nullptr),
                           nullptr);
}

int Show(const Options& options) {
    CLoadedFilter filter;
    std::string error;
    const CKnownFilter* shown = nullptr;
    for (const CKnownFilter& known : kFilters) {
        if (SUCCEEDED(CLoadedFilter::FromDll(options.dll, known.clsid, filter, error))) {
            shown = &known;
            break;
        }
    }
    if (!shown) return Fail(error);
    std::vector<uint8_t> settings;
    if (options.settingsGiven) settings = ZephrinSettingsBytes(options.settings);
    if (!options.settingsFile.empty() && !ReadWholeFile(options.settingsFile, settings, error))
        return Fail(error);
    if (!settings.empty() && FAILED(LoadFilterSettings(filter.get(), settings, error)))
        return Fail(error);

    CUniqueHwnd frame;  // declared before the session: the page goes first
    CPageSession session;
    if (FAILED(session.Create(filter, error))) return Fail(error);
    PROPPAGEINFO info{};
    info.cb = sizeof info;
    HRESULT hr = session.Page()->GetPageInfo(&info);
    if (FAILED(hr)) return Fail("GetPageInfo failed: " + DescribeHresult(hr));
    CoTaskMemFree(info.pszTitle);
    CoTaskMemFree(info.pszDocString);
    CoTaskMemFree(info.pszHelpFile);

    frame.reset(CreateFrame(info.size, shown->caption));
    if (!frame) return Fail("cannot create the frame window");
    // Shown, then brought to the front: a frame activated while another
    // window is in the foreground draws an inactive caption, and Wine's
    // driver does not redraw it when the foreground arrives afterwards.
    ShowWindow(frame.get(), SW_SHOWNOACTIVATE);
    SetForegroundWindow(frame.get());
    const RECT area{0, 0, info.size.cx, info.size.cy};
    if (FAILED(session.Activate(filter, frame.get(), area, error))) return Fail(error);
    if (FAILED(hr = session.Page()->Show(SW_SHOW))) return Fail("Show failed: " + DescribeHresult(hr));
    UpdateWindow(frame.get());  // painted, children included, before "ready"
    SetTimer(frame.get(), kTimeoutTimer, options.seconds * 1000, nullptr);
    if (options.closeOnInputEnd) {
        CUniqueHandleObj watcher(CreateThread(nullptr, 0, WatchInput, frame.get(), 0, nullptr));
        if (!watcher) return Fail("cannot watch standard input");
    }
    std::printf("ready 0x%llx page %ldx%ld\n",
                static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(frame.get())),
                info.size.cx, info.size.cy);
    std::fflush(stdout);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (IsDialogMessageA(frame.get(), &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseArguments(argc, argv, options)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (FAILED(com)) return Fail("cannot start COM: " + DescribeHresult(com));
    const int code = Show(options);
    CoUninitialize();
    return code;
}
