// Counts what a loaded module calls while the benchmark drives it: heap
// allocations, locks, waits and window messages. It points the module's own
// import address table entries at counting stubs that call on to the
// originals, and puts the entries back when it goes.
#pragma once

#include "common/ImportTable.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

enum class ImportKind { Allocation, Lock, Wait, SentMessage, PostedMessage, kCount };

struct ImportCounts {
    uint64_t calls[static_cast<int>(ImportKind::kCount)] = {};
    uint64_t operator[](ImportKind kind) const { return calls[static_cast<int>(kind)]; }
    ImportCounts operator-(const ImportCounts& before) const;
};

class CImportCounter {
public:
    explicit CImportCounter(HMODULE module);
    ~CImportCounter();
    CImportCounter(const CImportCounter&) = delete;
    CImportCounter& operator=(const CImportCounter&) = delete;

    // How many imports were found and redirected.
    size_t Hooked() const { return m_redirects.size(); }
    static ImportCounts Now();

private:
    std::vector<std::unique_ptr<CImportRedirect>> m_redirects;
};
