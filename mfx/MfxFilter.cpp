// The kit's filter object: identity, reference count, the transport calls,
// the settings stream's COM side, the page list and the link to the page.
#include "mfx/MfxFilter.h"

#include "common/ModuleCounts.h"
#include "framework/AfxMessageBox.h"

CMfxFilter::CMfxFilter(const CLSID& filterClass, const CLSID& pageClass)
    : m_filterClass(filterClass), m_pageClass(pageClass) {
    InterlockedIncrement(&g_objectCount);
}

CMfxFilter::~CMfxFilter() {
    {
        CLockGuard link(PageLinkLock());
        m_page.FilterGone(this);
    }
    InterlockedDecrement(&g_objectCount);
}

STDMETHODIMP CMfxFilter::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid == IID_IUnknown || riid == IID_IMfxEventFilter) {
        *ppv = static_cast<IMfxEventFilter*>(this);
    } else if (riid == IID_IPersistStream) {
        *ppv = static_cast<IPersistStream*>(this);
    } else if (riid == IID_ISpecifyPropertyPages) {
        *ppv = static_cast<ISpecifyPropertyPages*>(this);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CMfxFilter::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&m_refCount));
}

STDMETHODIMP_(ULONG) CMfxFilter::Release() {
    const LONG count = InterlockedDecrement(&m_refCount);
    if (count == 0) delete this;
    return static_cast<ULONG>(count);
}

STDMETHODIMP CMfxFilter::Connect(IUnknown*) { return S_OK; }
STDMETHODIMP CMfxFilter::Disconnect() { return S_OK; }
STDMETHODIMP CMfxFilter::OnStart(LONG, LONG) { return S_OK; }
STDMETHODIMP CMfxFilter::OnLoop(LONG, LONG, LONG) { return S_OK; }
STDMETHODIMP CMfxFilter::OnStop(LONG, LONG) { return S_OK; }

STDMETHODIMP CMfxFilter::GetClassID(CLSID* pClsid) {
    if (!pClsid) return E_POINTER;
    *pClsid = m_filterClass;
    return S_OK;
}

STDMETHODIMP CMfxFilter::IsDirty() {
    return m_dirty.load(std::memory_order_relaxed) ? S_OK : S_FALSE;
}

// A stream the filter cannot take is reported to the user, never to the
// host: the host's project still opens. Only a load that took the settings
// clears the dirty flag and tells the page: at once on the page's own
// thread, from any other without waiting.
STDMETHODIMP CMfxFilter::Load(IStream* pStm) {
    if (!pStm) return E_POINTER;
    if (const char* failed = LoadSettings(pStm)) {
        AfxMessageBox(failed, MB_OK);
        return S_OK;
    }
    m_pageRefresh.Deliver();
    m_dirty.store(0, std::memory_order_relaxed);
    return S_OK;
}

STDMETHODIMP CMfxFilter::Save(IStream* pStm, BOOL fClearDirty) {
    if (!pStm) return E_POINTER;
    const HRESULT hr = SaveSettings(pStm);
    if (FAILED(hr)) return hr == STG_E_MEDIUMFULL ? STG_E_MEDIUMFULL : STG_E_CANTSAVE;
    if (fClearDirty) m_dirty.store(0, std::memory_order_relaxed);
    return S_OK;
}

STDMETHODIMP CMfxFilter::GetSizeMax(ULARGE_INTEGER* pcbSize) {
    if (!pcbSize) return E_POINTER;
    pcbSize->QuadPart = SettingsSize();
    return S_OK;
}

bool CMfxFilter::ReadExactly(IStream* stream, void* bytes, ULONG size) {
    ULONG read = 0;
    return size == 0 || (stream->Read(bytes, size, &read) == S_OK && read == size);
}

STDMETHODIMP CMfxFilter::GetPages(CAUUID* pPages) { return OnePageList(pPages, m_pageClass); }

void CMfxFilter::AttachPage(IMfxPageLink* page) { m_page.Attach(page, this); }

void CMfxFilter::DetachPage(IMfxPageLink* page) { m_page.Detach(page); }
