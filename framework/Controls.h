// The common controls the editor pages use: the trackbar (CSliderCtrl), the
// button and the drop-down list (CComboBox), as thin objects over a bound
// window.
#pragma once

#include "framework/Wnd.h"

#include <commctrl.h>

// Registers the trackbar class and the other bar controls, or the classes
// named. Idempotent; run before creating a window that uses them.
BOOL AfxRegisterCommonControls(DWORD classes = ICC_BAR_CLASSES);

class CSliderCtrl : public CWnd {
public:
    void SetRange(int minimum, int maximum, BOOL redraw = FALSE) {
        SendMessage(TBM_SETRANGEMIN, FALSE, minimum);
        SendMessage(TBM_SETRANGEMAX, redraw, maximum);
    }
    // Moves the thumb and redraws.
    void SetPos(int position) { SendMessage(TBM_SETPOS, TRUE, position); }
    int GetPos() const { return static_cast<int>(::SendMessageA(m_hWnd, TBM_GETPOS, 0, 0)); }
};

class CButton : public CWnd {};

// The items are UTF-16, whatever the system's code page.
class CComboBox : public CWnd {
public:
    int AddString(LPCWSTR text) {
        return static_cast<int>(::SendMessageW(m_hWnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
    }
    // -1 selects nothing.
    void SetCurSel(int index) { SendMessage(CB_SETCURSEL, static_cast<WPARAM>(index)); }
    int GetCurSel() const { return static_cast<int>(::SendMessageA(m_hWnd, CB_GETCURSEL, 0, 0)); }
};
