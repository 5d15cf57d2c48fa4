// CWnd: a window object around a window handle, with the few operations the
// editor page uses. A CWnd does not own its window; a CDialog does.
#pragma once

#include <windows.h>

class CWnd {
public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    virtual ~CWnd() = default;

    // A temporary object for a window the framework did not create, valid
    // until this thread's next FromHandle call; never stored. Null for null.
    static CWnd* FromHandle(HWND hwnd);

    HWND GetSafeHwnd() const { return m_hWnd; }

    BOOL MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE);
    BOOL ShowWindow(int cmdShow);
    void SetFocus();
    BOOL DestroyWindow();
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    // windows.h maps these names to their A forms; so does every caller.
    void SetDlgItemText(int id, LPCSTR text);
    void SetDlgItemInt(int id, UINT value, BOOL isSigned = TRUE);

    HWND m_hWnd = nullptr;
};
