// The common controls the editor uses: the trackbar (CSliderCtrl) and the
// button, as thin objects over a bound window.
#pragma once

#include "framework/Wnd.h"

#include <commctrl.h>

// Registers the trackbar class and the other bar controls. Idempotent; run
// before creating a window from a template that uses them.
BOOL AfxRegisterCommonControls();

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
