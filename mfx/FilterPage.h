// CMfxFilterPage: the page of an MFX filter of this kit. It edits only a
// filter of its own module's class, holds no reference on it, and shows a
// change made behind its back (a learned key, a load) when the filter's
// posted refresh reaches its window. Either side may go first, on any
// thread: both ends of the link change under PageLinkLock().
//
// A page derives from it with its filter's class, and routes the filter's
// kPageRefreshMessage to OnRefreshMessage and its WM_DESTROY through
// WindowGoing in its message map.
#pragma once

#include "framework/PropertyPage.h"
#include "mfx/MfxFilter.h"

template <typename Filter>
class CMfxFilterPage : public COlePropertyPage, public IMfxPageLink {
public:
    void FilterDetached(CMfxFilter* filter) override { m_filter.Forget(filter); }

protected:
    CMfxFilterPage(UINT templateId, const char* title, const CLSID& filterClass,
                   HelpKind help = HelpKind::kGuide)
        : COlePropertyPage(templateId, title, help), m_filterClass(filterClass) {}

    // Brings the controls up to date with the filter, on the window's thread.
    virtual void RefreshControls() = 0;

    // A second filter takes the page from the first; an open window shows
    // it at once, and the refreshes the first would have posted go nowhere.
    HRESULT OnSetObject(IUnknown* object) override {
        Filter* filter = OwnFilterFrom<Filter, IMfxEventFilter>(object, IID_IMfxEventFilter,
                                                                m_filterClass);
        if (!filter) return E_NOINTERFACE;
        {
            CLockGuard link(PageLinkLock());
            if (m_filter && m_filter.Get() != filter) m_filter->PageRefresh().SetWindow(nullptr);
            m_filter.Attach(filter, static_cast<IMfxPageLink*>(this));
            filter->PageRefresh().SetWindow(m_hWnd);
        }
        RefreshControls();
        return S_OK;
    }

    // From OnInitDialog: the filter's refreshes come to this window.
    void WindowReady() {
        CLockGuard link(PageLinkLock());
        if (m_filter) m_filter->PageRefresh().SetWindow(m_hWnd);
    }
    // From OnDestroy: what was posted goes with the window.
    void WindowGoing() {
        CLockGuard link(PageLinkLock());
        if (m_filter) m_filter->PageRefresh().SetWindow(nullptr);
    }

    LRESULT OnRefreshMessage(WPARAM, LPARAM) {
        {
            CLockGuard link(PageLinkLock());
            if (m_filter) m_filter->PageRefresh().Taken();
        }
        RefreshControls();
        return 0;
    }

    // From the derived page's destructor, before its window goes.
    void DetachFilter() {
        CLockGuard link(PageLinkLock());
        if (m_filter) m_filter->PageRefresh().SetWindow(nullptr);
        m_filter.Detach(static_cast<IMfxPageLink*>(this));
    }

    CFilterLinkEnd<Filter> m_filter;  // guarded by PageLinkLock()

private:
    const CLSID& m_filterClass;
};
