// Loading filters from DLLs and through COM.
#include "tools/host/FilterLoader.h"

#include <cstdio>
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

std::string DescribeHresult(HRESULT hr) {
    static const struct {
        HRESULT code;
        const char* name;
    } kNames[] = {
        {S_OK, "S_OK"},
        {E_FAIL, "E_FAIL"},
        {E_NOINTERFACE, "E_NOINTERFACE"},
        {E_POINTER, "E_POINTER"},
        {E_OUTOFMEMORY, "E_OUTOFMEMORY"},
        {E_INVALIDARG, "E_INVALIDARG"},
        {E_UNEXPECTED, "E_UNEXPECTED"},
        {E_NOTIMPL, "E_NOTIMPL"},
        {CLASS_E_CLASSNOTAVAILABLE, "CLASS_E_CLASSNOTAVAILABLE"},
        {REGDB_E_CLASSNOTREG, "REGDB_E_CLASSNOTREG"},
        {HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND), "the module or one it needs was not found"},
        {HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND), "it exports no DllGetClassObject"},
        {HRESULT_FROM_WIN32(ERROR_BAD_EXE_FORMAT), "not a DLL for this platform"},
    };
    // The file errors a user meets most, in their own words.
    static const struct {
        DWORD code;
        const char* words;
    } kWords[] = {
        {ERROR_FILE_NOT_FOUND, "no such file"},
        {ERROR_PATH_NOT_FOUND, "no such folder"},
        {ERROR_ACCESS_DENIED, "access denied"},
        {ERROR_SHARING_VIOLATION, "in use by another program"},
        {ERROR_DISK_FULL, "the disk is full"},
    };
    char text[32];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
    for (const auto& entry : kNames)
        if (entry.code == hr) return std::string(text) + " (" + entry.name + ")";
    const bool win32 = HRESULT_FACILITY(hr) == FACILITY_WIN32;
    const DWORD code = win32 ? HRESULT_CODE(hr) : static_cast<DWORD>(hr);
    if (win32)
        for (const auto& entry : kWords)
            if (entry.code == code) return std::string(entry.words) + " (" + text + ")";
    // Any other code the system has a message for, in the system's words.
    char message[256] = {};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, code, 0, message, sizeof message, nullptr);
    std::string words(message, length);
    while (!words.empty() && (words.back() == '\n' || words.back() == '\r' ||
                              words.back() == ' ' || words.back() == '.'))
        words.pop_back();
    return words.empty() ? text : words + " (" + text + ")";
}
