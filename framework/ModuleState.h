// The framework's module state: which module's instance and resources the
// calling thread works with. Each thread has a current state; a module makes
// its own current for the span of an entry point with AFX_MAINTAIN_STATE2.
#pragma once

#include <windows.h>

struct AFX_MODULE_STATE {
    HINSTANCE m_hCurrentInstanceHandle = nullptr;
    HINSTANCE m_hCurrentResourceHandle = nullptr;
    LPCSTR m_lpszCurrentAppName = nullptr;
};

// Called once by the module's start-up (or a test program's main) with the
// instance handle the platform gave the module.
void AfxInitModule(HINSTANCE instance, LPCSTR appName);

// This module's own state.
AFX_MODULE_STATE* AfxGetStaticModuleState();

// The calling thread's current state; this module's own until a caller
// switches it.
AFX_MODULE_STATE* AfxGetModuleState();

HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
LPCSTR AfxGetAppName();

// Makes a state current for the lifetime of the object and restores the
// caller's on the way out.
class AFX_MAINTAIN_STATE2 {
public:
    explicit AFX_MAINTAIN_STATE2(AFX_MODULE_STATE* state);
    ~AFX_MAINTAIN_STATE2();
    AFX_MAINTAIN_STATE2(const AFX_MAINTAIN_STATE2&) = delete;
    AFX_MAINTAIN_STATE2& operator=(const AFX_MAINTAIN_STATE2&) = delete;

private:
    AFX_MODULE_STATE* m_previous;
};
