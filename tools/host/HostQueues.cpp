// The host queues' methods, compiled apart from every caller.
#include "tools/host/HostQueues.h"

template <typename Queue, typename Record>
STDMETHODIMP CHostQueue<Queue, Record>::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid != IID_IUnknown) return E_NOINTERFACE;
    *ppv = static_cast<IUnknown*>(this);
    AddRef();
    return S_OK;
}

template <typename Queue, typename Record>
STDMETHODIMP_(ULONG) CHostQueue<Queue, Record>::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&m_refs));
}

template <typename Queue, typename Record>
STDMETHODIMP_(ULONG) CHostQueue<Queue, Record>::Release() {
    return static_cast<ULONG>(InterlockedDecrement(&m_refs));
}

template <typename Queue, typename Record>
STDMETHODIMP CHostQueue<Queue, Record>::Add(const Record* record) {
    if (!record) return E_POINTER;
    try {
        m_records.push_back(*record);
    } catch (...) {  // nothing may be thrown back into the filter
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

template <typename Queue, typename Record>
STDMETHODIMP CHostQueue<Queue, Record>::GetCount(int32_t* count) {
    if (!count) return E_POINTER;
    *count = static_cast<int32_t>(m_records.size());
    return S_OK;
}

template <typename Queue, typename Record>
STDMETHODIMP CHostQueue<Queue, Record>::GetAt(int32_t index, Record* record) {
    if (!record) return E_POINTER;
    if (index < 0 || static_cast<size_t>(index) >= m_records.size()) return E_INVALIDARG;
    *record = m_records[static_cast<size_t>(index)];
    return S_OK;
}

template class CHostQueue<EventQueue, EventRecord>;
template class CHostQueue<DataQueue, DataItem>;
