// The few C++ runtime entries the module needs, its own, so that nothing of
// the runtime's exception machinery is linked in: the module is built without
// exceptions, and nothing may be thrown across a COM boundary anyway. Objects
// are made only with new (std::nothrow), which returns null when memory runs
// out; a plain new, which has no way to report that, ends the process.
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <new>

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return std::malloc(size != 0 ? size : 1);
}

void* operator new(std::size_t size) {
    void* p = std::malloc(size != 0 ? size : 1);
    if (!p) std::abort();
    return p;
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return std::malloc(size != 0 ? size : 1);
}

void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

// Reached only through a call to a pure virtual function during construction
// or destruction, which is a fault in the module itself.
extern "C" void __cxa_pure_virtual() { std::abort(); }

// Function-local statics are initialised once, the first caller doing it and
// any other waiting until it is done, as the runtime's own guard does. The
// guard's first byte says done (the compiler tests it inline before calling
// here), the second that an initialisation is under way.
namespace {

using Guard = unsigned char;

}  // namespace

extern "C" int __cxa_guard_acquire(Guard* guard) {
    for (;;) {
        if (__atomic_load_n(&guard[0], __ATOMIC_ACQUIRE)) return 0;
        Guard idle = 0;
        if (__atomic_compare_exchange_n(&guard[1], &idle, 1, false, __ATOMIC_ACQUIRE,
                                        __ATOMIC_RELAXED))
            return 1;
        SwitchToThread();  // another thread runs the initialiser: a few calls at most
    }
}

extern "C" void __cxa_guard_release(Guard* guard) {
    __atomic_store_n(&guard[0], 1, __ATOMIC_RELEASE);
}

extern "C" void __cxa_guard_abort(Guard* guard) {
    __atomic_store_n(&guard[1], 0, __ATOMIC_RELEASE);
}

// mingw-w64 routes snprintf and vsnprintf to a printf of its own, with
// floating-point formatting that is as large as the rest of the module. The
// module formats integers and strings only, with msvcrt's printf, and keeps
// the C99 contract: the result is the full length, the output is cut short
// to fit and always terminated.
extern "C" int __cdecl __mingw_vsnprintf(char* buffer, size_t size, const char* format,
                                         va_list args) {
    va_list measure;
    va_copy(measure, args);
    const int length = _vscprintf(format, measure);
    va_end(measure);
    if (size == 0 || !buffer) return length;
    if (length < 0) {
        buffer[0] = '\0';
        return length;
    }
    _vsnprintf(buffer, size - 1, format, args);
    buffer[static_cast<size_t>(length) < size ? static_cast<size_t>(length) : size - 1] = '\0';
    return length;
}
