// CMfxZephrinFilter: the plug-in proper. One object, one reference count, three
// interfaces: the host's filter interface, the settings stream and the page
// list.
#pragma once

#include "common/CriticalSection.h"
#include "zephrin/filter/PageLink.h"
#include "host/MfxHost.h"

#include <ocidl.h>

#include <atomic>
#include <cstdint>

class CMfxZephrinFilter final : public IMfxEventFilter,
                                public IPersistStream,
                                public ISpecifyPropertyPages {
public:
    CMfxZephrinFilter();
    CMfxZephrinFilter(const CMfxZephrinFilter&) = delete;
    CMfxZephrinFilter& operator=(const CMfxZephrinFilter&) = delete;

    // IUnknown, shared by all three interfaces.
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IMfxEventFilter
    STDMETHODIMP Connect(IUnknown* context) override;
    STDMETHODIMP Disconnect() override;
    STDMETHODIMP OnStart(LONG time, LONG unused) override;
    STDMETHODIMP OnLoop(LONG timeRestart, LONG timeStop, LONG unused) override;
    STDMETHODIMP OnStop(LONG time, LONG unused) override;
    STDMETHODIMP OnEvents(LONG timeFrom, LONG timeThru, EventQueue* in, EventQueue* out) override;
    STDMETHODIMP OnInput(DataQueue* in, DataQueue* out) override;

    // IPersist / IPersistStream
    STDMETHODIMP GetClassID(CLSID* pClsid) override;
    STDMETHODIMP IsDirty() override;
    STDMETHODIMP Load(IStream* pStm) override;
    STDMETHODIMP Save(IStream* pStm, BOOL fClearDirty) override;
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* pcbSize) override;

    // ISpecifyPropertyPages
    STDMETHODIMP GetPages(CAUUID* pPages) override;

    // The settings table, one locked access per call. No range check: the
    // editor applies the limits.
    int32_t GetParam(int row, int column);
    void SetParam(int row, int column, int32_t value);
    static int32_t ParamMin(int row, int column);
    static int32_t ParamMax(int row, int column);

    // The page side of the link; callers hold PageLinkLock().
    void AttachPage(IZephrinPageLink* page);
    void DetachPage(IZephrinPageLink* page);

    static constexpr int kRows = 2;
    static constexpr int kColumns = 2;

private:
    ~CMfxZephrinFilter();
    void RefreshPage();

public:
    // Written on one thread and read on another without the settings lock:
    // 32-bit atomics with relaxed ordering, plain ints in size and meaning.
    std::atomic<int32_t> m_learning{0};  // non-zero while learn mode waits for a note-on

private:
    LONG volatile m_refCount = 1;
    CCriticalSection m_lock;  // guards m_params, one access at a time

public:
    std::atomic<int32_t> m_dirty{0};  // settings changed since the last load or save

private:
    int32_t m_params[kRows][kColumns] = {{96, 64}, {1, 128}};
    // The last controller-off produced in playback, for the look-ahead fix.
    // Touched only by the playback calls, which the host makes one at a time.
    EventRecord m_pending{};
    bool m_hasPending = false;           // m_pending holds a record really produced
    CPageLinkEnd<IZephrinPageLink> m_page;  // guarded by PageLinkLock()
};

static_assert(sizeof(std::atomic<int32_t>) == 4 && std::atomic<int32_t>::is_always_lock_free);
