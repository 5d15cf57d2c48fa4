// The module's two class objects, CMidiFilterFactory and CPropPageFactory.
// Each is an IClassFactory of its own, derived from it directly and sharing
// no base class; they differ only in what CreateInstance makes.
#pragma once

#include "host/MfxHost.h"

#include <ocidl.h>

#include <new>

class CMfxZephrinFilter;
class CMfxZephrinPropPage;

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

using CMidiFilterFactory = CClassFactoryFor<CMfxZephrinFilter, IMfxEventFilter>;
using CPropPageFactory = CClassFactoryFor<CMfxZephrinPropPage, IPropertyPage>;

extern template class CClassFactoryFor<CMfxZephrinFilter, IMfxEventFilter>;
extern template class CClassFactoryFor<CMfxZephrinPropPage, IPropertyPage>;
