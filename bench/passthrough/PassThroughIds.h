// The class of the pass-through filter, the benchmark's and the host tests'
// baseline: a filter that only copies records.
#pragma once

#include <objbase.h>

// {6B1E2F0A-3C5D-4E7F-9A1B-2C3D4E5F6A7B}
inline constexpr CLSID CLSID_PassThroughFilter = {
    0x6B1E2F0A, 0x3C5D, 0x4E7F, {0x9A, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F, 0x6A, 0x7B}};
