// CWnd: a window object around a window handle, with the few operations the
// editor page uses. A CWnd does not own its window; a CDialog does.
#pragma once

#include <windows.h>

class CTempWnd;

class CWnd {
public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    virtual ~CWnd() = default;

    // A temporary object for a window the framework did not create, alive
    // until the end of the statement that asked for it; never stored. It
    // reads as a CWnd*, null for null.
    static CTempWnd FromHandle(HWND hwnd);

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

// What FromHandle gives: a window object on the caller's stack, or a bound
// one it stands for. Held by value, so that no thread's call can reuse
// another's object and nothing per thread is kept in the module.
class CTempWnd {
public:
    explicit CTempWnd(HWND hwnd, CWnd* bound = nullptr) : m_bound(bound) { m_own.m_hWnd = hwnd; }
    operator CWnd*() { return m_bound ? m_bound : m_own.m_hWnd ? &m_own : nullptr; }

private:
    CWnd m_own;
    CWnd* m_bound;
};

inline CTempWnd CWnd::FromHandle(HWND hwnd) { return CTempWnd(hwnd); }
