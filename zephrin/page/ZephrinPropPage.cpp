// The page's COM side beyond the kit's: its title, template and filter.
#include "zephrin/page/ZephrinPropPage.h"

#include "zephrin/filter/ZephrinIds.h"
#include "zephrin/resources/resource.h"

namespace {

constexpr char kTitle[] = "Quillfen MFX Zephrin Title";

}  // namespace

CMfxZephrinPropPage::CMfxZephrinPropPage()
    : CMfxFilterPage(IDD_ZEPHRIN_PAGE, kTitle, CLSID_ZephrinFilter,
                     HelpKind::kClassicFileOrGuide) {}

CMfxZephrinPropPage::~CMfxZephrinPropPage() {
    DetachFilter();
    DestroyPageWindow();
}
