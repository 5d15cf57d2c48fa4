// The page's COM side beyond the framework's: what it edits, and the link
// to that filter.
#include "map/page/MapPropPage.h"

#include "map/mfx/MapIds.h"

namespace {

constexpr char kTitle[] = "Quillfen Zephrin Map";

}  // namespace

CMfxZephrinMapPropPage::CMfxZephrinMapPropPage() : COlePropertyPage(IDD_ZEPHRIN_MAP_PAGE, kTitle) {}

CMfxZephrinMapPropPage::~CMfxZephrinMapPropPage() {
    DetachFilter();
    DestroyPageWindow();
}

// A second filter takes the page from the first; an open window shows it
// at once, and the refreshes the first would have posted go nowhere.
HRESULT CMfxZephrinMapPropPage::OnSetObject(IUnknown* object) {
    CMfxZephrinMapFilter* filter = OwnFilterFrom<CMfxZephrinMapFilter, IMfxEventFilter>(
        object, IID_IMfxEventFilter, CLSID_ZephrinMapFilter);
    if (!filter) return E_NOINTERFACE;
    {
        CLockGuard link(PageLinkLock());
        if (m_filter && m_filter.Get() != filter) m_filter->PageRefresh().SetWindow(nullptr);
        m_filter.Attach(filter, static_cast<IMapPageLink*>(this));
        filter->PageRefresh().SetWindow(m_hWnd);
    }
    RefreshControls();
    return S_OK;
}

void CMfxZephrinMapPropPage::FilterDetached(CMfxZephrinMapFilter* filter) {
    m_filter.Forget(filter);
}

void CMfxZephrinMapPropPage::DetachFilter() {
    CLockGuard link(PageLinkLock());
    if (m_filter) m_filter->PageRefresh().SetWindow(nullptr);
    m_filter.Detach(static_cast<IMapPageLink*>(this));
}
