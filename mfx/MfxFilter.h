// CMfxFilter: what every MFX filter of this kit is, whatever it does with
// the MIDI. One object, one reference count, three interfaces: the host's
// filter interface, the settings stream and the page list; the module's
// object count; the link to the page editing it, and the refresh a change
// made behind the page's back posts to the page's window. A filter supplies
// its two MIDI paths, its settings codec and its class IDs.
#pragma once

#include "framework/PageLink.h"
#include "host/MfxHost.h"

#include <ocidl.h>

#include <atomic>
#include <cstdint>

class CMfxFilter;
// What a filter needs of its page: to be told when it goes.
using IMfxPageLink = IPageLinkTo<CMfxFilter>;

class CMfxFilter : public IMfxEventFilter, public IPersistStream, public ISpecifyPropertyPages {
public:
    CMfxFilter(const CMfxFilter&) = delete;
    CMfxFilter& operator=(const CMfxFilter&) = delete;

    // IUnknown, shared by all three interfaces.
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IMfxEventFilter: the host's context object is neither kept nor
    // counted, and the transport calls do nothing unless a filter says so.
    STDMETHODIMP Connect(IUnknown* context) override;
    STDMETHODIMP Disconnect() override;
    STDMETHODIMP OnStart(LONG time, LONG unused) override;
    STDMETHODIMP OnLoop(LONG timeRestart, LONG timeStop, LONG unused) override;
    STDMETHODIMP OnStop(LONG time, LONG unused) override;

    // IPersist / IPersistStream, through the filter's codec below.
    STDMETHODIMP GetClassID(CLSID* pClsid) override;
    STDMETHODIMP IsDirty() override;
    STDMETHODIMP Load(IStream* pStm) override;
    STDMETHODIMP Save(IStream* pStm, BOOL fClearDirty) override;
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* pcbSize) override;

    // ISpecifyPropertyPages: the filter's one page.
    STDMETHODIMP GetPages(CAUUID* pPages) override;

    // The page side of the link; callers hold PageLinkLock().
    void AttachPage(IMfxPageLink* page);
    void DetachPage(IMfxPageLink* page);
    // Where a change made behind the page's back (a learned key, a load) is
    // posted: the page's window, which the page sets and clears under
    // PageLinkLock() as it comes and goes.
    CPostedRefresh& PageRefresh() { return m_pageRefresh; }
    static constexpr UINT kPageRefreshMessage = WM_APP + 1;

    // Settings changed since the last load or save. Written on one thread
    // and read on another without a lock: a 32-bit atomic, relaxed.
    std::atomic<int32_t> m_dirty{0};

protected:
    CMfxFilter(const CLSID& filterClass, const CLSID& pageClass);
    virtual ~CMfxFilter();

    // The codec. Load: reads the settings from the stream and takes them;
    // null when it did, otherwise the text shown to the user (the host
    // still sees success, so that its project opens). Save: writes them,
    // returning the first failure of the stream's Write as it came.
    virtual const char* LoadSettings(IStream* stream) = 0;
    virtual HRESULT SaveSettings(IStream* stream) = 0;
    virtual ULONGLONG SettingsSize() = 0;

    // The stream's Read succeeded with exactly size bytes.
    static bool ReadExactly(IStream* stream, void* bytes, ULONG size);

private:
    LONG volatile m_refCount = 1;
    const CLSID& m_filterClass;
    const CLSID& m_pageClass;
    CPageLinkEnd<IMfxPageLink> m_page;  // guarded by PageLinkLock()
    CPostedRefresh m_pageRefresh{kPageRefreshMessage};
};

static_assert(sizeof(std::atomic<int32_t>) == 4 && std::atomic<int32_t>::is_always_lock_free);
