#include "framework/AfxString.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

CString::~CString() { std::free(m_data); }

void CString::Format(LPCSTR format, ...) {
    std::free(m_data);
    m_data = nullptr;
    m_length = 0;

    va_list args;
    va_start(args, format);
    va_list measure;
    va_copy(measure, args);
    const int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (length >= 0) {
        m_data = static_cast<char*>(std::malloc(static_cast<size_t>(length) + 1));
        if (m_data) {
            std::vsnprintf(m_data, static_cast<size_t>(length) + 1, format, args);
            m_length = length;
        }
    }
    va_end(args);
}
