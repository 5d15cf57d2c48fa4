// Zephrin.dll's module table: its filter and page classes, and the five
// registry entries it writes, in the order of writing.
#include "host/MfxHost.h"
#include "server/ClassFactories.h"
#include "server/ModuleTable.h"
#include "zephrin/filter/ZephrinFilter.h"
#include "zephrin/filter/ZephrinIds.h"
#include "zephrin/page/ZephrinPropPage.h"

#include <iterator>

namespace {

const CModuleClass kClasses[] = {
    {CLSID_ZephrinFilter, &CreateClassObject<CMfxZephrinFilter, IMfxEventFilter>},
    {CLSID_ZephrinPropPage, &CreateClassObject<CMfxZephrinPropPage, IPropertyPage>},
};

const CRegistration kRegistrations[] = {
    {RegistryEntry::kComClass, CLSID_ZephrinFilter, "Quillfen Zephrin"},
    {RegistryEntry::kComClass, CLSID_ZephrinPropPage, "Quillfen MFX Zephrin Property Page"},
    {RegistryEntry::kHostList, CLSID_ZephrinFilter, nullptr},
};

}  // namespace

const CModuleTable g_moduleTable = {"Quillfen MFX Zephrin", kClasses, std::size(kClasses),
                                    kRegistrations, std::size(kRegistrations)};
