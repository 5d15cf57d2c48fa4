// The link between a filter and the editor page attached to it. Either side
// may be destroyed first, on any thread, so both pointers of the link are
// read and changed only while holding PageLinkLock().
#pragma once

#include "common/CriticalSection.h"

class CMfxZephrinFilter;

// Guards every filter's m_page and every page's pointer to its filter. Held
// only for pointer updates and for Refresh, which never waits on another
// thread, so a MIDI thread that takes it is never held up by the UI.
CCriticalSection& PageLinkLock();

// What a filter needs of its page.
class IZephrinPageLink {
public:
    // Brings the page's controls up to date with the filter. Called with
    // PageLinkLock() held, from any thread; must not wait for the page's
    // window thread.
    virtual void Refresh() = 0;
    // The filter is going away or has been handed to another page: the page
    // must forget it. Called with PageLinkLock() held.
    virtual void FilterDetached(CMfxZephrinFilter* filter) = 0;

protected:
    ~IZephrinPageLink() = default;
};
