// The class objects and the module's lifetime: DllGetClassObject hands out
// a new class object per call for the classes of the module's table,
// DllCanUnloadNow reads the module counters.
#include "common/ModuleCounts.h"
#include "server/ModuleTable.h"

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    for (size_t i = 0; i < g_moduleTable.classCount; ++i) {
        const CModuleClass& entry = g_moduleTable.classes[i];
        if (rclsid == entry.clsid) return entry.createClassObject(riid, ppv);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

// Only live filters and server locks keep the module loaded. The two reads
// are plain and one after the other.
STDAPI DllCanUnloadNow() {
    return g_objectCount != 0 || g_lockCount != 0 ? S_FALSE : S_OK;
}
