// The host sequencer's MFX plug-in interface, its two queue kinds and the two
// records passed through them. The records are a wire format: byte for byte.
#pragma once

#include <windows.h>
#include <objbase.h>

#include "host/MfxRecords.h"

#include <cstdint>
#include <type_traits>

// Host-owned queues, valid only during the call that receives them.
struct EventQueue : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Add(const EventRecord* record) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCount(int32_t* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetAt(int32_t index, EventRecord* record) = 0;
};

struct DataQueue : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Add(const DataItem* item) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCount(int32_t* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetAt(int32_t index, DataItem* item) = 0;
};

extern "C" const IID IID_IMfxEventFilter;

// The filter interface the host drives: slots 3 to 9 after IUnknown.
struct IMfxEventFilter : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Connect(IUnknown* context) = 0;
    virtual HRESULT STDMETHODCALLTYPE Disconnect() = 0;
    virtual HRESULT STDMETHODCALLTYPE OnStart(LONG time, LONG unused) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnLoop(LONG timeRestart, LONG timeStop, LONG unused) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnStop(LONG time, LONG unused) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnEvents(LONG timeFrom, LONG timeThru,
                                               EventQueue* in, EventQueue* out) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnInput(DataQueue* in, DataQueue* out) = 0;
};

// The host calls through the vtable with the COM calling convention (stdcall
// on i686, the one Win64 convention on x86_64). A method declared without it
// would still compile but corrupt the host's stack on 32-bit Windows.
namespace mfx_detail {
using OnInputSlot = HRESULT (STDMETHODCALLTYPE IMfxEventFilter::*)(DataQueue*, DataQueue*);
using OnEventsSlot = HRESULT (STDMETHODCALLTYPE IMfxEventFilter::*)(LONG, LONG, EventQueue*,
                                                                    EventQueue*);
using QueueAddSlot = HRESULT (STDMETHODCALLTYPE EventQueue::*)(const EventRecord*);
using QueueGetAtSlot = HRESULT (STDMETHODCALLTYPE DataQueue::*)(int32_t, DataItem*);
static_assert(std::is_same_v<decltype(&IMfxEventFilter::OnInput), OnInputSlot>);
static_assert(std::is_same_v<decltype(&IMfxEventFilter::OnEvents), OnEventsSlot>);
static_assert(std::is_same_v<decltype(&EventQueue::Add), QueueAddSlot>);
static_assert(std::is_same_v<decltype(&DataQueue::GetAt), QueueGetAtSlot>);
static_assert(sizeof(LONG) == 4, "host times are 32-bit on both targets");
}  // namespace mfx_detail
