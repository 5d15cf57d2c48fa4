// A property page site as a frame gives one: it counts the page's status
// changes and its references, and offers nothing else.
#pragma once

#include <ocidl.h>

class CCountingSite final : public IPropertyPageSite {
public:
    LONG refs = 1;
    int dirtyCalls = 0;  // OnStatusChange(PROPPAGESTATUS_DIRTY)
    int otherCalls = 0;  // OnStatusChange with anything else

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        *ppv = nullptr;
        if (riid != IID_IUnknown && riid != IID_IPropertyPageSite) return E_NOINTERFACE;
        *ppv = static_cast<IPropertyPageSite*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }
    STDMETHODIMP OnStatusChange(DWORD flags) override {
        ++(flags == PROPPAGESTATUS_DIRTY ? dirtyCalls : otherCalls);
        return S_OK;
    }
    STDMETHODIMP GetLocaleID(LCID* locale) override {
        *locale = 0x409;
        return S_OK;
    }
    STDMETHODIMP GetPageContainer(IUnknown** container) override {
        *container = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP TranslateAccelerator(MSG*) override { return S_FALSE; }
};
