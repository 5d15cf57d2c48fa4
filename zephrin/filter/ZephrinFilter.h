// CMfxZephrinFilter: the plug-in proper, on the kit's filter object: its
// settings table, its two MIDI paths and its 16-byte settings stream.
#pragma once

#include "common/CriticalSection.h"
#include "mfx/MfxFilter.h"

#include <atomic>
#include <cstdint>

class CMfxZephrinFilter final : public CMfxFilter {
public:
    CMfxZephrinFilter();

    // IMfxEventFilter
    STDMETHODIMP OnStart(LONG time, LONG unused) override;
    STDMETHODIMP OnEvents(LONG timeFrom, LONG timeThru, EventQueue* in, EventQueue* out) override;
    STDMETHODIMP OnInput(DataQueue* in, DataQueue* out) override;

    // The settings table, one locked access per call. No range check: the
    // editor applies the limits.
    int32_t GetParam(int row, int column);
    void SetParam(int row, int column, int32_t value);
    static int32_t ParamMin(int row, int column);
    static int32_t ParamMax(int row, int column);

    static constexpr int kRows = 2;
    static constexpr int kColumns = 2;

    // Written on one thread and read on another without the settings lock:
    // a 32-bit atomic with relaxed ordering, a plain int in size and meaning.
    std::atomic<int32_t> m_learning{0};  // non-zero while learn mode waits for a note-on

private:
    ~CMfxZephrinFilter() override = default;

    const char* LoadSettings(IStream* stream) override;
    HRESULT SaveSettings(IStream* stream) override;
    ULONGLONG SettingsSize() override;

    CCriticalSection m_lock;  // guards m_params, one access at a time
    int32_t m_params[kRows][kColumns] = {{96, 64}, {1, 128}};
    // The last controller-off produced in playback, for the look-ahead fix.
    // Touched only by the playback calls, which the host makes one at a time.
    EventRecord m_pending{};
    bool m_hasPending = false;  // m_pending holds a record really produced
};
