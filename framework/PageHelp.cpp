// A page's Help: the module's classic help file through the Windows Help
// engine where a page asks for it and the file is there, otherwise the
// guide beside the module in the user's browser.
#include "framework/PropertyPage.h"

#include "framework/ModuleState.h"

#include <shellapi.h>

#include <cstring>
#include <iterator>
#include <memory>
#include <new>

namespace {

// The longest path the system has (UNICODE_STRING counts bytes in 16 bits).
constexpr DWORD kLongestPath = 32768;

// The module's file, in wide characters and as long as the system allows, so
// that an install folder of any length or in any language works; null when
// it cannot be had.
std::unique_ptr<wchar_t[]> ModuleFileName(HINSTANCE module, DWORD& length) {
    for (DWORD size = MAX_PATH; size <= kLongestPath; size *= 2) {
        std::unique_ptr<wchar_t[]> path(new (std::nothrow) wchar_t[size]);
        if (!path) return nullptr;
        length = GetModuleFileNameW(module, path.get(), size);
        if (length == 0) return nullptr;
        if (length < size) return path;  // not cut short
    }
    return nullptr;
}

bool FileExists(const wchar_t* path) { return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

bool COlePropertyPage::HelpPathFor(const char* modulePath, char (&helpPath)[kHelpPathSize]) {
    std::memset(helpPath, 0, sizeof helpPath);
    const size_t length = strnlen(modulePath, kHelpPathSize);
    if (length < 3 || length >= kHelpPathSize) return false;
    std::memcpy(helpPath, modulePath, length - 3);
    std::memcpy(helpPath + length - 3, "HLP", 3);
    return true;
}

STDMETHODIMP COlePropertyPage::Help(LPCOLESTR) {
    AFX_MAINTAIN_STATE2 state(AfxGetStaticModuleState());
    if (m_help == HelpKind::kClassicFileOrGuide) {
        const HRESULT hr = OpenClassicHelp();
        if (hr == S_FALSE) return hr;
    }
    return OpenGuide();
}

// The module's path with its last three characters replaced by "HLP", in
// the buffer the classic help has always used: a path cut short by the
// buffer, or a file that is not there, names no help of ours.
HRESULT COlePropertyPage::OpenClassicHelp() {
    char modulePath[kHelpPathSize] = {};
    const DWORD length = GetModuleFileNameA(AfxGetInstanceHandle(), modulePath, sizeof modulePath);
    char helpPath[kHelpPathSize];
    if (length == 0 || length >= sizeof modulePath || !HelpPathFor(modulePath, helpPath) ||
        GetFileAttributesA(helpPath) == INVALID_FILE_ATTRIBUTES)
        return E_NOTIMPL;
    return WinHelpA(m_hWnd, helpPath, HELP_CONTENTS, 0) ? S_FALSE : E_NOTIMPL;
}

HRESULT COlePropertyPage::OpenGuide() {
    DWORD length = 0;
    std::unique_ptr<wchar_t[]> module = ModuleFileName(AfxGetInstanceHandle(), length);
    if (!module) return E_NOTIMPL;
    DWORD folder = length;
    while (folder > 0 && module[folder - 1] != L'\\' && module[folder - 1] != L'/') --folder;
    const size_t nameLength = std::size(kGuideFileName);  // with its terminating zero
    std::unique_ptr<wchar_t[]> guide(new (std::nothrow) wchar_t[folder + nameLength]);
    if (!guide) return E_NOTIMPL;
    std::memcpy(guide.get(), module.get(), folder * sizeof(wchar_t));
    std::memcpy(guide.get() + folder, kGuideFileName, nameLength * sizeof(wchar_t));
    if (!FileExists(guide.get())) return E_NOTIMPL;
    // Values above 32 mean the document was handed to its program.
    const INT_PTR opened = reinterpret_cast<INT_PTR>(
        ShellExecuteW(m_hWnd, L"open", guide.get(), nullptr, nullptr, SW_SHOWNORMAL));
    return opened > 32 ? S_FALSE : E_NOTIMPL;
}
