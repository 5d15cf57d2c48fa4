#include "framework/ModuleState.h"

namespace {

AFX_MODULE_STATE g_moduleState;

// One Win32 TLS slot holds each thread's current state: no allocation per
// thread, and a thread that never switched sees the module's own state.
DWORD CurrentSlot() {
    static const DWORD slot = TlsAlloc();
    return slot;
}

AFX_MODULE_STATE* Current() {
    return static_cast<AFX_MODULE_STATE*>(TlsGetValue(CurrentSlot()));
}

}  // namespace

void AfxInitModule(HINSTANCE instance, LPCSTR appName) {
    g_moduleState.m_hCurrentInstanceHandle = instance;
    g_moduleState.m_hCurrentResourceHandle = instance;
    g_moduleState.m_lpszCurrentAppName = appName;
}

AFX_MODULE_STATE* AfxGetStaticModuleState() { return &g_moduleState; }

AFX_MODULE_STATE* AfxGetModuleState() {
    AFX_MODULE_STATE* state = Current();
    return state ? state : &g_moduleState;
}

HINSTANCE AfxGetInstanceHandle() { return AfxGetModuleState()->m_hCurrentInstanceHandle; }
HINSTANCE AfxGetResourceHandle() { return AfxGetModuleState()->m_hCurrentResourceHandle; }
LPCSTR AfxGetAppName() { return AfxGetModuleState()->m_lpszCurrentAppName; }

AFX_MAINTAIN_STATE2::AFX_MAINTAIN_STATE2(AFX_MODULE_STATE* state) : m_previous(Current()) {
    TlsSetValue(CurrentSlot(), state);
}

AFX_MAINTAIN_STATE2::~AFX_MAINTAIN_STATE2() { TlsSetValue(CurrentSlot(), m_previous); }
