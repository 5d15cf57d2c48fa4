// What the page tests of both plug-ins need around a page's window: the
// dialogs a test left on its thread, work on another thread while this one
// handles no messages, and handling what was posted.
#pragma once

#include "common/UniqueHandle.h"

#include <windows.h>

#include <string>

inline BOOL CALLBACK CountDialog(HWND hwnd, LPARAM counter) {
    char name[16] = {};
    GetClassNameA(hwnd, name, sizeof name);
    if (std::string(name) == "#32770") ++*reinterpret_cast<int*>(counter);
    return TRUE;
}

// Dialog windows of this thread: top-level ones and any below the parent.
inline int DialogWindows(HWND parent) {
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountDialog, reinterpret_cast<LPARAM>(&count));
    if (parent) EnumChildWindows(parent, CountDialog, reinterpret_cast<LPARAM>(&count));
    return count;
}

// Runs work on a thread of its own and waits for it without handling this
// thread's messages, as a window thread busy elsewhere would. False when it
// had not finished in time; it is then let finish before returning.
template <typename Work>
bool FinishesWithoutThisThread(Work work, DWORD timeoutMs = 5000) {
    struct Call {
        Work work;
        static DWORD WINAPI Run(LPVOID call) {
            static_cast<Call*>(call)->work();
            return 0;
        }
    } call{work};
    CUniqueHandleObj thread(CreateThread(nullptr, 0, &Call::Run, &call, 0, nullptr));
    if (!thread) return false;
    HANDLE handle = thread.get();
    const bool prompt = WaitForSingleObject(handle, timeoutMs) == WAIT_OBJECT_0;
    while (MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
    return prompt;
}

// Handles what was posted to this thread's windows.
inline void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}
