// A filter's property page opened as a host's property frame opens it, in a
// hidden frame window of this thread, so that its controls can be used the
// way a user uses them.
#pragma once

#include "common/ComPtr.h"
#include "common/UniqueHandle.h"
#include "tools/host/FilterLoader.h"

#include <ocidl.h>

#include <string>

// The frame's page site: the page reports changes here.
class CHostPageSite final : public IPropertyPageSite {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP OnStatusChange(DWORD flags) override;
    STDMETHODIMP GetLocaleID(LCID* locale) override;
    STDMETHODIMP GetPageContainer(IUnknown** container) override;
    STDMETHODIMP TranslateAccelerator(MSG* msg) override;

    LONG References() const { return m_refs; }
    LONG StatusChanges() const { return m_statusChanges; }

private:
    LONG volatile m_refs = 1;  // owned by the session; never deleted through COM
    LONG volatile m_statusChanges = 0;
};

class CPageSession {
public:
    CPageSession() = default;
    CPageSession(const CPageSession&) = delete;
    CPageSession& operator=(const CPageSession&) = delete;
    ~CPageSession() { Close(); }

    // The first page the filter names: created from the filter's own module,
    // given the site and the filter, and activated in a hidden frame.
    HRESULT Open(const CLoadedFilter& filter, std::string& error);
    // Open in two steps, for a caller with a frame of its own: Create makes
    // the page object (Page() then answers GetPageInfo, for the frame's
    // size), Activate gives it the site and the filter and opens it over
    // area of parent, which must outlive the session.
    HRESULT Create(const CLoadedFilter& filter, std::string& error);
    HRESULT Activate(const CLoadedFilter& filter, HWND parent, const RECT& area,
                     std::string& error);
    IPropertyPage* Page() const { return m_page.get(); }
    // Deactivates the page, takes the site back and releases it.
    void Close();

    // The page's button with this caption, or null; with an index, the
    // index-th (from 0) of the buttons with that caption, in the page's
    // order of controls.
    HWND FindButton(const char* caption, int index = 0) const;
    // Sends the page what the button sends when it is pressed.
    bool PressButton(const char* caption, std::string& error, int index = 0) const;
    HWND Frame() const { return m_parent; }

private:
    CHostPageSite m_site;
    CUniqueHwnd m_frame;      // Open's hidden frame
    HWND m_parent = nullptr;  // the window the page is open in
    CComPtr<IPropertyPage> m_page;
    bool m_active = false;
};
