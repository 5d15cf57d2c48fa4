// ZephrinMap.dll's module table: its filter and page classes, and the
// entries it writes: the two classes and the filter's place on the host's
// list of MIDI filters.
#include "host/MfxHost.h"
#include "map/mfx/MapFilter.h"
#include "map/mfx/MapIds.h"
#include "map/page/MapPropPage.h"
#include "server/ClassFactories.h"
#include "server/ModuleTable.h"

#include <iterator>

namespace {

const CModuleClass kClasses[] = {
    {CLSID_ZephrinMapFilter, &CreateClassObject<CMfxZephrinMapFilter, IMfxEventFilter>},
    {CLSID_ZephrinMapPropPage, &CreateClassObject<CMfxZephrinMapPropPage, IPropertyPage>},
};

const CRegistration kRegistrations[] = {
    {RegistryEntry::kComClass, CLSID_ZephrinMapFilter, "Quillfen Zephrin Map"},
    {RegistryEntry::kComClass, CLSID_ZephrinMapPropPage, "Quillfen MFX Zephrin Map Property Page"},
    {RegistryEntry::kHostList, CLSID_ZephrinMapFilter, nullptr},
};

}  // namespace

const CModuleTable g_moduleTable = {"Quillfen Zephrin Map", kClasses, std::size(kClasses),
                                    kRegistrations, std::size(kRegistrations)};
