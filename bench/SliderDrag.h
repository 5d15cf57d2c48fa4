// The editor page open on a window thread of its own, its Key In slider
// dragged back and forth the way a user's drag reaches it: the trackbar
// moves (TBM_SETPOS) and tells the dialog (WM_HSCROLL, TB_THUMBTRACK), step
// after step, with the thread's messages handled in between.
#pragma once

#include "common/UniqueHandle.h"
#include "tools/host/FilterLoader.h"

#include <atomic>
#include <string>
#include <thread>

class CSliderDrag {
public:
    explicit CSliderDrag(const CLoadedFilter& filter);
    ~CSliderDrag();
    CSliderDrag(const CSliderDrag&) = delete;
    CSliderDrag& operator=(const CSliderDrag&) = delete;

    // False, with the reason, when the page could not be opened or has no
    // Key In slider; the drag has not started then.
    bool Started(std::string& error) const;
    // Slider steps the window thread has handled since it started, per second.
    double StepsPerSecond() const;

private:
    void Run(const CLoadedFilter& filter);

    std::thread m_thread;
    CUniqueHandleObj m_ready;
    std::atomic<bool> m_stop{false};
    std::atomic<long long> m_steps{0};
    double m_startTime = 0;
    std::string m_error;
};
