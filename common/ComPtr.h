// A minimal owning COM pointer. put() releases the old value before handing
// out the slot, so reusing a pointer as an out-parameter never leaks.
#pragma once

#include <objbase.h>

template <typename T>
class CComPtr {
public:
    CComPtr() = default;
    CComPtr(const CComPtr&) = delete;
    CComPtr& operator=(const CComPtr&) = delete;
    CComPtr(CComPtr&& other) noexcept : m_p(other.m_p) { other.m_p = nullptr; }
    ~CComPtr() { Reset(); }

    // Takes over a reference the caller already owns.
    static CComPtr Attach(T* p) {
        CComPtr result;
        result.m_p = p;
        return result;
    }

    void Reset() {
        if (m_p) {
            T* p = m_p;
            m_p = nullptr;
            p->Release();
        }
    }
    T** put() {
        Reset();
        return &m_p;
    }
    void** put_void() { return reinterpret_cast<void**>(put()); }
    T* Detach() {
        T* p = m_p;
        m_p = nullptr;
        return p;
    }

    T* get() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }

private:
    T* m_p = nullptr;
};
