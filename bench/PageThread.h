// A plug-in's editor page open on a window thread of its own, as a host's
// property frame has it, and one of its controls worked there step after
// step the way a user's hand reaches it, with the thread's messages handled
// in between.
#pragma once

#include "common/UniqueHandle.h"
#include "tools/host/FilterLoader.h"
#include "tools/host/PageSession.h"

#include <objbase.h>

#include <atomic>
#include <string>
#include <thread>

// Runs body(page) on this thread, in an apartment of its own, with the
// filter's page open in a hidden frame; error says why when it could not be
// opened, and body is not run then.
template <typename Body>
void WithPage(const CLoadedFilter& filter, std::string& error, Body body) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    {
        CPageSession page;
        if (SUCCEEDED(page.Open(filter, error))) body(page);
    }
    CoUninitialize();
}

// The dialog the page made in the session's frame.
HWND PageDialog(const CPageSession& page);

// A control the drag works: it sweeps the positions 0 to 127 and back, from
// start in direction (+1 or -1); Step brings the control to position, the
// sweep's direction being the way it came, with the messages a user's input
// sends.
struct PageControl {
    const char* what;  // "Key In slider dragged across its range"
    int id;            // in the page's dialog
    int start, direction;
    void (*Step)(HWND dialog, HWND control, int position, int direction);
};

class CPageDrag {
public:
    CPageDrag(const CLoadedFilter& filter, const PageControl& control);
    ~CPageDrag();
    CPageDrag(const CPageDrag&) = delete;
    CPageDrag& operator=(const CPageDrag&) = delete;

    // False, with the reason, when the page could not be opened or has no
    // such control; the drag has not started then.
    bool Started(std::string& error) const;
    // Steps the window thread has handled since it started, per second.
    double StepsPerSecond() const;

private:
    void Run(const CLoadedFilter& filter);

    const PageControl& m_control;
    std::thread m_thread;
    CUniqueHandleObj m_ready;
    std::atomic<bool> m_stop{false};
    std::atomic<long long> m_steps{0};
    double m_startTime = 0;
    std::string m_error;
};
