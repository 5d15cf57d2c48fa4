// Zephrin's side of the page link (framework/PageLink.h): what its filter
// needs of its page.
#pragma once

#include "framework/PageLink.h"

class CMfxZephrinFilter;

class IZephrinPageLink : public IPageLinkTo<CMfxZephrinFilter> {
public:
    // Brings the page's controls up to date with the filter. Called with
    // PageLinkLock() held, from any thread; must not wait for the page's
    // window thread.
    virtual void Refresh() = 0;

protected:
    ~IZephrinPageLink() = default;
};
