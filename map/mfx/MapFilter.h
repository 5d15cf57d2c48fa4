// CMfxZephrinMapFilter: Zephrin Map's filter. One object, one reference
// count, three interfaces: the host's filter interface, the settings stream
// and the page list. The mappings live in a store whose tables the MIDI paths read
// without a lock; each call works with the set as it stood when it began.
#pragma once

#include "framework/PageLink.h"
#include "host/MfxHost.h"
#include "map/engine/MapRules.h"
#include "map/engine/MapStore.h"

#include <ocidl.h>

#include <atomic>
#include <cstdint>

class CMfxZephrinMapFilter;
// What the filter needs of its page: to be told when it goes.
using IMapPageLink = IPageLinkTo<CMfxZephrinMapFilter>;

class CMfxZephrinMapFilter final : public IMfxEventFilter,
                                   public IPersistStream,
                                   public ISpecifyPropertyPages {
public:
    CMfxZephrinMapFilter();
    CMfxZephrinMapFilter(const CMfxZephrinMapFilter&) = delete;
    CMfxZephrinMapFilter& operator=(const CMfxZephrinMapFilter&) = delete;

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

    // The editing side. Every change is an edit: it marks the filter dirty
    // and applies from the next MIDI call on.
    MapSettings Settings() { return m_store.Settings(); }
    void SetSettings(const MapSettings& settings);
    // False, changing nothing, when the mapping is not valid.
    bool SetMapping(int index, const MapMapping& mapping);
    void SetLookAheadFix(bool on);

    // Learn mode: the mapping (0-7) that the next live note-on teaches its
    // key, or -1 for none.
    void SetLearning(int mapping);
    int Learning() const { return m_learning.load(std::memory_order_relaxed) - 1; }

    // The page side of the link; callers hold PageLinkLock().
    void AttachPage(IMapPageLink* page);
    void DetachPage(IMapPageLink* page);
    // Where a change made behind the page's back (a learned key, a load) is
    // posted: the page's window, which the page sets and clears under
    // PageLinkLock() as it comes and goes.
    CPostedRefresh& PageRefresh() { return m_pageRefresh; }
    static constexpr UINT kPageRefreshMessage = WM_APP + 1;

private:
    ~CMfxZephrinMapFilter();

    LONG volatile m_refCount = 1;
    CMapStore m_store;
    MapLiveLatches m_liveLatches;
    // Touched only by the playback calls, which the host makes one at a time.
    MapPlaybackState m_playback;
    std::atomic<int32_t> m_learning{0};  // the learning mapping + 1, 0 for none
    std::atomic<int32_t> m_dirty{0};     // settings changed since the last load or save
    CPageLinkEnd<IMapPageLink> m_page;   // guarded by PageLinkLock()
    CPostedRefresh m_pageRefresh{kPageRefreshMessage};
};
