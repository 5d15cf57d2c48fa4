#include "tests/server/AllocationTracker.h"

#include <windows.h>

#include <cstdlib>
#include <new>

namespace {

// A fixed table, so that tracking itself never allocates.
constexpr int kSlots = 256;
void* g_blocks[kSlots];
int g_alive = 0;
bool g_failNext = false;
SRWLOCK g_lock = SRWLOCK_INIT;

class CTableLock {
public:
    CTableLock() { AcquireSRWLockExclusive(&g_lock); }
    ~CTableLock() { ReleaseSRWLockExclusive(&g_lock); }
};

}  // namespace

int allocations::Alive() {
    CTableLock lock;
    return g_alive;
}

void allocations::FailNext() {
    CTableLock lock;
    g_failNext = true;
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    CTableLock lock;
    if (g_failNext) {
        g_failNext = false;
        return nullptr;
    }
    void* block = std::malloc(size ? size : 1);
    for (void*& slot : g_blocks) {
        if (block && !slot) {
            slot = block;
            ++g_alive;
            break;
        }
    }
    return block;
}

// Every delete comes here; only tracked blocks change the count. The
// program's other operator new is the runtime's, which also uses malloc.
void operator delete(void* block) noexcept {
    if (!block) return;
    {
        CTableLock lock;
        for (void*& slot : g_blocks) {
            if (slot == block) {
                slot = nullptr;
                --g_alive;
                break;
            }
        }
    }
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept { operator delete(block); }
