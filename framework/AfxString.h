// CString: a heap string with printf-style Format. A failed allocation
// leaves it empty rather than throwing: it is used inside window procedures.
#pragma once

#include <windows.h>

class CString {
public:
    CString() = default;
    ~CString();
    CString(const CString&) = delete;
    CString& operator=(const CString&) = delete;

    void Format(LPCSTR format, ...);
    int GetLength() const { return m_length; }
    operator LPCSTR() const { return m_data ? m_data : ""; }

private:
    char* m_data = nullptr;
    int m_length = 0;
};
