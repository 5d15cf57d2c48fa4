// The host's queues as a sequencer provides them: growable arrays of records,
// owned by the host and handed to the filter for one call. Defined in their own
// translation unit, so callers reach them only through the vtable.
#pragma once

#include "host/MfxHost.h"

#include <vector>

template <typename Queue, typename Record>
class CHostQueue final : public Queue {
public:
    CHostQueue() = default;
    CHostQueue(const CHostQueue&) = delete;
    CHostQueue& operator=(const CHostQueue&) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    // The host owns the queue; counting keeps COM's rules but never deletes.
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP Add(const Record* record) override;
    STDMETHODIMP GetCount(int32_t* count) override;
    STDMETHODIMP GetAt(int32_t index, Record* record) override;

    // Keeps the capacity, so a queue reused from call to call stops allocating.
    void Clear() { m_records.clear(); }
    void Reserve(size_t count) { m_records.reserve(count); }
    const std::vector<Record>& Records() const { return m_records; }
    LONG References() const { return m_refs; }

private:
    std::vector<Record> m_records;
    LONG volatile m_refs = 1;
};

using CHostEventQueue = CHostQueue<EventQueue, EventRecord>;
using CHostDataQueue = CHostQueue<DataQueue, DataItem>;

extern template class CHostQueue<EventQueue, EventRecord>;
extern template class CHostQueue<DataQueue, DataItem>;
