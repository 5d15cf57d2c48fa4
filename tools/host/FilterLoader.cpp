// Loading filters from DLLs and through COM.
#include "tools/host/FilterLoader.h"

#include <cwchar>

namespace {

using DllGetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using DllCanUnloadNowFn = HRESULT(STDAPICALLTYPE*)();

HRESULT CreateFromModule(HMODULE module, REFCLSID clsid, REFIID riid, void** ppv) {
    auto getClassObject = reinterpret_cast<DllGetClassObjectFn>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
    if (!getClassObject) return HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
    CComPtr<IClassFactory> factory;
    HRESULT hr = getClassObject(clsid, IID_IClassFactory, factory.put_void());
    if (FAILED(hr)) return hr;
    if (!factory) return E_UNEXPECTED;
    return factory->CreateInstance(nullptr, riid, ppv);
}

}  // namespace

CLoadedFilter::~CLoadedFilter() {
    m_filter.Reset();
    if (!m_module) return;
    auto canUnload = reinterpret_cast<DllCanUnloadNowFn>(
        reinterpret_cast<void*>(GetProcAddress(m_module.get(), "DllCanUnloadNow")));
    // A module that still has live objects must stay mapped.
    if (canUnload && canUnload() != S_OK) m_module.release();
}

HRESULT CLoadedFilter::CreateSibling(REFCLSID clsid, REFIID riid, void** ppv) const {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (m_module) return CreateFromModule(m_module.get(), clsid, riid, ppv);
    return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, riid, ppv);
}

HRESULT CLoadedFilter::FromDll(const std::string& path, REFCLSID clsid, CLoadedFilter& filter,
                               std::string& error) {
    return FromDll(path, std::vector<CLSID>{clsid}, filter, error);
}

HRESULT CLoadedFilter::FromDll(const std::string& path, const std::vector<CLSID>& classes,
                               CLoadedFilter& filter, std::string& error) {
    CUniqueModule module(LoadLibraryA(path.c_str()));
    if (!module) {
        const HRESULT hr = HRESULT_FROM_WIN32(GetLastError());
        error = path + ": cannot load it: " + DescribeHresult(hr);
        return hr;
    }
    CComPtr<IMfxEventFilter> object;
    HRESULT hr = CLASS_E_CLASSNOTAVAILABLE;
    for (size_t i = 0; i < classes.size() && hr == CLASS_E_CLASSNOTAVAILABLE; ++i)
        hr = CreateFromModule(module.get(), classes[i], IID_IMfxEventFilter, object.put_void());
    if (FAILED(hr) || !object) {
        error = path + ": no filter from its DllGetClassObject: " + DescribeHresult(hr);
        return FAILED(hr) ? hr : E_UNEXPECTED;
    }
    filter.m_filter.Reset();  // an earlier filter goes before its module
    filter.m_module = std::move(module);
    *filter.m_filter.put() = object.Detach();
    return S_OK;
}

HRESULT CLoadedFilter::FromClsid(REFCLSID clsid, CLoadedFilter& filter, std::string& error) {
    CComPtr<IMfxEventFilter> object;
    const HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER,
                                        IID_IMfxEventFilter, object.put_void());
    if (FAILED(hr) || !object) {
        error = "no filter registered for that class: " + DescribeHresult(hr);
        return FAILED(hr) ? hr : E_UNEXPECTED;
    }
    *filter.m_filter.put() = object.Detach();
    return S_OK;
}

bool ParseClsid(const std::string& text, CLSID& clsid) {
    wchar_t wide[64] = {};
    if (text.size() >= 40) return false;
    for (size_t i = 0; i < text.size(); ++i) wide[i] = static_cast<unsigned char>(text[i]);
    return SUCCEEDED(CLSIDFromString(wide, &clsid));
}
