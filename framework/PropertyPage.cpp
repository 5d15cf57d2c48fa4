#include "framework/PropertyPage.h"

#include "common/UniqueHandle.h"
#include "framework/Controls.h"
#include "framework/ModuleState.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr ULONG kTitleBytes = 256;
constexpr SIZE kUnmeasuredSize = {100, 100};

// The measuring window is never shown and touches neither page nor filter.
INT_PTR CALLBACK MeasureProc(HWND, UINT, WPARAM, LPARAM) { return TRUE; }

}  // namespace

COlePropertyPage::COlePropertyPage(UINT templateId, const char* title, HelpKind help)
    : CDialog(templateId, nullptr), m_title(title), m_help(help) {}

void COlePropertyPage::DestroyPageWindow() {
    if (m_hWnd && GetWindowThreadProcessId(m_hWnd, nullptr) == GetCurrentThreadId()) {
        AFX_MAINTAIN_STATE2 state(AfxGetStaticModuleState());
        DestroyWindow();
    }
}

STDMETHODIMP COlePropertyPage::QueryInterface(REFIID riid, void** ppv) {
    AFX_MAINTAIN_STATE2 state(AfxGetStaticModuleState());
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid != IID_IUnknown && riid != IID_IPropertyPage) return E_NOINTERFACE;
    *ppv = static_cast<IPropertyPage*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) COlePropertyPage::AddRef() {
    AFX_MAINTAIN_STATE2 state(AfxGetStaticModuleState());
    return static_cast<ULONG>(InterlockedIncrement(&m_refCount));
}

STDMETHODIMP_(ULONG) COlePropertyPage::Release() {
    AFX_MAINTAIN_STATE2 state(AfxGetStaticModuleState());
    const LONG count = InterlockedDecrement(&m_refCount);
    if (count == 0) delete this;
    return static_cast<ULONG>(count);
}

STDMETHODIMP COlePropertyPage::SetPageSite(IPropertyPageSite* pSite) {
    if (pSite) {
        if (m_site) return E_UNEXPECTED;
        pSite->AddRef();
        *m_site.put() = pSite;
        return S_OK;
    }
    if (!m_site) return E_UNEXPECTED;
    m_site.Reset();
    return S_OK;
}

STDMETHODIMP COlePropertyPage::Activate(HWND hWndParent, LPCRECT pRect, BOOL) {
    if (!pRect) return E_POINTER;
    if (m_hWnd) return E_UNEXPECTED;
    {
        AFX_MAINTAIN_STATE2 state(AfxGetStaticModuleState());
        if (!Create(m_nIDTemplate, CWnd::FromHandle(hWndParent))) return E_OUTOFMEMORY;
    }
    const LONG exStyle = GetWindowLongA(m_hWnd, GWL_EXSTYLE);
    SetWindowLongA(m_hWnd, GWL_EXSTYLE, exStyle | WS_EX_CONTROLPARENT);
    Move(pRect);
    Show(SW_SHOWNORMAL);
    return S_OK;
}

STDMETHODIMP COlePropertyPage::Deactivate() {
    if (!m_hWnd) return E_UNEXPECTED;
    AFX_MAINTAIN_STATE2 state(AfxGetStaticModuleState());
    DestroyWindow();
    return S_OK;
}

STDMETHODIMP COlePropertyPage::GetPageInfo(PROPPAGEINFO* pPageInfo) {
    if (!pPageInfo) return E_POINTER;
    CComPtr<IMalloc> allocator;
    if (FAILED(CoGetMalloc(1, allocator.put()))) return E_FAIL;
    pPageInfo->pszTitle = static_cast<LPOLESTR>(allocator->Alloc(kTitleBytes));
    allocator.Reset();
    if (!pPageInfo->pszTitle) return E_OUTOFMEMORY;
    std::mbstowcs(pPageInfo->pszTitle, m_title, kTitleBytes / sizeof(OLECHAR));

    pPageInfo->cb = sizeof(PROPPAGEINFO);
    pPageInfo->size = kUnmeasuredSize;
    pPageInfo->pszDocString = nullptr;
    pPageInfo->pszHelpFile = nullptr;
    pPageInfo->dwHelpContext = 0;

    // The size in pixels is the template's in this system's dialog font.
    AfxRegisterCommonControls();
    CUniqueHwnd measure(CreateDialogParamA(AfxGetStaticModuleState()->m_hCurrentInstanceHandle,
                                           MAKEINTRESOURCEA(m_nIDTemplate), GetDesktopWindow(),
                                           MeasureProc, 0));
    RECT rect;
    if (measure && GetWindowRect(measure.get(), &rect)) {
        pPageInfo->size = {rect.right - rect.left, rect.bottom - rect.top};
    }
    return S_OK;
}

STDMETHODIMP COlePropertyPage::SetObjects(ULONG cObjects, IUnknown** ppUnk) {
    if (cObjects == 0) return E_FAIL;
    if (cObjects > 1) return E_UNEXPECTED;
    if (!ppUnk || !ppUnk[0]) return E_POINTER;
    return OnSetObject(ppUnk[0]);
}

// Showing gives the focus to the first control a user can tab to.
STDMETHODIMP COlePropertyPage::Show(UINT nCmdShow) {
    if (!m_hWnd) return E_UNEXPECTED;
    if (nCmdShow != SW_HIDE && nCmdShow != SW_SHOWNORMAL && nCmdShow != SW_SHOW)
        return E_INVALIDARG;
    ShowWindow(static_cast<int>(nCmdShow));
    if (nCmdShow == SW_HIDE) return S_OK;
    if (HWND first = GetNextDlgTabItem(m_hWnd, nullptr, FALSE)) ::SetFocus(first);
    return S_OK;
}

STDMETHODIMP COlePropertyPage::Move(LPCRECT pRect) {
    if (!pRect) return E_POINTER;
    MoveWindow(pRect->left, pRect->top, pRect->right - pRect->left, pRect->bottom - pRect->top,
               TRUE);
    return S_OK;
}

STDMETHODIMP COlePropertyPage::IsPageDirty() { return m_pageDirty ? S_OK : S_FALSE; }

// Edits are live in the filter already: nothing to write.
STDMETHODIMP COlePropertyPage::Apply() {
    m_pageDirty = 0;
    return S_OK;
}

void COlePropertyPage::SetModifiedFlag() {
    m_pageDirty = 1;
    if (m_site) m_site->OnStatusChange(PROPPAGESTATUS_DIRTY);
}

STDMETHODIMP COlePropertyPage::TranslateAccelerator(MSG*) { return E_NOTIMPL; }
