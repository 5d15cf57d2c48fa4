// ZephrinMap.dll's module table: its filter class, and the entries it
// writes: the class and its place on the host's list of MIDI filters.
#include "host/MfxHost.h"
#include "map/filter/MapFilter.h"
#include "map/filter/MapIds.h"
#include "server/ClassFactories.h"
#include "server/ModuleTable.h"

#include <iterator>

namespace {

const CModuleClass kClasses[] = {
    {CLSID_ZephrinMapFilter, &CreateClassObject<CMfxZephrinMapFilter, IMfxEventFilter>},
};

const CRegistration kRegistrations[] = {
    {RegistryEntry::kComClass, CLSID_ZephrinMapFilter, "Quillfen Zephrin Map"},
    {RegistryEntry::kHostList, CLSID_ZephrinMapFilter, nullptr},
};

}  // namespace

const CModuleTable g_moduleTable = {"Quillfen Zephrin Map", kClasses, std::size(kClasses),
                                    kRegistrations, std::size(kRegistrations)};
