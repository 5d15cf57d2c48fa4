// PassThrough.dll: an MFX filter that copies every record from its input
// queue to its output queue and does nothing else. Same loop shape as a real
// filter, so timing it gives the cost of the host's queues alone.
#include "bench/passthrough/PassThroughIds.h"
#include "host/MfxHost.h"

#include <new>

namespace {

LONG volatile g_objects = 0;  // filters and factories alive
LONG volatile g_locks = 0;

// One interface, one count; every object alive keeps the module loaded.
template <typename Interface>
class CSingleInterfaceObject : public Interface {
public:
    explicit CSingleInterfaceObject(REFIID iid) : m_iid(iid) { InterlockedIncrement(&g_objects); }
    CSingleInterfaceObject(const CSingleInterfaceObject&) = delete;
    CSingleInterfaceObject& operator=(const CSingleInterfaceObject&) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (riid != IID_IUnknown && riid != m_iid) return E_NOINTERFACE;
        *ppv = static_cast<Interface*>(this);
        this->AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override {
        return static_cast<ULONG>(InterlockedIncrement(&m_refs));
    }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG count = InterlockedDecrement(&m_refs);
        if (count == 0) delete this;
        return static_cast<ULONG>(count);
    }

protected:
    virtual ~CSingleInterfaceObject() { InterlockedDecrement(&g_objects); }

private:
    const IID& m_iid;
    LONG volatile m_refs = 1;
};

// Creation as every COM object here: count 1, ask, drop the creation reference.
template <typename Object>
HRESULT CreateAndQuery(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    auto* object = new (std::nothrow) Object();
    if (!object) return E_OUTOFMEMORY;
    const HRESULT hr = object->QueryInterface(riid, ppv);
    object->Release();
    return hr;
}

class CPassThroughFilter final : public CSingleInterfaceObject<IMfxEventFilter> {
public:
    CPassThroughFilter() : CSingleInterfaceObject(IID_IMfxEventFilter) {}

    STDMETHODIMP Connect(IUnknown*) override { return S_OK; }
    STDMETHODIMP Disconnect() override { return S_OK; }
    STDMETHODIMP OnStart(LONG, LONG) override { return S_OK; }
    STDMETHODIMP OnLoop(LONG, LONG, LONG) override { return S_OK; }
    STDMETHODIMP OnStop(LONG, LONG) override { return S_OK; }

    STDMETHODIMP OnEvents(LONG, LONG, EventQueue* in, EventQueue* out) override {
        return Copy<EventRecord>(in, out);
    }
    STDMETHODIMP OnInput(DataQueue* in, DataQueue* out) override {
        return Copy<DataItem>(in, out);
    }

private:
    template <typename Record, typename Queue>
    static HRESULT Copy(Queue* in, Queue* out) {
        int32_t count = 0;
        if (!in || !out || FAILED(in->GetCount(&count))) return S_OK;
        for (int32_t i = 0; i < count; ++i) {
            Record record;
            if (SUCCEEDED(in->GetAt(i, &record))) out->Add(&record);
        }
        return S_OK;
    }
};

class CPassThroughFactory final : public CSingleInterfaceObject<IClassFactory> {
public:
    CPassThroughFactory() : CSingleInterfaceObject(IID_IClassFactory) {}

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        if (outer) {
            if (ppv) *ppv = nullptr;
            return CLASS_E_NOAGGREGATION;
        }
        return CreateAndQuery<CPassThroughFilter>(riid, ppv);
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        if (lock) InterlockedIncrement(&g_locks);
        else InterlockedDecrement(&g_locks);
        return S_OK;
    }
};

}  // namespace

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
    if (clsid != CLSID_PassThroughFilter) {
        if (ppv) *ppv = nullptr;
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    return CreateAndQuery<CPassThroughFactory>(riid, ppv);
}

STDAPI DllCanUnloadNow() { return g_objects == 0 && g_locks == 0 ? S_OK : S_FALSE; }
