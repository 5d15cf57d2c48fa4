// Opening a filter's property page in a hidden frame and pressing its buttons.
#include "tools/host/PageSession.h"

#include <commctrl.h>

STDMETHODIMP CHostPageSite::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid != IID_IUnknown && riid != IID_IPropertyPageSite) return E_NOINTERFACE;
    *ppv = static_cast<IPropertyPageSite*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CHostPageSite::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&m_refs));
}

STDMETHODIMP_(ULONG) CHostPageSite::Release() {
    return static_cast<ULONG>(InterlockedDecrement(&m_refs));
}

STDMETHODIMP CHostPageSite::OnStatusChange(DWORD) {
    InterlockedIncrement(&m_statusChanges);
    return S_OK;
}

STDMETHODIMP CHostPageSite::GetLocaleID(LCID* locale) {
    if (!locale) return E_POINTER;
    *locale = GetUserDefaultLCID();
    return S_OK;
}

STDMETHODIMP CHostPageSite::GetPageContainer(IUnknown** container) {
    if (container) *container = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CHostPageSite::TranslateAccelerator(MSG*) { return S_FALSE; }

HRESULT CPageSession::Open(const CLoadedFilter& filter, std::string& error) {
    HRESULT hr = Create(filter, error);
    if (FAILED(hr)) return hr;
    // A plain hidden window stands in for the frame's page area.
    m_frame.reset(CreateWindowExA(WS_EX_CONTROLPARENT, "STATIC", "Zephrin host frame",
                                  WS_POPUP | WS_CLIPCHILDREN, 0, 0, 400, 300, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr));
    if (!m_frame) {
        error = "cannot create the frame window";
        return HRESULT_FROM_WIN32(GetLastError());
    }
    return Activate(filter, m_frame.get(), RECT{0, 0, 400, 300}, error);
}

HRESULT CPageSession::Create(const CLoadedFilter& filter, std::string& error) {
    Close();
    CComPtr<ISpecifyPropertyPages> pages;
    HRESULT hr = filter->QueryInterface(IID_ISpecifyPropertyPages, pages.put_void());
    if (FAILED(hr)) {
        error = "the filter names no property page: " + DescribeHresult(hr);
        return hr;
    }
    CAUUID list{};
    hr = pages->GetPages(&list);
    const CLSID pageClass = SUCCEEDED(hr) && list.cElems > 0 && list.pElems ? list.pElems[0]
                                                                          : CLSID_NULL;
    CoTaskMemFree(list.pElems);
    if (pageClass == CLSID_NULL) {
        error = "the filter names no property page: " + DescribeHresult(FAILED(hr) ? hr : E_FAIL);
        return FAILED(hr) ? hr : E_FAIL;
    }
    hr = filter.CreateSibling(pageClass, IID_IPropertyPage, m_page.put_void());
    if (FAILED(hr) || !m_page) {
        error = "cannot create the filter's property page: " + DescribeHresult(hr);
        return FAILED(hr) ? hr : E_FAIL;
    }
    return S_OK;
}

HRESULT CPageSession::Activate(const CLoadedFilter& filter, HWND parent, const RECT& area,
                               std::string& error) {
    if (!m_page || m_active) {
        error = "no property page waits to be opened";
        return E_UNEXPECTED;
    }
    const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    IUnknown* object = nullptr;
    HRESULT hr = filter->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&object));
    if (FAILED(hr)) {
        error = "the filter has no identity: " + DescribeHresult(hr);
        return hr;
    }
    CComPtr<IUnknown> identity = CComPtr<IUnknown>::Attach(object);
    if (FAILED(hr = m_page->SetPageSite(&m_site)) ||
        FAILED(hr = m_page->SetObjects(1, &object)) ||
        FAILED(hr = m_page->Activate(parent, &area, FALSE))) {
        error = "the property page refused to open: " + DescribeHresult(hr);
        return hr;
    }
    m_parent = parent;
    m_active = true;
    return S_OK;
}

void CPageSession::Close() {
    if (m_page) {
        if (m_active) m_page->Deactivate();
        if (m_site.References() > 1) m_page->SetPageSite(nullptr);
        m_page.Reset();
    }
    m_active = false;
    m_parent = nullptr;
    m_frame.reset();
}

namespace {

struct ButtonSearch {
    const char* caption;
    int skip;  // matches to pass over before the one wanted
    HWND found;
};

BOOL CALLBACK MatchButton(HWND child, LPARAM param) {
    auto* search = reinterpret_cast<ButtonSearch*>(param);
    char cls[32] = {}, text[64] = {};
    GetClassNameA(child, cls, sizeof cls);
    GetWindowTextA(child, text, sizeof text);
    if (lstrcmpiA(cls, "Button") == 0 && lstrcmpA(text, search->caption) == 0 &&
        search->skip-- == 0) {
        search->found = child;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

HWND CPageSession::FindButton(const char* caption, int index) const {
    ButtonSearch search{caption, index, nullptr};
    if (m_parent) EnumChildWindows(m_parent, MatchButton, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool CPageSession::PressButton(const char* caption, std::string& error, int index) const {
    HWND button = FindButton(caption, index);
    if (!button) {
        error = std::string("the property page has no button \"") + caption + "\"";
        if (index) error += " number " + std::to_string(index + 1);
        return false;
    }
    SendMessageA(GetParent(button), WM_COMMAND,
                 MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED), reinterpret_cast<LPARAM>(button));
    return true;
}
