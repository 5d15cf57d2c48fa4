// The fuzz targets' check: a broken property aborts, which libFuzzer reports
// as a crash, keeping the input that broke it.
#pragma once

#include <cstdio>
#include <cstdlib>

[[noreturn]] inline void FuzzFail(const char* file, int line, const char* what) {
    std::fprintf(stderr, "%s:%d: property broken: %s\n", file, line, what);
    std::abort();
}

#define FUZZ_CHECK(condition) ((condition) ? (void)0 : FuzzFail(__FILE__, __LINE__, #condition))
