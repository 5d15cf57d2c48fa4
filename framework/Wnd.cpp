#include "framework/Wnd.h"

#include <new>

// One temporary wrapper per thread, in plain storage that is never destroyed:
// a thread_local object with a destructor would make the C++ runtime pin the
// module until the thread ends, and a host's window thread lives on, so the
// module could never be unloaded. The wrapper owns nothing.
CWnd* CWnd::FromHandle(HWND hwnd) {
    if (!hwnd) return nullptr;
    alignas(CWnd) static thread_local unsigned char storage[sizeof(CWnd)];
    CWnd* temporary = new (storage) CWnd;
    temporary->m_hWnd = hwnd;
    return temporary;
}

BOOL CWnd::MoveWindow(int x, int y, int width, int height, BOOL repaint) {
    return ::MoveWindow(m_hWnd, x, y, width, height, repaint);
}

BOOL CWnd::ShowWindow(int cmdShow) { return ::ShowWindow(m_hWnd, cmdShow); }

void CWnd::SetFocus() { ::SetFocus(m_hWnd); }

BOOL CWnd::DestroyWindow() {
    if (!m_hWnd || !::DestroyWindow(m_hWnd)) return FALSE;
    m_hWnd = nullptr;
    return TRUE;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::PostMessageA(m_hWnd, message, wParam, lParam);
}

void CWnd::SetDlgItemText(int id, LPCSTR text) { ::SetDlgItemTextA(m_hWnd, id, text); }

void CWnd::SetDlgItemInt(int id, UINT value, BOOL isSigned) {
    ::SetDlgItemInt(m_hWnd, id, value, isSigned);
}
