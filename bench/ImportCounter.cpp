// Import-table redirection for CImportCounter.
#include "bench/ImportCounter.h"

#include <atomic>
#include <memory>

namespace {

std::atomic<uint64_t> g_calls[static_cast<int>(ImportKind::kCount)];

// One stub per import: counts, then calls the original through the pointer
// saved when the entry was redirected. Id keeps the stubs of functions of
// the same type apart.
template <int Id, ImportKind Kind, typename Fn>
struct CStub;

template <int Id, ImportKind Kind, typename R, typename... A>
struct CStub<Id, Kind, R(WINAPI*)(A...)> {
    static inline R(WINAPI* original)(A...) = nullptr;
    static R WINAPI Call(A... args) {
        g_calls[static_cast<int>(Kind)].fetch_add(1, std::memory_order_relaxed);
        return original(args...);
    }
};

#ifndef _WIN64
// On x86_64 there is one calling convention; on i686 the C runtime's differs.
template <int Id, ImportKind Kind, typename R, typename... A>
struct CStub<Id, Kind, R(__cdecl*)(A...)> {
    static inline R(__cdecl* original)(A...) = nullptr;
    static R __cdecl Call(A... args) {
        g_calls[static_cast<int>(Kind)].fetch_add(1, std::memory_order_relaxed);
        return original(args...);
    }
};
#endif

struct Hook {
    const char* name;
    void* stub;
    void** original;
};

template <int Id, ImportKind Kind, typename Fn>
Hook MakeHook(const char* name) {
    using Stub = CStub<Id, Kind, Fn>;
    return {name, reinterpret_cast<void*>(&Stub::Call), reinterpret_cast<void**>(&Stub::original)};
}

using Malloc = void*(__cdecl*)(size_t);
using Calloc = void*(__cdecl*)(size_t, size_t);
using Realloc = void*(__cdecl*)(void*, size_t);
using Strdup = char*(__cdecl*)(const char*);
using TaskAlloc = LPVOID(WINAPI*)(SIZE_T);
using CsFn = void(WINAPI*)(LPCRITICAL_SECTION);
using TryCsFn = BOOL(WINAPI*)(LPCRITICAL_SECTION);
using WaitOne = DWORD(WINAPI*)(HANDLE, DWORD);
using WaitMany = DWORD(WINAPI*)(DWORD, const HANDLE*, BOOL, DWORD);
using SleepFn = void(WINAPI*)(DWORD);
using SendFn = LRESULT(WINAPI*)(HWND, UINT, WPARAM, LPARAM);
using SendItemFn = LRESULT(WINAPI*)(HWND, int, UINT, WPARAM, LPARAM);
using SetTextFn = BOOL(WINAPI*)(HWND, int, LPCSTR);
using SetIntFn = BOOL(WINAPI*)(HWND, int, UINT, BOOL);
using PostFn = BOOL(WINAPI*)(HWND, UINT, WPARAM, LPARAM);

const Hook* Hooks(size_t& count) {
    using K = ImportKind;
    static const Hook hooks[] = {
        MakeHook<0, K::Allocation, Malloc>("malloc"),
        MakeHook<1, K::Allocation, Calloc>("calloc"),
        MakeHook<2, K::Allocation, Realloc>("realloc"),
        MakeHook<3, K::Allocation, Strdup>("_strdup"),
        MakeHook<4, K::Allocation, TaskAlloc>("CoTaskMemAlloc"),
        MakeHook<5, K::Lock, CsFn>("EnterCriticalSection"),
        MakeHook<6, K::Lock, TryCsFn>("TryEnterCriticalSection"),
        MakeHook<7, K::Wait, WaitOne>("WaitForSingleObject"),
        MakeHook<8, K::Wait, WaitMany>("WaitForMultipleObjects"),
        MakeHook<9, K::Wait, SleepFn>("Sleep"),
        // A message sent to a window of another thread waits for that thread.
        MakeHook<10, K::SentMessage, SendFn>("SendMessageA"),
        MakeHook<11, K::SentMessage, SendItemFn>("SendDlgItemMessageA"),
        MakeHook<12, K::SentMessage, SetTextFn>("SetDlgItemTextA"),
        MakeHook<13, K::SentMessage, SetIntFn>("SetDlgItemInt"),
        MakeHook<14, K::PostedMessage, PostFn>("PostMessageA"),
    };
    count = std::size(hooks);
    return hooks;
}

}  // namespace

ImportCounts ImportCounts::operator-(const ImportCounts& before) const {
    ImportCounts difference;
    for (int i = 0; i < static_cast<int>(ImportKind::kCount); ++i)
        difference.calls[i] = calls[i] - before.calls[i];
    return difference;
}

ImportCounts CImportCounter::Now() {
    ImportCounts counts;
    for (int i = 0; i < static_cast<int>(ImportKind::kCount); ++i)
        counts.calls[i] = g_calls[i].load(std::memory_order_relaxed);
    return counts;
}

CImportCounter::CImportCounter(HMODULE module) {
    size_t hookCount = 0;
    const Hook* hooks = Hooks(hookCount);
    for (size_t h = 0; h < hookCount; ++h) {
        auto redirect = std::make_unique<CImportRedirect>(FindImportSlot(module, hooks[h].name),
                                                          hooks[h].stub);
        if (!*redirect) continue;
        *hooks[h].original = redirect->Original();
        m_redirects.push_back(std::move(redirect));
    }
}

CImportCounter::~CImportCounter() = default;
