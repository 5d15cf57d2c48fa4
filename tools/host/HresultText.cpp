// HRESULTs in words for the tools' one-line errors.
#include "tools/host/HresultText.h"

#include <cstdio>

std::string DescribeHresult(HRESULT hr) {
    static const struct {
        HRESULT code;
        const char* name;
    } kNames[] = {
        {S_OK, "S_OK"},
        {E_FAIL, "E_FAIL"},
        {E_NOINTERFACE, "E_NOINTERFACE"},
        {E_POINTER, "E_POINTER"},
        {E_OUTOFMEMORY, "E_OUTOFMEMORY"},
        {E_INVALIDARG, "E_INVALIDARG"},
        {E_UNEXPECTED, "E_UNEXPECTED"},
        {E_NOTIMPL, "E_NOTIMPL"},
        {CLASS_E_CLASSNOTAVAILABLE, "CLASS_E_CLASSNOTAVAILABLE"},
        {REGDB_E_CLASSNOTREG, "REGDB_E_CLASSNOTREG"},
        {HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND), "the module or one it needs was not found"},
        {HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND), "it exports no DllGetClassObject"},
        {HRESULT_FROM_WIN32(ERROR_BAD_EXE_FORMAT), "not a DLL for this platform"},
    };
    // The file errors a user meets most, in their own words.
    static const struct {
        DWORD code;
        const char* words;
    } kWords[] = {
        {ERROR_FILE_NOT_FOUND, "no such file"},
        {ERROR_PATH_NOT_FOUND, "no such folder"},
        {ERROR_ACCESS_DENIED, "access denied"},
        {ERROR_SHARING_VIOLATION, "in use by another program"},
        {ERROR_DISK_FULL, "the disk is full"},
    };
    char text[32];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
    for (const auto& entry : kNames)
        if (entry.code == hr) return std::string(text) + " (" + entry.name + ")";
    const bool win32 = HRESULT_FACILITY(hr) == FACILITY_WIN32;
    const DWORD code = win32 ? HRESULT_CODE(hr) : static_cast<DWORD>(hr);
    if (win32)
        for (const auto& entry : kWords)
            if (entry.code == code) return std::string(entry.words) + " (" + text + ")";
    // Any other code the system has a message for, in the system's words.
    char message[256] = {};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, code, 0, message, sizeof message, nullptr);
    std::string words(message, length);
    while (!words.empty() && (words.back() == '\n' || words.back() == '\r' ||
                              words.back() == ' ' || words.back() == '.'))
        words.pop_back();
    return words.empty() ? text : words + " (" + text + ")";
}
