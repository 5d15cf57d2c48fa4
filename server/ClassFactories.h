// The class objects every module hands out: one IClassFactory per class,
// made afresh for every request, differing only in what CreateInstance makes.
#pragma once

#include "common/ModuleCounts.h"

#include <ocidl.h>

#include <new>

// The one way this module hands out a new object: made with a count of 1,
// asked for the interface through its Interface side, the creation reference
// dropped. An interface the object lacks therefore destroys it again, and
// *ppv is null after every failure. An object that cannot be allocated gives
// E_OUTOFMEMORY; the module is built without exceptions, so nothing is thrown.
template <typename Object, typename Interface>
HRESULT HandOutNew(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    Interface* object = new (std::nothrow) Object();
    if (!object) return E_OUTOFMEMORY;
    const HRESULT hr = object->QueryInterface(riid, ppv);
    object->Release();
    return hr;
}

// A class object for Object, which is handed out through its Interface.
// Class objects are heap objects made afresh for every request; they do not
// keep the module loaded unless a caller locks it.
template <typename Object, typename Interface>
class CClassFactoryFor final : public IClassFactory {
public:
    CClassFactoryFor() = default;
    CClassFactoryFor(const CClassFactoryFor&) = delete;
    CClassFactoryFor& operator=(const CClassFactoryFor&) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv) override;
    STDMETHODIMP LockServer(BOOL fLock) override;

private:
    ~CClassFactoryFor() = default;

    LONG volatile m_refCount = 1;
};

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

// A new class object for Object: what a module's class table names.
template <typename Object, typename Interface>
HRESULT CreateClassObject(REFIID riid, void** ppv) {
    return HandOutNew<CClassFactoryFor<Object, Interface>, IClassFactory>(riid, ppv);
}
