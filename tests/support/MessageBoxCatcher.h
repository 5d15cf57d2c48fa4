// Catches the message boxes a call shows on this thread, records what they
// say and which buttons they offer, and closes each one as a person would,
// by pressing its first button.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct CaughtMessageBox {
    std::string caption;
    std::string text;
    std::vector<std::string> buttons;
};

class CMessageBoxCatcher {
public:
    CMessageBoxCatcher();
    ~CMessageBoxCatcher();
    CMessageBoxCatcher(const CMessageBoxCatcher&) = delete;
    CMessageBoxCatcher& operator=(const CMessageBoxCatcher&) = delete;

    const std::vector<CaughtMessageBox>& Caught() const { return m_caught; }

private:
    static LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam);
    static BOOL CALLBACK CollectChild(HWND child, LPARAM self);

    HHOOK m_hook = nullptr;
    std::vector<CaughtMessageBox> m_caught;
    std::vector<HWND> m_windows;  // the boxes caught, each once however often activated
    static thread_local CMessageBoxCatcher* t_current;
};
