// Getting a filter as a host does: from a DLL through its own class-object
// export, without registration, or by class identifier through COM.
#pragma once

#include "common/ComPtr.h"
#include "common/UniqueHandle.h"
#include "host/MfxHost.h"
#include "tools/host/HresultText.h"

#include <string>
#include <vector>

using CUniqueModule = CUniqueHandle<HMODULE, FreeLibrary>;

// A filter together with the module it came from. The filter is released
// before the module is freed, and the module stays loaded when it says it is
// still in use.
class CLoadedFilter {
public:
    CLoadedFilter() = default;
    CLoadedFilter(CLoadedFilter&&) = default;
    CLoadedFilter& operator=(CLoadedFilter&&) = delete;
    ~CLoadedFilter();

    IMfxEventFilter* get() const { return m_filter.get(); }
    IMfxEventFilter* operator->() const { return m_filter.get(); }
    HMODULE Module() const { return m_module.get(); }

    // Creates an object of the module's class from the same class object,
    // or through COM when the filter came from COM: how a host makes the
    // filter's page.
    HRESULT CreateSibling(REFCLSID clsid, REFIID riid, void** ppv) const;

    // Loads path and asks its DllGetClassObject for clsid.
    static HRESULT FromDll(const std::string& path, REFCLSID clsid, CLoadedFilter& filter,
                           std::string& error);
    // The same for each class in turn, until the DLL has one: the first
    // class it offers is the filter made.
    static HRESULT FromDll(const std::string& path, const std::vector<CLSID>& classes,
                           CLoadedFilter& filter, std::string& error);
    // CoCreateInstance of an in-process server registered for clsid.
    static HRESULT FromClsid(REFCLSID clsid, CLoadedFilter& filter, std::string& error);

private:
    CUniqueModule m_module;  // declared first: destroyed last
    CComPtr<IMfxEventFilter> m_filter;
};

// "{C209D5E0-...}" to a CLSID; false when the text is no class identifier.
bool ParseClsid(const std::string& text, CLSID& clsid);

