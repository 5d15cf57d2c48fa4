// The host sequencer's MFX plug-in interface, its two queue kinds and the two
// records passed through them. The records are a wire format: byte for byte.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <cstddef>
#include <cstdint>
#include <type_traits>

#pragma pack(push, 1)

// A playback event. Packed: 17 bytes, no padding.
struct EventRecord {
    int32_t time;        // host time unit
    uint8_t host4[2];    // host fields, carried through unchanged
    int32_t type;        // kEventNote, kEventController, anything else passes
    uint8_t number;      // note number or controller number
    uint8_t value;       // velocity or controller value
    uint8_t host12;      // host field, carried through unchanged
    int32_t duration;    // of a note, in the unit of time
};

// A live short MIDI message.
struct DataItem {
    uint8_t host0[4];    // host field, carried through unchanged
    uint8_t status;      // high nibble the kind, low nibble the channel
    uint8_t data1;       // note number
    uint8_t data2;       // velocity
    uint8_t host7;       // carried through unchanged
};

#pragma pack(pop)

constexpr int32_t kEventNote = 0;
constexpr int32_t kEventController = 2;

static_assert(sizeof(EventRecord) == 17, "EventRecord is 17 packed bytes");
static_assert(offsetof(EventRecord, time) == 0);
static_assert(offsetof(EventRecord, host4) == 4);
static_assert(offsetof(EventRecord, type) == 6);
static_assert(offsetof(EventRecord, number) == 10);
static_assert(offsetof(EventRecord, value) == 11);
static_assert(offsetof(EventRecord, host12) == 12);
static_assert(offsetof(EventRecord, duration) == 13);
static_assert(alignof(EventRecord) == 1);

static_assert(sizeof(DataItem) == 8, "DataItem is 8 bytes");
static_assert(offsetof(DataItem, host0) == 0);
static_assert(offsetof(DataItem, status) == 4);
static_assert(offsetof(DataItem, data1) == 5);
static_assert(offsetof(DataItem, data2) == 6);
static_assert(offsetof(DataItem, host7) == 7);

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
