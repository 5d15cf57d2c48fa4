// Host queues for tests: the real queues belong to the host, so these stand
// in for them, with failures that can be switched on per call or per index.
#pragma once

#include "host/MfxHost.h"

#include <cstring>
#include <ostream>
#include <set>
#include <vector>

template <typename Queue, typename Record>
class CTestQueue final : public Queue {
public:
    CTestQueue() = default;
    explicit CTestQueue(std::vector<Record> initial) : records(std::move(initial)) {}

    std::vector<Record> records;
    HRESULT countResult = S_OK;   // a failure here fails GetCount
    std::set<int32_t> failingAt;  // indexes whose GetAt fails
    LONG refs = 1;                // the queue is the host's: tests own it on the stack

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (riid != IID_IUnknown) return E_NOINTERFACE;
        *ppv = static_cast<IUnknown*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }

    STDMETHODIMP Add(const Record* record) override {
        records.push_back(*record);
        return S_OK;
    }
    STDMETHODIMP GetCount(int32_t* count) override {
        if (FAILED(countResult)) return countResult;
        *count = static_cast<int32_t>(records.size());
        return S_OK;
    }
    STDMETHODIMP GetAt(int32_t index, Record* record) override {
        if (failingAt.count(index) || index < 0 || index >= static_cast<int32_t>(records.size()))
            return E_INVALIDARG;
        *record = records[static_cast<size_t>(index)];
        return S_OK;
    }
};

using CTestEventQueue = CTestQueue<EventQueue, EventRecord>;
using CTestDataQueue = CTestQueue<DataQueue, DataItem>;

// Host bytes get distinctive values so that tests see they are carried through.
inline EventRecord Event(int32_t time, int32_t type, uint8_t number, uint8_t value,
                         int32_t duration = 0) {
    EventRecord r{};
    r.time = time;
    r.host4[0] = 0xA4;
    r.host4[1] = 0xA5;
    r.type = type;
    r.number = number;
    r.value = value;
    r.host12 = 0xAC;
    r.duration = duration;
    return r;
}

inline EventRecord Note(int32_t time, uint8_t key, uint8_t velocity, int32_t duration) {
    return Event(time, kEventNote, key, velocity, duration);
}

inline DataItem Live(uint8_t status, uint8_t data1, uint8_t data2) {
    DataItem d{};
    d.host0[0] = 0xD0;
    d.host0[1] = 0xD1;
    d.host0[2] = 0xD2;
    d.host0[3] = 0xD3;
    d.status = status;
    d.data1 = data1;
    d.data2 = data2;
    d.host7 = 0xD7;
    return d;
}

inline bool operator==(const EventRecord& a, const EventRecord& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}
inline bool operator==(const DataItem& a, const DataItem& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

inline std::ostream& operator<<(std::ostream& os, const EventRecord& r) {
    return os << "{time " << r.time << ", type " << r.type << ", number " << int(r.number)
              << ", value " << int(r.value) << ", duration " << r.duration << "}";
}
inline std::ostream& operator<<(std::ostream& os, const DataItem& d) {
    return os << "{status 0x" << std::hex << int(d.status) << std::dec << ", " << int(d.data1)
              << ", " << int(d.data2) << "}";
}
