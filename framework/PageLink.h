// The link between a filter and the editor page attached to it, for any
// plug-in of this kit. Either side may go first, on any thread, so both
// pointers of the link are read and changed only while holding
// PageLinkLock(); and the refresh a filter sends its page's window, posted
// from any thread without waiting.
#pragma once

#include "common/ComPtr.h"
#include "common/CriticalSection.h"

#include <ocidl.h>

#include <atomic>
#include <cstdint>

// Guards every filter's page and every page's filter. Held only for pointer
// updates and for short reads and edits of the filter, never while waiting
// for a window thread, so a thread that takes it is never held up by a user
// interface.
CCriticalSection& PageLinkLock();

// What a filter needs of its page: to be told when it goes.
template <typename Filter>
class IPageLinkTo {
public:
    // The filter is going away or has been handed to another page: the page
    // must forget it. Called with PageLinkLock() held.
    virtual void FilterDetached(Filter* filter) = 0;

protected:
    ~IPageLinkTo() = default;
};

// The filter's end of the link: the page editing it, if any. Callers hold
// PageLinkLock().
template <typename Page>
class CPageLinkEnd {
public:
    Page* Get() const { return m_page; }

    // A filter is edited by one page: the page it replaces lets go of it.
    template <typename Filter>
    void Attach(Page* page, Filter* filter) {
        if (m_page && m_page != page) m_page->FilterDetached(filter);
        m_page = page;
    }
    void Detach(Page* page) {
        if (m_page == page) m_page = nullptr;
    }
    // The filter goes: its page must not reach it again.
    template <typename Filter>
    void FilterGone(Filter* filter) {
        if (m_page) m_page->FilterDetached(filter);
        m_page = nullptr;
    }

private:
    Page* m_page = nullptr;
};

// The page's end of the link: the filter it edits, if any. Callers hold
// PageLinkLock(). The page holds no reference on its filter.
template <typename Filter>
class CFilterLinkEnd {
public:
    Filter* Get() const { return m_filter; }
    Filter* operator->() const { return m_filter; }
    explicit operator bool() const { return m_filter != nullptr; }

    // The earlier filter must not keep pointing at the page.
    template <typename Page>
    void Attach(Filter* filter, Page* page) {
        if (m_filter && m_filter != filter) m_filter->DetachPage(page);
        m_filter = filter;
        filter->AttachPage(page);
    }
    template <typename Page>
    void Detach(Page* page) {
        if (m_filter) m_filter->DetachPage(page);
        m_filter = nullptr;
    }
    // The filter, as itself or as the kit's base of it, is going.
    template <typename Gone>
    void Forget(Gone* filter) {
        if (m_filter == filter) m_filter = nullptr;
    }

private:
    Filter* m_filter = nullptr;
};

// The frame may hand a page any interface of an object. Only a filter of the
// page's own module can be edited: the object's identity must be its
// Interface and its class clsid, so that no other object (nor a proxy) is
// taken for one. Null otherwise; no reference is kept.
template <typename Filter, typename Interface>
Filter* OwnFilterFrom(IUnknown* object, REFIID iid, REFCLSID clsid) {
    CComPtr<IUnknown> identity;
    CComPtr<Interface> filter;
    CComPtr<IPersistStream> persist;
    CLSID found = {};
    if (FAILED(object->QueryInterface(IID_IUnknown, identity.put_void())) ||
        FAILED(object->QueryInterface(iid, filter.put_void())) ||
        FAILED(object->QueryInterface(IID_IPersistStream, persist.put_void())) ||
        FAILED(persist->GetClassID(&found)))
        return nullptr;
    if (filter.get() != identity.get() || found != clsid) return nullptr;
    return static_cast<Filter*>(filter.get());
}

// ISpecifyPropertyPages::GetPages for a filter with one page: the list,
// allocated for the caller, holds that page's class.
HRESULT OnePageList(CAUUID* pPages, REFCLSID page);

// A refresh posted to a window from any thread, never waiting, at most one
// on its way at a time. The window is set on its own thread as it comes and
// goes; each window set starts a new generation, so that a post racing with
// the change of window can neither leave the flag set for a window that got
// nothing, nor stop the next window's refreshes.
class CPostedRefresh {
public:
    explicit CPostedRefresh(UINT message) : m_message(message) {}
    CPostedRefresh(const CPostedRefresh&) = delete;
    CPostedRefresh& operator=(const CPostedRefresh&) = delete;

    // The window the refresh goes to, or null for none.
    void SetWindow(HWND window);
    HWND Window() const { return m_window.load(std::memory_order_acquire); }

    // Posts the message unless one is on its way already; returns at once,
    // from any thread, without a lock: what the MIDI paths use.
    void Post();
    // For the editing side: on the window's own thread the window handles
    // the refresh at once (sending to one's own window is a plain call),
    // from any other thread it is posted.
    void Deliver();
    // The window handles the posted message: a change from here on posts
    // again. Called before it reads what changed.
    void Taken() { m_state.fetch_and(~kPosted, std::memory_order_acq_rel); }

private:
    static constexpr uint32_t kPosted = 1;  // the rest counts the windows set

    const UINT m_message;
    std::atomic<HWND> m_window{nullptr};
    std::atomic<uint32_t> m_state{0};
};
