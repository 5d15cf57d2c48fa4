// The page's COM side: identity and count, the frame's IPropertyPage calls,
// and the link to the filter it edits.
#include "zephrin/page/ZephrinPropPage.h"

#include "common/UniqueHandle.h"
#include "zephrin/filter/ZephrinFilter.h"
#include "zephrin/filter/ZephrinIds.h"
#include "framework/ModuleState.h"
#include "zephrin/resources/resource.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr char kTitle[] = "Quillfen MFX Zephrin Title";
constexpr ULONG kTitleBytes = 256;
static_assert(sizeof(kTitle) * sizeof(OLECHAR) <= kTitleBytes);
constexpr SIZE kUnmeasuredSize = {100, 100};

// The frame may hand over any interface of the object. Only a filter of this
// module can be edited: its identity must be its filter interface and its
// class ours, so that no other object (nor a proxy) is taken for one. The
// page keeps no reference.
CMfxZephrinFilter* FilterFrom(IUnknown* object) {
    CComPtr<IUnknown> identity;
    CComPtr<IMfxEventFilter> filter;
    CComPtr<IPersistStream> persist;
    CLSID clsid = {};
    if (FAILED(object->QueryInterface(IID_IUnknown, identity.put_void())) ||
        FAILED(object->QueryInterface(IID_IMfxEventFilter, filter.put_void())) ||
        FAILED(object->QueryInterface(IID_IPersistStream, persist.put_void())) ||
        FAILED(persist->GetClassID(&clsid)))
        return nullptr;
    if (filter.get() != identity.get() || clsid != CLSID_ZephrinFilter) return nullptr;
    return static_cast<CMfxZephrinFilter*>(filter.get());
}

// The measuring window is never shown and touches neither page nor filter.
INT_PTR CALLBACK MeasureProc(HWND, UINT, WPARAM, LPARAM) { return TRUE; }

}  // namespace

CMfxZephrinPropPage::CMfxZephrinPropPage() : CDialog(IDD_ZEPHRIN_PAGE, nullptr) {}

CMfxZephrinPropPage::~CMfxZephrinPropPage() {
    DetachFilter();
    // A frame that lets go without Deactivate leaves the window up; it must
    // not outlive the object it calls. Another thread's window is ~CDialog's.
    if (m_hWnd && GetWindowThreadProcessId(m_hWnd, nullptr) == GetCurrentThreadId()) {
        AFX_MAINTAIN_STATE2 state(AfxGetStaticModuleState());
        DestroyWindow();
    }
}

STDMETHODIMP CMfxZephrinPropPage::QueryInterface(REFIID riid, void** ppv) {
    AFX_MAINTAIN_STATE2 state(AfxGetStaticModuleState());
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid != IID_IUnknown && riid != IID_IPropertyPage) return E_NOINTERFACE;
    *ppv = static_cast<IPropertyPage*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CMfxZephrinPropPage::AddRef() {
    AFX_MAINTAIN_STATE2 state(AfxGetStaticModuleState());
    return static_cast<ULONG>(InterlockedIncrement(&m_refCount));
}

STDMETHODIMP_(ULONG) CMfxZephrinPropPage::Release() {
    AFX_MAINTAIN_STATE2 state(AfxGetStaticModuleState());
    const LONG count = InterlockedDecrement(&m_refCount);
    if (count == 0) delete this;
    return static_cast<ULONG>(count);
}

STDMETHODIMP CMfxZephrinPropPage::SetPageSite(IPropertyPageSite* pSite) {
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

STDMETHODIMP CMfxZephrinPropPage::Activate(HWND hWndParent, LPCRECT pRect, BOOL) {
    if (!pRect) return E_POINTER;
    if (m_hWnd) return E_UNEXPECTED;
    {
        AFX_MAINTAIN_STATE2 state(AfxGetStaticModuleState());
        if (!Create(IDD_ZEPHRIN_PAGE, CWnd::FromHandle(hWndParent))) return E_OUTOFMEMORY;
    }
    const LONG exStyle = GetWindowLongA(m_hWnd, GWL_EXSTYLE);
    SetWindowLongA(m_hWnd, GWL_EXSTYLE, exStyle | WS_EX_CONTROLPARENT);
    Move(pRect);
    Show(SW_SHOWNORMAL);
    return S_OK;
}

STDMETHODIMP CMfxZephrinPropPage::Deactivate() {
    if (!m_hWnd) return E_UNEXPECTED;
    AFX_MAINTAIN_STATE2 state(AfxGetStaticModuleState());
    DestroyWindow();
    return S_OK;
}

STDMETHODIMP CMfxZephrinPropPage::GetPageInfo(PROPPAGEINFO* pPageInfo) {
    if (!pPageInfo) return E_POINTER;
    CComPtr<IMalloc> allocator;
    if (FAILED(CoGetMalloc(1, allocator.put()))) return E_FAIL;
    pPageInfo->pszTitle = static_cast<LPOLESTR>(allocator->Alloc(kTitleBytes));
    allocator.Reset();
    if (!pPageInfo->pszTitle) return E_OUTOFMEMORY;
    std::mbstowcs(pPageInfo->pszTitle, kTitle, kTitleBytes / sizeof(OLECHAR));

    pPageInfo->cb = sizeof(PROPPAGEINFO);
    pPageInfo->size = kUnmeasuredSize;
    pPageInfo->pszDocString = nullptr;
    pPageInfo->pszHelpFile = nullptr;
    pPageInfo->dwHelpContext = 0;

    // The size in pixels is the template's in this system's dialog font.
    AfxRegisterCommonControls();
    CUniqueHwnd measure(CreateDialogParamA(AfxGetStaticModuleState()->m_hCurrentInstanceHandle,
                                           MAKEINTRESOURCEA(IDD_ZEPHRIN_PAGE),
                                           GetDesktopWindow(), MeasureProc, 0));
    RECT rect;
    if (measure && GetWindowRect(measure.get(), &rect)) {
        pPageInfo->size = {rect.right - rect.left, rect.bottom - rect.top};
    }
    return S_OK;
}

STDMETHODIMP CMfxZephrinPropPage::SetObjects(ULONG cObjects, IUnknown** ppUnk) {
    if (cObjects == 0) return E_FAIL;
    if (cObjects > 1) return E_UNEXPECTED;
    if (!ppUnk || !ppUnk[0]) return E_POINTER;
    CMfxZephrinFilter* filter = FilterFrom(ppUnk[0]);
    if (!filter) return E_NOINTERFACE;

    CLockGuard link(PageLinkLock());
    // The earlier filter must not keep pointing here.
    if (m_filter && m_filter != filter) m_filter->DetachPage(this);
    m_filter = filter;
    filter->AttachPage(this);
    return S_OK;
}

STDMETHODIMP CMfxZephrinPropPage::Show(UINT nCmdShow) {
    if (!m_hWnd) return E_UNEXPECTED;
    if (nCmdShow != SW_HIDE && nCmdShow != SW_SHOWNORMAL && nCmdShow != SW_SHOW)
        return E_INVALIDARG;
    ShowWindow(static_cast<int>(nCmdShow));
    if (nCmdShow != SW_HIDE && m_keyInSlider.m_hWnd) m_keyInSlider.SetFocus();
    return S_OK;
}

STDMETHODIMP CMfxZephrinPropPage::Move(LPCRECT pRect) {
    if (!pRect) return E_POINTER;
    MoveWindow(pRect->left, pRect->top, pRect->right - pRect->left, pRect->bottom - pRect->top,
               TRUE);
    return S_OK;
}

STDMETHODIMP CMfxZephrinPropPage::IsPageDirty() { return m_pageDirty ? S_OK : S_FALSE; }

// Edits are live in the filter already: nothing to write.
STDMETHODIMP CMfxZephrinPropPage::Apply() {
    m_pageDirty = 0;
    return S_OK;
}

bool CMfxZephrinPropPage::HelpPathFor(const char* modulePath, char (&helpPath)[kHelpPathSize]) {
    std::memset(helpPath, 0, sizeof helpPath);
    const size_t length = strnlen(modulePath, kHelpPathSize);
    if (length < 3 || length >= kHelpPathSize) return false;
    std::memcpy(helpPath, modulePath, length - 3);
    std::memcpy(helpPath + length - 3, "HLP", 3);
    return true;
}

STDMETHODIMP CMfxZephrinPropPage::Help(LPCOLESTR) {
    AFX_MAINTAIN_STATE2 state(AfxGetStaticModuleState());
    char modulePath[kHelpPathSize] = {};
    const DWORD length = GetModuleFileNameA(AfxGetInstanceHandle(), modulePath, sizeof modulePath);
    char helpPath[kHelpPathSize];
    // A path cut short by the buffer names no file of ours: no help then.
    if (length == 0 || length >= sizeof modulePath || !HelpPathFor(modulePath, helpPath))
        return E_NOTIMPL;
    return WinHelpA(m_hWnd, helpPath, HELP_CONTENTS, 0) ? S_FALSE : E_NOTIMPL;
}

STDMETHODIMP CMfxZephrinPropPage::TranslateAccelerator(MSG*) { return E_NOTIMPL; }

void CMfxZephrinPropPage::FilterDetached(CMfxZephrinFilter* filter) {
    if (m_filter == filter) m_filter = nullptr;
}

void CMfxZephrinPropPage::DetachFilter() {
    CLockGuard link(PageLinkLock());
    if (m_filter) m_filter->DetachPage(this);
    m_filter = nullptr;
    m_refreshWindow = nullptr;
}
