// The page's window thread working a control for CPageDrag.
#include "bench/PageThread.h"

#include "bench/BenchClock.h"

HWND PageDialog(const CPageSession& page) {
    return FindWindowExA(page.Frame(), nullptr, nullptr, nullptr);
}

CPageDrag::CPageDrag(const CLoadedFilter& filter, const PageControl& control)
    : m_control(control), m_ready(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    m_thread = std::thread([this, &filter] { Run(filter); });
    WaitForSingleObject(m_ready.get(), INFINITE);
}

CPageDrag::~CPageDrag() {
    m_stop = true;
    m_thread.join();
}

bool CPageDrag::Started(std::string& error) const {
    error = m_error;
    return m_error.empty();
}

double CPageDrag::StepsPerSecond() const {
    return static_cast<double>(m_steps.load()) / (Seconds() - m_startTime);
}

void CPageDrag::Run(const CLoadedFilter& filter) {
    WithPage(filter, m_error, [&](CPageSession& page) {
        HWND dialog = PageDialog(page);
        HWND control = dialog ? GetDlgItem(dialog, m_control.id) : nullptr;
        if (!control) {
            m_error = std::string("the page has no control for this: ") + m_control.what;
            return;
        }
        m_startTime = Seconds();
        SetEvent(m_ready.get());
        int position = m_control.start, direction = m_control.direction;
        while (!m_stop) {
            m_control.Step(dialog, control, position, direction);
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
            ++m_steps;
            if (position + direction < 0 || position + direction > 127) direction = -direction;
            position += direction;
        }
    });
    SetEvent(m_ready.get());  // when the drag never started
}
