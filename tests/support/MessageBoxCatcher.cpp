#include "tests/support/MessageBoxCatcher.h"

#include <algorithm>

thread_local CMessageBoxCatcher* CMessageBoxCatcher::t_current = nullptr;

namespace {
std::string WindowText(HWND hwnd) {
    char buffer[512] = {};
    GetWindowTextA(hwnd, buffer, sizeof buffer);
    return buffer;
}
std::string ClassName(HWND hwnd) {
    char buffer[64] = {};
    GetClassNameA(hwnd, buffer, sizeof buffer);
    return buffer;
}
}  // namespace

CMessageBoxCatcher::CMessageBoxCatcher() {
    t_current = this;
    m_hook = SetWindowsHookExA(WH_CBT, CbtProc, nullptr, GetCurrentThreadId());
}

CMessageBoxCatcher::~CMessageBoxCatcher() {
    if (m_hook) UnhookWindowsHookEx(m_hook);
    t_current = nullptr;
}

BOOL CALLBACK CMessageBoxCatcher::CollectChild(HWND child, LPARAM self) {
    auto& box = reinterpret_cast<CMessageBoxCatcher*>(self)->m_caught.back();
    const std::string cls = ClassName(child);
    if (_stricmp(cls.c_str(), "Button") == 0) {
        box.buttons.push_back(WindowText(child));
    } else if (_stricmp(cls.c_str(), "Static") == 0 && GetDlgCtrlID(child) == 0xFFFF) {
        box.text = WindowText(child);  // the message box's text control
    }
    return TRUE;
}

LRESULT CALLBACK CMessageBoxCatcher::CbtProc(int code, WPARAM wParam, LPARAM lParam) {
    CMessageBoxCatcher* self = t_current;
    if (code == HCBT_ACTIVATE && self) {
        HWND box = reinterpret_cast<HWND>(wParam);
        // A box loses and regains activation when another program's window
        // comes up meanwhile (tests run side by side): it is one box still.
        const bool seen = std::find(self->m_windows.begin(), self->m_windows.end(), box) !=
                          self->m_windows.end();
        if (!seen && ClassName(box) == "#32770") {
            self->m_windows.push_back(box);
            self->m_caught.push_back({WindowText(box), {}, {}});
            EnumChildWindows(box, CollectChild, reinterpret_cast<LPARAM>(self));
            HWND first = GetNextDlgTabItem(box, nullptr, FALSE);
            PostMessageA(box, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(first), BN_CLICKED),
                         reinterpret_cast<LPARAM>(first));
        }
    }
    return CallNextHookEx(self ? self->m_hook : nullptr, code, wParam, lParam);
}
