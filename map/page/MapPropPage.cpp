// The page's COM side beyond the kit's: its title, template and filter.
#include "map/page/MapPropPage.h"

#include "map/mfx/MapIds.h"

namespace {

constexpr char kTitle[] = "Quillfen Zephrin Map";

}  // namespace

CMfxZephrinMapPropPage::CMfxZephrinMapPropPage()
    : CMfxFilterPage(IDD_ZEPHRIN_MAP_PAGE, kTitle, CLSID_ZephrinMapFilter) {}

CMfxZephrinMapPropPage::~CMfxZephrinMapPropPage() {
    DetachFilter();
    DestroyPageWindow();
}
