// COlePropertyPage: a property page as a host's property frame drives it, a
// modeless child dialog and an IPropertyPage on one object with one
// reference count. A plug-in's page derives from it and supplies the object
// it edits (OnSetObject); the frame's other calls are answered here, each
// with the module's own state current where the framework reads it.
#pragma once

#include "common/ComPtr.h"
#include "framework/Dialog.h"

#include <ocidl.h>

#include <cstddef>

class COlePropertyPage : public CDialog, public IPropertyPage {
public:
    // How Help helps: the guide beside the module, or first the module's own
    // classic help file where it has one.
    enum class HelpKind { kGuide, kClassicFileOrGuide };

    // The page of dialog template templateId, named title on the frame's tab.
    COlePropertyPage(UINT templateId, const char* title, HelpKind help = HelpKind::kGuide);

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

    // Help: with HelpKind::kClassicFileOrGuide, the Windows Help engine on the
    // module's classic help file when there is one beside it; otherwise the
    // guide beside the module (kGuideFileName) in the user's browser. S_FALSE
    // when something opened, E_NOTIMPL when nothing could.
    static constexpr wchar_t kGuideFileName[] = L"ZephrinGuide.html";

    static constexpr size_t kHelpPathSize = 100;

    // The help file of a module: its path with the last three characters
    // replaced by "HLP". False, and helpPath empty, when the path is shorter
    // than three characters or the result would not fit in kHelpPathSize.
    static bool HelpPathFor(const char* modulePath, char (&helpPath)[kHelpPathSize]);

protected:
    ~COlePropertyPage() override = default;

    // The one object the frame hands over, not null: S_OK when the page now
    // edits it, E_NOINTERFACE when it is nothing the page can edit.
    virtual HRESULT OnSetObject(IUnknown* object) = 0;

    // A frame that lets go without Deactivate leaves the window up; it must
    // not outlive the object it calls, so the derived page's destructor
    // destroys it while its handlers are still there. Another thread's window
    // is ~CDialog's.
    void DestroyPageWindow();

    // An edit: the page is dirty, and its site is told.
    void SetModifiedFlag();

private:
    HRESULT OpenClassicHelp();
    HRESULT OpenGuide();

    LONG volatile m_refCount = 1;
    const char* const m_title;
    const HelpKind m_help;
    CComPtr<IPropertyPageSite> m_site;
    LONG m_pageDirty = 0;
};
