// Wine's own property frame, which is modal: OleCreatePropertyFrame runs on
// this thread while a watcher thread does what a user would. It finds the
// frame by a control of the page, hands the page to the test to read and
// use, and presses OK, again while the frame stays; a frame that never
// closes is closed at last and the run says so, so that a lost press fails
// the test instead of leaving the frame's modal loop running for ever.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <functional>
#include <string>

struct CFrameRun {
    HRESULT shown = E_FAIL;   // what OleCreatePropertyFrame returned
    bool found = false;       // a frame with the page came up
    bool closedByOk = false;
    bool watcherEnded = false;
    std::string tabTitle;     // the page's tab
};

// Shows the frame for object with the pages it names (ISpecifyPropertyPages).
// isPageControl picks out a control of the page; use runs on the watcher
// thread with the frame and the page's window.
CFrameRun RunPropertyFrame(IUnknown* object, bool (*isPageControl)(HWND control),
                           const std::function<void(HWND frame, HWND page)>& use);

// A window's text, read from any thread.
std::string WindowText(HWND window);
