#include "framework/PageLink.h"

CCriticalSection& PageLinkLock() {
    static CCriticalSection lock;
    return lock;
}

HRESULT OnePageList(CAUUID* pPages, REFCLSID page) {
    if (!pPages) return E_POINTER;
    pPages->cElems = 1;
    pPages->pElems = static_cast<GUID*>(CoTaskMemAlloc(sizeof(GUID)));
    if (!pPages->pElems) return E_OUTOFMEMORY;
    pPages->pElems[0] = page;
    return S_OK;
}

void CPostedRefresh::SetWindow(HWND window) {
    m_window.store(window, std::memory_order_release);
    const uint32_t generation = (m_state.load(std::memory_order_relaxed) | kPosted) + 1;
    m_state.store(generation, std::memory_order_release);
}

void CPostedRefresh::Post() {
    uint32_t state = m_state.load(std::memory_order_acquire);
    do {
        if (state & kPosted) return;
    } while (!m_state.compare_exchange_weak(state, state | kPosted, std::memory_order_acq_rel));
    // A window set since the flag was taken gets this message too: harmless.
    HWND window = Window();
    if (window && ::PostMessageA(window, m_message, 0, 0)) return;
    uint32_t posted = state | kPosted;  // nothing went: the next change posts
    m_state.compare_exchange_strong(posted, state, std::memory_order_acq_rel);
}

void CPostedRefresh::Deliver() {
    const HWND window = Window();
    if (window && GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId()) {
        ::SendMessageA(window, m_message, 0, 0);
        return;
    }
    Post();
}
