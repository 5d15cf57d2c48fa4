// The page's COM side: the frame's IPropertyPage calls beyond the framework's
// and the link to the filter it edits.
#include "zephrin/page/ZephrinPropPage.h"

#include "zephrin/filter/ZephrinFilter.h"
#include "zephrin/filter/ZephrinIds.h"
#include "zephrin/resources/resource.h"

namespace {

constexpr char kTitle[] = "Quillfen MFX Zephrin Title";

// Posted by a Refresh from a thread other than the window's own.
constexpr UINT kRefreshMessage = WM_APP + 1;

}  // namespace

CMfxZephrinPropPage::CMfxZephrinPropPage()
    : COlePropertyPage(IDD_ZEPHRIN_PAGE, kTitle, HelpKind::kClassicFileOrGuide),
      m_refresh(kRefreshMessage) {}

CMfxZephrinPropPage::~CMfxZephrinPropPage() {
    DetachFilter();
    DestroyPageWindow();
}

HRESULT CMfxZephrinPropPage::OnSetObject(IUnknown* object) {
    CMfxZephrinFilter* filter =
        OwnFilterFrom<CMfxZephrinFilter, IMfxEventFilter>(object, IID_IMfxEventFilter, CLSID_ZephrinFilter);
    if (!filter) return E_NOINTERFACE;
    CLockGuard link(PageLinkLock());
    m_filter.Attach(filter, static_cast<IZephrinPageLink*>(this));
    return S_OK;
}

void CMfxZephrinPropPage::FilterDetached(CMfxZephrinFilter* filter) { m_filter.Forget(filter); }

void CMfxZephrinPropPage::DetachFilter() {
    CLockGuard link(PageLinkLock());
    m_filter.Detach(static_cast<IZephrinPageLink*>(this));
    m_refresh.SetWindow(nullptr);
}
