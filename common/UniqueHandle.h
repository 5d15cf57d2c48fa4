// One template for every handle that must be closed exactly once.
#pragma once

#include <windows.h>

template <typename H, auto Close, auto Invalid = nullptr>
class CUniqueHandle {
public:
    CUniqueHandle() = default;
    explicit CUniqueHandle(H h) : m_h(h) {}
    CUniqueHandle(const CUniqueHandle&) = delete;
    CUniqueHandle& operator=(const CUniqueHandle&) = delete;
    CUniqueHandle(CUniqueHandle&& other) noexcept : m_h(other.release()) {}
    CUniqueHandle& operator=(CUniqueHandle&& other) noexcept {
        reset(other.release());
        return *this;
    }
    ~CUniqueHandle() { reset(); }

    void reset(H h = H(Invalid)) {
        if (m_h != H(Invalid)) Close(m_h);
        m_h = h;
    }
    H release() {
        H h = m_h;
        m_h = H(Invalid);
        return h;
    }
    H* put() {
        reset();
        return &m_h;
    }
    H get() const { return m_h; }
    explicit operator bool() const { return m_h != H(Invalid); }

private:
    H m_h = H(Invalid);
};

using CUniqueHkey = CUniqueHandle<HKEY, RegCloseKey>;
using CUniqueHwnd = CUniqueHandle<HWND, DestroyWindow>;
using CUniqueHandleObj = CUniqueHandle<HANDLE, CloseHandle>;
