// The page's window thread dragging the Key In slider for CSliderDrag.
#include "bench/SliderDrag.h"

#include "bench/BenchClock.h"
#include "zephrin/resources/resource.h"
#include "tools/host/PageSession.h"

#include <commctrl.h>

CSliderDrag::CSliderDrag(const CLoadedFilter& filter)
    : m_ready(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    m_thread = std::thread([this, &filter] { Run(filter); });
    WaitForSingleObject(m_ready.get(), INFINITE);
}

CSliderDrag::~CSliderDrag() {
    m_stop = true;
    m_thread.join();
}

bool CSliderDrag::Started(std::string& error) const {
    error = m_error;
    return m_error.empty();
}

double CSliderDrag::StepsPerSecond() const {
    return static_cast<double>(m_steps.load()) / (Seconds() - m_startTime);
}

void CSliderDrag::Run(const CLoadedFilter& filter) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    {
        CPageSession page;
        HWND dialog = nullptr, slider = nullptr;
        if (FAILED(page.Open(filter, m_error))) {
            SetEvent(m_ready.get());
        } else if (!(dialog = FindWindowExA(page.Frame(), nullptr, nullptr, nullptr)) ||
                   !(slider = GetDlgItem(dialog, IDC_KEYIN_SLIDER))) {
            m_error = "the page has no Key In slider";
            SetEvent(m_ready.get());
        } else {
            m_startTime = Seconds();
            SetEvent(m_ready.get());
            // Across the whole range and back, one position a step.
            int position = 0, direction = 1;
            while (!m_stop) {
                SendMessageA(slider, TBM_SETPOS, TRUE, position);
                SendMessageA(dialog, WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, position),
                             reinterpret_cast<LPARAM>(slider));
                MSG msg;
                while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
                ++m_steps;
                if (position + direction < 0 || position + direction > 127) direction = -direction;
                position += direction;
            }
        }
    }
    CoUninitialize();
}
