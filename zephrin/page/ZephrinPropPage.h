// CMfxZephrinPropPage: the editor page. A modeless dialog (template 102) and
// an IPropertyPage on one object with one reference count, linked to the
// filter it edits. Every edit goes straight into the filter's settings.
#pragma once

#include "common/ComPtr.h"
#include "zephrin/filter/PageLink.h"
#include "framework/AfxString.h"
#include "framework/Controls.h"
#include "framework/Dialog.h"

#include <ocidl.h>

#include <atomic>
#include <cstddef>

class CMfxZephrinFilter;

class CMfxZephrinPropPage final : public CDialog,
                                  public IPropertyPage,
                                  public IZephrinPageLink {
public:
    CMfxZephrinPropPage();
    ~CMfxZephrinPropPage() override;

    // IUnknown; the IPropertyPage interface is the object's identity.
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IPropertyPage
    STDMETHODIMP SetPageSite(IPropertyPageSite* pSite) override;
    STDMETHODIMP Activate(HWND hWndParent, LPCRECT pRect, BOOL bModal) override;
    STDMETHODIMP Deactivate() override;
    STDMETHODIMP GetPageInfo(PROPPAGEINFO* pPageInfo) override;
    STDMETHODIMP SetObjects(ULONG cObjects, IUnknown** ppUnk) override;
    STDMETHODIMP Show(UINT nCmdShow) override;
    STDMETHODIMP Move(LPCRECT pRect) override;
    STDMETHODIMP IsPageDirty() override;
    STDMETHODIMP Apply() override;
    STDMETHODIMP Help(LPCOLESTR pszHelpDir) override;
    STDMETHODIMP TranslateAccelerator(MSG* pMsg) override;

    // IZephrinPageLink. Refresh on the window's own thread updates the
    // controls at once; from any other thread it posts the update to the
    // window and returns without waiting.
    void Refresh() override;
    void FilterDetached(CMfxZephrinFilter* filter) override;

    BOOL OnInitDialog() override;

    static const char* const kNoteNames[12];
    static constexpr size_t kHelpPathSize = 100;

    // The help file of a module: its path with the last three characters
    // replaced by "HLP". False, and helpPath empty, when the path is shorter
    // than three characters or the result would not fit in kHelpPathSize.
    static bool HelpPathFor(const char* modulePath, char (&helpPath)[kHelpPathSize]);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    DECLARE_MESSAGE_MAP()

private:
    void UpdateValueLabel(int column, int value);
    void OnHScroll(UINT code, UINT position, CWnd* control);
    void OnSliderStep(int column, int code, int position, int row);
    void OnLearnKey();
    void OnLookAheadFix();
    void OnDestroy();
    LRESULT OnRefreshMessage(WPARAM, LPARAM);
    void RefreshControls();
    void DetachFilter();

    CButton m_learnButton;
    CSliderCtrl m_ccOutSlider;
    CSliderCtrl m_keyInSlider;
    int m_useLookAheadFix = 0;
    LONG volatile m_refCount = 1;
    CMfxZephrinFilter* m_filter = nullptr;  // no reference held; guarded by PageLinkLock()
    CComPtr<IPropertyPageSite> m_site;
    LONG m_pageDirty = 0;
    CSliderCtrl* m_sliders[2] = {};
    int m_labelIds[2] = {};

    // The window an off-thread Refresh posts to; set while the window lives,
    // cleared before it goes. Guarded by PageLinkLock().
    HWND m_refreshWindow = nullptr;
    std::atomic<bool> m_refreshPosted{false};  // one posted refresh at a time
};
