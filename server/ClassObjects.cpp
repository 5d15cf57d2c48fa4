// The class objects and the module's lifetime: DllGetClassObject hands out
// a new class object per call, DllCanUnloadNow reads the module counters.
#include "server/ClassFactories.h"

#include "common/ModuleCounts.h"
#include "filter/ZephrinFilter.h"
#include "filter/ZephrinIds.h"
#include "page/ZephrinPropPage.h"

template <typename Object, typename Interface>
STDMETHODIMP CClassFactoryFor<Object, Interface>::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid != IID_IUnknown && riid != IID_IClassFactory) return E_NOINTERFACE;
    *ppv = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
}

template <typename Object, typename Interface>
STDMETHODIMP_(ULONG) CClassFactoryFor<Object, Interface>::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&m_refCount));
}

template <typename Object, typename Interface>
STDMETHODIMP_(ULONG) CClassFactoryFor<Object, Interface>::Release() {
    const LONG count = InterlockedDecrement(&m_refCount);
    if (count == 0) delete this;
    return static_cast<ULONG>(count);
}

// Changes neither counter: a filter counts itself from its constructor to its
// destructor, and a page is not counted.
template <typename Object, typename Interface>
STDMETHODIMP CClassFactoryFor<Object, Interface>::CreateInstance(IUnknown* pUnkOuter, REFIID riid,
                                                                 void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (pUnkOuter) return CLASS_E_NOAGGREGATION;
    return HandOutNew<Object, Interface>(riid, ppv);
}

// Not clamped: an unmatched unlock leaves the count below zero, and the
// module stays until a later lock brings it back.
template <typename Object, typename Interface>
STDMETHODIMP CClassFactoryFor<Object, Interface>::LockServer(BOOL fLock) {
    if (fLock) {
        InterlockedIncrement(&g_lockCount);
    } else {
        InterlockedDecrement(&g_lockCount);
    }
    return S_OK;
}

template class CClassFactoryFor<CMfxZephrinFilter, IMfxEventFilter>;
template class CClassFactoryFor<CMfxZephrinPropPage, IPropertyPage>;

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (rclsid == CLSID_ZephrinFilter) return HandOutNew<CMidiFilterFactory, IClassFactory>(riid, ppv);
    if (rclsid == CLSID_ZephrinPropPage) return HandOutNew<CPropPageFactory, IClassFactory>(riid, ppv);
    return CLASS_E_CLASSNOTAVAILABLE;
}

// Only live filters and server locks keep the module loaded. The two reads
// are plain and one after the other.
STDAPI DllCanUnloadNow() {
    return g_objectCount != 0 || g_lockCount != 0 ? S_FALSE : S_OK;
}
