// A loaded module's import address table: the slot through which it calls
// a function it imports by name, and a scoped redirection of that slot. The
// benchmark counts what a module calls this way, and tests see the calls a
// module makes to the system without letting them through.
#pragma once

#include <windows.h>

// The module's slot for the function it imports under that name from any
// DLL, or null when it imports no such function.
void** FindImportSlot(HMODULE module, const char* function);

// Points a slot elsewhere for the life of the object, and back after it.
class CImportRedirect {
public:
    CImportRedirect(void** slot, void* replacement);
    ~CImportRedirect();
    CImportRedirect(const CImportRedirect&) = delete;
    CImportRedirect& operator=(const CImportRedirect&) = delete;

    void* Original() const { return m_original; }
    explicit operator bool() const { return m_slot != nullptr; }

private:
    void** m_slot = nullptr;
    void* m_original = nullptr;
};
